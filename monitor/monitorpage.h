#pragma once

#include "monitorlog.h"
#include "monitorrelay.h"

#include <autocompletehistory.h>

#include <cspooling.h>
#include <ilinkmonitor.h>

#include <QFont>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <QWidget>

#include <functional>
#include <optional>

class AutoCombo;
class CSpooling;
class MessageBoxService;
class MonitorLamp;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextDocument;
class QTimer;

// The debug page "DBG": the coloured traffic log with its switches, filter, line
// limit and commands (clear, font, save, search, send, analyse, raw bytes), and
// the relay controls of its "Network" tab. It is the link's monitor (ILinkMonitor)
// and owns the relay (relay(), the link's ILinkRelay).
//
// Appended pieces are collected and drawn together once per turn of the event
// loop, so a flood of lines costs one edit of the view per turn; the decisions
// (filter, counter, limit) are taken at once for every line.
//
// The log, the switches, the line limit and the input histories are kept apart
// from the controls, so that the page can be the link's monitor before its
// controls are built: built when shown, it costs a console nothing at start-up.
class MonitorPage : public QWidget, public ILinkMonitor
{
    Q_OBJECT

public:
    // Asks for the file to save the log to; an empty name cancels.
    using SaveFileChooser = std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;
    // Asks for a font, preset with initial; nothing when cancelled.
    using FontChooser = std::function<std::optional<QFont>(QWidget *parent, const QFont &initial)>;

    // The tabs of tabDBG.
    enum Tab : int {
        TabSendCmd = 0,
        TabNetwork = 1,
        TabFilter = 2,
    };

    static constexpr char kSaveFilter[] = "Rich Text Format (*.rtf)|*.rtf|Text File (*.txt)|*.txt";
    static constexpr char kFilterHistory[] = "DBGFilter";
    static constexpr char kClientHistory[] = "DBGClient";
    static const QColor kLogBackground;
    // The most lines the log holds whatever is counted; "Max lines" allows 9999.
    static constexpr int kMaxLogLines = 50000;

    // link may be null (nothing is sent then, commands are only echoed);
    // settingsFolder holds Setting.xml and Data.xml, empty for the console's own.
    // When the page's controls are built: at once, or when the page is first
    // shown (or ensureBuilt() is called).
    enum class Build {
        Now,
        WhenShown,
    };

    MonitorPage(CSpooling *link, MessageBoxService &messages, const QString &settingsFolder, QWidget *parent = nullptr,
        MonitorRelay::Intervals relayIntervals = {}, Build build = Build::Now);
    ~MonitorPage() override;

    // Builds the controls if they are not yet; they take the switches, line
    // limit, histories and log the page holds by then.
    void ensureBuilt();
    bool isBuilt() const { return m_built; }

    // Start-up: applies the (still empty) filter input as the active filter, then
    // loads the histories of the filter and client host inputs.
    void startUp();

    MonitorRelay *relay() const { return m_relay; }
    void setLink(CSpooling *link);

    // The monitor font the main window loaded from "DBGFont".
    void setMonitorFont(const MonitorFont &font);
    MonitorFont monitorFont() const { return m_log.monitorFont(); }

    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseSaveFile = std::move(chooser); }
    void setFontChooser(FontChooser chooser) { m_chooseFont = std::move(chooser); }

    // ILinkMonitor
    void appendSentLine(const QString &strCmd, bool fRemote) override;
    void appendReceivedLine(const QString &strLine) override;
    bool isAnalyzeEnabled() const override;
    // A line of the console's own about the traffic (the relay's notices).
    void appendNotice(const QString &text);

    // Draws the pieces collected so far now, instead of on the next turn of the event loop.
    void flush();
    bool hasPendingPieces() const { return !m_pending.isEmpty() || m_clearPending; }

    // The active filter g_DBG_Filter.
    QString activeFilter() const { return m_log.filter(); }
    const MonitorLog &log() const { return m_log; }
    // The log's view; builds the controls.
    QPlainTextEdit *logView() const;
    QTextDocument *logDocument() const { return m_document; }
    // Where the next search starts, and the text of the last successful search.
    int searchStart() const { return m_searchStart; }
    QString lastSearch() const { return m_lastSearch; }
    bool isSendDefault() const { return m_sendIsDefault; }

    // The page's commands, as their buttons run them.
    void cmdClearBuffer_Click();
    void cmdDBGFont_Click();
    void cmdDBGSaveFile_Click();
    void cmdDBGSearch_Click();
    void cmdSEND_Click();
    void cmdDBGAnalyze_Click();
    void cmdDBGBinary_Click();
    void cmdDBGFilter_Click();

    // The log as a plain-text file holds it: Latin-1 bytes, each line ended by CR LF.
    static QByteArray plainText(const QTextDocument &document);
    // "Desc (*.x)|*.x|..." as Qt's "Desc (*.x);;...".
    static QString qtFileFilter(const QString &filterText);
    // The bytes of a Binary text ("01,0A,FF"): decimal items, others read as
    // hexadecimal, up to the first empty item. Nothing when an item cannot be
    // read or leaves 0 to 255, or there are more than 50 items.
    static std::optional<QByteArray> binaryBytes(const QString &text);

signals:
    // The Font command chose and stored a new monitor font.
    void monitorFontChanged(const MonitorFont &font);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct PendingPiece
    {
        QString text;
        QTextCharFormat format;
    };

    void buildPage();
    void adoptHistories();
    // What an auto-completing input would hold before it is built.
    QString unbuiltInputText(const AutoCompleteHistory &history) const;
    void buildSendTab(QWidget *tab);
    void buildNetworkTab(QWidget *tab);
    void buildFilterTab(QWidget *tab);
    void connectSwitches();

    void queue(const MonitorPiece &piece);
    const QTextCharFormat &formatFor(const QColor &colour, const QFont &font);
    void tabDBG_Click(int index);
    void txtDBGSend_Change();
    void showRelayState();
    bool writeLog(const QString &fileName, bool richText);

    QPointer<CSpooling> m_link;
    MessageBoxService &m_messages;
    QString m_settingsFolder;
    MonitorLog m_log;
    MonitorRelay *m_relay = nullptr;

    SaveFileChooser m_chooseSaveFile;
    FontChooser m_chooseFont;

    bool m_built = false;
    // The log: the view's document once the view is built.
    QTextDocument *m_document = nullptr;
    // What the switches, the line limit and the histories hold while unbuilt.
    bool m_analyze = true;
    QString m_maxLinesText = QStringLiteral("2000");
    AutoCompleteHistory m_filterHistory;
    AutoCompleteHistory m_clientHistory;
    bool m_historiesLoaded = false;

    QList<PendingPiece> m_pending;
    bool m_clearPending = false;
    QTimer *m_flushTimer = nullptr;
    QTextCharFormat m_lastFormat;
    QColor m_lastColour;
    QFont m_lastFont;

    int m_searchStart = 0;
    QString m_lastSearch;
    bool m_sendIsDefault = false;

    QPlainTextEdit *txtBuf = nullptr;
    QPushButton *cmdDBGFont = nullptr;
    QPushButton *cmdDBGSaveFile = nullptr;
    QPushButton *cmdClearBuffer = nullptr;
    QLineEdit *txtDBGMaxLines = nullptr;
    QLabel *lblDBGLineCount = nullptr;
    QCheckBox *chkDBGEnableDbg = nullptr;
    QCheckBox *chkDBGAnalyze = nullptr;
    QCheckBox *chkDBGEnableFilter = nullptr;
    QCheckBox *chkDBGAddTime = nullptr;
    QCheckBox *chkDBGShowSend = nullptr;
    QTabWidget *tabDBG = nullptr;

    QLineEdit *txtDBGSend = nullptr;
    QPushButton *cmdSEND = nullptr;
    QPushButton *cmdDBGAnalyze = nullptr;
    QPushButton *cmdDBGBinary = nullptr;
    QPushButton *cmdDBGSearch = nullptr;
    QCheckBox *chkDBGErase = nullptr;

    QLineEdit *txtDBGPort[2] = {};
    QPushButton *cmdDBGListenStart = nullptr;
    MonitorLamp *shpDBG_LED = nullptr;
    AutoCombo *txtDBGNetC = nullptr;
    QPushButton *cmdDBGConnect = nullptr;

    AutoCombo *txtDBGFilter = nullptr;
    QPushButton *cmdDBGFilter = nullptr;
    QRadioButton *optDBGFilter[2] = {};
};
