#pragma once

#include <QByteArray>
#include <QList>

// Cuts the bytes a console sends into CR-ended lines. A NUL or LF right after a
// CR belongs to that line end (even when it arrives in the next chunk). The
// incomplete line is bounded: a run longer than the limit is discarded and
// reported once, as an over-long line, when its CR arrives.
class CommandFramer
{
public:
    static constexpr qsizetype kDefaultLimit = 64 * 1024;

    // One framed line: its text, or the mark of an over-long run.
    struct Line
    {
        QByteArray text;
        bool overlong = false;
    };

    explicit CommandFramer(qsizetype limit = kDefaultLimit);

    QList<Line> feed(const QByteArray &chunk);
    void reset();

    qsizetype pendingSize() const { return m_buffer.size(); }

private:
    qsizetype m_limit;
    QByteArray m_buffer;
    bool m_overlong = false;
    bool m_afterCr = false;
};
