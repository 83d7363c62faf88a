#include "frmprigroups.h"

#include "comparedialog.h"
#include "configpages.h"
#include "messageboxqueuequestions.h"

#include <configurationfile.h>
#include <writequeue.h>

#include <coolflex.h>
#include <cspooling.h>
#include <fieldcodecs.h>
#include <frmabout.h>
#include <frmconnectionselect.h>
#include <messageboxservice.h>
#include <monitorpage.h>
#include <programversion.h>
#include <protocol.h>
#include <settingsfile.h>
#include <settingslocation.h>
#include <ucprogress.h>
#include <uctoolbar.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace {

const QString kSectionSkin = QStringLiteral("SKIN");
const QString kKeySkinNum = QStringLiteral("num");

// Configuration files: the folder last used and the files recently opened or saved.
const QString kSectionFiles = QStringLiteral("Files");
const QString kSectionOptions = QStringLiteral("Options");
const QString kKeyPreviewSave = QStringLiteral("PreviewSave");
const QString kKeyFolder = QStringLiteral("Folder");
QString recentKey(int number)
{
    return QStringLiteral("Recent%1").arg(number);
}
const QString kFileFilter = QStringLiteral("Gateway configuration (*.gwcfg)");
const QString kSourceGateway = QStringLiteral("gateway");
const QString kNotConnected = QStringLiteral("The gateway not connected, you must to connect first.");

// The skin list, in list order, with each entry's style sheet in the Styles
// folder and the colours every widget shares, which go through the
// application's palette: a style sheet rule for all widgets would make the
// style sheet style match and restyle each of them.
struct SkinEntry
{
    const char *text;
    const char *file; // empty: the system's own look
    QRgb ink; // text of every kind
    QRgb selection; // background of selected text and items
    QRgb selectedInk;
};
constexpr SkinEntry kSkins[FrmPRIGroups::kSkinCount] = {
    {"Luna Skin", "Luna.qss", 0x1c1c1c, 0x316ac5, 0xffffff},
    {"Royale Skin", "Royale.qss", 0x16213a, 0x335ea8, 0xffffff},
    {"Office 2007 Skin", "Office2007.qss", 0x15305a, 0xffd66b, 0x15305a},
    {"Vista Skin", "Vista.qss", 0x1e2426, 0x3fa9b1, 0xffffff},
    {"System", "", 0, 0, 0},
};

// The palette of a skin: its ink for active and inactive windows (disabled
// controls take their colours from the skins' own rules), its selection
// colours, and placeholders in half-transparent ink.
QPalette skinPalette(const SkinEntry &skin)
{
    QPalette palette;
    const QColor ink(skin.ink);
    QColor placeholder = ink;
    placeholder.setAlpha((placeholder.alpha() + 1) / 2);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, ink);
        palette.setColor(group, QPalette::PlaceholderText, placeholder);
        palette.setColor(group, QPalette::Highlight, QColor(skin.selection));
        palette.setColor(group, QPalette::HighlightedText, QColor(skin.selectedInk));
    }
    return palette;
}

// The toolbar's page buttons by key, and the page each shows.
struct PageButton
{
    const char *key;
    int page;
};
constexpr PageButton kPageButtons[] = {
    {"main", Pages::PageFXO},
    {"isdn", Pages::PageFXS},
    {"system", Pages::PageGSM},
    {"call", Pages::PagePRF},
    {"groups", Pages::PageNumList},
    {"hst", Pages::PageSMS},
    {"tsl", Pages::PageTONE},
    {"dbg", Pages::PageDBG},
};

// The page a toolbar key shows (keys in lower case), or -1.
int pageOfButton(const QString &key)
{
    for (const PageButton &button : kPageButtons) {
        if (key == QLatin1String(button.key))
            return button.page;
    }
    return -1;
}

// Distance of "Save Data" from the lower right corner of the page area (pixels),
// and the strip below each configuration page that it stands in.
constexpr int kSaveButtonRightGap = 14;
constexpr int kSaveButtonBottomGap = 8;
constexpr int kSaveStripHeight = 46;
constexpr int kPageMargin = 4;

// The top bar's height: 480 twips.
constexpr int kTopBarHeight = 34;

// The most the "Values from" label takes of the top bar (pixels).
constexpr int kSourceWidth = 160;

// Labels that the gateway fills show blue text on every skin.
constexpr char kBlueLabelStyle[] = "color: rgb(0, 0, 255);";

} // namespace

FrmPRIGroups::FrmPRIGroups(QWidget *parent)
    : FrmPRIGroups(Options(), parent)
{ }

FrmPRIGroups::FrmPRIGroups(const Options &options, QWidget *parent)
    : QMainWindow(parent)
    , m_settingsFolder(options.settingsFolder.isEmpty() ? SettingsLocation::defaultFolder() : options.settingsFolder)
    , m_stylesFolder(options.stylesFolder.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/Styles")
                                                    : options.stylesFolder)
    , m_messages(options.messages ? *options.messages : WidgetMessageBoxService::instance())
    , m_chooseFile(options.chooseFile)
{
    setObjectName(QStringLiteral("FrmPRIGroups"));
    setWindowTitle(ProgramVersion::windowCaption());

    m_questions = std::make_unique<MessageBoxQueueQuestions>(m_messages, this);
    GatewaySession::Options sessionOptions;
    sessionOptions.settingsFolder = m_settingsFolder;
    sessionOptions.chooseConnection = options.chooseConnection;
    if (!sessionOptions.chooseConnection) {
        const QPointer<QWidget> owner(this);
        const QString folder = m_settingsFolder;
        MessageBoxService *messages = &m_messages;
        sessionOptions.chooseConnection = [owner, folder, messages] {
            return frmConnectionSelect::ask(owner, folder, messages);
        };
    }
    m_session = std::make_unique<GatewaySession>(*m_questions, sessionOptions);
    objSpool = &m_session->link();

    m_configPages = new ConfigPages(this);
    m_configPages->bindConfiguration(m_session->configuration());
    buildWindow();

    m_monitor->setLink(objSpool);
    m_progress->setConnectionState(m_session.get());
    m_session->setTrafficViews(m_monitor, m_monitor->relay());
    connect(m_session.get(), &GatewaySession::versionChanged, lblESN, &QLabel::setText);
    connect(m_session.get(), &GatewaySession::buttonCaptionChanged, m_toolBar, &ucToolBar::setButtonCaption);
    connect(m_session.get(), &GatewaySession::buttonEnabledChanged, m_toolBar, &ucToolBar::setButtonEnable);

    // The marks of pages with unwritten values follow every change of either
    // side, once per turn of the event loop however many values changed.
    m_marksTimer.setSingleShot(true);
    m_marksTimer.setInterval(0);
    connect(&m_marksTimer, &QTimer::timeout, this, &FrmPRIGroups::updateChangeMarks);
    const auto scheduleMarks = [this] { m_marksTimer.start(); };
    connect(&m_session->configuration(), &Configuration::valueChanged, this, scheduleMarks);
    connect(&m_session->configuration(), &Configuration::cellChanged, this, scheduleMarks);
    connect(m_session.get(), &GatewaySession::recordReceived, this, scheduleMarks);
    connect(m_session.get(), &GatewaySession::configurationReadStarted, this, scheduleMarks);

    connect(m_session.get(), &GatewaySession::readEnded, this, &FrmPRIGroups::onReadEnded);
    connect(m_session.get(), &GatewaySession::writeEnded, this, &FrmPRIGroups::onWriteEnded);

    fillRecentMenu();
}

void FrmPRIGroups::showSource(const QString &source)
{
    // A long file name is cut in the middle, so that the top bar keeps its
    // width; the tool tip shows it whole.
    lblSource->setText(lblSource->fontMetrics().elidedText(source, Qt::ElideMiddle, kSourceWidth));
    lblSource->setToolTip(source);
}

void FrmPRIGroups::updateChangeMarks()
{
    const QList<int> changed = m_session->changedPages();
    for (const PageButton &button : kPageButtons)
        m_toolBar->setButtonMarked(QString::fromLatin1(button.key), changed.contains(button.page));
}

FrmPRIGroups::~FrmPRIGroups()
{
    // The views go first, while the session they show is still there; the
    // session then closes the link as it goes.
    m_marksTimer.stop();
    m_progress->setConnectionState(nullptr);
    m_session->setTrafficViews(nullptr, nullptr);
    delete centralWidget();
}

ConnectionFlow *FrmPRIGroups::connectionFlow() const
{
    return &m_session->flow();
}

WriteQueue *FrmPRIGroups::writeQueue() const
{
    return &m_session->queue();
}

void FrmPRIGroups::buildWindow()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_toolBar = new ucToolBar(central);
    m_toolBar->setObjectName(QStringLiteral("ucToolBar"));
    connect(m_toolBar, &ucToolBar::BtnClick, this, &FrmPRIGroups::ucToolBar_BtnClick);

    m_progress = new ucProgress(m_session->clock(), central);
    m_progress->setObjectName(QStringLiteral("ucProgress"));

    column->addWidget(m_toolBar);
    column->addWidget(buildTopBar());
    column->addWidget(buildPageArea(), 1);
    column->addWidget(m_progress);
    setCentralWidget(central);

    QSize size = kDefaultSize;
    if (const QScreen *target = QGuiApplication::primaryScreen())
        size = size.boundedTo(target->availableGeometry().size());
    resize(size);
}

QWidget *FrmPRIGroups::buildTopBar()
{
    framTOP = new QFrame;
    framTOP->setObjectName(QStringLiteral("framTOP"));
    framTOP->setFrameShape(QFrame::NoFrame);
    framTOP->setFixedHeight(kTopBarHeight);

    cmbReset = new QPushButton(QStringLiteral("Restart gateway"), framTOP);
    cmbReset->setObjectName(QStringLiteral("cmbReset"));
    connect(cmbReset, &QPushButton::clicked, this, &FrmPRIGroups::cmbReset_Click);

    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), framTOP);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    connect(cmdRefresh, &QPushButton::clicked, this, &FrmPRIGroups::cmdRefresh_Click);

    // The configuration file's commands share one menu button, so that the top
    // bar keeps the width the window had before them.
    cmdFile = new QToolButton(framTOP);
    cmdFile->setObjectName(QStringLiteral("cmdFile"));
    cmdFile->setText(QStringLiteral("File"));
    cmdFile->setAccessibleName(QStringLiteral("File"));
    cmdFile->setToolTip(QStringLiteral("Open, save, write, compare and preview configuration files"));
    cmdFile->setPopupMode(QToolButton::InstantPopup);
    auto *fileMenu = new QMenu(cmdFile);
    fileMenu->setObjectName(QStringLiteral("mnuFile"));
    // The file commands work from every page: their shortcuts are the window's.
    const auto windowAction = [this](const QString &text, const QString &name, Qt::Key key,
                                  void (FrmPRIGroups::*slot)()) {
        auto *action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(QKeySequence(Qt::CTRL | key));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        return action;
    };
    QAction *openAction = windowAction(
        QStringLiteral("Open file..."), QStringLiteral("actOpenFile"), Qt::Key_O, &FrmPRIGroups::cmdOpenFile_Click);
    QAction *saveAction = windowAction(
        QStringLiteral("Save to file..."), QStringLiteral("actSaveFile"), Qt::Key_S, &FrmPRIGroups::cmdSaveFile_Click);
    fileMenu->addAction(openAction);
    m_recentMenu = fileMenu->addMenu(QStringLiteral("Open recent"));
    m_recentMenu->setObjectName(QStringLiteral("mnuRecentFiles"));
    fileMenu->addAction(saveAction);
    fileMenu->addSeparator();
    QAction *writeAll = fileMenu->addAction(QStringLiteral("Write all pages"), this, &FrmPRIGroups::cmdWriteAll_Click);
    writeAll->setObjectName(QStringLiteral("actWriteAll"));
    QMenu *compareMenu = fileMenu->addMenu(QStringLiteral("Compare"));
    compareMenu->setObjectName(QStringLiteral("mnuCompare"));
    compareMenu->addAction(QStringLiteral("With the gateway as last read"), this, &FrmPRIGroups::compareWithGateway)
        ->setObjectName(QStringLiteral("actCompareGateway"));
    compareMenu->addAction(QStringLiteral("With a file..."), this, &FrmPRIGroups::compareWithFile)
        ->setObjectName(QStringLiteral("actCompareFile"));
    compareMenu->addAction(QStringLiteral("With the gateway as it is now"), this, &FrmPRIGroups::compareWithGatewayNow)
        ->setObjectName(QStringLiteral("actCompareNow"));
    fileMenu->addSeparator();
    actPreview = fileMenu->addAction(QStringLiteral("Preview saves"));
    actPreview->setObjectName(QStringLiteral("actPreview"));
    actPreview->setCheckable(true);
    actPreview->setToolTip(QStringLiteral("Show what Save Data will change before it writes"));
    connect(actPreview, &QAction::toggled, this, &FrmPRIGroups::preview_Toggled);
    cmdFile->setMenu(fileMenu);

    auto *lblSourceCaption = new QLabel(QStringLiteral("Values from:"), framTOP);
    lblSourceCaption->setObjectName(QStringLiteral("lblSourceCaption"));
    lblSource = new QLabel(framTOP);
    lblSource->setObjectName(QStringLiteral("lblSource"));
    lblSource->setAccessibleName(QStringLiteral("Values from"));
    lblSource->setStyleSheet(QString::fromLatin1(kBlueLabelStyle));
    lblSource->setTextFormat(Qt::PlainText);
    lblSource->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *lblVersionCaption = new QLabel(QStringLiteral("Version:"), framTOP);
    lblVersionCaption->setObjectName(QStringLiteral("lblVersionCaption"));

    lblESN = new QLabel(framTOP);
    lblESN->setObjectName(QStringLiteral("lblESN"));
    lblESN->setStyleSheet(QString::fromLatin1(kBlueLabelStyle));
    lblESN->setMinimumWidth(220);
    lblESN->setTextFormat(Qt::PlainText);
    lblESN->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lblDate = new QLabel(framTOP);
    lblDate->setObjectName(QStringLiteral("lblDate"));
    lblDate->setStyleSheet(QString::fromLatin1(kBlueLabelStyle));
    lblDate->setTextFormat(Qt::PlainText);

    cmbSkin = new QComboBox(framTOP);
    cmbSkin->setObjectName(QStringLiteral("cmbSkin"));
    cmbSkin->setAccessibleName(QStringLiteral("Skin"));
    for (const SkinEntry &skin : kSkins)
        cmbSkin->addItem(QString::fromLatin1(skin.text));
    // Nothing is selected until the preferences choose, so that choosing any entry,
    // the first one too, applies its skin.
    cmbSkin->setCurrentIndex(-1);
    connect(cmbSkin, &QComboBox::currentIndexChanged, this, &FrmPRIGroups::cmbSkin_Click);

    cmdAbout = new QPushButton(QStringLiteral("About"), framTOP);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    connect(cmdAbout, &QPushButton::clicked, this, &FrmPRIGroups::cmdAbout_Click);

    auto *row = new QHBoxLayout(framTOP);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(6);
    row->addWidget(cmbReset);
    row->addWidget(cmdRefresh);
    row->addWidget(cmdFile);
    row->addSpacing(16);
    row->addWidget(lblSourceCaption);
    row->addWidget(lblSource);
    row->addSpacing(16);
    row->addWidget(lblVersionCaption);
    row->addWidget(lblESN);
    row->addWidget(lblDate);
    row->addStretch(1);
    row->addWidget(cmbSkin);
    row->addWidget(cmdAbout);
    return framTOP;
}

QWidget *FrmPRIGroups::buildPageArea()
{
    m_pageArea = new QWidget;
    m_pageArea->setObjectName(QStringLiteral("pageArea"));
    auto *stack = new QGridLayout(m_pageArea);
    stack->setContentsMargins(3, 3, 3, 3);

    for (int index = 0; index < kPageCount; ++index) {
        auto *frame = new QFrame(m_pageArea);
        frame->setObjectName(QStringLiteral("framMenu_%1").arg(index));
        frame->setFrameShape(QFrame::NoFrame);
        auto *frameLayout = new QVBoxLayout(frame);
        // Configuration pages leave a strip free at the bottom for "Save Data", so
        // that the button never covers a control, however far the page scrolls.
        const int bottomMargin = index == ConfigPages::PageDBG ? kPageMargin : kSaveStripHeight;
        frameLayout->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, bottomMargin);
        // A configuration page's controls are built when it is first shown.
        if (index == ConfigPages::PageDBG) {
            // The traffic monitor; the link is handed to it once it exists.
            // Its controls are built when the page is first shown; the log and
            // its switches work before that.
            m_monitor = new MonitorPage(
                nullptr, m_messages, m_settingsFolder, frame, {}, MonitorPage::Build::WhenShown);
            m_monitor->setObjectName(QStringLiteral("DBG"));
            connect(m_monitor, &MonitorPage::monitorFontChanged, this,
                [this](const MonitorFont &font) { m_monitorFont = font; });
            frameLayout->addWidget(m_monitor, 1);
        }
        // Pages stay hidden until start-up shows the first one.
        frame->setVisible(false);
        stack->addWidget(frame, 0, 0);
        framMenu[index] = frame;
    }

    cmdSAVE = new QPushButton(QStringLiteral("Save Data"), m_pageArea);
    cmdSAVE->setObjectName(QStringLiteral("cmdSAVE"));
    cmdSAVE->setMinimumSize(110, 30);
    connect(cmdSAVE, &QPushButton::clicked, this, &FrmPRIGroups::cmdSAVE_Click);
    m_pageArea->installEventFilter(this);
    return m_pageArea;
}

bool FrmPRIGroups::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pageArea && event->type() == QEvent::Resize)
        placeSaveButton();
    return QMainWindow::eventFilter(watched, event);
}

void FrmPRIGroups::placeSaveButton()
{
    // The skin decides the button's padding and font, so its size follows the hint.
    const QSize size = cmdSAVE->sizeHint().expandedTo(cmdSAVE->minimumSize());
    cmdSAVE->resize(size);
    cmdSAVE->move(m_pageArea->width() - size.width() - kSaveButtonRightGap,
        m_pageArea->height() - size.height() - kSaveButtonBottomGap);
    cmdSAVE->raise();
}

QFrame *FrmPRIGroups::page(int index) const
{
    if (index < 0 || index >= kPageCount)
        return nullptr;
    // Building a page adds views of the configuration, not values.
    const_cast<FrmPRIGroups *>(this)->buildPage(index);
    return framMenu[index];
}

QString FrmPRIGroups::skinFileName(int index)
{
    return index >= 0 && index < kSkinCount ? QString::fromLatin1(kSkins[index].file) : QString();
}

// Start-up --------------------------------------------------------------------

void FrmPRIGroups::startUp(QWidget *splash)
{
    if (m_started)
        return;
    m_started = true;
    m_splash = splash;

    // The console starts in the Office 2007 skin, which the stored skin then
    // replaces when its sheet loads. Applied only where the stored one did not
    // take its place, so that start-up pays for one style sheet, not two.
    m_skinApplied = false;
    loadPreferences();
    if (!m_skinApplied)
        applySkin(kDefaultSkin);

    // Shown before the splash goes: closing the only visible window would end
    // the program.
    show();
    if (m_splash)
        m_splash->close();
}

void FrmPRIGroups::loadPreferences()
{
    m_configPages->prepareForStartup();
    {
        // Off unless stored on, so that Save Data writes at once as it always has.
        SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
        const QSignalBlocker quiet(actPreview);
        actPreview->setChecked(settings.value(kSectionOptions, kKeyPreviewSave) == QLatin1String("1"));
    }
    loadSkinPreference();
    loadMonitorFont();
    layoutPages();
    m_session->flow().fLinkActive = false;
    // "Set Filter" with the still empty filter input, then the input histories.
    m_monitor->startUp();
}

void FrmPRIGroups::loadSkinPreference()
{
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    const QString stored = settings.value(kSectionSkin, kKeySkinNum);
    if (stored.isEmpty()) {
        settings.setValue(kSectionSkin, kKeySkinNum, QString::number(kDefaultSkin));
        cmbSkin->setCurrentIndex(kDefaultSkin);
        return;
    }
    // A stored number that names no entry selects nothing: the list stays without
    // a selection, so that choosing any entry stores its number, and the file
    // keeps what it holds.
    const std::optional<std::int16_t> index = FieldCodecs::toInt16(FieldCodecs::numericValue(stored));
    if (index && *index >= 0 && *index < kSkinCount)
        cmbSkin->setCurrentIndex(*index);
}

void FrmPRIGroups::loadMonitorFont()
{
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    const QString section = QString::fromLatin1(MonitorFont::kSection);
    m_monitorFont.FontName = settings.value(section, QString::fromLatin1(MonitorFont::kNameKey));
    m_monitorFont.FontSize = settings.value(section, QString::fromLatin1(MonitorFont::kSizeKey));
    m_monitorFont.FontBold = settings.value(section, QString::fromLatin1(MonitorFont::kBoldKey));
    // An empty value takes its default, in the order bold, size, name.
    const MonitorFont defaults;
    if (m_monitorFont.FontBold.isEmpty())
        m_monitorFont.FontBold = defaults.FontBold;
    if (m_monitorFont.FontSize.isEmpty())
        m_monitorFont.FontSize = defaults.FontSize;
    if (m_monitorFont.FontName.isEmpty())
        m_monitorFont.FontName = defaults.FontName;
    m_monitor->setMonitorFont(m_monitorFont);
}

void FrmPRIGroups::setMonitorFont(const MonitorFont &font)
{
    m_monitorFont = font;
    m_monitor->setMonitorFont(font);
}

void FrmPRIGroups::layoutPages()
{
    for (QFrame *frame : framMenu)
        frame->setVisible(false);
    showPage(ConfigPages::PageFXO);
    m_configPages->setupTables();
}

// Pages and toolbar -----------------------------------------------------------

void FrmPRIGroups::buildPage(int index)
{
    if (index == ConfigPages::PageDBG) {
        m_monitor->ensureBuilt();
        return;
    }
    auto *column = qobject_cast<QVBoxLayout *>(framMenu[index]->layout());
    if (!column || !column->isEmpty())
        return;
    // Made in its frame, so that nothing on it moves under a styled parent later.
    if (QWidget *content = m_configPages->page(index, framMenu[index]))
        column->addWidget(content, 1);
}

void FrmPRIGroups::showPage(qint16 index)
{
    if (index < 0 || index >= kPageCount)
        return;
    buildPage(index);
    for (int other = 0; other < kPageCount; ++other) {
        if (other != index)
            framMenu[other]->setVisible(false);
    }
    framMenu[index]->setVisible(true);
    cmdSAVE->raise();
}

int FrmPRIGroups::visiblePage() const
{
    for (int index = 0; index < kPageCount; ++index) {
        if (!framMenu[index]->isHidden())
            return index;
    }
    return -1;
}

void FrmPRIGroups::ucToolBar_BtnClick(const QString &key)
{
    cmdSAVE->setVisible(true);
    const QString lowerKey = key.toLower();
    const bool monitorShown = !framMenu[ConfigPages::PageDBG]->isHidden();

    if (lowerKey == QLatin1String("connect")) {
        if (monitorShown)
            cmdSAVE->setVisible(false);
        ConnectChange(QString(), true);
    } else if (const int page = pageOfButton(lowerKey); page >= 0 && page != ConfigPages::PageDBG) {
        showPage(static_cast<qint16>(page));
    } else if (lowerKey == QLatin1String("dbg")) {
        showPage(ConfigPages::PageDBG);
        cmdSAVE->setVisible(false);
    } else if (lowerKey == QLatin1String("exit")) {
        if (monitorShown)
            cmdSAVE->setVisible(false);
        close();
    }
    cmdSAVE->raise();
}

void FrmPRIGroups::ConnectChange(const QString &sKey, bool fShowDialog)
{
    m_session->connectChange(sKey, fShowDialog);
}

// Skins -----------------------------------------------------------------------

void FrmPRIGroups::cmbSkin_Click(int index)
{
    if (index < 0)
        return;
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    settings.setValue(kSectionSkin, kKeySkinNum, QString::number(index));
    applySkin(index);
}

bool FrmPRIGroups::applySkin(int index)
{
    const QString fileName = skinFileName(index);
    if (fileName.isEmpty()) {
        // The sheet goes first, as it gives back the palettes it changed; a
        // default palette then gives every role back to the style. A palette
        // the sheet gave back was resolved against the skin's, so widgets with
        // no palette of their own resolve theirs afresh.
        qApp->setStyleSheet(QString());
        QApplication::setPalette(QPalette());
        const QWidgetList widgets = QApplication::allWidgets();
        for (QWidget *widget : widgets) {
            if (!widget->testAttribute(Qt::WA_SetPalette))
                widget->setPalette(QPalette());
        }
        m_appliedSkin = SkinSystem;
        m_skinApplied = true;
        placeSaveButton();
        return true;
    }
    QFile file(m_stylesFolder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QString styleSheet = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return false;
    // The same sheet again restyles every widget for nothing.
    QApplication::setPalette(skinPalette(kSkins[index]));
    if (qApp->styleSheet() != styleSheet)
        qApp->setStyleSheet(styleSheet);
    m_appliedSkin = index;
    m_skinApplied = true;
    placeSaveButton();
    return true;
}

// Top bar and About -----------------------------------------------------------

void FrmPRIGroups::cmdAbout_Click()
{
    frmAbout about(this);
    about.setText(frmAbout::composeText());
    about.exec();
}

void FrmPRIGroups::cmdRefresh_Click()
{
    // The session lets go of opened values: the pages show the gateway again.
    m_session->refresh();
    m_filePages.clear();
    m_fileVersion.clear();
    showSource(kSourceGateway);
}

void FrmPRIGroups::cmbReset_Click()
{
    m_session->restartGateway();
}

// Save Data -------------------------------------------------------------------

void FrmPRIGroups::cmdSAVE_Click()
{
    if (!objSpool->isConnected()) {
        showMessage(kNotConnected, QStringLiteral("info"), QMessageBox::Information);
        return;
    }

    const int index = visiblePage();
    if (index < 0 || index == ConfigPages::PageDBG)
        return;

    const ConfigPages::SaveRecords records = m_configPages->buildSave(index);
    if (!records.refusal.isEmpty()) {
        // Nothing of the page is written when one of its rows cannot be.
        showMessage(records.refusal, QStringLiteral("info"), QMessageBox::Information);
        return;
    }
    if (records.entries.isEmpty())
        return;
    if (actPreview->isChecked() && !previewSave(index))
        return;
    m_session->write(records.entries, QStringLiteral("write"), kPageSaveStep);
}

bool FrmPRIGroups::previewSave(int page)
{
    const QList<ConfigurationDiff::Difference> differences = ConfigurationDiff::differences(
        m_session->configuration().values(), m_session->gatewayValues(), {page});
    CompareDialog preview(CompareDialog::Mode::Preview,
        QStringLiteral("Save %1").arg(ConfigurationDiff::pageTitle(page)), QStringLiteral("Pages"),
        QStringLiteral("Gateway"), differences, this);
    connect(&preview, &CompareDialog::fieldActivated, this, &FrmPRIGroups::showField);
    return preview.exec() == QDialog::Accepted;
}

void FrmPRIGroups::preview_Toggled(bool checked)
{
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    settings.setValue(kSectionOptions, kKeyPreviewSave, checked ? QStringLiteral("1") : QStringLiteral("0"));
}

// Compare ---------------------------------------------------------------------

void FrmPRIGroups::compareWithGateway()
{
    showDifferences(QStringLiteral("Gateway"),
        ConfigurationDiff::differences(m_session->configuration().values(), m_session->gatewayValues()));
}

void FrmPRIGroups::compareWithFile()
{
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return;
    const std::optional<ConfigurationFile::Contents> contents = loadFile(path);
    if (!contents)
        return;
    // Only the pages the file holds are compared.
    showDifferences(QFileInfo(path).fileName(),
        ConfigurationDiff::differences(m_session->configuration().values(), contents->values, contents->pages));
}

void FrmPRIGroups::compareWithGatewayNow()
{
    if (!objSpool->isConnected()) {
        showMessage(kNotConnected, QStringLiteral("info"), QMessageBox::Information);
        return;
    }
    if (m_comparingNow || !m_session->readGateway())
        return;
    m_comparingNow = true;
}

void FrmPRIGroups::showDifferences(const QString &sideB, const QList<ConfigurationDiff::Difference> &differences)
{
    CompareDialog dialog(CompareDialog::Mode::Compare, QStringLiteral("Compare"), QStringLiteral("Pages"), sideB,
        differences, this);
    connect(&dialog, &CompareDialog::fieldActivated, this, &FrmPRIGroups::showField);
    dialog.exec();
}

void FrmPRIGroups::showField(int page, const QString &control, int row, int col)
{
    for (const PageButton &button : kPageButtons) {
        if (button.page == page) {
            if (QAction *key = m_toolBar->button(QString::fromLatin1(button.key)))
                key->trigger();
        }
    }
    if (row > 0) {
        if (auto *grid = findChild<CoolFlex *>(control)) {
            grid->grid()->setCurrentIndex(grid->grid()->model()->index(row, col));
            grid->grid()->setFocus();
        }
    } else if (auto *widget = findChild<QWidget *>(control)) {
        widget->setFocus();
    }
}

// Configuration files ---------------------------------------------------------

void FrmPRIGroups::showMessage(const QString &text, const QString &title, QMessageBox::Icon icon)
{
    MessageRequest message;
    message.text = text;
    message.title = title;
    message.icon = icon;
    m_messages.show(this, message);
}

QString FrmPRIGroups::chooseFile(bool save)
{
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    const QString folder = settings.value(kSectionFiles, kKeyFolder);
    QString path;
    if (m_chooseFile) {
        path = m_chooseFile(save, folder);
    } else {
        QFileDialog dialog(this, save ? QStringLiteral("Save to file") : QStringLiteral("Open file"), folder, kFileFilter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QString::fromLatin1(ConfigurationFile::kSuffix));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty())
        return {};
    if (save && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QString::fromLatin1(ConfigurationFile::kSuffix);
    settings.setValue(kSectionFiles, kKeyFolder, QFileInfo(path).absolutePath());
    return path;
}

QStringList FrmPRIGroups::recentFiles() const
{
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    QStringList paths;
    for (int number = 1; number <= kRecentFileCount; ++number) {
        const QString path = settings.value(kSectionFiles, recentKey(number));
        if (!path.isEmpty() && !paths.contains(path))
            paths << path;
    }
    return paths;
}

void FrmPRIGroups::storeRecentFiles(const QStringList &paths)
{
    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    for (int number = 1; number <= kRecentFileCount; ++number)
        settings.setValue(kSectionFiles, recentKey(number), paths.value(number - 1));
    fillRecentMenu();
}

void FrmPRIGroups::rememberFile(const QString &path)
{
    QStringList paths = recentFiles();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    storeRecentFiles(paths.mid(0, kRecentFileCount));
}

void FrmPRIGroups::fillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList paths = recentFiles();
    for (const QString &path : paths) {
        QAction *entry = m_recentMenu->addAction(QDir::toNativeSeparators(path));
        connect(entry, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    if (paths.isEmpty())
        m_recentMenu->addAction(QStringLiteral("No recent files"))->setEnabled(false);
}

void FrmPRIGroups::cmdOpenFile_Click()
{
    const QString path = chooseFile(false);
    if (!path.isEmpty())
        openFile(path);
}

void FrmPRIGroups::openRecentFile(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        QStringList paths = recentFiles();
        paths.removeAll(path);
        storeRecentFiles(paths);
        showMessage(QStringLiteral("The file %1 no longer exists; it is taken off the recent files.")
                        .arg(QDir::toNativeSeparators(path)),
            QStringLiteral("Open file"), QMessageBox::Warning);
        return;
    }
    openFile(path);
}

std::optional<ConfigurationFile::Contents> FrmPRIGroups::loadFile(const QString &path)
{
    ConfigurationFile::ReadResult read = ConfigurationFile::load(path);
    if (!read.contents) {
        showMessage(QStringLiteral("The file %1 cannot be opened.\n%2").arg(QDir::toNativeSeparators(path), read.error),
            QStringLiteral("Error"), QMessageBox::Critical);
    }
    return std::move(read.contents);
}

void FrmPRIGroups::openFile(const QString &path)
{
    const std::optional<ConfigurationFile::Contents> read = loadFile(path);
    if (!read)
        return;
    const ConfigurationFile::Contents &contents = *read;
    // The file's pages take its records; the pages it does not hold keep what they show.
    QString refusal;
    const QList<QueueEntry> entries = ConfigurationFile::records(contents.values, contents.pages, &refusal);
    ConfigurationValues values = m_session->configuration().values();
    for (const QueueEntry &entry : entries) {
        if (const auto fields = FieldCodecs::splitString(entry.Cmd.mid(3), QLatin1Char(',')))
            values.applyRecord(entry.Cmd.left(3), *fields);
    }
    // Held first, so that a read under way cannot put the gateway's values back.
    m_session->holdConfiguration(true);
    m_session->configuration().setValues(values);
    m_filePages = contents.pages;
    m_fileVersion = contents.header.version;
    showSource(QFileInfo(path).fileName());
    rememberFile(path);
}

void FrmPRIGroups::cmdSaveFile_Click()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    ConfigurationFile::Header header;
    header.version = m_session->version();
    header.source = m_readSource;
    QString error;
    const QByteArray bytes = ConfigurationFile::compose(m_session->configuration(), header, &error);
    if (bytes.isEmpty() || !ConfigurationFile::save(path, bytes, &error)) {
        showMessage(error, QStringLiteral("Error"), QMessageBox::Critical);
        return;
    }
    rememberFile(path);
}

void FrmPRIGroups::cmdWriteAll_Click()
{
    if (!objSpool->isConnected()) {
        showMessage(kNotConnected, QStringLiteral("info"), QMessageBox::Information);
        return;
    }
    const QList<int> pages = !m_filePages.isEmpty()
        ? m_filePages
        : QList<int>(ConfigurationFile::kPageOrder.begin(), ConfigurationFile::kPageOrder.end());
    QString refusal;
    const QList<QueueEntry> entries = ConfigurationFile::records(m_session->configuration(), pages, &refusal);
    if (entries.isEmpty()) {
        // Nothing is written when one of the pages cannot be.
        if (!refusal.isEmpty())
            showMessage(refusal, QStringLiteral("info"), QMessageBox::Information);
        return;
    }
    const QString version = m_session->version();
    if (!m_fileVersion.isEmpty() && m_fileVersion != version) {
        MessageRequest question;
        question.text = QStringLiteral("The file was read from a gateway reporting \"%1\"; this gateway reports "
                                       "\"%2\". Write the file's pages anyway?")
                            .arg(m_fileVersion, version);
        question.title = QStringLiteral("Write all pages");
        question.icon = QMessageBox::Warning;
        question.buttons = QMessageBox::Yes | QMessageBox::No;
        question.defaultButton = QMessageBox::No;
        if (m_messages.show(this, question) != QMessageBox::Yes)
            return;
    }
    m_writingAll = m_session->write(entries, QStringLiteral("write"), kPageSaveStep);
}

QString FrmPRIGroups::linkSource() const
{
    if (objSpool->ConnectMode == Protocol::kModeNet)
        return QStringLiteral("tcp:%1:%2").arg(objSpool->host()).arg(objSpool->port());
    if (objSpool->ConnectMode == Protocol::kModeSerial)
        return QStringLiteral("serial:%1").arg(objSpool->devicePath());
    return {};
}

void FrmPRIGroups::onReadEnded(WriteQueue::Outcome outcome)
{
    m_readSource = linkSource();
    // A compare with the gateway as it is now read into the gateway's values only.
    if (m_comparingNow) {
        m_comparingNow = false;
        if (outcome == WriteQueue::Outcome::Complete) {
            showDifferences(QStringLiteral("Gateway now"),
                ConfigurationDiff::differences(m_session->configuration().values(), m_session->gatewayValues()));
        }
        return;
    }
    // A held configuration keeps the opened file's values; otherwise the pages
    // now show the gateway's.
    if (m_session->isHoldingConfiguration())
        return;
    m_filePages.clear();
    m_fileVersion.clear();
    showSource(kSourceGateway);
}

void FrmPRIGroups::onWriteEnded(WriteQueue::Outcome outcome)
{
    if (!m_writingAll)
        return;
    m_writingAll = false;
    // The gateway holds what the pages show: its reads may show on them again.
    if (outcome == WriteQueue::Outcome::Complete)
        m_session->holdConfiguration(false);
}

// Exit ------------------------------------------------------------------------

void FrmPRIGroups::closeEvent(QCloseEvent *event)
{
    // A second request while the question is open would ask again over it.
    if (m_askingToExit) {
        event->ignore();
        return;
    }
    MessageRequest question;
    question.text = QStringLiteral("Do you really want to exit the software?");
    question.title = QStringLiteral("Exit");
    question.icon = QMessageBox::Warning;
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    m_askingToExit = true;
    const QMessageBox::StandardButton answer = m_messages.show(this, question);
    m_askingToExit = false;
    if (answer != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    // The link closes its port or socket when it is destroyed with the window; no
    // close command goes to the gateway.
    if (m_splash)
        m_splash->close();
    event->accept();
}
