#pragma once

#include "queueentry.h"

#include <connectionstate.h>
#include <ilinkowner.h>
#include <ilinkprogress.h>
#include <ilinktoolbar.h>
#include <ireplysink.h>

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <QString>

#include <array>
#include <chrono>

class CSpooling;
class ConfigPages;
class MessageBoxService;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class ucProgress;
class ucToolBar;

// The console's main window: the toolbar, the top bar, the eight stacked pages
// with "Save Data", and the progress strip. It owns the gateway link objSpool and
// is the place where the link, the pages, the strip and the toolbar are wired
// together; each of them does its own work.
class FrmPRIGroups : public QMainWindow,
                     private ILinkOwner,
                     private ILinkProgress,
                     private ILinkToolbar,
                     private IReplySink,
                     private ConnectionState
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
    static constexpr int kPageCount = 8;

    static constexpr std::chrono::milliseconds kPageSaveStep {5000};
    static constexpr QSize kDefaultSize {1100, 800};

    // Where the window keeps its files and how it asks the operator. Empty or
    // null members take the program's own: the settings folder of
    // SettingsLocation, the Styles folder beside the program, real message boxes.
    struct Options
    {
        QString settingsFolder;
        QString stylesFolder;
        MessageBoxService *messages = nullptr;
    };

    // The monitor log's font as stored in "DBGFont": a name, a size in points as
    // decimal text and a bold flag "1" or "0".
    struct MonitorFont
    {
        QString FontName;
        QString FontSize;
        QString FontBold;

        friend bool operator==(const MonitorFont &, const MonitorFont &) = default;
    };

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
    // without the connection dialog.
    void ConnectChange(const QString &sKey = QString(), bool fShowDialog = true);

    MonitorFont monitorFont() const { return m_monitorFont; }
    void setMonitorFont(const MonitorFont &font) { m_monitorFont = font; }

    ConfigPages *configPages() const { return m_configPages; }
    ucProgress *progressStrip() const { return m_progress; }
    ucToolBar *toolBar() const { return m_toolBar; }
    QFrame *page(int index) const;
    QString settingsFolder() const { return m_settingsFolder; }
    QString stylesFolder() const { return m_stylesFolder; }

    // The style sheet file of a skin list entry, or an empty text for "System".
    static QString skinFileName(int index);
    // The entry whose style sheet is applied now (SkinSystem when none is).
    int appliedSkin() const { return m_appliedSkin; }

    // The gateway link, for the life of the window.
    CSpooling *objSpool = nullptr;

    // Fields of the connection flow, filled from the connection dialog.
    bool fLinkActive = false;
    QString connMode;
    QString g_Pass;
    QString g_Login = QStringLiteral("0");
    QString g_Server = QStringLiteral("0");
    QString g_UnitID;
    QString g_OPT_MDM;

    // The commands of the current write, the entry awaiting its answer, and the
    // flag set when the gateway confirmed it.
    QList<QueueEntry> g_Queue;
    qint16 g_QueueCount = 0;
    qint16 g_QueueIndex = 0;
    bool g_WriteOK = false;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    QWidget *buildTopBar();
    QWidget *buildPageArea();
    void placeSaveButton();

    void loadPreferences();
    void loadSkinPreference();
    void loadMonitorFont();
    void layoutPages();
    bool applySkin(int index);

    void ucToolBar_BtnClick(const QString &key);
    void cmbSkin_Click(int index);
    void cmdSAVE_Click();
    void cmdAbout_Click();
    void cmdRefresh_Click();
    void cmbReset_Click();

    // Replaces the write queue with entries and sends the first one.
    void startWrite(const QList<QueueEntry> &entries, const QString &sKey, std::chrono::milliseconds timeOut);

    // ILinkOwner
    QString serverFlag() const override { return g_Server; }
    void showOpenError(const QString &description) override;
    // ILinkProgress
    void setPanelText(const QString &sText) override;
    void StartServer() override;
    void StartProgress(const QString &sKey) override;
    // ILinkToolbar
    void setButtonCaption(const QString &key, const QString &sCaption) override;
    // IReplySink
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields) override;
    void setVersion(const QString &text) override;
    void setWriteOK(bool isOK) override;
    // ConnectionState
    bool isConnected() const override;

    QString m_settingsFolder;
    QString m_stylesFolder;
    MessageBoxService &m_messages;

    ConfigPages *m_configPages = nullptr;
    ucToolBar *m_toolBar = nullptr;
    ucProgress *m_progress = nullptr;
    QFrame *framTOP = nullptr;
    QPushButton *cmbReset = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QLabel *lblESN = nullptr;
    QLabel *lblDate = nullptr;
    QComboBox *cmbSkin = nullptr;
    QPushButton *cmdAbout = nullptr;
    QWidget *m_pageArea = nullptr;
    std::array<QFrame *, kPageCount> framMenu {};
    QPushButton *cmdSAVE = nullptr;

    QPointer<QWidget> m_splash;
    MonitorFont m_monitorFont;
    int m_appliedSkin = SkinSystem;
    bool m_started = false;
    bool m_askingToExit = false;
};
