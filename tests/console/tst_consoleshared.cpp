// The main window, offscreen, against the gateway simulator run as its own
// process, on the links other than a plain TCP client: a serial line over a socat
// pseudo-terminal pair, and two consoles in one process sharing one gateway
// through the relay of their monitor pages.

#include <autocombo.h>
#include <configpages.h>
#include <cspooling.h>
#include <frmprigroups.h>
#include <gatewaysimulatorprocess.h>
#include <monitorpage.h>
#include <monitorrelay.h>
#include <pseudoterminalpair.h>
#include <scriptedmessageboxes.h>
#include <serialportmap.h>
#include <settingsfile.h>
#include <settingslocation.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>
#include "writeoutcomewatch.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 15000;
constexpr int kSerialPort = 3; // "COM3", mapped to the console's end of the pair
const QString kVersion = u"GW-3200 v3.12 build 0617"_s;
const QString kWriteComplete = u"Write data complete successful.."_s;
const QString kPinChanged = u"GSM4,,48,0,1234,,1,1,5"_s;

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// One console: its own settings folder, scripted boxes and main window.
struct Console
{
    Console(const QString &folder, const ConnectionChoice &choice)
    {
        FrmPRIGroups::Options options;
        options.settingsFolder = folder;
        options.messages = &messages;
        options.chooseConnection = [choice] { return choice; };
        window = std::make_unique<FrmPRIGroups>(options);
        outcomes = std::make_unique<WriteOutcomeWatch>(*window->writeQueue(), *window->progressStrip());
        window->startUp();
    }

    template<typename T> T *control(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    void pressConnect() { window->toolBar()->button(u"connect"_s)->trigger(); }
    // The relay's controls are on the Debug page, built when it is first shown.
    void openDebugPage() { window->toolBar()->button(u"dbg"_s)->trigger(); }
    QString caption() const { return window->toolBar()->button(u"connect"_s)->text(); }
    QString panel() const { return window->progressStrip()->panelText(u"connect"_s); }
    QString writeOutcome() const { return outcomes->outcome(); }
    MonitorRelay *relay() const { return window->monitorPage()->relay(); }
    QStringList logLines() const
    {
        window->monitorPage()->flush();
        QStringList lines = window->monitorPage()->logView()->toPlainText().split(u'\n');
        lines.removeAll(QString());
        return lines;
    }
    QString messagesText() const { return messages.shownTexts().join(u" | "_s); }

    ScriptedMessageBoxes messages;
    std::unique_ptr<FrmPRIGroups> window;
    std::unique_ptr<WriteOutcomeWatch> outcomes;
};

// What "Save Data" would write for every configuration page, one record a line,
// in the order the gateway reports them.
QStringList recordsOnPages(const ConfigPages &pages)
{
    QStringList records;
    for (const int index : {ConfigPages::PageFXO, ConfigPages::PageFXS, ConfigPages::PageGSM, ConfigPages::PageSMS,
             ConfigPages::PageTONE, ConfigPages::PagePRF, ConfigPages::PageNumList}) {
        for (const QueueEntry &entry : pages.buildSave(index).entries)
            records << entry.Cmd;
    }
    return records;
}

// The simulator's file in the same order. The SIM number cell of the prefix table
// shows the number value of what the gateway sent, so an empty one reads "0".
QStringList recordsInFile(const QStringList &lines)
{
    QStringList records;
    for (const char *code : {"FXO", "FXS", "GSM", "NET", "SMS", "GWP", "PRF", "LST"}) {
        for (QString line : lines) {
            if (!line.startsWith(QLatin1String(code)))
                continue;
            if (line.startsWith(u"PRF"_s) && line.endsWith(u','))
                line += u'0';
            records << line;
        }
    }
    return records;
}

// The watcher's log without the gateway's "ERR" to the watcher's own greeting,
// which the watcher sends ten seconds after connecting and which a slow run may
// reach.
QStringList watchedTraffic(const Console &watcher)
{
    QStringList lines = watcher.logLines();
    lines.removeAll(u"ERR"_s);
    return lines;
}

} // namespace

class tst_ConsoleShared : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void serialLogOnAndSave();
    void remoteConsoleWatchesTraffic();
    void serialLineLost();

private:
    void startSerialGateway(QString *consoleEnd);
    static ConnectionChoice serialChoice();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PseudoTerminalPair> m_pair;
    std::unique_ptr<GatewaySimulatorProcess> m_simulator;
};

void tst_ConsoleShared::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_simulator = std::make_unique<GatewaySimulatorProcess>(m_dir->filePath(u"gw.txt"_s));
}

void tst_ConsoleShared::cleanup()
{
    m_simulator.reset();
    m_pair.reset();
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

// The simulator on one end of a socat pair, and "COM3" mapped to the other end
// in the console's settings.
void tst_ConsoleShared::startSerialGateway(QString *consoleEnd)
{
    m_pair = std::make_unique<PseudoTerminalPair>(m_dir->path());
    QVERIFY2(m_pair->start(), qPrintable(m_pair->errorText()));
    *consoleEnd = m_pair->first();
    const QString gatewayEnd = m_pair->second();
    QVERIFY(m_simulator->start({u"--serial"_s, gatewayEnd, u"--retry-ms"_s, u"100"_s}));
    QVERIFY2(m_simulator->waitForStatus(u"serial device "_s + gatewayEnd + u" open"_s, kWaitMs),
        "the simulator did not open its end of the pair");
    SettingsFile settings(SettingsLocation::settingFile(m_dir->path()));
    QVERIFY(settings.setValue(
        QString::fromLatin1(SerialPortMap::kSection), SerialPortMap::settingKey(kSerialPort), *consoleEnd));
}

ConnectionChoice tst_ConsoleShared::serialChoice()
{
    ConnectionChoice choice = tcpClientChoice(0);
    choice.g_Mode = u"COM"_s;
    choice.g_com = kSerialPort;
    choice.g_Rate = u"115200"_s;
    choice.g_Rate_index = u"3"_s;
    return choice;
}

void tst_ConsoleShared::serialLogOnAndSave()
{
    QString consoleEnd;
    startSerialGateway(&consoleEnd);
    if (QTest::currentTestFailed())
        return;
    Console console(m_dir->path(), serialChoice());

    console.pressConnect();
    QCOMPARE(console.window->objSpool->devicePath(), consoleEnd);
    QTRY_COMPARE_WITH_TIMEOUT(console.writeOutcome(), kWriteComplete, kWaitMs);
    QVERIFY(!console.window->writeQueue()->isWriting());
    QVERIFY(console.window->objSpool->isConnected());
    QCOMPARE(console.caption(), u"Disconnect"_s);
    QCOMPARE(console.control<QLabel>(u"lblESN"_s)->text(), kVersion);
    // Every page shows what the gateway holds: saved as it stands, each page would
    // write back exactly the gateway's records.
    const QStringList before = m_simulator->configLines();
    QCOMPARE(recordsOnPages(*console.window->configPages()), recordsInFile(before));

    console.window->toolBar()->button(u"system"_s)->trigger();
    console.control<QLineEdit>(u"txtGSM_PIN1"_s)->setText(u"1234"_s);
    console.control<QPushButton>(u"cmdSAVE"_s)->click();
    QVERIFY2(console.window->writeQueue()->isWriting(), qPrintable(console.messagesText()));
    QTRY_VERIFY_WITH_TIMEOUT(!console.window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(console.writeOutcome(), kWriteComplete);

    // The GSM record changed; the network record went out as it was.
    QStringList expected = before;
    const qsizetype at = expected.indexOf(u"GSM4,,48,0,,,1,1,5"_s);
    QVERIFY(at >= 0);
    expected[at] = kPinChanged;
    QTRY_COMPARE_WITH_TIMEOUT(m_simulator->configLines(), expected, kWaitMs);
    const QStringList sent = console.logLines();
    QVERIFY(sent.contains(kPinChanged));
    QVERIFY(sent.contains(u"NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00"_s));

    console.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(console.panel(), u"Disconnected"_s, kWaitMs);
    QVERIFY(!console.window->objSpool->isConnected());
    QCOMPARE(console.caption(), u"Connect"_s);

    // The port opens again and the gateway reports the saved value.
    console.control<QLineEdit>(u"txtGSM_PIN1"_s)->clear();
    console.outcomes->clear();
    console.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(console.writeOutcome(), kWriteComplete, kWaitMs);
    QCOMPARE(console.control<QLineEdit>(u"txtGSM_PIN1"_s)->text(), u"1234"_s);
    QCOMPARE(console.logLines().count(u"CPW5823"_s), 2);
    QVERIFY2(console.messages.shown.isEmpty(), qPrintable(console.messagesText()));
}

void tst_ConsoleShared::remoteConsoleWatchesTraffic()
{
    QVERIFY(m_simulator->start({u"--listen"_s, u"127.0.0.1:0"_s}));
    const quint16 gatewayPort = m_simulator->listenPort(kWaitMs);
    QVERIFY2(gatewayPort != 0, "the simulator did not say which port it listens on");
    QVERIFY(QDir(m_dir->path()).mkpath(u"serving"_s));
    QVERIFY(QDir(m_dir->path()).mkpath(u"watching"_s));

    // The serving console shares its link; the watching one has no gateway of its own.
    Console serving(m_dir->filePath(u"serving"_s), tcpClientChoice(gatewayPort));
    const quint16 relayPort = freePort();
    QVERIFY(relayPort != 0);
    serving.openDebugPage();
    serving.control<QLineEdit>(u"txtDBGPort_0"_s)->setText(QString::number(relayPort));
    serving.control<QPushButton>(u"cmdDBGListenStart"_s)->click();
    QVERIFY2(serving.relay()->isListening(), qPrintable(serving.messagesText()));

    Console watching(m_dir->filePath(u"watching"_s), tcpClientChoice(gatewayPort));
    watching.openDebugPage();
    watching.control<AutoCombo>(u"txtDBGNetC"_s)->textBox()->setText(u"127.0.0.1"_s);
    watching.control<QLineEdit>(u"txtDBGPort_1"_s)->setText(QString::number(relayPort));
    watching.control<QPushButton>(u"cmdDBGConnect"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(serving.relay()->isConnected(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(watching.relay()->isConnected(), kWaitMs);
    QCOMPARE(watching.control<QPushButton>(u"cmdDBGConnect"_s)->text(), u"Disconnect"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!watching.logLines().isEmpty(), kWaitMs);
    QVERIFY(watching.logLines().first().startsWith(u"- DUZ Irizeviriz aridud,  Version: 4.9 ready at "_s));

    // The log-on: the gateway's lines reach the watcher in the order they arrive,
    // followed by the confirmed log-on command, which the serving console's write
    // queue hands to its reply analysis.
    QStringList expected = watching.logLines();
    QCOMPARE(expected.size(), 1); // the greeting
    serving.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(serving.writeOutcome(), kWriteComplete, kWaitMs);
    expected << u"VER"_s + kVersion;
    for (const QString &record : m_simulator->configLines()) {
        if (!record.startsWith(u'#'))
            expected << record;
    }
    QCOMPARE(expected.size(), 1 + 103);
    expected << u"OK"_s << u"CPW5823"_s;
    QTRY_COMPARE_WITH_TIMEOUT(watchedTraffic(watching), expected, kWaitMs);
    // The watcher only shows them: it has no link, and its pages stay empty.
    QVERIFY(!watching.window->objSpool->isConnected());
    QCOMPARE(watching.control<QLabel>(u"lblESN"_s)->text(), QString());

    // A save: the gateway's "OK" and the confirmed record reach the watcher.
    serving.window->toolBar()->button(u"main"_s)->trigger();
    serving.control<QLineEdit>(u"txtFXO_DLP"_s)->setText(u"12"_s);
    serving.control<QPushButton>(u"cmdSAVE"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!serving.window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(serving.writeOutcome(), kWriteComplete);
    const QString saved = u"FXO0,,3,4,11,12,40,1,2,98,0,2,30"_s;
    expected << u"OK"_s << saved;
    QTRY_COMPARE_WITH_TIMEOUT(watchedTraffic(watching), expected, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_simulator->configLines().contains(saved), kWaitMs);

    // The watcher leaves: the serving console listens again and keeps its gateway.
    watching.control<QPushButton>(u"cmdDBGConnect"_s)->click();
    QCOMPARE(watching.control<QPushButton>(u"cmdDBGConnect"_s)->text(), u"Connect"_s);
    QTRY_VERIFY_WITH_TIMEOUT(serving.relay()->isListening(), kWaitMs);
    QVERIFY(serving.window->objSpool->isConnected());
    QCOMPARE(serving.caption(), u"Disconnect"_s);
    QVERIFY2(serving.messages.shown.isEmpty(), qPrintable(serving.messagesText()));
    QVERIFY2(watching.messages.shown.isEmpty(), qPrintable(watching.messagesText()));
}

void tst_ConsoleShared::serialLineLost()
{
    QString consoleEnd;
    startSerialGateway(&consoleEnd);
    if (QTest::currentTestFailed())
        return;
    Console console(m_dir->path(), serialChoice());
    console.messages.answers = {QMessageBox::Cancel};
    console.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(console.writeOutcome(), kWriteComplete, kWaitMs);

    // The line goes away under the open port, as when an adapter is pulled out.
    QVERIFY(m_pair->stop());
    QTRY_COMPARE_WITH_TIMEOUT(console.messages.shown.size(), 1, kWaitMs);
    const MessageRequest &box = console.messages.shown.first();
    QCOMPARE(box.text, u"Error: can't connect to the gateway ,please check your connection"_s);
    QCOMPARE(box.title, u"Error"_s);
    QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    QCOMPARE(console.panel(), u"Connection failed"_s);
    QCOMPARE(console.caption(), u"Connect"_s);
    QVERIFY(!console.window->objSpool->isConnected());
}

QTEST_MAIN(tst_ConsoleShared)
#include "tst_consoleshared.moc"
