#include "monitorlog.h"

#include <fieldcodecs.h>

#include <limits>

namespace {

const QString kHiddenAlways = QStringLiteral("A_CPW");
constexpr QChar kFilterSeparator = QLatin1Char('|');

// Points of the log's own font; 9.75 pt is what the view shows before any piece.
constexpr double kLogFontPoints = 9.75;

// True when "*" is the only wildcard of text.
bool hasOnlyStars(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            return false;
    }
    return true;
}

} // namespace

const QColor MonitorLog::kReceivedColour {255, 255, 0};
const QColor MonitorLog::kSentColour {0, 255, 0};
const QColor MonitorLog::kSentLocalTimedColour {100, 255, 100};
const QColor MonitorLog::kSentRemoteTimedColour {255, 100, 100};
const QColor MonitorLog::kNoticeColour {255, 255, 255};

QFont MonitorFont::toFont() const
{
    QFont font(FontName.isEmpty() ? MonitorFont().FontName : FontName);
    const double points = FieldCodecs::numericValue(FontSize);
    // A size the font cannot take (0, negative, absurd) keeps the default size.
    font.setPointSizeF(points > 0 && points < 1000 ? points : FieldCodecs::numericValue(MonitorFont().FontSize));
    font.setBold(FieldCodecs::numericValue(FontBold) != 0);
    return font;
}

MonitorFont MonitorFont::fromFont(const QFont &font)
{
    MonitorFont result;
    result.FontName = font.family();
    result.FontSize = FieldCodecs::numberText(font.pointSizeF() > 0 ? font.pointSizeF() : font.pointSize());
    result.FontBold = font.bold() ? QStringLiteral("1") : QStringLiteral("0");
    return result;
}

QFont MonitorLog::logFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(kLogFontPoints);
    font.setBold(true);
    return font;
}

void MonitorLog::setMonitorFont(const MonitorFont &font)
{
    m_monitorFont = font;
    m_monitorQFont = font.toFont();
}

void MonitorLog::setFilter(const QString &filter)
{
    m_filter = filter;

    // Only the first seven positions are looked at, so the text is cut before its
    // eighth separator: a filter of more than fifty alternatives then splits as
    // well, and its first seven positions are the same as a whole split would give.
    // The first character is never a separator for the split, so the search starts after it.
    QString head = filter;
    int separators = 0;
    for (qsizetype i = 1; i < filter.size(); ++i) {
        if (filter.at(i) == kFilterSeparator && ++separators == kFilterPositions + 1) {
            head = filter.left(i);
            break;
        }
    }
    const auto split = FieldCodecs::splitString(head, kFilterSeparator);
    for (int i = 0; i < kFilterPositions; ++i) {
        m_alternatives[i] = split ? split->at(i) : QString();
        m_patterns[i] = QLatin1Char('*') + m_alternatives[i] + QLatin1Char('*');
        m_starsOnly[i] = hasOnlyStars(m_alternatives[i]);
        m_pieces[i] = m_alternatives[i].split(QLatin1Char('*'), Qt::SkipEmptyParts);
    }
}

bool MonitorLog::matchesAlternative(const QString &line, int position) const
{
    const QString &alternative = m_alternatives[position];
    if (alternative.isEmpty())
        return false;
    if (!m_starsOnly[position])
        return FieldCodecs::wildcardMatch(line, m_patterns[position]);
    // "*a*b*" matches exactly when a occurs and b occurs after it: taking the
    // leftmost occurrence of each piece leaves the most room for the rest.
    qsizetype from = 0;
    for (const QString &piece : m_pieces[position]) {
        const qsizetype at = line.indexOf(piece, from);
        if (at < 0)
            return false;
        from = at + piece.size();
    }
    return true;
}

bool MonitorLog::isShown(const QString &line) const
{
    if (line.contains(kHiddenAlways))
        return false;
    if (!switches.enableFilter)
        return true;

    bool hide = false;
    for (int i = 0; i < kFilterPositions; ++i) {
        if (matchesAlternative(line, i)) {
            hide = !switches.invertFilter;
            break;
        }
        if (switches.invertFilter)
            hide = true;
    }
    return !hide;
}

void MonitorLog::setMaxLinesText(const QString &text)
{
    const double value = FieldCodecs::numericValue(text);
    m_maxLines = FieldCodecs::toInt32(value).value_or(value > 0 ? std::numeric_limits<qint32>::max() : 0);
}

std::optional<MonitorPiece> MonitorLog::sentLine(const QString &strCmd, bool fRemote, const QTime &now)
{
    if (!switches.showSend || !switches.enableDebug)
        return std::nullopt;

    MonitorPiece piece;
    if (switches.addLineTime) {
        piece.text = timeText(now) + QStringLiteral(" >  ") + strCmd + QLatin1Char('\n');
        piece.colour = fRemote ? kSentRemoteTimedColour : kSentLocalTimedColour;
        piece.font = m_endFont;
    } else {
        piece.text = strCmd + QLatin1Char('\n');
        piece.colour = kSentColour;
        piece.font = m_monitorQFont;
    }
    appended(piece);
    return piece;
}

MonitorLog::Received MonitorLog::receivedLine(const QString &line, const QTime &now)
{
    Received result;
    if (!switches.enableDebug || !isShown(line))
        return result;

    MonitorPiece piece;
    piece.colour = kReceivedColour;
    piece.font = m_monitorQFont;
    if (switches.addLineTime)
        piece.text = timeText(now) + QStringLiteral(" > ") + line + QLatin1Char('\n');
    else
        piece.text = line + QLatin1Char('\n');
    appended(piece);
    result.piece = std::move(piece);

    ++m_lineCount;
    if (m_maxLines < m_lineCount) {
        // The limit empties the log whole, the line just appended included.
        result.clearLog = true;
        m_lineCount = 1;
        m_endFont = logFont();
    }
    return result;
}

std::optional<MonitorPiece> MonitorLog::noticeLine(const QString &text, const QTime &now)
{
    if (!switches.enableDebug)
        return std::nullopt;
    MonitorPiece piece;
    piece.colour = kNoticeColour;
    piece.font = m_monitorQFont;
    piece.text = (switches.addLineTime ? timeText(now) + QStringLiteral(" > ") : QString()) + text + QLatin1Char('\n');
    appended(piece);
    return piece;
}

void MonitorLog::clear()
{
    m_lineCount = 0;
    m_endFont = logFont();
}

QString MonitorLog::timeText(const QTime &now)
{
    // Reading the clock costs a look at the time zone, so it is done only here.
    return (now.isValid() ? now : QTime::currentTime()).toString(QStringLiteral("HH:mm:ss"));
}
