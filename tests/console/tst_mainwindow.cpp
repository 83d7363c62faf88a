#include <accessiblenames.h>
#include <autocombo.h>
#include <configpages.h>
#include <configuration.h>
#include <configurationdiff.h>
#include <coolflex.h>
#include <cspooling.h>
#include <frmabout.h>
#include <frmprigroups.h>
#include <frmsplash.h>
#include <gatewaysession.h>
#include <monitorpage.h>
#include <scriptedmessageboxes.h>
#include <settingsfile.h>
#include <settingslocation.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpSkinPreference_data();
    void startUpSkinPreference();
    void startUpShowsFxoPage();
    void startUpMonitorFont_data();
    void startUpMonitorFont();

    void toolbarKeys_data();
    void toolbarKeys();
    void saveDataHiddenOnDebugOnly();
    void connectOnDebugKeepsSaveDataHidden();

    void skinSwitchAppliesAndRemembers();
    void unreadableSkinKeepsPreviousLook();
    void shippedStyleSheetsParse_data();
    void shippedStyleSheetsParse();
    void pagesBuiltWhenFirstShownHoldEarlierValues();

    void inputsNamedByTheirLabels();
    void pageButtonsByAccessibleAction();

    void exitQuestion_data();
    void exitQuestion();

    void saveWhileDisconnected();
    void saveOnDebugPageSendsNothing();
    void saveSendsFirstRecordOfVisiblePage();
    void refreshAndRestartCommands();
    void versionLineSetsLabel();

    void splashShowsVersionAndGoesAway();
    void aboutShowsVersionAndEscapeCloses();

private:
    std::unique_ptr<FrmPRIGroups> makeWindow(const QString &stylesFolder = QString());
    void storeSetting(const QString &section, const QString &key, const QString &value);
    QString storedSetting(const QString &section, const QString &key);
    static QString shippedSheet(const QString &fileName);
    void connectLink(FrmPRIGroups &window, QTcpServer &server, QTcpSocket *&peer);
    void expectNextLine(FrmPRIGroups &window, QTcpSocket &peer);

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessageBoxes m_messages;
};

void tst_MainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = ScriptedMessageBoxes();
}

void tst_MainWindow::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
    qApp->setStyleSheet(QString());
    const QWidgetList leftOver = QApplication::topLevelWidgets();
    for (QWidget *widget : leftOver) {
        // Qt keeps some hidden helper windows; only a shown one is a leftover.
        QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
    }
}

std::unique_ptr<FrmPRIGroups> tst_MainWindow::makeWindow(const QString &stylesFolder)
{
    FrmPRIGroups::Options options;
    options.settingsFolder = m_dir->path();
    options.stylesFolder = stylesFolder;
    options.messages = &m_messages;
    // The operator cancels the connection dialog.
    options.chooseConnection = [] {
        ConnectionChoice cancelled;
        cancelled.g_Mode = QStringLiteral("ERR");
        return cancelled;
    };
    return std::make_unique<FrmPRIGroups>(options);
}

void tst_MainWindow::storeSetting(const QString &section, const QString &key, const QString &value)
{
    SettingsFile settings(SettingsLocation::settingFile(m_dir->path()));
    QVERIFY2(settings.isOpen(), qPrintable(settings.errorText()));
    QVERIFY(settings.setValue(section, key, value));
}

QString tst_MainWindow::storedSetting(const QString &section, const QString &key)
{
    SettingsFile settings(SettingsLocation::settingFile(m_dir->path()));
    return settings.value(section, key);
}

QString tst_MainWindow::shippedSheet(const QString &fileName)
{
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/Styles/") + fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Sends a marker line and checks that it is the next thing the gateway gets:
// whatever the console sent before it would arrive first.
void tst_MainWindow::expectNextLine(FrmPRIGroups &window, QTcpSocket &peer)
{
    window.objSpool->SendCommand(QStringLiteral("MARK"), false);
    QTRY_VERIFY(peer.bytesAvailable() >= 5);
    QCOMPARE(peer.readAll(), QByteArray("MARK\r"));
}

void tst_MainWindow::connectLink(FrmPRIGroups &window, QTcpServer &server, QTcpSocket *&peer)
{
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    window.objSpool->InitNET(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
    window.objSpool->FillBuffer();
    QTRY_VERIFY(server.hasPendingConnections());
    peer = server.nextPendingConnection();
    QTRY_VERIFY(window.objSpool->isConnected());
}

// ---- start-up -----------------------------------------------------------------

void tst_MainWindow::startUpSkinPreference_data()
{
    QTest::addColumn<bool>("hasSetting");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expectedEntry");
    QTest::addColumn<QString>("expectedStored");
    QTest::addColumn<int>("expectedLook");

    QTest::newRow("first start, no settings file") << false << QString() << 2 << QStringLiteral("2") << 2;
    QTest::newRow("empty value") << true << QString() << 2 << QStringLiteral("2") << 2;
    QTest::newRow("System") << true << QStringLiteral("4") << 4 << QStringLiteral("4") << 4;
    // The list starts with no entry chosen, so that the first entry applies too.
    QTest::newRow("Luna, the first entry") << true << QStringLiteral("0") << 0 << QStringLiteral("0") << 0;
    QTest::newRow("half rounds to even, down") << true << QStringLiteral("2.5") << 2 << QStringLiteral("2") << 2;
    QTest::newRow("half rounds to even, up") << true << QStringLiteral("3.5") << 4 << QStringLiteral("4") << 4;
    QTest::newRow("not a number counts as 0") << true << QStringLiteral("abc") << 0 << QStringLiteral("0") << 0;
    // No entry selected: the start-up skin stays and the file keeps its value.
    QTest::newRow("no such entry") << true << QStringLiteral("9") << -1 << QStringLiteral("9") << 2;
    QTest::newRow("negative") << true << QStringLiteral("-1") << -1 << QStringLiteral("-1") << 2;
}

void tst_MainWindow::startUpSkinPreference()
{
    QFETCH(bool, hasSetting);
    QFETCH(QString, stored);
    QFETCH(int, expectedEntry);
    QFETCH(QString, expectedStored);
    QFETCH(int, expectedLook);

    if (hasSetting)
        storeSetting(QStringLiteral("SKIN"), QStringLiteral("num"), stored);
    else
        QVERIFY(!QFile::exists(SettingsLocation::settingFile(m_dir->path())));

    auto window = makeWindow();
    window->startUp();

    auto *cmbSkin = window->findChild<QComboBox *>(QStringLiteral("cmbSkin"));
    QVERIFY(cmbSkin);
    QCOMPARE(cmbSkin->count(), 5);
    QCOMPARE(cmbSkin->currentIndex(), expectedEntry);
    QCOMPARE(window->appliedSkin(), expectedLook);
    QCOMPARE(storedSetting(QStringLiteral("SKIN"), QStringLiteral("num")), expectedStored);

    const QString sheetFile = FrmPRIGroups::skinFileName(expectedLook);
    if (sheetFile.isEmpty()) {
        QVERIFY(qApp->styleSheet().isEmpty());
    } else {
        const QString sheet = shippedSheet(sheetFile);
        QVERIFY2(!sheet.isEmpty(), qPrintable(sheetFile));
        QCOMPARE(qApp->styleSheet(), sheet);
    }

    // Choosing the start-up entry stores its number, even when it is what shows.
    cmbSkin->setCurrentIndex(FrmPRIGroups::SkinOffice2007);
    QCOMPARE(storedSetting(QStringLiteral("SKIN"), QStringLiteral("num")), QStringLiteral("2"));
}

void tst_MainWindow::startUpShowsFxoPage()
{
    auto window = makeWindow();
    window->startUp();

    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Varlisk 4.9"));
    QCOMPARE(window->visiblePage(), int(ConfigPages::PageFXO));
    for (int index = 0; index < FrmPRIGroups::kPageCount; ++index) {
        QFrame *frame = window->findChild<QFrame *>(QStringLiteral("framMenu_%1").arg(index));
        QVERIFY(frame);
        QCOMPARE(frame, window->page(index));
        QCOMPARE(frame->isVisible(), index == ConfigPages::PageFXO);
    }
    auto *cmbSkin = window->findChild<QComboBox *>(QStringLiteral("cmbSkin"));
    const QStringList entries {QStringLiteral("Luna Skin"), QStringLiteral("Royale Skin"),
        QStringLiteral("Office 2007 Skin"), QStringLiteral("Vista Skin"), QStringLiteral("System")};
    for (int index = 0; index < entries.size(); ++index)
        QCOMPARE(cmbSkin->itemText(index), entries.at(index));
    QVERIFY(window->findChild<QPushButton *>(QStringLiteral("cmdSAVE"))->isVisible());
    QVERIFY(!window->connectionFlow()->fLinkActive);

    // A second start-up does not run the sequence again.
    window->showPage(ConfigPages::PageGSM);
    window->startUp();
    QCOMPARE(window->visiblePage(), int(ConfigPages::PageGSM));
}

void tst_MainWindow::startUpMonitorFont_data()
{
    QTest::addColumn<QStringList>("stored"); // name, size, bold; empty: not stored
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing stored") << QStringList {QString(), QString(),
        QString()} << QStringList {QStringLiteral("Courier New"), QStringLiteral("11"), QStringLiteral("1")};
    QTest::newRow("all stored") << QStringList {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("9"),
        QStringLiteral(
            "0")} << QStringList {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("9"), QStringLiteral("0")};
    QTest::newRow("only the size stored") << QStringList {QString(), QStringLiteral("14"),
        QString()} << QStringList {QStringLiteral("Courier New"), QStringLiteral("14"), QStringLiteral("1")};
    QTest::newRow("bold off is kept, not defaulted") << QStringList {QString(), QString(),
        QStringLiteral("0")} << QStringList {QStringLiteral("Courier New"), QStringLiteral("11"), QStringLiteral("0")};
}

void tst_MainWindow::startUpMonitorFont()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, expected);

    const QStringList keys {QStringLiteral("FontName"), QStringLiteral("FontSize"), QStringLiteral("FontBold")};
    for (int index = 0; index < keys.size(); ++index) {
        if (!stored.at(index).isEmpty())
            storeSetting(QStringLiteral("DBGFont"), keys.at(index), stored.at(index));
    }

    auto window = makeWindow();
    window->startUp();

    const FrmPRIGroups::MonitorFont font = window->monitorFont();
    QCOMPARE(font.FontName, expected.at(0));
    QCOMPARE(font.FontSize, expected.at(1));
    QCOMPARE(font.FontBold, expected.at(2));
    // Defaults live in memory only.
    for (int index = 0; index < keys.size(); ++index)
        QCOMPARE(storedSetting(QStringLiteral("DBGFont"), keys.at(index)), stored.at(index));
}

// ---- navigation -----------------------------------------------------------------

void tst_MainWindow::toolbarKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("fromButton"); // pressed on the toolbar, or raised with that key text
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("saveVisible");

    QTest::newRow("FXO") << QStringLiteral("main") << true << 2 << true;
    QTest::newRow("FXS") << QStringLiteral("isdn") << true << 3 << true;
    QTest::newRow("GSM") << QStringLiteral("system") << true << 4 << true;
    QTest::newRow("Prefixes") << QStringLiteral("call") << true << 0 << true;
    QTest::newRow("Number list") << QStringLiteral("groups") << true << 1 << true;
    QTest::newRow("SMS") << QStringLiteral("hst") << true << 6 << true;
    QTest::newRow("Gateway") << QStringLiteral("tsl") << true << 7 << true;
    QTest::newRow("Debug") << QStringLiteral("dbg") << true << 5 << false;
    QTest::newRow("key in capitals") << QStringLiteral("HST") << false << 6 << true;
    QTest::newRow("Debug in capitals") << QStringLiteral("DBG") << false << 5 << false;
    QTest::newRow("sim: no such button") << QStringLiteral("sim") << false << 2 << true;
    QTest::newRow("unknown key") << QStringLiteral("nothing") << false << 2 << true;
}

void tst_MainWindow::toolbarKeys()
{
    QFETCH(QString, key);
    QFETCH(bool, fromButton);
    QFETCH(int, page);
    QFETCH(bool, saveVisible);

    auto window = makeWindow();
    window->startUp();
    if (fromButton) {
        QAction *button = window->toolBar()->button(key);
        QVERIFY(button);
        button->trigger();
    } else {
        emit window->toolBar()->BtnClick(key);
    }

    QCOMPARE(window->visiblePage(), page);
    int shown = 0;
    for (int index = 0; index < FrmPRIGroups::kPageCount; ++index)
        shown += window->page(index)->isVisible() ? 1 : 0;
    QCOMPARE(shown, 1);
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("cmdSAVE"))->isVisible(), saveVisible);
    QVERIFY(m_messages.shown.isEmpty());
}

void tst_MainWindow::saveDataHiddenOnDebugOnly()
{
    auto window = makeWindow();
    window->startUp();
    auto *cmdSAVE = window->findChild<QPushButton *>(QStringLiteral("cmdSAVE"));

    window->toolBar()->button(QStringLiteral("dbg"))->trigger();
    QVERIFY(!cmdSAVE->isVisible());
    window->toolBar()->button(QStringLiteral("dbg"))->trigger();
    QVERIFY(!cmdSAVE->isVisible());

    window->toolBar()->button(QStringLiteral("groups"))->trigger();
    QVERIFY(cmdSAVE->isVisible());
    QCOMPARE(window->visiblePage(), int(ConfigPages::PageNumList));

    // In front of the pages and inside the page area, towards its lower right.
    QWidget *area = cmdSAVE->parentWidget();
    QVERIFY(area->rect().contains(cmdSAVE->geometry()));
    QVERIFY(cmdSAVE->geometry().center().x() > area->width() / 2);
    QVERIFY(cmdSAVE->geometry().center().y() > area->height() / 2);
    QCOMPARE(area->childAt(cmdSAVE->geometry().center()), cmdSAVE);
}

void tst_MainWindow::connectOnDebugKeepsSaveDataHidden()
{
    auto window = makeWindow();
    window->startUp();
    auto *cmdSAVE = window->findChild<QPushButton *>(QStringLiteral("cmdSAVE"));

    window->toolBar()->button(QStringLiteral("connect"))->trigger();
    QVERIFY(cmdSAVE->isVisible());
    QCOMPARE(window->visiblePage(), int(ConfigPages::PageFXO));

    window->toolBar()->button(QStringLiteral("dbg"))->trigger();
    window->toolBar()->button(QStringLiteral("connect"))->trigger();
    QVERIFY(!cmdSAVE->isVisible());
    QCOMPARE(window->visiblePage(), int(ConfigPages::PageDBG));
}

// ---- skins ------------------------------------------------------------------------

void tst_MainWindow::skinSwitchAppliesAndRemembers()
{
    auto window = makeWindow();
    window->startUp();
    auto *cmbSkin = window->findChild<QComboBox *>(QStringLiteral("cmbSkin"));

    for (int entry : {0, 1, 3, 4, 2}) {
        cmbSkin->setCurrentIndex(entry);
        QCOMPARE(storedSetting(QStringLiteral("SKIN"), QStringLiteral("num")), QString::number(entry));
        QCOMPARE(qApp->styleSheet(), shippedSheet(FrmPRIGroups::skinFileName(entry)));
    }

    // The next start finds the last choice.
    cmbSkin->setCurrentIndex(3);
    window.reset();
    qApp->setStyleSheet(QString());
    auto again = makeWindow();
    again->startUp();
    QCOMPARE(again->findChild<QComboBox *>(QStringLiteral("cmbSkin"))->currentIndex(), 3);
    QCOMPARE(qApp->styleSheet(), shippedSheet(QStringLiteral("Vista.qss")));
}

void tst_MainWindow::unreadableSkinKeepsPreviousLook()
{
    QTemporaryDir styles;
    QVERIFY(styles.isValid());
    const QByteArray royale = "QPushButton { color: rgb(1, 2, 3); }";
    {
        QFile file(styles.filePath(QStringLiteral("Royale.qss")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(royale);
    }
    // A folder where a file is expected cannot be read as one.
    QVERIFY(QDir(styles.path()).mkdir(QStringLiteral("Vista.qss")));
    const QByteArray office = "QPushButton { color: rgb(4, 5, 6); }";
    {
        QFile file(styles.filePath(QStringLiteral("Office2007.qss")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(office);
    }
    // A stored skin whose sheet is missing leaves the start-up skin, not the system look.
    storeSetting(QStringLiteral("SKIN"), QStringLiteral("num"), QStringLiteral("0"));
    {
        auto window = makeWindow(styles.path());
        window->startUp();
        QCOMPARE(window->findChild<QComboBox *>(QStringLiteral("cmbSkin"))->currentIndex(), 0);
        QCOMPARE(qApp->styleSheet(), QString::fromLatin1(office));
        QCOMPARE(window->appliedSkin(), int(FrmPRIGroups::SkinOffice2007));
    }
    storeSetting(QStringLiteral("SKIN"), QStringLiteral("num"), QStringLiteral("1"));

    auto window = makeWindow(styles.path());
    window->startUp();
    QCOMPARE(qApp->styleSheet(), QString::fromLatin1(royale));
    auto *cmbSkin = window->findChild<QComboBox *>(QStringLiteral("cmbSkin"));

    for (int missing : {int(FrmPRIGroups::SkinLuna), int(FrmPRIGroups::SkinVista)}) {
        cmbSkin->setCurrentIndex(missing);
        QCOMPARE(qApp->styleSheet(), QString::fromLatin1(royale));
        QCOMPARE(window->appliedSkin(), int(FrmPRIGroups::SkinRoyale));
        QCOMPARE(storedSetting(QStringLiteral("SKIN"), QStringLiteral("num")), QString::number(missing));
    }
    cmbSkin->setCurrentIndex(FrmPRIGroups::SkinSystem);
    QVERIFY(qApp->styleSheet().isEmpty());
}

void tst_MainWindow::shippedStyleSheetsParse_data()
{
    QTest::addColumn<int>("entry");
    for (int entry = 0; entry < FrmPRIGroups::SkinSystem; ++entry)
        QTest::newRow(qPrintable(FrmPRIGroups::skinFileName(entry))) << entry;
}

void tst_MainWindow::shippedStyleSheetsParse()
{
    QFETCH(int, entry);
    QTest::failOnWarning(
        QRegularExpression(QStringLiteral("parse|style ?sheet"), QRegularExpression::CaseInsensitiveOption));

    auto window = makeWindow();
    window->startUp();
    window->findChild<QComboBox *>(QStringLiteral("cmbSkin"))->setCurrentIndex(entry);
    QCOMPARE(window->appliedSkin(), entry);
    QVERIFY(!qApp->styleSheet().isEmpty());
    // Painting every page makes the style resolve every rule it uses.
    for (int index = 0; index < FrmPRIGroups::kPageCount; ++index) {
        window->showPage(index);
        window->grab();
    }
}

// Every message given while alive, warnings and worse, as "type category: text" lines.
class MessageCollector
{
public:
    MessageCollector()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&MessageCollector::collect);
    }
    ~MessageCollector() { qInstallMessageHandler(m_previous); }
    QStringList messages() const { return s_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        // The offscreen platform says so for every window whose size limits
        // change, as it has no window manager to hand them to.
        if (text == QLatin1String("This plugin does not support propagateSizeHints()"))
            return;
        if (type != QtDebugMsg && type != QtInfoMsg)
            s_messages
                += QStringLiteral("%1 %3: %2").arg(int(type)).arg(text).arg(QString::fromLatin1(context.category));
    }
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

void tst_MainWindow::pagesBuiltWhenFirstShownHoldEarlierValues()
{
    {
        SettingsFile histories(SettingsLocation::dataFile(m_dir->path()));
        QVERIFY(histories.setValue(QStringLiteral("DBGFilter"), QStringLiteral("ip0"), QStringLiteral("FXO")));
        QVERIFY(histories.setValue(QStringLiteral("DBGClient"), QStringLiteral("ip0"), QStringLiteral("10.1.2.3")));
    }
    auto window = makeWindow();
    MessageCollector messages;
    window->startUp();
    ConfigPages *pages = window->configPages();
    for (int index = 0; index < FrmPRIGroups::kPageCount; ++index)
        QCOMPARE(pages->isBuilt(index), index == ConfigPages::PageFXO);
    MonitorPage *monitor = window->monitorPage();
    QVERIFY(!monitor->isBuilt());

    // A whole configuration arrives by the received-line road while only the
    // FXO page is built.
    QFile golden(QFINDTESTDATA("../session/golden.gwcfg"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    int records = 0;
    for (const QByteArray &raw : golden.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        window->objSpool->AnalyzeCmd(line, true);
        ++records;
    }
    QCOMPARE(records, 102);
    QTRY_VERIFY(!monitor->hasPendingPieces());
    QVERIFY(!monitor->isBuilt());
    const Configuration &values = window->session()->configuration();
    QCOMPARE(values.text(QStringLiteral("txtSMS_SpeNum")), QStringLiteral("09121234567"));
    QCOMPARE(values.cell(QStringLiteral("ucPRF"), 2, 1), QStringLiteral("0935"));

    // The traffic log, built when its page is first shown, opens at its last line.
    window->showPage(ConfigPages::PageDBG);
    const QScrollBar *logScroll = monitor->logView()->verticalScrollBar();
    QTRY_VERIFY(logScroll->maximum() > 0);
    QCOMPARE(logScroll->value(), logScroll->maximum());

    auto *cmbSkin = window->findChild<QComboBox *>(QStringLiteral("cmbSkin"));
    for (int skin : {int(FrmPRIGroups::SkinLuna), int(FrmPRIGroups::SkinSystem), int(FrmPRIGroups::SkinRoyale),
             int(FrmPRIGroups::SkinVista), int(FrmPRIGroups::SkinOffice2007)}) {
        cmbSkin->setCurrentIndex(skin);
        QCOMPARE(window->appliedSkin(), skin);
        for (int index = 0; index < FrmPRIGroups::kPageCount; ++index) {
            window->showPage(qint16(index));
            QVERIFY(window->page(index)->isVisible());
            window->grab();
        }
    }

    // Every control of every page shows what the configuration held before
    // its page was built.
    int shown = 0;
    for (const ConfigurationDiff::PresentedControl &control : ConfigurationDiff::presentedControls()) {
        QWidget *page = window->page(control.page);
        const QString name = control.control;
        switch (control.kind) {
        case ConfigurationDiff::PresentedControl::Kind::List: {
            auto *list = page->findChild<QComboBox *>(name);
            QVERIFY2(list, qPrintable(name));
            QCOMPARE(list->currentIndex(), values.listPosition(name));
            break;
        }
        case ConfigurationDiff::PresentedControl::Kind::Text: {
            auto *edit = page->findChild<QLineEdit *>(name);
            QVERIFY2(edit, qPrintable(name));
            QCOMPARE(edit->text(), values.text(name));
            break;
        }
        case ConfigurationDiff::PresentedControl::Kind::Table: {
            auto *grid = page->findChild<CoolFlex *>(name);
            QVERIFY2(grid, qPrintable(name));
            for (int row = 1; row <= control.rows; ++row) {
                for (int col = 1; col < control.entries.size(); ++col)
                    QCOMPARE(grid->TextMatrix(row, col), values.cell(name, row, col));
            }
            break;
        }
        }
        ++shown;
    }
    QCOMPARE(shown, int(ConfigurationDiff::presentedControls().size()));

    // The traffic monitor built late shows the traffic logged before, and its
    // inputs the histories start-up loaded, while the filter start-up set from
    // the still empty input stays the active one.
    QVERIFY(monitor->isBuilt());
    QVERIFY(monitor->log().lineCount() >= records);
    QVERIFY(monitor->logView()->toPlainText().contains(QStringLiteral("SMS")));
    QCOMPARE(monitor->findChild<QLabel *>(QStringLiteral("lblDBGLineCount"))->text(),
        QString::number(monitor->log().lineCount()));
    QCOMPARE(monitor->findChild<AutoCombo *>(QStringLiteral("txtDBGFilter"))->text(), QStringLiteral("FXO"));
    QCOMPARE(monitor->findChild<AutoCombo *>(QStringLiteral("txtDBGNetC"))->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(monitor->activeFilter(), QString());

    // A page built late is a view both ways: what the operator types reaches
    // the configuration.
    auto *number = window->page(ConfigPages::PageSMS)->findChild<QLineEdit *>(QStringLiteral("txtSMS_SpeNum"));
    number->setText(QStringLiteral("0555"));
    QCOMPARE(values.text(QStringLiteral("txtSMS_SpeNum")), QStringLiteral("0555"));

    QVERIFY2(messages.messages().isEmpty(), qPrintable(messages.messages().join(QLatin1Char('\n'))));
}

// ---- accessibility ----------------------------------------------------------------

// A screen reader finds every control of every page by the label the operator
// reads, never by an object name.
void tst_MainWindow::inputsNamedByTheirLabels()
{
    auto window = makeWindow();
    window->startUp();
    for (int index = 0; index < FrmPRIGroups::kPageCount; ++index)
        window->page(index);
    const QStringList unnamed = unnamedInputs(window.get());
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

// A page button pressed or toggled through the accessibility interface shows its
// page and "Save Data" as a click does.
void tst_MainWindow::pageButtonsByAccessibleAction()
{
    auto window = makeWindow();
    window->startUp();
    auto *saveData = window->findChild<QPushButton *>(QStringLiteral("cmdSAVE"));
    const struct {
        const char *key;
        int page;
        bool saveShown;
    } steps[] = {
        {"dbg", ConfigPages::PageDBG, false},
        {"groups", ConfigPages::PageNumList, true},
        {"system", ConfigPages::PageGSM, true},
        {"tsl", ConfigPages::PageTONE, true},
    };
    for (const auto &step : steps) {
        QAction *action = window->toolBar()->button(QString::fromLatin1(step.key));
        QWidget *button = window->toolBar()->toolBar()->widgetForAction(action);
        QVERIFY(button);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible && accessible->actionInterface());
        const QStringList actions = accessible->actionInterface()->actionNames();
        QVERIFY2(!actions.isEmpty(), step.key);
        accessible->actionInterface()->doAction(actions.first());
        QTRY_COMPARE(window->visiblePage(), step.page);
        QCOMPARE(saveData->isVisible(), step.saveShown);
        QVERIFY(action->isChecked());
    }
}

// ---- exit ---------------------------------------------------------------------------

void tst_MainWindow::exitQuestion_data()
{
    QTest::addColumn<bool>("byToolbar");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("stillShown");

    QTest::newRow("close box, No") << false << int(QMessageBox::No) << true;
    QTest::newRow("close box, Yes") << false << int(QMessageBox::Yes) << false;
    QTest::newRow("Exit button, No") << true << int(QMessageBox::No) << true;
    QTest::newRow("Exit button, Yes") << true << int(QMessageBox::Yes) << false;
    QTest::newRow("box closed without a choice") << false << int(QMessageBox::NoButton) << true;
}

void tst_MainWindow::exitQuestion()
{
    QFETCH(bool, byToolbar);
    QFETCH(int, answer);
    QFETCH(bool, stillShown);

    auto window = makeWindow();
    window->startUp();
    window->showPage(ConfigPages::PageSMS);
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    connectLink(*window, server, peer);

    m_messages.answers.append(static_cast<QMessageBox::StandardButton>(answer));
    if (byToolbar)
        window->toolBar()->button(QStringLiteral("exit"))->trigger();
    else
        window->close();

    QCOMPARE(m_messages.shown.size(), 1);
    const MessageRequest &question = m_messages.shown.first();
    QCOMPARE(question.text, QStringLiteral("Do you really want to exit the software?"));
    QCOMPARE(question.title, QStringLiteral("Exit"));
    QCOMPARE(question.icon, QMessageBox::Warning);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);

    QCOMPARE(window->isVisible(), stillShown);
    // Neither answer closes the link or tells the gateway anything.
    QVERIFY(window->objSpool->isConnected());
    expectNextLine(*window, *peer);
    if (stillShown) {
        QCOMPARE(window->visiblePage(), int(ConfigPages::PageSMS));
        QVERIFY(window->findChild<QPushButton *>(QStringLiteral("cmdSAVE"))->isVisible());
    }
}

// ---- Save Data and the top bar commands --------------------------------------------

void tst_MainWindow::saveWhileDisconnected()
{
    auto window = makeWindow();
    window->startUp();
    window->writeQueue()->g_QueueCount = 3; // left from an earlier write
    window->writeQueue()->g_QueueIndex = 2;

    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdSAVE")), Qt::LeftButton);

    QCOMPARE(m_messages.shown.size(), 1);
    const MessageRequest &notice = m_messages.shown.first();
    QCOMPARE(notice.text, QStringLiteral("The gateway not connected, you must to connect first."));
    QCOMPARE(notice.title, QStringLiteral("info"));
    QCOMPARE(notice.icon, QMessageBox::Information);
    // Nothing queued, nothing started.
    QCOMPARE(window->writeQueue()->g_QueueCount, qint16(3));
    QCOMPARE(window->writeQueue()->g_QueueIndex, qint16(2));
    QVERIFY(!window->progressStrip()->isStepTimerActive(ucProgress::kWriteTimer));
}

void tst_MainWindow::saveOnDebugPageSendsNothing()
{
    auto window = makeWindow();
    window->startUp();
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    connectLink(*window, server, peer);

    window->showPage(ConfigPages::PageDBG);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdSAVE")), Qt::LeftButton);
    expectNextLine(*window, *peer);
    QVERIFY(m_messages.shown.isEmpty());
    QCOMPARE(window->writeQueue()->g_QueueCount, qint16(0));
}

void tst_MainWindow::saveSendsFirstRecordOfVisiblePage()
{
    auto window = makeWindow();
    window->startUp();
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    connectLink(*window, server, peer);

    // What the gateway reported is what the GSM page's save writes back, GSM
    // first, then NET.
    const QList<QueueEntry> expected {
        {QStringLiteral("GSM4,,48,0,1234,,1,1,5"), QStringLiteral("GSM Data")},
        {QStringLiteral("NET64,35,900,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00"),
            QStringLiteral("Network Data")},
    };
    for (const QueueEntry &entry : expected)
        window->objSpool->AnalyzeCmd(entry.Cmd, false);
    window->toolBar()->button(QStringLiteral("system"))->trigger();
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdSAVE")), Qt::LeftButton);

    QCOMPARE(window->writeQueue()->g_Queue, expected);
    QCOMPARE(window->writeQueue()->g_QueueCount, qint16(2));
    QCOMPARE(window->writeQueue()->g_QueueIndex, qint16(0));
    QVERIFY(!window->writeQueue()->g_WriteOK);
    const QByteArray line = expected.first().Cmd.toLatin1() + '\r';
    QTRY_COMPARE(peer->bytesAvailable(), qint64(line.size()));
    QCOMPARE(peer->readAll(), line);
    QCOMPARE(window->progressStrip()->panelText(QStringLiteral("connect")), QStringLiteral("send data : GSM Data"));
    QCOMPARE(window->progressStrip()->maximum(), 2);
}

void tst_MainWindow::refreshAndRestartCommands()
{
    auto window = makeWindow();
    window->startUp();
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    connectLink(*window, server, peer);
    window->connectionFlow()->g_Pass = QStringLiteral("1234");

    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdRefresh")), Qt::LeftButton);
    QTRY_COMPARE(peer->bytesAvailable(), qint64(8));
    QCOMPARE(peer->readAll(), QByteArray("CPW1234\r"));
    QVERIFY(m_messages.shown.isEmpty());

    auto *cmbReset = window->findChild<QPushButton *>(QStringLiteral("cmbReset"));
    m_messages.answers = {QMessageBox::No, QMessageBox::Yes};
    QTest::mouseClick(cmbReset, Qt::LeftButton);
    expectNextLine(*window, *peer);
    QTest::mouseClick(cmbReset, Qt::LeftButton);
    QTRY_COMPARE(peer->bytesAvailable(), qint64(4));
    QCOMPARE(peer->readAll(), QByteArray("RBT\r"));

    QCOMPARE(m_messages.shown.size(), 2);
    QCOMPARE(m_messages.shown.at(1).text, QStringLiteral("Do you really want to restart the gateway?"));
    QCOMPARE(m_messages.shown.at(1).title, QStringLiteral("Restart"));
    QCOMPARE(m_messages.shown.at(1).icon, QMessageBox::Warning);
    QCOMPARE(m_messages.shown.at(1).buttons, QMessageBox::Yes | QMessageBox::No);
}

void tst_MainWindow::versionLineSetsLabel()
{
    auto window = makeWindow();
    window->startUp();
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    connectLink(*window, server, peer);

    // A received line reaches the window through the link's reply analysis.
    peer->write("VERV3.2 build 77\r");
    auto *lblESN = window->findChild<QLabel *>(QStringLiteral("lblESN"));
    QTRY_COMPARE(lblESN->text(), QStringLiteral("V3.2 build 77"));
    peer->write("OK\r");
    QTRY_VERIFY(window->writeQueue()->g_WriteOK);
    peer->write("ERR 4\r");
    QTRY_VERIFY(!window->writeQueue()->g_WriteOK);
}

// ---- splash and About -------------------------------------------------------------

void tst_MainWindow::splashShowsVersionAndGoesAway()
{
    QPointer<frmSplash> splash = new frmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QCOMPARE(splash->findChild<QLabel *>(QStringLiteral("lblPrgVer"))->text(),
        QStringLiteral("Varlisk management software 4.9"));
    QCOMPARE(splash->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), QStringLiteral("version 4.9 beta 13"));
    QCOMPARE(splash->findChild<QLabel *>(QStringLiteral("lblLoading"))->text(), QStringLiteral("Loading..."));
    QCOMPARE(splash->findChild<QTimer *>(QStringLiteral("tmrSplash"))->interval(), 10);
    QCOMPARE(splash->size(), frmSplash::kClientSize);

    std::unique_ptr<FrmPRIGroups> window;
    bool splashShownWhileLoading = false;
    int loads = 0;
    connect(splash, &frmSplash::loadingStarted, this, [&] {
        ++loads;
        splashShownWhileLoading = splash && splash->isVisible();
        window = makeWindow();
        window->startUp(splash);
    });
    splash->show();

    QTRY_VERIFY(window && window->isVisible());
    QVERIFY(splashShownWhileLoading);
    QTRY_VERIFY(!splash);
    QTest::qWait(50);
    QCOMPARE(loads, 1);
}

void tst_MainWindow::aboutShowsVersionAndEscapeCloses()
{
    auto window = makeWindow();
    window->startUp();
    auto *cmdAbout = window->findChild<QPushButton *>(QStringLiteral("cmdAbout"));

    for (int press = 0; press < 2; ++press) {
        QPointer<frmAbout> shown;
        QString text;
        QString editorText;
        bool readOnly = false;
        QTimer::singleShot(0, this, [&] {
            shown = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            text = shown->text();
            auto *txtAbout = shown->findChild<QPlainTextEdit *>(QStringLiteral("txtAbout"));
            editorText = txtAbout->toPlainText();
            readOnly = txtAbout->isReadOnly();
            // The text is rebuilt on every press, whatever an earlier one left.
            shown->setText(QStringLiteral("changed"));
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        QTest::mouseClick(cmdAbout, Qt::LeftButton);

        QVERIFY(shown.isNull()); // gone with the click that opened it
        QCOMPARE(text, QStringLiteral("\r\n\r\nVersion: 4.9 beta 13\r\nHardware Version: V3.x  \r\n"));
        QCOMPARE(editorText, QStringLiteral("\n\nVersion: 4.9 beta 13\nHardware Version: V3.x  \n"));
        QVERIFY(readOnly);
    }
    QVERIFY(window->findChildren<frmAbout *>().isEmpty());
    QVERIFY(window->isVisible());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
