// An operator's session end to end: the real main window, offscreen, against the
// gateway simulator run as its own process. Log on, change one value on every
// configuration page and save it (the journey the window-less session runs too),
// read the pages back, disconnect; a value the gateway refuses; and a
// configuration kept in a file, opened again and written back.

#include <comparedialog.h>
#include <configurationdiff.h>
#include <configurationfile.h>
#include <coolflex.h>
#include <cspooling.h>
#include <frmconnectionselect.h>
#include <frmprigroups.h>
#include <gatewaysimulatorprocess.h>
#include <operatorjourney.h>
#include <scriptedmessageboxes.h>
#include <settingsfile.h>
#include <settingslocation.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>
#include "writeoutcomewatch.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 15000;
const QString kVersion = u"GW-3200 v3.12 build 0617"_s;
const QString kWriteComplete = u"Write data complete successful.."_s;
const QString kConnected = u"Connected        "_s;

// A control of the window, found after its page is built where it is a page's
// control: a page's controls exist once the page has been shown.
template<typename T> T *pageControl(FrmPRIGroups &window, const QString &name)
{
    if (const ConfigurationDiff::PresentedControl *shown = ConfigurationDiff::presented(name))
        window.page(shown->page);
    return window.findChild<T *>(name);
}

} // namespace

class tst_ConsoleSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void operatorJourney();
    void refusedEntry();
    void configurationFile();
    void previewAndCompare();

private:
    void logOn();
    void saveShownPage();
    QString panel() const { return m_window->progressStrip()->panelText(u"connect"_s); }
    QString writeOutcome() const { return m_outcomes->outcome(); }
    QStringList configLines() const { return m_simulator->configLines(); }
    QStringList shownTexts() const { return m_messages->shownTexts(); }
    QStringList markedKeys() const;
    template<typename T> T *control(const QString &name) const { return pageControl<T>(*m_window, name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<GatewaySimulatorProcess> m_simulator;
    std::unique_ptr<ScriptedMessageBoxes> m_messages;
    std::unique_ptr<FrmPRIGroups> m_window;
    std::unique_ptr<WriteOutcomeWatch> m_outcomes;
    quint16 m_port = 0;
    // What the file dialog answers.
    QString m_chosenFile;
};

void tst_ConsoleSession::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_simulator = std::make_unique<GatewaySimulatorProcess>(m_dir->filePath(u"gw.txt"_s));
    QVERIFY(m_simulator->start({u"--listen"_s, u"127.0.0.1:0"_s}));
    const quint16 port = m_simulator->listenPort(kWaitMs);
    QVERIFY2(port != 0, "the simulator did not say which port it listens on");
    m_port = port;

    m_messages = std::make_unique<ScriptedMessageBoxes>();
    FrmPRIGroups::Options options;
    options.settingsFolder = m_dir->path();
    options.messages = m_messages.get();
    options.chooseConnection = [this] { return tcpClientChoice(m_port); };
    options.chooseFile = [this](bool, const QString &) { return m_chosenFile; };
    m_window = std::make_unique<FrmPRIGroups>(options);
    m_outcomes = std::make_unique<WriteOutcomeWatch>(*m_window->writeQueue(), *m_window->progressStrip());
    m_window->startUp();
}

void tst_ConsoleSession::cleanup()
{
    m_outcomes.reset();
    m_window.reset();
    m_messages.reset();
    m_simulator.reset();
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

void tst_ConsoleSession::logOn()
{
    m_window->toolBar()->button(u"connect"_s)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(u"lblESN"_s)->text(), kVersion, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(writeOutcome(), kWriteComplete, kWaitMs);
    QCOMPARE(panel(), kConnected);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(m_window->toolBar()->button(u"connect"_s)->text(), u"Disconnect"_s);
}

void tst_ConsoleSession::saveShownPage()
{
    control<QPushButton>(u"cmdSAVE"_s)->click();
    QVERIFY2(m_window->writeQueue()->isWriting(), qPrintable(shownTexts().join(u" | "_s)));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
}

void tst_ConsoleSession::operatorJourney()
{
    logOn();
    QVERIFY(m_window->objSpool->isConnected());

    for (const JourneyStep &step : ::operatorJourney()) {
        const QStringList before = configLines();
        QVERIFY(!before.isEmpty());
        // The operator opens the page, changes it and saves it.
        m_window->toolBar()->button(step.toolbarKey)->trigger();
        for (const JourneyEdit &edit : step.edits) {
            if (auto *grid = control<CoolFlex>(edit.control))
                QVERIFY(grid->setTextMatrix(edit.row, edit.col, edit.text));
            else if (auto *list = control<QComboBox>(edit.control))
                list->setCurrentIndex(edit.position);
            else if (auto *text = control<QLineEdit>(edit.control))
                text->setText(edit.text);
            else
                QFAIL(qPrintable(edit.control));
        }
        // The page's key is marked while its change is not written, and only its key.
        QTRY_VERIFY(m_window->toolBar()->isButtonMarked(step.toolbarKey));
        for (const QString &key : m_window->toolBar()->buttonKeys())
            QCOMPARE(m_window->toolBar()->isButtonMarked(key), key == step.toolbarKey);
        saveShownPage();
        QCOMPARE(writeOutcome(), kWriteComplete);
        QTRY_COMPARE_WITH_TIMEOUT(configLines(), linesAfter(before, step), kWaitMs);
        QTRY_VERIFY(!m_window->toolBar()->isButtonMarked(step.toolbarKey));
    }
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));

    // Refresh reads every page back from the gateway.
    m_window->toolBar()->button(u"main"_s)->trigger();
    auto *dialPause = control<QLineEdit>(u"txtFXO_DLP"_s);
    dialPause->clear();
    auto *prefixes = control<CoolFlex>(u"ucPRF"_s);
    QVERIFY(prefixes->setTextMatrix(6, 1, QString()));
    control<QPushButton>(u"cmdRefresh"_s)->click();
    QTRY_COMPARE_WITH_TIMEOUT(dialPause->text(), u"12"_s, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(prefixes->TextMatrix(6, 1), u"0990"_s, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);

    m_window->toolBar()->button(u"connect"_s)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->objSpool->isConnected(), kWaitMs);
    QCOMPARE(panel(), u"Disconnected"_s);
    QCOMPARE(m_window->toolBar()->button(u"connect"_s)->text(), u"Connect"_s);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));
}

void tst_ConsoleSession::refusedEntry()
{
    logOn();
    const QStringList before = configLines();
    control<QLineEdit>(u"txtFXO_DLP"_s)->setText(u"999"_s);
    m_window->toolBar()->button(u"main"_s)->trigger();
    m_messages->answers = {QMessageBox::Cancel, QMessageBox::Ok};
    saveShownPage();

    QCOMPARE(m_messages->shown.size(), 2);
    const MessageRequest &question = m_messages->shown.at(0);
    QCOMPARE(question.text, u"Error: can't write : FXO Data\r\nplease check your data."_s);
    QCOMPARE(question.title, u"FXO Data"_s);
    QCOMPARE(question.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    const MessageRequest &notice = m_messages->shown.at(1);
    QCOMPARE(notice.text, u"Error: can't write data to : \r\nFXO Data"_s);
    QCOMPARE(notice.title, u"Error"_s);
    QCOMPARE(panel(), u"failed write to gateway"_s);
    QCOMPARE(configLines(), before);
    QVERIFY(m_window->objSpool->isConnected());
}

QStringList tst_ConsoleSession::markedKeys() const
{
    QStringList keys;
    for (const QString &key : m_window->toolBar()->buttonKeys()) {
        if (m_window->toolBar()->isButtonMarked(key))
            keys << key;
    }
    return keys;
}

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of a configuration file or of the simulator's, comments left out.
QStringList recordLines(const QStringList &lines)
{
    QStringList records;
    for (const QString &line : lines) {
        if (!line.isEmpty() && !line.startsWith(u'#'))
            records << line;
    }
    return records;
}

} // namespace

// Saved from the gateway and opened by a fresh console, two pages changed on the
// gateway after it, opened again while disconnected, kept through the next log-on
// read, and written back whole; a file with a faulty line changes nothing; a file
// of another version asks first, and a refused record is skipped.
void tst_ConsoleSession::configurationFile()
{
    logOn();
    GatewaySession &session = *m_window->session();
    const ConfigurationFile::Header header {kVersion, u"tcp:127.0.0.1:%1"_s.arg(m_port)};
    // The dialog's name has no suffix: the console adds it.
    m_chosenFile = m_dir->filePath(u"gateway"_s);
    const QString path = m_chosenFile + u".gwcfg"_s;
    control<QAction>(u"actSaveFile"_s)->trigger();
    const QByteArray saved = fileBytes(path);
    QCOMPARE(saved, ConfigurationFile::compose(session.configuration(), header, nullptr));
    QVERIFY(!saved.isEmpty());
    // Saved again from a page by its shortcut, unchanged: the same bytes.
    QVERIFY(QFile::remove(path));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(control<QLineEdit>(u"txtFXO_DLP"_s), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fileBytes(path), saved);
    QCOMPARE(control<QLabel>(u"lblSource"_s)->text(), u"gateway"_s);

    // A fresh console of its own, not connected, opens the file: every page holds
    // what this one held when it saved.
    {
        QTemporaryDir folder;
        ScriptedMessageBoxes messages;
        FrmPRIGroups::Options options;
        options.settingsFolder = folder.path();
        options.messages = &messages;
        options.chooseFile = [path](bool, const QString &) { return path; };
        FrmPRIGroups fresh(options);
        fresh.startUp();
        QVERIFY(!(fresh.session()->configuration().values() == session.configuration().values()));
        fresh.findChild<QAction *>(u"actOpenFile"_s)->trigger();
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shownTexts().join(u" | "_s)));
        QVERIFY(fresh.session()->configuration().values() == session.configuration().values());
        for (const QString &name : {u"txtFXO_DLP"_s, u"txtFXS_Polar"_s, u"txtGSM_PIN1"_s, u"txtSMS_Service"_s})
            QCOMPARE(pageControl<QLineEdit>(fresh, name)->text(), control<QLineEdit>(name)->text());
        QCOMPARE(pageControl<QComboBox>(fresh, u"cmbTONE_Work"_s)->currentText(),
            control<QComboBox>(u"cmbTONE_Work"_s)->currentText());
        QCOMPARE(fresh.findChild<QLabel *>(u"lblSource"_s)->text(), u"gateway.gwcfg"_s);
    }

    // A script's read of the same gateway gives the window's file, byte for byte.
    m_window->toolBar()->button(u"connect"_s)->trigger();
    QVERIFY(m_simulator->waitForStatus(u"console disconnected"_s, kWaitMs));
    const QString scripted = m_dir->filePath(u"scripted.gwcfg"_s);
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"VARLISK_PASSWORD"_s, u"5823"_s);
    cli.setProcessEnvironment(environment);
    cli.start(QCoreApplication::applicationDirPath() + u"/varlisk-cli"_s,
        {u"read"_s, header.source, u"-o"_s, scripted});
    QVERIFY(cli.waitForFinished(kWaitMs));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    QCOMPARE(fileBytes(scripted), saved);
    m_outcomes->clear();
    logOn();

    const QList<JourneyStep> journey = ::operatorJourney();
    QHash<QString, QString> originals;
    for (const JourneyStep &step : journey.mid(0, 2)) {
        const QStringList before = configLines();
        for (const JourneyEdit &edit : step.edits) {
            auto *text = control<QLineEdit>(edit.control);
            QVERIFY(text->text() != edit.text);
            originals.insert(edit.control, text->text());
            text->setText(edit.text);
        }
        m_window->toolBar()->button(step.toolbarKey)->trigger();
        saveShownPage();
        QTRY_COMPARE_WITH_TIMEOUT(configLines(), linesAfter(before, step), kWaitMs);
    }
    const QStringList changedKeys {journey.at(0).toolbarKey, journey.at(1).toolbarKey};
    m_window->toolBar()->button(u"connect"_s)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->objSpool->isConnected(), kWaitMs);

    // Opened while disconnected: the pages show the file, and the two pages the
    // gateway holds otherwise are marked.
    // Opened from the recent files of the button's menu, without the dialog.
    m_chosenFile.clear();
    const QList<QAction *> recent = control<QMenu>(u"mnuRecentFiles"_s)->actions();
    QCOMPARE(recent.size(), 1);
    QCOMPARE(recent.at(0)->text(), QDir::toNativeSeparators(path));
    recent.at(0)->trigger();
    QCOMPARE(ConfigurationFile::compose(session.configuration(), header, nullptr), saved);
    QCOMPARE(control<QLabel>(u"lblSource"_s)->text(), u"gateway.gwcfg"_s);
    QTRY_COMPARE(markedKeys(), changedKeys);

    // The log-on read fills the gateway's values and leaves the pages alone.
    QSignalSpy reads(&session, &GatewaySession::readEnded);
    m_outcomes->clear();
    logOn();
    QTRY_COMPARE_WITH_TIMEOUT(reads.size(), 1, kWaitMs);
    QCOMPARE(ConfigurationFile::compose(session.configuration(), header, nullptr), saved);
    for (const auto &[name, text] : originals.asKeyValueRange())
        QCOMPARE(control<QLineEdit>(name)->text(), text);
    QCOMPARE(control<QLabel>(u"lblSource"_s)->text(), u"gateway.gwcfg"_s);
    QTRY_COMPARE(markedKeys(), changedKeys);

    control<QAction>(u"actWriteAll"_s)->trigger();
    QVERIFY2(m_window->writeQueue()->isWriting(), qPrintable(shownTexts().join(u" | "_s)));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(writeOutcome(), kWriteComplete);
    QCOMPARE(recordLines(configLines()), recordLines(QString::fromLatin1(saved).split(u'\n')));
    QTRY_COMPARE(markedKeys(), QStringList());
    QVERIFY(!session.isHoldingConfiguration());
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));

    // One record with a field too many: refused with its line, and nothing changes.
    QStringList lines = QString::fromLatin1(saved).split(u'\n');
    const qsizetype fxs = lines.indexOf(QRegularExpression(u"FXS.*"_s));
    QVERIFY(fxs > 0);
    lines[fxs] += u",1"_s;
    m_chosenFile = m_dir->filePath(u"faulty.gwcfg"_s);
    QVERIFY(ConfigurationFile::save(m_chosenFile, lines.join(u'\n').toLatin1(), nullptr));
    const ConfigurationValues shown = session.configuration().values();
    control<QAction>(u"actOpenFile"_s)->trigger();
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown.at(0).title, u"Error"_s);
    QVERIFY2(m_messages->shown.at(0).text.contains(u"line %1: "_s.arg(fxs + 1)), qPrintable(shownTexts().join(u' ')));
    QVERIFY(session.configuration().values() == shown);
    QCOMPARE(control<QLabel>(u"lblSource"_s)->text(), u"gateway.gwcfg"_s);
    QVERIFY(!session.isHoldingConfiguration());

    // Two number-list rows changed in a file from a gateway of another version,
    // written to a gateway that refuses one record: Write all pages asks first,
    // and No writes nothing.
    auto *numbers = control<CoolFlex>(u"ucNumList"_s);
    QVERIFY(numbers->setTextMatrix(13, 1, u"09121110013"_s));
    QVERIFY(numbers->setTextMatrix(20, 1, u"09121110020"_s));
    const ConfigurationFile::Header older {u"GW-3200 v3.11 build 0402"_s, header.source};
    m_chosenFile = m_dir->filePath(u"older.gwcfg"_s);
    const QByteArray olderBytes = ConfigurationFile::compose(session.configuration(), older, nullptr);
    QVERIFY(ConfigurationFile::save(m_chosenFile, olderBytes, nullptr));
    control<QAction>(u"actOpenFile"_s)->trigger();
    m_window->toolBar()->button(u"connect"_s)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->objSpool->isConnected(), kWaitMs);
    // Every 52nd "OK" becomes "ERR": the log-on has the first, so row 13, the 51st record, is refused.
    m_simulator = std::make_unique<GatewaySimulatorProcess>(m_dir->filePath(u"gw.txt"_s));
    QVERIFY(m_simulator->start({u"--listen"_s, u"127.0.0.1:0"_s, u"--err-every"_s, u"52"_s}));
    QVERIFY((m_port = m_simulator->listenPort(kWaitMs)) != 0);
    m_outcomes->clear();
    logOn();
    const QStringList before = configLines();
    m_messages->shown.clear();
    m_messages->answers = {QMessageBox::No};
    control<QAction>(u"actWriteAll"_s)->trigger();
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown.at(0).icon, QMessageBox::Warning);
    QCOMPARE(m_messages->shown.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(m_messages->shown.at(0).text.contains(older.version));
    QVERIFY(!m_window->writeQueue()->isWriting());

    // Yes, then Ignore for the refused row: the write ends incomplete, naming it,
    // and the gateway holds every other record, row 20 changed and row 13 not.
    m_messages->answers = {QMessageBox::Yes, QMessageBox::Ignore};
    control<QAction>(u"actWriteAll"_s)->trigger();
    QVERIFY(m_window->writeQueue()->isWriting());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(writeOutcome(), u"Write data not complete seccessful!"_s);
    QCOMPARE(shownTexts().mid(2),
        (QStringList {u"Number List 13: Error: can't write : Number List 13\r\nplease check your data."_s,
            u"info: Write data not complete seccesful : \r\nNumber List 13\r\n"_s}));
    QCOMPARE(m_messages->shown.at(2).buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    QStringList expected = before;
    expected[expected.indexOf(QRegularExpression(u"LST20.*"_s))] = u"LST20,09121110020,0"_s;
    QTRY_COMPARE_WITH_TIMEOUT(configLines(), expected, kWaitMs);
    QVERIFY(session.isHoldingConfiguration());
}

// The answers to the compare and preview dialogs: each dialog that comes up is
// read (its summary, then one line per difference) and closed with a button;
// the first difference is activated first when asked.
struct CompareDialogs
{
    explicit CompareDialogs(bool activateFirst = false)
    {
        timer.start(20);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this, activateFirst] {
            auto *dialog = qobject_cast<CompareDialog *>(QApplication::activeModalWidget());
            if (!dialog || answers.isEmpty())
                return;
            QStringList lines {dialog->summaryText()};
            for (int i = 0; i < dialog->list()->topLevelItemCount(); ++i) {
                const QTreeWidgetItem *item = dialog->list()->topLevelItem(i);
                lines << QStringList {item->text(0), item->text(1), item->text(2), item->text(3)}.join(u'|');
            }
            seen << lines;
            if (activateFirst && dialog->list()->topLevelItemCount() > 0)
                emit dialog->list()->itemActivated(dialog->list()->topLevelItem(0), 0);
            dialog->findChild<QDialogButtonBox *>()->button(answers.takeFirst())->click();
        });
    }

    QTimer timer;
    QList<QDialogButtonBox::StandardButton> answers;
    QList<QStringList> seen;
};

// Preview saves (off until chosen, then kept): Cancel writes nothing, OK writes.
// Compare with the gateway as it is now reads it without touching the pages and
// lists what they hold beyond it; activating a line shows its field's page. Compare
// with the gateway as last read and with a file list what differs from each.
void tst_ConsoleSession::previewAndCompare()
{
    logOn();
    auto *preview = control<QAction>(u"actPreview"_s);
    QVERIFY(!preview->isChecked());
    preview->trigger();
    QCOMPARE(SettingsFile(SettingsLocation::settingFile(m_dir->path())).value(u"Options"_s, u"PreviewSave"_s), u"1"_s);

    m_chosenFile = m_dir->filePath(u"logon.gwcfg"_s);
    control<QAction>(u"actSaveFile"_s)->trigger();
    const QStringList before = configLines();
    auto *dialPause = control<QLineEdit>(u"txtFXO_DLP"_s);
    const QString stored = dialPause->text();
    dialPause->setText(u"12"_s);
    const QString line = u"FXO|Dial Pause (1-255 x 0.1 sec)|%1|%2"_s;
    {
        CompareDialogs dialogs;
        dialogs.answers = {QDialogButtonBox::Cancel};
        control<QPushButton>(u"cmdSAVE"_s)->click();
        QCOMPARE(dialogs.seen, (QList<QStringList> {{u"1 difference, on FXO."_s, line.arg(u"12"_s, stored)}}));
        QVERIFY(!m_window->writeQueue()->isWriting());
        QCOMPARE(configLines(), before);

        dialogs.answers = {QDialogButtonBox::Ok};
        saveShownPage();
        QCOMPARE(dialogs.seen.size(), 2);
        QCOMPARE(writeOutcome(), kWriteComplete);
        QTRY_COMPARE_WITH_TIMEOUT(configLines().join(u'\n').contains(u"FXO0,,3,4,11,12,"_s), true, kWaitMs);
    }

    dialPause->setText(u"13"_s);
    m_window->toolBar()->button(u"isdn"_s)->trigger();
    CompareDialogs dialogs(true);
    dialogs.answers = {QDialogButtonBox::Close};
    m_window->findChild<QAction *>(u"actCompareNow"_s)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.seen.size(), 1, kWaitMs);
    QCOMPARE(dialogs.seen.first(), (QStringList {u"1 difference, on FXO."_s, line.arg(u"13"_s, u"12"_s)}));
    QCOMPARE(dialPause->text(), u"13"_s);
    QCOMPARE(control<QLabel>(u"lblSource"_s)->text(), u"gateway"_s);
    QCOMPARE(m_window->visiblePage(), int(Pages::PageFXO));
    QVERIFY(m_window->toolBar()->isButtonMarked(u"main"_s));
    QVERIFY(!m_window->session()->isHoldingConfiguration());

    // With a prefix changed besides: the gateway as last read holds 12, the file
    // saved at log-on the value stored then, and each compare finds both fields.
    auto *prefixes = control<CoolFlex>(u"ucPRF"_s);
    const QString prefixLine = u"Prefixes|row 6, Prefix|0990|%1"_s.arg(prefixes->TextMatrix(6, 1));
    QVERIFY(prefixes->setTextMatrix(6, 1, u"0990"_s));
    dialogs.answers = {QDialogButtonBox::Close, QDialogButtonBox::Close};
    m_window->findChild<QAction *>(u"actCompareGateway"_s)->trigger();
    m_window->findChild<QAction *>(u"actCompareFile"_s)->trigger();
    const QString summary = u"2 differences: 1 on Prefixes, 1 on FXO."_s;
    QCOMPARE(dialogs.seen.mid(1), (QList<QStringList> {{summary, prefixLine, line.arg(u"13"_s, u"12"_s)},
                                      {summary, prefixLine, line.arg(u"13"_s, stored)}}));
}

QTEST_MAIN(tst_ConsoleSession)
#include "tst_consolesession.moc"
