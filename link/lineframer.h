#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Cuts received bytes into CR-ended lines, for the gateway link and the relay.
//
// A CR ends a line. A NUL right after the CR inside the same fed chunk belongs to
// the terminator; any other character (an LF too) starts the next line, and two
// CRs in a row make an empty line. The start of a line waits in a buffer for its
// CR, bounded by the cap: a line longer than the cap is handed over as its head
// or dropped whole, as the owner chose, and its owner is told once when it goes over.
class LineFramer
{
public:
    enum class OverLong {
        KeepHead, // the line's first maxLineLength bytes are handed over at its CR
        DropWhole, // nothing of the line is handed over
    };

    // Takes one complete line, without its terminator. Returning false ends the
    // feed: the rest of the chunk is not looked at.
    using LineHandler = std::function<bool(const QByteArray &line)>;
    // Told once per line, at the moment the line goes over the cap.
    using OverLongHandler = std::function<void()>;

    LineFramer(qsizetype maxLineLength, OverLong policy)
        : m_maxLineLength(maxLineLength)
        , m_policy(policy)
    { }

    // Hands over every line the chunk completes, in order. The handlers may feed
    // or clear this framer again; the chunk goes on from where it was.
    void feed(QByteArrayView chunk, const LineHandler &onLine, const OverLongHandler &onOverLong = {});
    // Forgets the incomplete line.
    void clear();

    // Bytes of the incomplete line held so far.
    qsizetype bufferedLength() const { return m_buffer.size(); }
    qsizetype maxLineLength() const { return m_maxLineLength; }

private:
    void append(QByteArrayView piece, const OverLongHandler &onOverLong);

    qsizetype m_maxLineLength;
    OverLong m_policy;
    QByteArray m_buffer;
    // The line now arriving went over the cap.
    bool m_overLong = false;
};
