#pragma once

#include <connectionflow.h>
#include <configurationdiff.h>
#include <configurationfile.h>
#include <gatewaysession.h>
#include <pages.h>
#include <queueentry.h>

#include <monitorlog.h>

#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class CSpooling;
class ConfigPages;
class MessageBoxQueueQuestions;
class MessageBoxService;
class MonitorPage;
class WriteQueue;
class QComboBox;
class QFrame;
class QLabel;
class QAction;
class QMenu;
class QPushButton;
class QToolButton;
class ucProgress;
class ucToolBar;

// The console's main window: the toolbar, the top bar, the eight stacked pages
// with "Save Data", and the progress strip. It is a view of one GatewaySession,
// which it owns: the strip draws the session's clock, the pages show and edit
// its configuration, the toolbar shows its captions, and the session's
// questions are answered with message boxes.
class FrmPRIGroups : public QMainWindow
{
    Q_OBJECT

public:
    // The entries of the skin list cmbSkin.
    enum SkinIndex : int {
        SkinLuna = 0,
        SkinRoyale = 1,
        SkinOffice2007 = 2,
        SkinVista = 3,
        SkinSystem = 4,
    };
    static constexpr int kSkinCount = 5;
    static constexpr int kDefaultSkin = SkinOffice2007;
    static constexpr int kPageCount = Pages::kCount;

    static constexpr std::chrono::milliseconds kPageSaveStep = GatewaySession::kPageSaveStep;
    static constexpr QSize kDefaultSize {1100, 800};

    // Where the window keeps its files and how it asks the operator. Empty or
    // null members take the program's own: the settings folder of
    // SettingsLocation, the Styles folder beside the program, real message boxes.
    struct Options
    {
        QString settingsFolder;
        QString stylesFolder;
        MessageBoxService *messages = nullptr;
        // Shows the connection dialog; empty means the real one.
        ConnectionFlow::DialogRunner chooseConnection;
        // Asks for a configuration file to save (save true) or open, starting in
        // folder; an empty answer means cancelled. Empty means the file dialog.
        std::function<QString(bool save, const QString &folder)> chooseFile;
    };

    // How many files "Open file" offers again, most recent first.
    static constexpr int kRecentFileCount = 5;

    // The monitor log's font as stored in "DBGFont".
    using MonitorFont = ::MonitorFont;

    explicit FrmPRIGroups(QWidget *parent = nullptr);
    explicit FrmPRIGroups(const Options &options, QWidget *parent = nullptr);
    ~FrmPRIGroups() override;

    // Loads the preferences, lays out the pages, closes the splash (when one is
    // given) and shows the window with the FXO page. Runs once.
    void startUp(QWidget *splash = nullptr);

    // Makes page index the only visible page. An index outside the pages changes nothing.
    void showPage(qint16 index);
    // The lowest index whose page is visible, or -1.
    int visiblePage() const;

    // Connects or disconnects ("connect", "disconnect", or "" to toggle), with or
    // without the connection dialog; the connection flow does the work.
    void ConnectChange(const QString &sKey = QString(), bool fShowDialog = true);
    ConnectionFlow *connectionFlow() const;
    GatewaySession *session() const { return m_session.get(); }

    MonitorFont monitorFont() const { return m_monitorFont; }
    void setMonitorFont(const MonitorFont &font);

    ConfigPages *configPages() const { return m_configPages; }
    ucProgress *progressStrip() const { return m_progress; }
    ucToolBar *toolBar() const { return m_toolBar; }
    MonitorPage *monitorPage() const { return m_monitor; }
    WriteQueue *writeQueue() const;
    // The frame of page index with its controls, built now if the page was
    // never shown; null for an index outside the pages.
    QFrame *page(int index) const;
    QString settingsFolder() const { return m_settingsFolder; }
    QString stylesFolder() const { return m_stylesFolder; }

    // The style sheet file of a skin list entry, or an empty text for "System".
    static QString skinFileName(int index);
    // The entry whose style sheet is applied now (SkinSystem when none is).
    int appliedSkin() const { return m_appliedSkin; }

    // The session's gateway link, for the life of the window.
    CSpooling *objSpool = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    QWidget *buildTopBar();
    QWidget *buildPageArea();
    void placeSaveButton();
    // Puts page index's controls into its frame, building them the first time.
    void buildPage(int index);

    void loadPreferences();
    void loadSkinPreference();
    void loadMonitorFont();
    void layoutPages();
    bool applySkin(int index);

    void ucToolBar_BtnClick(const QString &key);
    void cmbSkin_Click(int index);
    void cmdSAVE_Click();
    // Marks the toolbar keys of the pages whose values the gateway does not hold yet.
    void updateChangeMarks();
    // Says where the values on the pages came from: "gateway" or a file name.
    void showSource(const QString &source);
    void cmdAbout_Click();
    void cmdRefresh_Click();
    void cmbReset_Click();

    // Configuration files. Open puts a file's pages on the pages and holds them
    // against the gateway's reads; Save writes every page; Write all pages sends
    // the opened file's pages (or every page) to the gateway as one write.
    void cmdOpenFile_Click();
    void cmdSaveFile_Click();
    void cmdWriteAll_Click();
    // Compare: the pages against the gateway as last read, a file, or the
    // gateway as it is now (read without touching the pages).
    void compareWithGateway();
    void compareWithFile();
    void compareWithGatewayNow();
    void showDifferences(const QString &sideB, const QList<ConfigurationDiff::Difference> &differences);
    // Shows the field of a difference on its page and gives it the focus.
    void showField(int page, const QString &control, int row, int col);
    // "Preview saves": asks before a page save, showing what it changes; true to write.
    bool previewSave(int page);
    void preview_Toggled(bool checked);
    // Loads a configuration file; a refused one is shown in an error box with its line.
    std::optional<ConfigurationFile::Contents> loadFile(const QString &path);
    void openFile(const QString &path);
    void openRecentFile(const QString &path);
    // The chosen file's path (".gwcfg" added when it has no suffix), its folder
    // remembered for the next time; empty when cancelled.
    QString chooseFile(bool save);
    QStringList recentFiles() const;
    void storeRecentFiles(const QStringList &paths);
    void rememberFile(const QString &path);
    void fillRecentMenu();
    // Where the gateway last read was read from: "tcp:HOST:PORT" or "serial:DEVICE".
    QString linkSource() const;
    void onReadEnded(WriteQueue::Outcome outcome);
    void onWriteEnded(WriteQueue::Outcome outcome);
    void showMessage(const QString &text, const QString &title, QMessageBox::Icon icon);

    QString m_settingsFolder;
    QString m_stylesFolder;
    MessageBoxService &m_messages;

    ConfigPages *m_configPages = nullptr;
    ucToolBar *m_toolBar = nullptr;
    ucProgress *m_progress = nullptr;
    QFrame *framTOP = nullptr;
    QPushButton *cmbReset = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QToolButton *cmdFile = nullptr;
    QMenu *m_recentMenu = nullptr;
    QAction *actPreview = nullptr;
    // Set while a compare with the gateway as it is now waits for its read.
    bool m_comparingNow = false;
    QLabel *lblSource = nullptr;
    QLabel *lblESN = nullptr;
    QLabel *lblDate = nullptr;
    QComboBox *cmbSkin = nullptr;
    QPushButton *cmdAbout = nullptr;
    QWidget *m_pageArea = nullptr;
    std::array<QFrame *, kPageCount> framMenu {};
    QPushButton *cmdSAVE = nullptr;
    MonitorPage *m_monitor = nullptr;

    std::unique_ptr<MessageBoxQueueQuestions> m_questions;
    QTimer m_marksTimer;
    // Outlives every view of it: the window's body deletes the views first.
    std::unique_ptr<GatewaySession> m_session;

    std::function<QString(bool save, const QString &folder)> m_chooseFile;
    // The pages and header version of the file last opened, until the gateway
    // is read into the pages again.
    QList<int> m_filePages;
    QString m_fileVersion;
    // Where the last read from a gateway came from; empty before any.
    QString m_readSource;
    // A "Write all pages" is running.
    bool m_writingAll = false;

    QPointer<QWidget> m_splash;
    MonitorFont m_monitorFont;
    int m_appliedSkin = SkinSystem;
    // Whether a skin's sheet (or the system look) was applied since start-up began.
    bool m_skinApplied = false;
    bool m_started = false;
    bool m_askingToExit = false;
};
