#include "commandframer.h"

CommandFramer::CommandFramer(qsizetype limit)
    : m_limit(limit)
{ }

QList<CommandFramer::Line> CommandFramer::feed(const QByteArray &chunk)
{
    QList<Line> lines;
    qsizetype start = 0;
    if (m_afterCr && !chunk.isEmpty()) {
        m_afterCr = false;
        if (chunk.front() == '\0' || chunk.front() == '\n')
            start = 1;
    }
    while (start < chunk.size()) {
        const qsizetype cr = chunk.indexOf('\r', start);
        const qsizetype end = cr < 0 ? chunk.size() : cr;
        if (!m_overlong) {
            if (m_buffer.size() + (end - start) > m_limit) {
                // Keep nothing of a run that cannot be a command, only the fact.
                m_overlong = true;
                m_buffer.clear();
            } else {
                m_buffer.append(chunk.constData() + start, end - start);
            }
        }
        if (cr < 0)
            break;
        lines.append(m_overlong ? Line {{}, true} : Line {m_buffer, false});
        m_buffer.clear();
        m_overlong = false;
        start = cr + 1;
        if (start == chunk.size())
            m_afterCr = true;
        else if (chunk.at(start) == '\0' || chunk.at(start) == '\n')
            ++start;
    }
    return lines;
}

void CommandFramer::reset()
{
    m_buffer.clear();
    m_overlong = false;
    m_afterCr = false;
}
