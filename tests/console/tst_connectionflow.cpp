// The connection flow against the gateway simulator, over loopback TCP (client
// and server) and a socat pseudo-terminal pair, in a real gateway session with
// the progress strip and the toolbar as its views; the dialog's answers and the
// message boxes are scripted.

#include <connectionflow.h>
#include <cspooling.h>
#include <frmconnectionselect.h>
#include <gatewaysession.h>
#include <ilinkmonitor.h>
#include <messageboxqueuequestions.h>
#include <pseudoterminalpair.h>
#include <scriptedmessageboxes.h>
#include <settingsfile.h>
#include <settingslocation.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>
#include "writeoutcomewatch.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kShortConnectStepMs = 20; // a 2 s "connecting" operation
constexpr int kConfigurationLines = 103; // "VER" and the records the simulator reports
constexpr int kWaitMs = 15000;
const QString kTimeOutText = u"Error: Time out, unable to connect to the gateway!!"_s;
const QString kConnectErrorText = u"Error: can't connect to the gateway ,please check your connection"_s;

class SentLines final : public ILinkMonitor
{
public:
    QStringList sent;
    void appendSentLine(const QString &strCmd, bool) override { sent << strCmd; }
    void appendReceivedLine(const QString &) override { }
    bool isAnalyzeEnabled() const override { return true; }
};

// The scripted boxes, with a look at the console as each box comes up.
class WatchedMessageBoxes final : public MessageBoxService
{
public:
    QMessageBox::StandardButton show(QWidget *parent, const MessageRequest &request) override
    {
        if (onShow)
            onShow(request);
        return script.show(parent, request);
    }

    ScriptedMessageBoxes script;
    std::function<void(const MessageRequest &)> onShow;
};

ConnectionChoice choice(const QString &mode, quint16 port, const QString &server = u"0"_s,
    const QString &login = u"0"_s, const QString &password = u"5823"_s)
{
    ConnectionChoice result;
    result.g_Mode = mode;
    result.g_com = static_cast<qint16>(port);
    result.g_Rate = u"115200"_s;
    result.g_Rate_index = u"3"_s;
    result.g_Phone = u"5550100"_s;
    result.g_OPT_MDM = u"ATZ"_s;
    result.g_ip = u"127.0.0.1"_s;
    result.g_port = QString::number(port);
    result.g_Pass = password;
    result.g_Server = server;
    result.g_Login = login;
    result.g_UnitID = u"1"_s;
    return result;
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A host that never answers, on loopback only: a listener whose one-place accept
// queue is full drops every further connection request, so the link stays in
// its connecting state as with an unreachable gateway.
struct SilentHost
{
    QTcpServer listener;
    QTcpSocket filler;

    bool start()
    {
        listener.setListenBacklogSize(0);
        if (!listener.listen(QHostAddress::LocalHost, 0))
            return false;
        listener.pauseAccepting();
        filler.connectToHost(QHostAddress::LocalHost, listener.serverPort());
        return filler.waitForConnected(5000);
    }
};

} // namespace

// Everything one test drives: a gateway session with the strip and the toolbar
// as its views, wired as the main window wires them. realDialog: the real
// connection dialog instead of the scripted answers.
struct Rig
{
    Rig(const QString &settingsFolder, bool realDialog = false)
        : session(questions, sessionOptions(settingsFolder, realDialog))
    {
        session.setTrafficViews(&monitor, nullptr);
        QObject::connect(&session, &GatewaySession::recordReceived, &session, [this] { ++lines; });
        QObject::connect(&session, &GatewaySession::versionChanged, &session, [this] { ++lines; });
        QObject::connect(&session, &GatewaySession::configurationReadStarted, &session, [this] { ++clearedTables; });
        QObject::connect(&session, &GatewaySession::buttonCaptionChanged, &toolbar, &ucToolBar::setButtonCaption);
        QObject::connect(&session, &GatewaySession::buttonEnabledChanged, &toolbar, &ucToolBar::setButtonEnable);
        QObject::connect(&toolbar, &ucToolBar::BtnClick, &session, [this](const QString &key) {
            if (key == u"connect")
                session.connectChange(QString(), true);
        });
        progress.SetTimeOut(kShortConnectStepMs);
    }
    ~Rig() { session.setTrafficViews(nullptr, nullptr); }

    GatewaySession::Options sessionOptions(const QString &settingsFolder, bool realDialog)
    {
        GatewaySession::Options options;
        options.settingsFolder = settingsFolder;
        if (realDialog) {
            options.chooseConnection
                = [this, settingsFolder] { return frmConnectionSelect::ask(nullptr, settingsFolder, &messages); };
        } else {
            options.chooseConnection = [this] { return chooseConnection(); };
        }
        return options;
    }

    ConnectionChoice chooseConnection()
    {
        ++dialogsShown;
        return dialogAnswers.isEmpty() ? choice(u"ERR"_s, 0) : dialogAnswers.takeFirst();
    }

    void pressConnect() { toolbar.button(u"connect"_s)->trigger(); }
    QString panel() const { return progress.panelText(u"connect"_s); }
    // Panel text, button caption, and whether the flow is active and the link up.
    QString state() const
    {
        return u"%1|%2|%3|%4"_s.arg(panel(), toolbar.button(u"connect"_s)->text(),
            flow.fLinkActive ? u"active"_s : u"idle"_s, link.isConnected() ? u"up"_s : u"down"_s);
    }
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const MessageRequest &request : messages.script.shown)
            texts << request.text;
        return texts;
    }

    WatchedMessageBoxes messages;
    MessageBoxQueueQuestions questions {messages, nullptr};
    SentLines monitor;
    QList<ConnectionChoice> dialogAnswers;
    int dialogsShown = 0;
    int clearedTables = 0;
    // Records and version lines the session took from the gateway.
    int lines = 0;

    ucToolBar toolbar;
    GatewaySession session;
    ucProgress progress {session.clock()};
    CSpooling &link = session.link();
    WriteQueue &queue = session.queue();
    ConnectionFlow &flow = session.flow();
    WriteOutcomeWatch outcomes {queue, progress};
};

class tst_ConnectionFlow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tcpClient_data();
    void tcpClient();
    void serverModeWaitsForRefresh();
    void serial_data();
    void serial();
    void unreachableHostTimesOut_data();
    void unreachableHostTimesOut();
    void retryAfterTimeOutReconnectsWithoutDialog();
    void connectionError_data();
    void connectionError();
    void serverPortInUse();
    void gatewayDropsMidRead();
    void wrongPassword();
    void lineChangeDisconnects();
    void strayCodesWhileDisconnectedOpenNothing_data();
    void strayCodesWhileDisconnectedOpenNothing();
    void settingsThatCannotBeWrittenOpenNothing();
    void realDialog_data();
    void realDialog();

private:
    quint16 startListeningSimulator(const QStringList &extra = {});
    bool startProcess(const QString &program, const QStringList &arguments);
    bool startPtyPair();
    void writeSetting(const QString &section, const QString &key, const QString &value);
    QStringList settings(const QStringList &keys) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Rig> m_rig;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    std::unique_ptr<PseudoTerminalPair> m_pair;
    QString m_consoleEnd;
    QString m_gatewayEnd;
};

void tst_ConnectionFlow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_rig = std::make_unique<Rig>(m_dir->path());
}

void tst_ConnectionFlow::cleanup()
{
    m_rig.reset();
    for (const auto &process : m_processes) {
        process->terminate();
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(3000);
    }
    m_processes.clear();
    m_pair.reset();
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

bool tst_ConnectionFlow::startProcess(const QString &program, const QStringList &arguments)
{
    auto &process = m_processes.emplace_back(std::make_unique<QProcess>());
    process->start(program, arguments);
    return process->waitForStarted();
}

quint16 tst_ConnectionFlow::startListeningSimulator(const QStringList &extra)
{
    if (!startProcess(QCoreApplication::applicationDirPath() + u"/varlisk-gwsim"_s,
            QStringList {u"--listen"_s, u"127.0.0.1:0"_s} + extra))
        return 0;
    // Port 0 lets the system choose; the simulator says which port it got.
    QProcess &simulator = *m_processes.back();
    QByteArray status;
    const QRegularExpression listening(u"listening on [^\\s:]+:(\\d+)"_s);
    QRegularExpressionMatch match;
    (void)QTest::qWaitFor(
        [&] {
            status += simulator.readAllStandardError();
            return (match = listening.match(QString::fromLatin1(status))).hasMatch();
        },
        kWaitMs);
    return match.hasMatch() ? match.captured(1).toUShort() : 0;
}

bool tst_ConnectionFlow::startPtyPair()
{
    m_pair = std::make_unique<PseudoTerminalPair>(m_dir->path());
    m_consoleEnd = m_pair->first();
    m_gatewayEnd = m_pair->second();
    return m_pair->start();
}

void tst_ConnectionFlow::writeSetting(const QString &section, const QString &key, const QString &value)
{
    SettingsFile file(SettingsLocation::settingFile(m_dir->path()));
    QVERIFY(file.setValue(section, key, value));
}

// "key=value" for every key of "IPConfig" asked for.
QStringList tst_ConnectionFlow::settings(const QStringList &keys) const
{
    SettingsFile file(SettingsLocation::settingFile(m_dir->path()));
    QStringList pairs;
    for (const QString &key : keys)
        pairs << key + u'=' + file.value(ConnectionFlow::kSection, key);
    return pairs;
}

void tst_ConnectionFlow::tcpClient_data()
{
    QTest::addColumn<QString>("login");
    QTest::newRow("logs on by itself") << u"0"_s;
    QTest::newRow("Login to Master PC: waits") << u"1"_s;
}

void tst_ConnectionFlow::tcpClient()
{
    QFETCH(QString, login);
    Rig &rig = *m_rig;
    const quint16 port = startListeningSimulator();
    QVERIFY(port);

    rig.dialogAnswers << choice(u"NET"_s, port, u"0"_s, login);
    rig.pressConnect();
    QCOMPARE(rig.state(), u"Connecting...|Disconnect|active|down"_s);

    if (login == u"0") {
        QTRY_COMPARE_WITH_TIMEOUT(rig.outcomes.outcome(), u"Write data complete successful.."_s, kWaitMs);
        // Logged on and idle, the console reads as connected again.
        QCOMPARE(rig.state(), u"Connected        |Disconnect|active|up"_s);
        QCOMPARE(rig.lines, kConfigurationLines);
        QCOMPARE(rig.monitor.sent, QStringList {u"CPW5823"_s});
        QCOMPARE(rig.clearedTables, 1);
    } else {
        // The link is up at once, but only the end of "connecting" shows it.
        QTRY_VERIFY(rig.link.isConnected());
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Connected        "_s, kWaitMs);
        QTest::qWait(200);
        QVERIFY(rig.monitor.sent.isEmpty());
    }
    QCOMPARE(rig.progress.panelPicture(u"connect"_s), ProgressArt::Picture::Connected);
    QVERIFY(rig.messages.script.shown.isEmpty());
    QCOMPARE(settings({u"RecMode"_s, u"LastCon"_s, u"NetPort"_s, u"server"_s, u"login"_s, u"unitID"_s, u"CComNum"_s}),
        (QStringList {u"RecMode=0"_s, u"LastCon=1"_s, u"NetPort=%1"_s.arg(port), u"server=0"_s, u"login="_s + login,
            u"unitID=1"_s, u"CComNum="_s}));

    rig.pressConnect();
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QCOMPARE(rig.monitor.sent.last(), u"SRV:CLOSE"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::serverModeWaitsForRefresh()
{
    Rig &rig = *m_rig;
    const quint16 port = freePort();
    QVERIFY(port);
    // The dialog checks "Login to Master PC" with the server; the flow does not rely on it.
    rig.dialogAnswers << choice(u"NET"_s, port, u"1"_s) << choice(u"NET"_s, port, u"1"_s);

    rig.pressConnect();
    QVERIFY(rig.link.isListening());
    QCOMPARE(rig.state(), u"Server status: Listening|Stop server|active|down"_s);
    QVERIFY(rig.progress.isServerIndicating());
    QCOMPARE(settings({u"server"_s, u"login"_s}), (QStringList {u"server=1"_s, u"login=1"_s}));

    rig.pressConnect();
    QVERIFY(!rig.link.isListening());
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);

    rig.pressConnect();
    QVERIFY(rig.link.isListening());
    QVERIFY(startProcess(QCoreApplication::applicationDirPath() + u"/varlisk-gwsim"_s,
        {u"--connect"_s, u"127.0.0.1:%1"_s.arg(port), u"--retry-ms"_s, u"50"_s}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.state(), u"Connected        |Disconnect|active|up"_s, kWaitMs);
    QTest::qWait(200);
    // Only the stopped server's close command was echoed; no log-on went out.
    QCOMPARE(rig.monitor.sent, QStringList {u"SRV:CLOSE"_s});

    rig.queue.sendRefresh(rig.flow.g_Pass);
    QTRY_COMPARE_WITH_TIMEOUT(rig.lines, kConfigurationLines, kWaitMs);

    rig.pressConnect();
    QVERIFY(!rig.link.isListening());
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QVERIFY(rig.messages.script.shown.isEmpty());
}

void tst_ConnectionFlow::serial_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("serial") << u"COM"_s
                            << QStringList {
                                   u"RecMode=0"_s, u"LastCon=0"_s, u"CBitRate=3"_s, u"CComNum=2"_s, u"NetPort="_s};
    QTest::newRow("modem") << u"MDM"_s
                           << QStringList {
                                  u"RecMode=0"_s, u"LastCon=2"_s, u"MBitRate=3"_s, u"MComNum=3"_s, u"MPhone=5550100"_s};
}

void tst_ConnectionFlow::serial()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, keys);
    Rig &rig = *m_rig;
    QVERIFY(startPtyPair());
    QVERIFY(startProcess(QCoreApplication::applicationDirPath() + u"/varlisk-gwsim"_s, {u"--serial"_s, m_gatewayEnd}));
    writeSetting(u"COMPorts"_s, u"COM3"_s, m_consoleEnd);

    rig.dialogAnswers << choice(mode, 3);
    rig.pressConnect();
    QCOMPARE(rig.link.devicePath(), m_consoleEnd);
    QCOMPARE(rig.link.sComSet, u"115200,n,8,1"_s);
    QVERIFY(rig.link.isConnected());

    if (mode == u"COM") {
        QTRY_COMPARE_WITH_TIMEOUT(rig.outcomes.outcome(), u"Write data complete successful.."_s, kWaitMs);
        QCOMPARE(rig.lines, kConfigurationLines);
    } else {
        // A modem line is only opened; dialling is the operator's.
        QTRY_COMPARE_WITH_TIMEOUT(rig.state(), u"Connected        |Disconnect|active|up"_s, kWaitMs);
        QTest::qWait(200);
        QVERIFY(rig.monitor.sent.isEmpty());
        QCOMPARE(rig.flow.g_OPT_MDM, u"ATZ"_s);
    }
    QCOMPARE(settings(QStringList(keys).replaceInStrings(QRegularExpression(u"=.*"_s), QString())), keys);

    rig.pressConnect();
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QVERIFY(rig.messages.script.shown.isEmpty());
}

void tst_ConnectionFlow::unreachableHostTimesOut_data()
{
    QTest::addColumn<int>("connectStepMs");
    QTest::newRow("shortened") << kShortConnectStepMs;
    QTest::newRow("the real 10 s") << 100;
}

void tst_ConnectionFlow::unreachableHostTimesOut()
{
    QFETCH(int, connectStepMs);
    Rig &rig = *m_rig;
    SilentHost host;
    QVERIFY(host.start());
    rig.progress.SetTimeOut(connectStepMs);
    rig.messages.script.answers << QMessageBox::Cancel;
    rig.dialogAnswers << choice(u"NET"_s, host.listener.serverPort());

    QElapsedTimer clock;
    clock.start();
    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.script.shown.size(), 1, 100 * connectStepMs + kWaitMs);
    QVERIFY2(clock.elapsed() >= 100 * connectStepMs - 50, qPrintable(QString::number(clock.elapsed())));

    const MessageRequest &box = rig.messages.script.shown.first();
    QCOMPARE(box.text, kTimeOutText);
    QCOMPARE(box.title, u"Error"_s);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    QCOMPARE(rig.state(), u"Connection failed|Connect|idle|down"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::retryAfterTimeOutReconnectsWithoutDialog()
{
    Rig &rig = *m_rig;
    SilentHost host;
    QVERIFY(host.start());
    rig.dialogAnswers << choice(u"NET"_s, host.listener.serverPort());
    // The host comes up while the operator reads the time-out.
    rig.messages.onShow = [&](const MessageRequest &) {
        host.listener.resumeAccepting();
        // Long enough for a connection request repeated after 1 s to get through.
        rig.progress.SetTimeOut(60);
    };
    rig.messages.script.answers << QMessageBox::Retry;

    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.shownTexts(), QStringList {kTimeOutText}, kWaitMs);
    QCOMPARE(rig.state(), u"Retrying Connecting...|Disconnect|active|down"_s);

    // The console reaches the same address again and logs on.
    std::vector<std::unique_ptr<QTcpSocket>> accepted;
    QTcpSocket *gateway = nullptr;
    const auto logOnArrived = [&] {
        while (host.listener.hasPendingConnections())
            accepted.emplace_back(host.listener.nextPendingConnection());
        for (const auto &socket : accepted) {
            if (socket->peek(64).contains("CPW5823\r"))
                gateway = socket.get();
        }
        return gateway != nullptr;
    };
    QTRY_VERIFY_WITH_TIMEOUT(logOnArrived(), kWaitMs);
    gateway->write("VER4.2\rOK\r");
    QTRY_COMPARE_WITH_TIMEOUT(rig.outcomes.outcome(), u"Write data complete successful.."_s, kWaitMs);
    QCOMPARE(rig.lines, 1);
    QCOMPARE(rig.dialogsShown, 1);
    QCOMPARE(rig.messages.script.shown.size(), 1);
}

void tst_ConnectionFlow::connectionError_data()
{
    QTest::addColumn<bool>("failsAtOnce");
    QTest::addColumn<bool>("retryFirst");
    QTest::newRow("refused, cancel") << false << false;
    QTest::newRow("refused, retry, cancel") << false << true;
    // Port 0: the link's own message, then code 3, inside the opening call.
    QTest::newRow("fails at once, cancel") << true << false;
    QTest::newRow("fails at once, retry, cancel") << true << true;
}

void tst_ConnectionFlow::connectionError()
{
    QFETCH(bool, failsAtOnce);
    QFETCH(bool, retryFirst);
    Rig &rig = *m_rig;
    const quint16 port = failsAtOnce ? 0 : freePort();
    QVERIFY(failsAtOnce || port);
    rig.dialogAnswers << choice(u"NET"_s, port);
    QStringList whileAsked;
    rig.messages.onShow = [&](const MessageRequest &request) {
        if (request.text == kConnectErrorText)
            whileAsked << rig.state() + u'|' + QString::number(rig.link.port());
    };
    QList<QMessageBox::StandardButton> &answers = rig.messages.script.answers;
    if (failsAtOnce)
        answers << QMessageBox::Ok;
    if (retryFirst && failsAtOnce)
        answers << QMessageBox::Retry << QMessageBox::Ok;
    else if (retryFirst)
        answers << QMessageBox::Retry;
    answers << QMessageBox::Cancel;

    rig.pressConnect();
    QStringList attempt {kConnectErrorText};
    if (failsAtOnce)
        attempt.prepend(u"Invalid port number 0"_s);
    const QStringList expected = retryFirst ? attempt + attempt : attempt;
    QTRY_COMPARE_WITH_TIMEOUT(rig.shownTexts(), expected, kWaitMs);
    for (const MessageRequest &box : std::as_const(rig.messages.script.shown)) {
        const bool ours = box.text == kConnectErrorText;
        QCOMPARE(box.title, ours ? u"Error"_s : u"Varlisk"_s);
        QCOMPARE(box.icon, ours ? QMessageBox::Critical : QMessageBox::NoIcon);
        QCOMPARE(box.buttons, ours ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok);
    }
    // Already disconnected while the question waits; a retry goes to the same port.
    QCOMPARE(whileAsked, QStringList(retryFirst ? 2 : 1, u"Connection error|Connect|idle|down|%1"_s.arg(port)));

    QCOMPARE(rig.state(), u"Connection failed|Connect|idle|down"_s);
    QCOMPARE(rig.dialogsShown, 1);
    // Nothing starts again by itself.
    QTest::qWait(100 * kShortConnectStepMs + 200);
    QCOMPARE(rig.shownTexts(), expected);
    QCOMPARE(rig.state(), u"Connection failed|Connect|idle|down"_s);
}

void tst_ConnectionFlow::serverPortInUse()
{
    Rig &rig = *m_rig;
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::Any, 0));
    rig.dialogAnswers << choice(u"NET"_s, occupant.serverPort(), u"1"_s) << choice(u"ERR"_s, 0);

    rig.pressConnect();
    QCOMPARE(rig.messages.script.shown.size(), 1);
    QCOMPARE(rig.messages.script.shown.first().title, u"Varlisk"_s);
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    // The next press asks again instead of only disconnecting.
    rig.pressConnect();
    QCOMPARE(rig.dialogsShown, 2);
}

void tst_ConnectionFlow::gatewayDropsMidRead()
{
    Rig &rig = *m_rig;
    const quint16 port = startListeningSimulator({u"--drop-after"_s, u"40"_s});
    QVERIFY(port);
    rig.dialogAnswers << choice(u"NET"_s, port);

    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.state(), u"Disconnected|Connect|idle|down"_s, kWaitMs);
    QCOMPARE(rig.lines, 40);
    // The unfinished log-on asks nothing once the console is disconnected.
    QTest::qWait(static_cast<int>(WriteQueue::kLogonTimeOut.count()) + 500);
    QVERIFY(rig.messages.script.shown.isEmpty());
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::wrongPassword()
{
    Rig &rig = *m_rig;
    const quint16 port = startListeningSimulator();
    QVERIFY(port);
    rig.messages.script.answers << QMessageBox::Cancel << QMessageBox::Ok;
    rig.dialogAnswers << choice(u"NET"_s, port, u"0"_s, u"0"_s, u"0000"_s);

    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"failed write to gateway"_s, kWaitMs);
    QCOMPARE(rig.shownTexts(),
        (QStringList {
            u"Error: can't write : Login\r\nplease check your data."_s, u"Error: can't write data to : \r\nLogin"_s}));
    // The log-on is the last (only) entry: Retry and Cancel, Cancel preselected.
    const MessageRequest &question = rig.messages.script.shown.first();
    QCOMPARE(question.title, u"Login"_s);
    QCOMPARE(question.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    QCOMPARE(question.defaultButton, QMessageBox::Cancel);
    QCOMPARE(rig.lines, 0);
    // A refused log-on leaves the link open for the operator.
    QCOMPARE(rig.state(), u"failed write to gateway|Disconnect|active|up"_s);
}

void tst_ConnectionFlow::lineChangeDisconnects()
{
    Rig &rig = *m_rig;
    const quint16 port = startListeningSimulator();
    QVERIFY(port);
    rig.dialogAnswers << choice(u"NET"_s, port, u"0"_s, u"1"_s);
    rig.pressConnect();
    QTRY_VERIFY(rig.link.isConnected());

    emit rig.link.onSplAction(CSpooling::splLineChange);
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::strayCodesWhileDisconnectedOpenNothing_data()
{
    QTest::addColumn<qint32>("code");
    QTest::newRow("peer closed") << qint32(CSpooling::splPeerClosed);
    QTest::newRow("line change") << qint32(CSpooling::splLineChange);
    QTest::newRow("send done") << qint32(CSpooling::splSendDone);
}

// A late event of a closed link must not open the dialog (a toggle would).
void tst_ConnectionFlow::strayCodesWhileDisconnectedOpenNothing()
{
    QFETCH(qint32, code);
    Rig &rig = *m_rig;
    emit rig.link.onSplAction(code);
    QCOMPARE(rig.dialogsShown, 0);
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
}

void tst_ConnectionFlow::settingsThatCannotBeWrittenOpenNothing()
{
    // The settings folder is a file, so Setting.xml can be neither read nor written.
    const QString notAFolder = m_dir->filePath(u"plain-file"_s);
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    Rig rig(notAFolder);
    const quint16 port = startListeningSimulator();
    QVERIFY(port);
    rig.dialogAnswers << choice(u"NET"_s, port);

    rig.pressConnect();
    QCOMPARE(rig.messages.script.shown.size(), 1);
    QVERIFY(rig.shownTexts().first().startsWith(u"Error: can't save the connection settings"_s));
    QCOMPARE(rig.messages.script.shown.first().icon, QMessageBox::Critical);
    QVERIFY(rig.link.ConnectMode.isEmpty());
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QTest::qWait(200);
    QVERIFY(!rig.link.isConnected());
}

void tst_ConnectionFlow::realDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("OK") << u"cmdOk"_s;
    QTest::newRow("Cancel") << u"cmdCancel"_s;
}

// The flow's own dialog runner with the real dialog: its stored serial choice
// (COM 3, mapped to a pseudo terminal) is opened on OK, nothing on Cancel.
void tst_ConnectionFlow::realDialog()
{
    QFETCH(QString, button);
    QVERIFY(startPtyPair());
    writeSetting(u"COMPorts"_s, u"COM3"_s, m_consoleEnd);
    writeSetting(ConnectionFlow::kSection, u"LastCon"_s, u"0"_s);
    writeSetting(ConnectionFlow::kSection, u"CComNum"_s, u"2"_s);
    m_rig = std::make_unique<Rig>(m_dir->path(), true);
    Rig &rig = *m_rig;
    // A flag left from an earlier TCP choice does not hold back the serial log-on.
    rig.flow.g_Login = u"1"_s;

    QTimer clicker;
    clicker.start(20);
    connect(&clicker, &QTimer::timeout, &clicker, [&] {
        if (auto *dialog = qobject_cast<frmConnectionSelect *>(QApplication::activeModalWidget())) {
            clicker.stop();
            dialog->findChild<QAbstractButton *>(button)->click();
        }
    });
    rig.pressConnect();

    if (button == u"cmdOk") {
        QCOMPARE(rig.link.devicePath(), m_consoleEnd);
        QCOMPARE(rig.state(), u"Connecting...|Disconnect|active|up"_s);
        QCOMPARE(rig.flow.g_Pass, u"5823"_s);
        QCOMPARE(settings({u"LastCon"_s, u"CComNum"_s, u"CBitRate"_s}),
            (QStringList {u"LastCon=0"_s, u"CComNum=2"_s, u"CBitRate=3"_s}));
        QTRY_COMPARE(rig.monitor.sent, QStringList {u"CPW5823"_s});
        rig.pressConnect();
    } else {
        // Nothing opened, and only "RecMode" written.
        QVERIFY(rig.link.ConnectMode.isEmpty());
        QVERIFY(!rig.progress.isStepTimerActive(ucProgress::kConnectTimer));
        QVERIFY(rig.messages.script.shown.isEmpty());
        QCOMPARE(settings({u"RecMode"_s, u"LastCon"_s, u"CComNum"_s, u"CBitRate"_s, u"NetPort"_s, u"login"_s}),
            (QStringList {u"RecMode=0"_s, u"LastCon=0"_s, u"CComNum=2"_s, u"CBitRate="_s, u"NetPort="_s, u"login="_s}));
    }
    QCOMPARE(rig.state(), u"Disconnected|Connect|idle|down"_s);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(tst_ConnectionFlow)
#include "tst_connectionflow.moc"
