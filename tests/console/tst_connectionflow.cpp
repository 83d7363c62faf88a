// The connection flow against the gateway simulator, over loopback TCP (client
// and server) and a socat pseudo-terminal pair, with the real link, progress
// strip and write queue; the dialog's answers and the message boxes are scripted.

#include <connectionflow.h>
#include <cspooling.h>
#include <ilinkmonitor.h>
#include <ireplysink.h>
#include <messageboxqueuequestions.h>
#include <progressqueueadapter.h>
#include <scriptedmessageboxes.h>
#include <settingsfile.h>
#include <settingslocation.h>
#include <spoolingqueuelink.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kShortConnectStepMs = 20; // a 2 s "connecting" operation
constexpr int kConfigurationLines = 103; // "VER" and the records the simulator reports
constexpr int kWaitMs = 15000;
const QString kPassword = u"5823"_s;

// Counts what the reply analysis recognised.
class CountingReplies final : public IReplySink
{
public:
    int records = 0;
    int versions = 0;
    void applyRecord(const QString &, const FieldCodecs::SplitResult &) override { ++records; }
    void setVersion(const QString &) override { ++versions; }
    void setWriteOK(bool) override { }
    int lines() const { return records + versions; }
};

// Keeps the commands the link echoed.
class SentLines final : public ILinkMonitor
{
public:
    QStringList sent;
    void appendSentLine(const QString &strCmd, bool) override { sent << strCmd; }
    void appendReceivedLine(const QString &) override { }
    bool isAnalyzeEnabled() const override { return true; }
};

// The scripted boxes, with a look at the console as each box comes up (a real
// box would be on the screen then).
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

ConnectionChoice netChoice(
    quint16 port, const QString &server = u"0"_s, const QString &login = u"0"_s, const QString &password = kPassword)
{
    ConnectionChoice choice;
    choice.g_Mode = u"NET"_s;
    choice.g_ip = u"127.0.0.1"_s;
    choice.g_port = QString::number(port);
    choice.g_Pass = password;
    choice.g_Server = server;
    choice.g_Login = login;
    choice.g_UnitID = u"1"_s;
    return choice;
}

ConnectionChoice serialChoice(const QString &mode, qint16 port)
{
    ConnectionChoice choice;
    choice.g_Mode = mode;
    choice.g_com = port;
    choice.g_Rate = u"115200"_s;
    choice.g_Rate_index = u"3"_s;
    choice.g_Pass = kPassword;
    choice.g_Login = u"0"_s;
    choice.g_Server = u"0"_s;
    choice.g_Phone = u"5550100"_s;
    choice.g_OPT_MDM = u"ATZ"_s;
    return choice;
}

// A TCP port on which nothing listens right now.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

// Everything one test drives, wired as the main window wires it.
struct Rig
{
    explicit Rig(const QString &settingsFolder)
        : flow(link, progress, toolbar, queue, messages,
            ConnectionFlow::Options {
                settingsFolder, [this] { return chooseConnection(); }, [this] { ++clearedTables; }})
    {
        link.setServices({&flow, &flow, &flow, &monitor, nullptr, &replies});
        QObject::connect(&link, &CSpooling::WriteResult, &queue, &WriteQueue::objSpool_WriteResult);
        QObject::connect(&progress, &ucProgress::writeOperationStarted, &queue, &WriteQueue::clearFailedList);
        QObject::connect(&toolbar, &ucToolBar::BtnClick, &flow, [this](const QString &key) {
            if (key == u"connect")
                flow.ConnectChange(QString(), true);
        });
        progress.SetTimeOut(kShortConnectStepMs);
    }
    ~Rig() { link.setServices({}); }

    ConnectionChoice chooseConnection()
    {
        ++dialogsShown;
        if (!dialogAnswers.isEmpty())
            return dialogAnswers.takeFirst();
        ConnectionChoice cancelled;
        cancelled.g_Mode = u"ERR"_s;
        return cancelled;
    }

    void pressConnect() { toolbar.button(u"connect"_s)->trigger(); }
    QString caption() const { return toolbar.button(u"connect"_s)->text(); }
    QString panel() const { return progress.panelText(u"connect"_s); }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const MessageRequest &request : messages.script.shown)
            texts << request.text;
        return texts;
    }

    WatchedMessageBoxes messages;
    CountingReplies replies;
    SentLines monitor;
    QList<ConnectionChoice> dialogAnswers;
    int dialogsShown = 0;
    int clearedTables = 0;

    ucToolBar toolbar;
    ucProgress progress;
    CSpooling link;
    SpoolingQueueLink queueLink {link};
    ProgressQueueAdapter queueProgress {progress};
    MessageBoxQueueQuestions questions {messages, nullptr};
    WriteQueue queue {queueLink, queueProgress, questions};
    ConnectionFlow flow;
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
    void refusedConnection_data();
    void refusedConnection();
    void gatewayDropsMidRead();
    void wrongPassword_data();
    void wrongPassword();
    void lineChangeDisconnects();
    void strayCodesWhileDisconnectedOpenNothing_data();
    void strayCodesWhileDisconnectedOpenNothing();
    void cancelInDialogOpensNothing();
    void settingsThatCannotBeWrittenOpenNothing();

private:
    QProcess *startSimulator(const QStringList &arguments, quint16 *listenPort = nullptr);
    bool startPtyPair();
    QString setting(const QString &key) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Rig> m_rig;
    QList<QProcess *> m_processes;
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
    for (QProcess *process : std::as_const(m_processes)) {
        process->terminate();
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(3000);
        delete process;
    }
    m_processes.clear();
    if (m_dir)
        m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QProcess *tst_ConnectionFlow::startSimulator(const QStringList &arguments, quint16 *listenPort)
{
    auto *simulator = new QProcess;
    m_processes << simulator;
    simulator->start(QCoreApplication::applicationDirPath() + u"/varlisk-gwsim"_s, arguments);
    if (!simulator->waitForStarted())
        return nullptr;
    if (!listenPort)
        return simulator;

    // Port 0 lets the system choose; the simulator says which port it got.
    QByteArray status;
    const QRegularExpression listening(u"listening on [^\\s:]+:(\\d+)"_s);
    QRegularExpressionMatch match;
    if (!QTest::qWaitFor(
            [&] {
                status += simulator->readAllStandardError();
                match = listening.match(QString::fromLatin1(status));
                return match.hasMatch();
            },
            kWaitMs))
        return nullptr;
    *listenPort = match.captured(1).toUShort();
    return simulator;
}

bool tst_ConnectionFlow::startPtyPair()
{
    m_consoleEnd = m_dir->filePath(u"a"_s);
    m_gatewayEnd = m_dir->filePath(u"b"_s);
    auto *socat = new QProcess;
    m_processes << socat;
    socat->setStandardErrorFile(m_dir->filePath(u"socat.log"_s));
    socat->start(u"socat"_s,
        {u"-d"_s, u"-d"_s, u"pty,raw,echo=0,link="_s + m_consoleEnd, u"pty,raw,echo=0,link="_s + m_gatewayEnd});
    return socat->waitForStarted()
        && QTest::qWaitFor([&] { return QFileInfo::exists(m_consoleEnd) && QFileInfo::exists(m_gatewayEnd); }, kWaitMs);
}

QString tst_ConnectionFlow::setting(const QString &key) const
{
    SettingsFile file(SettingsLocation::settingFile(m_dir->path()));
    return file.value(ConnectionFlow::kSection, key);
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
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s}, &port));

    rig.dialogAnswers << netChoice(port, u"0"_s, login);
    rig.pressConnect();
    QCOMPARE(rig.dialogsShown, 1);
    QVERIFY(rig.flow.fLinkActive);
    QCOMPARE(rig.caption(), u"Disconnect"_s);

    if (login == u"0") {
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Write data complete successful.."_s, kWaitMs);
        QCOMPARE(rig.replies.lines(), kConfigurationLines);
        QCOMPARE(rig.monitor.sent, QStringList {u"CPW5823"_s});
        QCOMPARE(rig.clearedTables, 1);
    } else {
        // The link is up at once, but only the end of "connecting" shows it.
        QTRY_VERIFY(rig.link.isConnected());
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Connected        "_s, kWaitMs);
        QTest::qWait(200);
        QVERIFY(rig.monitor.sent.isEmpty());
        QCOMPARE(rig.replies.lines(), 0);
    }
    QCOMPARE(rig.progress.panelPicture(u"connect"_s), ProgressArt::Picture::Connected);
    QCOMPARE(rig.caption(), u"Disconnect"_s);
    QVERIFY(rig.messages.script.shown.isEmpty());

    QCOMPARE(setting(u"RecMode"_s), u"0"_s);
    QCOMPARE(setting(u"LastCon"_s), u"1"_s);
    QCOMPARE(setting(u"NetPort"_s), QString::number(port));
    QCOMPARE(setting(u"server"_s), u"0"_s);
    QCOMPARE(setting(u"login"_s), login);
    QCOMPARE(setting(u"unitID"_s), u"1"_s);
    QCOMPARE(setting(u"CComNum"_s), QString());

    rig.pressConnect();
    QCOMPARE(rig.panel(), u"Disconnected"_s);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(!rig.flow.fLinkActive);
    QVERIFY(!rig.link.isConnected());
    QCOMPARE(rig.monitor.sent.last(), u"SRV:CLOSE"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::serverModeWaitsForRefresh()
{
    Rig &rig = *m_rig;
    const quint16 port = freePort();
    QVERIFY(port);
    // The dialog forces "Login to Master PC" with the server; the flow does not rely on it.
    rig.dialogAnswers << netChoice(port, u"1"_s, u"0"_s) << netChoice(port, u"1"_s, u"0"_s);

    rig.pressConnect();
    QVERIFY(rig.link.isListening());
    QCOMPARE(rig.panel(), u"Server status: Listening"_s);
    QCOMPARE(rig.caption(), u"Stop server"_s);
    QVERIFY(rig.progress.isServerIndicating());
    QCOMPARE(setting(u"server"_s), u"1"_s);
    QCOMPARE(setting(u"login"_s), u"1"_s);

    // "Stop server" ends the listening.
    rig.pressConnect();
    QVERIFY(!rig.link.isListening());
    QCOMPARE(rig.panel(), u"Disconnected"_s);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(!rig.flow.fLinkActive);

    rig.pressConnect();
    QCOMPARE(rig.dialogsShown, 2);
    QVERIFY(rig.link.isListening());
    QVERIFY(startSimulator({u"--connect"_s, u"127.0.0.1:%1"_s.arg(port), u"--retry-ms"_s, u"50"_s}));
    QTRY_VERIFY_WITH_TIMEOUT(rig.link.isConnected(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Connected        "_s, kWaitMs);
    QCOMPARE(rig.caption(), u"Disconnect"_s);
    QTest::qWait(200);
    // Only the close command of the stopped server was echoed; nothing went out.
    QCOMPARE(rig.monitor.sent, QStringList {u"SRV:CLOSE"_s});
    QCOMPARE(rig.replies.lines(), 0);

    // Refresh sends the log-on, and the configuration arrives.
    rig.queue.sendRefresh(rig.flow.g_Pass);
    QTRY_COMPARE_WITH_TIMEOUT(rig.replies.lines(), kConfigurationLines, kWaitMs);
    QCOMPARE(rig.monitor.sent.last(), u"CPW5823"_s);

    rig.pressConnect();
    QVERIFY(!rig.link.isConnected());
    QVERIFY(!rig.link.isListening());
    QCOMPARE(rig.panel(), u"Disconnected"_s);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(rig.messages.script.shown.isEmpty());
}

void tst_ConnectionFlow::serial_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("keys"); // key=value, in addition to RecMode
    QTest::newRow("serial") << u"COM"_s << QStringList {u"LastCon=0"_s, u"CBitRate=3"_s, u"CComNum=2"_s};
    QTest::newRow("modem") << u"MDM"_s
                           << QStringList {u"LastCon=2"_s, u"MBitRate=3"_s, u"MComNum=3"_s, u"MPhone=5550100"_s};
}

void tst_ConnectionFlow::serial()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, keys);
    Rig &rig = *m_rig;
    QVERIFY(startPtyPair());
    QVERIFY(startSimulator({u"--serial"_s, m_gatewayEnd}));
    {
        SettingsFile file(SettingsLocation::settingFile(m_dir->path()));
        QVERIFY(file.setValue(u"COMPorts"_s, u"COM3"_s, m_consoleEnd));
    }

    rig.dialogAnswers << serialChoice(mode, 3);
    rig.pressConnect();
    QCOMPARE(rig.link.devicePath(), m_consoleEnd);
    QCOMPARE(rig.link.sComSet, u"115200,n,8,1"_s);
    QVERIFY(rig.link.isConnected());

    if (mode == u"COM") {
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Write data complete successful.."_s, kWaitMs);
        QCOMPARE(rig.replies.lines(), kConfigurationLines);
        QCOMPARE(rig.monitor.sent, QStringList {u"CPW5823"_s});
    } else {
        // A modem line is only opened; dialling is the operator's.
        QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Connected        "_s, kWaitMs);
        QTest::qWait(200);
        QVERIFY(rig.monitor.sent.isEmpty());
        QCOMPARE(rig.flow.g_OPT_MDM, u"ATZ"_s);
    }
    QCOMPARE(rig.caption(), u"Disconnect"_s);
    QCOMPARE(setting(u"RecMode"_s), u"0"_s);
    for (const QString &pair : std::as_const(keys))
        QCOMPARE(setting(pair.section(u'=', 0, 0)), pair.section(u'=', 1));
    QCOMPARE(setting(u"NetPort"_s), QString());

    rig.pressConnect();
    QVERIFY(!rig.link.isConnected());
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(rig.messages.script.shown.isEmpty());
}

// A host that never answers, on loopback only: a listener whose one-place accept
// queue is full drops every further connection request, so the link stays in
// its connecting state, as with an unreachable gateway.
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
    rig.dialogAnswers << netChoice(host.listener.serverPort());

    QElapsedTimer clock;
    clock.start();
    rig.pressConnect();
    QCOMPARE(rig.panel(), u"Connecting..."_s);
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.script.shown.size(), 1, 100 * connectStepMs + kWaitMs);
    QVERIFY2(clock.elapsed() >= 100 * connectStepMs - 50, qPrintable(QString::number(clock.elapsed())));

    const MessageRequest &box = rig.messages.script.shown.first();
    QCOMPARE(box.text, u"Error: Time out, unable to connect to the gateway!!"_s);
    QCOMPARE(box.title, u"Error"_s);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);

    QCOMPARE(rig.panel(), u"Connection failed"_s);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(!rig.flow.fLinkActive);
    QVERIFY(!rig.link.isConnected());
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::retryAfterTimeOutReconnectsWithoutDialog()
{
    Rig &rig = *m_rig;
    SilentHost host;
    QVERIFY(host.start());
    rig.dialogAnswers << netChoice(host.listener.serverPort());
    // The host comes up while the operator reads the time-out.
    rig.messages.onShow = [&](const MessageRequest &) {
        host.listener.resumeAccepting();
        // Long enough for a connection request repeated after 1 s to get through.
        rig.progress.SetTimeOut(60);
    };
    rig.messages.script.answers << QMessageBox::Retry;

    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.script.shown.size(), 1, kWaitMs);
    QCOMPARE(rig.messages.script.shown.first().text, u"Error: Time out, unable to connect to the gateway!!"_s);
    QCOMPARE(rig.dialogsShown, 1);
    QVERIFY(rig.flow.fLinkActive);
    QCOMPARE(rig.panel(), u"Retrying Connecting..."_s);
    QCOMPARE(rig.caption(), u"Disconnect"_s);

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
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"Write data complete successful.."_s, kWaitMs);
    QCOMPARE(rig.replies.versions, 1);
    QCOMPARE(rig.messages.script.shown.size(), 1);
}

void tst_ConnectionFlow::refusedConnection_data()
{
    QTest::addColumn<bool>("retryFirst");
    QTest::newRow("cancel") << false;
    QTest::newRow("retry, then cancel") << true;
}

void tst_ConnectionFlow::refusedConnection()
{
    QFETCH(bool, retryFirst);
    Rig &rig = *m_rig;
    const quint16 port = freePort();
    QVERIFY(port);
    rig.dialogAnswers << netChoice(port);
    QStringList whileAsked;
    rig.messages.onShow = [&](const MessageRequest &) {
        whileAsked << u"%1 %2 %3 %4"_s.arg(
            rig.panel(), rig.caption(), QString::number(rig.flow.fLinkActive), QString::number(rig.link.port()));
    };
    if (retryFirst)
        rig.messages.script.answers << QMessageBox::Retry;
    rig.messages.script.answers << QMessageBox::Cancel;

    rig.pressConnect();
    const int boxes = retryFirst ? 2 : 1;
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.script.shown.size(), boxes, kWaitMs);
    for (const MessageRequest &box : std::as_const(rig.messages.script.shown)) {
        QCOMPARE(box.text, u"Error: can't connect to the gateway ,please check your connection"_s);
        QCOMPARE(box.title, u"Error"_s);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    }
    // Already disconnected while the question waits; a retry goes to the same port.
    QCOMPARE(whileAsked, QStringList(boxes, u"Connection error Connect 0 %1"_s.arg(port)));

    QCOMPARE(rig.panel(), u"Connection failed"_s);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(!rig.flow.fLinkActive);
    QCOMPARE(rig.dialogsShown, 1);
    // Nothing starts again by itself.
    QTest::qWait(100 * kShortConnectStepMs + 200);
    QCOMPARE(rig.messages.script.shown.size(), boxes);
    QCOMPARE(rig.panel(), u"Connection failed"_s);
}

void tst_ConnectionFlow::gatewayDropsMidRead()
{
    Rig &rig = *m_rig;
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s, u"--drop-after"_s, u"40"_s}, &port));
    rig.dialogAnswers << netChoice(port);

    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"NET Disconnected"_s, kWaitMs);
    QVERIFY(!rig.flow.fLinkActive);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QVERIFY(!rig.link.isConnected());
    QCOMPARE(rig.replies.lines(), 40);
    // The unfinished log-on asks nothing once the console is disconnected.
    QTest::qWait(static_cast<int>(WriteQueue::kLogonTimeOut.count()) + 500);
    QVERIFY(rig.messages.script.shown.isEmpty());
    QCOMPARE(rig.panel(), u"NET Disconnected"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::wrongPassword_data()
{
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<int>("logOnQuestions");
    QTest::newRow("cancel") << QList<QMessageBox::StandardButton> {QMessageBox::Cancel, QMessageBox::Ok} << 1;
    QTest::newRow("retry, then cancel") << QList<QMessageBox::StandardButton> {QMessageBox::Retry, QMessageBox::Cancel,
        QMessageBox::Ok} << 2;
}

void tst_ConnectionFlow::wrongPassword()
{
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(int, logOnQuestions);
    Rig &rig = *m_rig;
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s}, &port));
    rig.messages.script.answers = answers;
    rig.dialogAnswers << netChoice(port, u"0"_s, u"0"_s, u"0000"_s);

    rig.pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel(), u"failed write to gateway"_s, kWaitMs);
    QCOMPARE(rig.messages.script.shown.size(), logOnQuestions + 1);
    for (int index = 0; index < logOnQuestions; ++index) {
        const MessageRequest &question = rig.messages.script.shown.at(index);
        QCOMPARE(question.text, u"Error: can't write : Login\r\nplease check your data."_s);
        QCOMPARE(question.title, u"Login"_s);
        // The log-on is the last (only) entry: Retry and Cancel, Cancel preselected.
        QCOMPARE(question.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::Cancel);
    }
    QCOMPARE(rig.messages.script.shown.last().text, u"Error: can't write data to : \r\nLogin"_s);
    QCOMPARE(rig.monitor.sent, QStringList(logOnQuestions, u"CPW0000"_s));
    QCOMPARE(rig.replies.lines(), 0);
    // A refused log-on leaves the link open for the operator.
    QVERIFY(rig.link.isConnected());
    QVERIFY(rig.flow.fLinkActive);
    QCOMPARE(rig.caption(), u"Disconnect"_s);
}

void tst_ConnectionFlow::lineChangeDisconnects()
{
    Rig &rig = *m_rig;
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s}, &port));
    rig.dialogAnswers << netChoice(port, u"0"_s, u"1"_s);
    rig.pressConnect();
    QTRY_VERIFY(rig.link.isConnected());

    emit rig.link.onSplAction(CSpooling::splLineChange);
    QVERIFY(!rig.flow.fLinkActive);
    QVERIFY(!rig.link.isConnected());
    QCOMPARE(rig.panel(), u"Disconnected"_s);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QCOMPARE(rig.dialogsShown, 1);
}

void tst_ConnectionFlow::strayCodesWhileDisconnectedOpenNothing_data()
{
    QTest::addColumn<qint32>("code");
    QTest::newRow("peer closed") << qint32(CSpooling::splPeerClosed);
    QTest::newRow("line change") << qint32(CSpooling::splLineChange);
    QTest::newRow("send done") << qint32(CSpooling::splSendDone);
}

void tst_ConnectionFlow::strayCodesWhileDisconnectedOpenNothing()
{
    QFETCH(qint32, code);
    Rig &rig = *m_rig;
    emit rig.link.onSplAction(code);
    QCOMPARE(rig.dialogsShown, 0);
    QVERIFY(!rig.flow.fLinkActive);
    QCOMPARE(rig.caption(), u"Connect"_s);
    QCOMPARE(rig.panel(), u"Disconnected"_s);
}

void tst_ConnectionFlow::cancelInDialogOpensNothing()
{
    Rig &rig = *m_rig;
    {
        SettingsFile file(SettingsLocation::settingFile(m_dir->path()));
        QVERIFY(file.setValue(ConnectionFlow::kSection, u"LastCon"_s, u"1"_s));
    }
    ConnectionChoice cancelled = netChoice(4001);
    cancelled.g_Mode = u"ERR"_s;
    rig.dialogAnswers << cancelled;

    rig.pressConnect();
    QCOMPARE(rig.dialogsShown, 1);
    QVERIFY(!rig.flow.fLinkActive);
    QVERIFY(rig.link.ConnectMode.isEmpty());
    QCOMPARE(rig.caption(), u"Connect"_s);
    QCOMPARE(rig.panel(), u"Disconnected"_s);
    QVERIFY(!rig.progress.isStepTimerActive(ucProgress::kConnectTimer));
    QCOMPARE(setting(u"RecMode"_s), u"0"_s);
    QCOMPARE(setting(u"LastCon"_s), u"1"_s);
    for (const QString &key : {u"NetPort"_s, u"server"_s, u"login"_s, u"unitID"_s})
        QCOMPARE(setting(key), QString());
    QVERIFY(rig.messages.script.shown.isEmpty());
}

void tst_ConnectionFlow::settingsThatCannotBeWrittenOpenNothing()
{
    // The settings folder is a file, so Setting.xml can be neither read nor written.
    const QString notAFolder = m_dir->filePath(u"plain-file"_s);
    {
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    Rig rig(notAFolder);
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s}, &port));
    rig.dialogAnswers << netChoice(port);

    rig.pressConnect();
    QCOMPARE(rig.messages.script.shown.size(), 1);
    QVERIFY(rig.messages.script.shown.first().text.startsWith(u"Error: can't save the connection settings"_s));
    QCOMPARE(rig.messages.script.shown.first().icon, QMessageBox::Critical);
    QVERIFY(!rig.flow.fLinkActive);
    QVERIFY(rig.link.ConnectMode.isEmpty());
    QCOMPARE(rig.caption(), u"Connect"_s);
    QCOMPARE(rig.panel(), u"Disconnected"_s);
    QTest::qWait(200);
    QVERIFY(!rig.link.isConnected());
}

QTEST_MAIN(tst_ConnectionFlow)
#include "tst_connectionflow.moc"
