#include "lineframer.h"

#include "protocol.h"

#include <algorithm>
#include <utility>

namespace {

constexpr char kNUL = '\0';

} // namespace

void LineFramer::feed(QByteArrayView chunk, const LineHandler &onLine, const OverLongHandler &onOverLong)
{
    qsizetype from = 0;
    while (from < chunk.size()) {
        const qsizetype cr = chunk.indexOf(Protocol::kLineEnd, from);
        if (cr < 0) {
            append(chunk.sliced(from), onOverLong);
            return;
        }
        append(chunk.sliced(from, cr - from), onOverLong);
        const bool dropped = m_policy == OverLong::DropWhole && m_overLong;
        const QByteArray line = std::exchange(m_buffer, QByteArray());
        m_overLong = false;

        from = cr + 1;
        // A NUL right after the CR is part of the terminator, but only within one chunk.
        if (from < chunk.size() && chunk.at(from) == kNUL)
            ++from;
        if (!dropped && !onLine(line))
            return;
    }
}

void LineFramer::clear()
{
    m_buffer.clear();
    m_overLong = false;
}

void LineFramer::append(QByteArrayView piece, const OverLongHandler &onOverLong)
{
    if (m_overLong && m_policy == OverLong::DropWhole)
        return;
    const qsizetype room = m_maxLineLength - m_buffer.size();
    if (piece.size() <= room) {
        m_buffer.append(piece);
        return;
    }
    if (m_policy == OverLong::KeepHead)
        m_buffer.append(piece.first(std::max<qsizetype>(room, 0)));
    else
        m_buffer.clear(); // what came of the line is let go; the rest is skipped up to its CR
    if (!std::exchange(m_overLong, true) && onOverLong)
        onOverLong();
}
