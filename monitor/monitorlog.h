#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTime>

#include <array>
#include <optional>

// The monitor font as the console keeps it in "DBGFont": a name, a size in points
// as decimal text and a bold flag "1" or "0".
struct MonitorFont
{
    QString FontName = QStringLiteral("Courier New");
    QString FontSize = QStringLiteral("11");
    QString FontBold = QStringLiteral("1");

    static constexpr char kSection[] = "DBGFont";
    static constexpr char kNameKey[] = "FontName";
    static constexpr char kSizeKey[] = "FontSize";
    static constexpr char kBoldKey[] = "FontBold";

    QFont toFont() const;
    static MonitorFont fromFont(const QFont &font);

    friend bool operator==(const MonitorFont &, const MonitorFont &) = default;
};

// One piece of text appended at the end of the log, with its colour and font.
// "\n" in the text is a line break.
struct MonitorPiece
{
    QString text;
    QColor colour;
    QFont font;
};

// The decisions of the traffic monitor log, without widgets: which received lines
// are shown (switches, filter, the "A_CPW" rule), the colour, font and time prefix
// of every piece, the line counter and the "Max lines" limit. The view only draws
// what this class hands back.
class MonitorLog
{
public:
    // The switches of the monitor page that the decisions read.
    struct Switches
    {
        bool enableDebug = true;
        bool showSend = true;
        bool addLineTime = false;
        bool enableFilter = true;
        bool invertFilter = false; // "Invert" selected instead of "Normal"
    };

    // What the log does with one received line.
    struct Received
    {
        std::optional<MonitorPiece> piece; // appended when set
        bool clearLog = false; // after appending, the log is emptied whole
    };

    static constexpr int kFilterPositions = 7;
    static constexpr qint64 kDefaultMaxLines = 2000;

    static const QColor kReceivedColour; // yellow
    static const QColor kSentColour; // green
    static const QColor kSentLocalTimedColour; // light green
    static const QColor kSentRemoteTimedColour; // light red
    static const QColor kNoticeColour; // white
    // The log's own font, which the end of an empty log carries.
    static QFont logFont();

    Switches switches;

    void setMonitorFont(const MonitorFont &font);
    const MonitorFont &monitorFont() const { return m_monitorFont; }

    // The active filter g_DBG_Filter: alternatives separated by "|", each matched
    // anywhere in a line.
    void setFilter(const QString &filter);
    QString filter() const { return m_filter; }
    // True when the line passes the filter and the "A_CPW" rule with the current switches.
    bool isShown(const QString &line) const;

    // "Max lines" as its text; empty or not a number counts as 0.
    void setMaxLinesText(const QString &text);
    qint64 maxLines() const { return m_maxLines; }

    // The piece for a command the link sent (or tried to send), or nothing. An
    // invalid now stands for the current time, read only when a prefix needs it.
    std::optional<MonitorPiece> sentLine(const QString &strCmd, bool fRemote, const QTime &now = QTime());
    // Decides on a received line and counts it when shown.
    Received receivedLine(const QString &line, const QTime &now = QTime());
    // The piece for a line the console itself has to say (a relay notice), or
    // nothing with "Enable Debug" off; neither filtered nor counted.
    std::optional<MonitorPiece> noticeLine(const QString &text, const QTime &now = QTime());

    // Clear Buffer: an empty log and a counter of 0.
    void clear();
    qint64 lineCount() const { return m_lineCount; }

    // The time prefix's text; an invalid time stands for the current time.
    static QString timeText(const QTime &now);

private:
    bool matchesAlternative(const QString &line, int position) const;
    void appended(const MonitorPiece &piece) { m_endFont = piece.font; }

    MonitorFont m_monitorFont;
    QFont m_monitorQFont = m_monitorFont.toFont();
    // The font at the end of the log; time-prefixed commands keep it.
    QFont m_endFont = logFont();

    QString m_filter;
    // The first seven positions of the split filter ("<end>" included when it
    // falls among them), and for each whether it can be found as plain text.
    // and how each is matched: an alternative with "*" as its only wildcard is a
    // run of plain pieces found one after the other (a fast path for the usual
    // filters); others go through the full wildcard match.
    std::array<QString, kFilterPositions> m_alternatives;
    std::array<QString, kFilterPositions> m_patterns;
    std::array<QStringList, kFilterPositions> m_pieces;
    std::array<bool, kFilterPositions> m_starsOnly {};

    qint64 m_maxLines = kDefaultMaxLines;
    qint64 m_lineCount = 0;
};
