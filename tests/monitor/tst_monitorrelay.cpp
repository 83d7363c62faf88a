// The relay over real loopback sockets: a raw TCP client as the peer console,
// a loopback "gateway" behind the link, and two whole consoles (link and monitor
// page each), one serving and one watching as a client.

#include <autocombo.h>
#include <cspooling.h>
#include <monitorpage.h>
#include <scriptedmessageboxes.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 5000;
const QByteArray kGreetingStart = "- DUZ Irizeviriz aridud,  Version: 4.9 ready at ";

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::Any, 0) ? probe.serverPort() : 0;
}

// Reads from socket until it holds at least size bytes (or the wait ends).
QByteArray readAtLeast(QIODevice &socket, qsizetype size)
{
    QByteArray data;
    (void)QTest::qWaitFor(
        [&] {
            data += socket.readAll();
            return data.size() >= size;
        },
        kWaitMs);
    return data;
}

// Reads one CR-ended line.
QByteArray readLine(QIODevice &socket)
{
    QByteArray data;
    (void)QTest::qWaitFor(
        [&] {
            while (socket.bytesAvailable() > 0 && !data.endsWith('\r'))
                data += socket.read(1);
            return data.endsWith('\r');
        },
        kWaitMs);
    return data;
}

// One console: a link, its monitor page with the relay, and optionally a
// loopback gateway the link is connected to.
struct Console
{
    Console(MessageBoxService &boxes, const QString &folder)
        : page(&link, boxes, folder, nullptr, {20ms, 50ms})
    {
        CSpooling::Services services;
        services.monitor = &page;
        services.relay = page.relay();
        link.setServices(services);
        page.show();
    }
    ~Console() { link.setServices({}); }

    bool connectGateway()
    {
        if (!gatewayServer.listen(QHostAddress::LocalHost, 0))
            return false;
        link.InitNET(u"127.0.0.1"_s, QString::number(gatewayServer.serverPort()));
        link.FillBuffer();
        if (!QTest::qWaitFor([&] { return gatewayServer.hasPendingConnections() && link.isConnected(); }, kWaitMs))
            return false;
        gateway.reset(gatewayServer.nextPendingConnection());
        return true;
    }

    template<typename T> T *child(const QString &name)
    {
        T *found = page.findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    void setListenPort(const QString &port) { child<QLineEdit>(u"txtDBGPort_0"_s)->setText(port); }
    void setClient(const QString &host, const QString &port)
    {
        child<AutoCombo>(u"txtDBGNetC"_s)->textBox()->setText(host);
        child<QLineEdit>(u"txtDBGPort_1"_s)->setText(port);
    }
    QPushButton *serverButton() { return child<QPushButton>(u"cmdDBGListenStart"_s); }
    QPushButton *clientButton() { return child<QPushButton>(u"cmdDBGConnect"_s); }
    MonitorRelay *relay() { return page.relay(); }
    QStringList logLines()
    {
        page.flush();
        QStringList lines = page.logView()->toPlainText().split(u'\n');
        lines.removeAll(QString());
        return lines;
    }

    CSpooling link;
    MonitorPage page;
    QTcpServer gatewayServer;
    std::unique_ptr<QTcpSocket> gateway;
};

} // namespace

class TestMonitorRelay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void invalidPort_data();
    void invalidPort();
    void portInUse();
    void greetingThenGatewayLines();
    void peerCommands_data();
    void peerCommands();
    void oversizedPeerLine();
    void stalledPeerIsDropped();
    void sendsNothingUntilConnected();
    void onePeerAtATime();
    void stopAndStartAgain();
    void connectStopsTheServer();
    void startEndsTheClient();
    void twoConsoles();

private:
    // A console serving on a free port with a raw peer connected and its greeting read.
    std::unique_ptr<QTcpSocket> servePeer(Console &console);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedMessageBoxes> m_boxes;
};

void TestMonitorRelay::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_boxes = std::make_unique<ScriptedMessageBoxes>();
}

void TestMonitorRelay::cleanup()
{
    m_boxes.reset();
    if (m_dir)
        m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

std::unique_ptr<QTcpSocket> TestMonitorRelay::servePeer(Console &console)
{
    const quint16 port = freePort();
    console.setListenPort(QString::number(port));
    console.serverButton()->click();
    if (!console.relay()->isListening())
        return nullptr;
    auto peer = std::make_unique<QTcpSocket>();
    peer->connectToHost(QHostAddress::LocalHost, port);
    if (!peer->waitForConnected(kWaitMs))
        return nullptr;
    const QByteArray greeting = readLine(*peer);
    if (!greeting.startsWith(kGreetingStart))
        return nullptr;
    return peer;
}

void TestMonitorRelay::invalidPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("client");
    QTest::newRow("server, empty") << QString() << false;
    QTest::newRow("server, letters") << u"abc"_s << false;
    QTest::newRow("server, zero") << u"0"_s << false;
    QTest::newRow("client, empty") << QString() << true;
    QTest::newRow("client, zero") << u" 0 "_s << true;
}

void TestMonitorRelay::invalidPort()
{
    QFETCH(QString, port);
    QFETCH(bool, client);
    Console console(*m_boxes, m_dir->path());
    if (client) {
        console.setClient(u"127.0.0.1"_s, port);
        console.clientButton()->click();
    } else {
        console.setListenPort(port);
        console.serverButton()->click();
    }
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].text, u"Invalid Port number !"_s);
    QCOMPARE(m_boxes->shown[0].title, u"info"_s);
    QCOMPARE(m_boxes->shown[0].icon, QMessageBox::Information);
    QCOMPARE(console.serverButton()->text(), u"Start"_s);
    QCOMPARE(console.clientButton()->text(), u"Connect"_s);
    QVERIFY(!console.relay()->isListening());
    QVERIFY(console.relay()->serverState().isEmpty());
    QVERIFY(console.relay()->clientState().isEmpty());
}

void TestMonitorRelay::portInUse()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::Any, 0));
    Console console(*m_boxes, m_dir->path());
    console.setListenPort(QString::number(other.serverPort()));
    console.serverButton()->click();
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].title, u"ERR: %1"_s.arg(int(QAbstractSocket::AddressInUseError)));
    QVERIFY(!m_boxes->shown[0].text.isEmpty());
    QCOMPARE(console.serverButton()->text(), u"Start"_s);
    QVERIFY(console.relay()->serverState().isEmpty());
    QVERIFY(console.child<QWidget>(u"shpDBG_LED"_s)->isHidden());
}

void TestMonitorRelay::greetingThenGatewayLines()
{
    Console console(*m_boxes, m_dir->path());
    QVERIFY(console.connectGateway());
    const quint16 port = freePort();
    console.setListenPort(u" %1 "_s.arg(port));
    console.serverButton()->click();
    QCOMPARE(console.serverButton()->text(), u"Stop"_s);
    QCOMPARE(console.relay()->serverState(), u"stop"_s);
    QVERIFY(!console.child<QWidget>(u"shpDBG_LED"_s)->isHidden());
    QVERIFY(!console.relay()->isBlinking());

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(peer.waitForConnected(kWaitMs));
    const QByteArray greeting = readLine(peer);
    QVERIFY2(greeting.startsWith(kGreetingStart), greeting.constData());
    QVERIFY(greeting.size() > kGreetingStart.size() + 5);
    QVERIFY(console.relay()->isBlinking());
    QTRY_VERIFY(console.relay()->lampColour() != MonitorRelay::kLampColour);
    QTRY_COMPARE(console.relay()->lampColour(), MonitorRelay::kLampColour);

    // Every gateway line goes to the peer, whatever the monitor shows of it.
    console.child<QCheckBox>(u"chkDBGEnableDbg"_s)->setChecked(false);
    console.gateway->write("OK\rA_CPW1234\r\0GSM1,-67\r\n", 24);
    QCOMPARE(readAtLeast(peer, 22), QByteArray("OK\rA_CPW1234\rGSM1,-67\r"));
    console.gateway->write("\r");
    QCOMPARE(readAtLeast(peer, 2), QByteArray("\n\r"));
    // Analyze passes its text on the same way.
    console.child<QLineEdit>(u"txtDBGSend"_s)->setText(u"by hand"_s);
    console.child<QPushButton>(u"cmdDBGAnalyze"_s)->click();
    QCOMPARE(readAtLeast(peer, 8), QByteArray("by hand\r"));
    // Commands typed here are not relayed: the next gateway line is the next thing the peer gets.
    console.link.SendCommand(u"RBT"_s);
    console.gateway->write("MARK\r");
    QCOMPARE(readLine(peer), QByteArray("MARK\r"));
}

void TestMonitorRelay::peerCommands_data()
{
    QTest::addColumn<QList<QByteArray>>("packets");
    QTest::addColumn<QByteArray>("atGateway");
    QTest::addColumn<QStringList>("echoes");

    QTest::newRow("CR NUL") << QList<QByteArray> {QByteArray("RBT\r\0CPW1\r", 10)} << QByteArray("RBT\rCPW1\r")
                            << QStringList {u"RBT"_s, u"CPW1"_s};
    QTest::newRow("CR LF: the LF starts the next command")
        << QList<QByteArray> {"RBT\r\nCPW1\r"} << QByteArray("RBT\r\nCPW1\r") << QStringList {u"RBT"_s, u"\nCPW1"_s};
    QTest::newRow("split over two packets")
        << QList<QByteArray> {"FXO1,2", ",3\rLST"} << QByteArray("FXO1,2,3\r") << QStringList {u"FXO1,2,3"_s};
    QTest::newRow("NUL in the next packet stays")
        << QList<QByteArray> {"A\r", QByteArray("\0B\r", 3)} << QByteArray("A\r\0B\r", 5) << QStringList {u"A"_s};
}

void TestMonitorRelay::peerCommands()
{
    QFETCH(QList<QByteArray>, packets);
    QFETCH(QByteArray, atGateway);
    QFETCH(QStringList, echoes);

    Console console(*m_boxes, m_dir->path());
    QVERIFY(console.connectGateway());
    console.child<QCheckBox>(u"chkDBGAddTime"_s)->setChecked(true);
    std::unique_ptr<QTcpSocket> peer = servePeer(console);
    QVERIFY(peer);

    // Each packet arrives alone: every CR so far has made a command at the
    // gateway before the next packet goes, and a command without its CR waits.
    qsizetype held = 0;
    qsizetype commands = 0;
    QByteArray got;
    for (const QByteArray &packet : packets) {
        peer->write(packet);
        peer->flush();
        const qsizetype lastCR = packet.lastIndexOf('\r');
        held = lastCR < 0 ? held + packet.size() : packet.size() - lastCR - 1;
        commands += packet.count('\r');
        QTRY_COMPARE((got += console.gateway->readAll()).count('\r'), commands);
        QTRY_COMPARE(console.relay()->receiveBufferLength(), held);
    }
    // A marker line after the packets: what reaches the gateway before it is
    // exactly the expected commands, and a held line start only prefixes the marker.
    peer->write("MARK\r");
    const QByteArray all = packets.join();
    const QByteArray expected = atGateway + all.mid(all.lastIndexOf('\r') + 1) + "MARK\r";
    QTRY_VERIFY((got += console.gateway->readAll()).endsWith("MARK\r"));
    QCOMPARE(got, expected);

    // Echoed as remote commands: light red with the time prefix.
    console.page.flush();
    QStringList echoed;
    const QTextDocument *document = console.page.logView()->document();
    QString text = document->toPlainText();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.length() > 1)
            QCOMPARE(block.begin().fragment().charFormat().foreground().color(), QColor(255, 100, 100));
    }
    for (const QString &echo : echoes)
        QVERIFY2(text.contains(u" >  "_s + echo + u'\n'), qPrintable(text));
}

void TestMonitorRelay::oversizedPeerLine()
{
    Console console(*m_boxes, m_dir->path());
    QVERIFY(console.connectGateway());
    std::unique_ptr<QTcpSocket> peer = servePeer(console);
    QVERIFY(peer);

    // A line of exactly the cap goes out whole.
    const QByteArray longest(MonitorRelay::kMaxLineLength, 'x');
    peer->write(longest + '\r');
    QCOMPARE(readAtLeast(*console.gateway, longest.size() + 1), longest + '\r');

    // Longer lines, the first in several packets, never reach the gateway, not
    // even in part; each is reported once, and the line after them is whole.
    const QByteArray chunk(64 * 1024, 'y');
    for (int i = 0; i < 4; ++i) {
        peer->write(chunk);
        peer->flush();
    }
    peer->write("z\r" + longest + "w\rOK2\r");
    QCOMPARE(readAtLeast(*console.gateway, 4), QByteArray("OK2\r"));
    QCOMPARE(console.relay()->receiveBufferLength(), 0);
    QCOMPARE(console.logLines().count(u"relay: line over 64 KiB dropped"_s), 2);
}

void TestMonitorRelay::stalledPeerIsDropped()
{
    Console console(*m_boxes, m_dir->path());
    std::unique_ptr<QTcpSocket> peer = servePeer(console);
    QVERIFY(peer);
    // The peer stops reading: its socket takes no more than one byte off the
    // system, whose receive buffer is made small, so the relay's writes pile up.
    peer->setReadBufferSize(1);
    peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);

    // The gateway talks on (lines the monitor does not show are relayed all the same).
    const QString line(64 * 1024 - 1, u'x');
    qint64 relayed = 0;
    while (console.relay()->isConnected() && relayed < 4 * MonitorRelay::kMaxPeerBacklog) {
        console.link.AnalyzeCmd(line, false);
        relayed += line.size() + 1;
        QCoreApplication::processEvents();
    }
    QVERIFY(!console.relay()->isConnected());
    QVERIFY(relayed > MonitorRelay::kMaxPeerBacklog);
    QCOMPARE(console.logLines().count(u"relay: peer stopped reading, disconnected"_s), 1);
    // As after a peer that left, the server listens again.
    QVERIFY(console.relay()->isListening());
    QCOMPARE(console.serverButton()->text(), u"Stop"_s);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestMonitorRelay::sendsNothingUntilConnected()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    Console console(*m_boxes, m_dir->path());
    console.setClient(u"127.0.0.1"_s, QString::number(other.serverPort()));
    console.clientButton()->click();

    // While the connection is being made, a socket would keep what it is given
    // and deliver it once connected; the relay gives it nothing.
    QVERIFY(!console.relay()->isConnected());
    console.relay()->send("EARLY\r");
    QTRY_VERIFY(other.hasPendingConnections());
    std::unique_ptr<QTcpSocket> peer(other.nextPendingConnection());
    QTRY_VERIFY(console.relay()->isConnected());
    console.relay()->send("MARK\r");
    QByteArray got;
    // The client may greet its server meanwhile; only what the relay was given counts.
    QTRY_VERIFY((got += peer->readAll()).contains("MARK\r"));
    QVERIFY2(!got.contains("EARLY"), got.constData());
}

void TestMonitorRelay::onePeerAtATime()
{
    Console console(*m_boxes, m_dir->path());
    std::unique_ptr<QTcpSocket> first = servePeer(console);
    QVERIFY(first);
    const quint16 port = console.child<QLineEdit>(u"txtDBGPort_0"_s)->text().toUShort();
    QVERIFY(!console.relay()->isListening());

    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(second.error(), QAbstractSocket::ConnectionRefusedError);
    // The first peer is still served.
    console.link.AnalyzeCmd(u"still here"_s, true);
    QCOMPARE(readAtLeast(*first, 11), QByteArray("still here\r"));

    first->disconnectFromHost();
    QTRY_VERIFY(console.relay()->isListening());
    QCOMPARE(console.serverButton()->text(), u"Stop"_s);
    QVERIFY(!console.relay()->isBlinking());
    QVERIFY(!console.child<QWidget>(u"shpDBG_LED"_s)->isHidden());

    QTcpSocket third;
    third.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(third.waitForConnected(kWaitMs));
    QVERIFY(readLine(third).startsWith(kGreetingStart));
}

void TestMonitorRelay::stopAndStartAgain()
{
    Console console(*m_boxes, m_dir->path());
    std::unique_ptr<QTcpSocket> peer = servePeer(console);
    QVERIFY(peer);

    console.serverButton()->click();
    QCOMPARE(console.serverButton()->text(), u"Strat"_s);
    QCOMPARE(console.relay()->serverState(), u"start"_s);
    QVERIFY(!console.relay()->isListening());
    QVERIFY(!console.relay()->isConnected());
    QVERIFY(!console.relay()->isBlinking());
    QVERIFY(console.child<QWidget>(u"shpDBG_LED"_s)->isHidden());
    QCOMPARE(console.relay()->lampColour(), MonitorRelay::kLampColour);
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);

    console.serverButton()->click();
    QCOMPARE(console.serverButton()->text(), u"Stop"_s);
    QVERIFY(console.relay()->isListening());
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestMonitorRelay::connectStopsTheServer()
{
    Console other(*m_boxes, m_dir->path());
    other.setListenPort(QString::number(freePort()));
    other.serverButton()->click();
    QVERIFY(other.relay()->isListening());

    Console console(*m_boxes, m_dir->path());
    console.setListenPort(QString::number(freePort()));
    console.serverButton()->click();
    QVERIFY(console.relay()->isListening());

    console.setClient(u"127.0.0.1"_s, QString::number(other.relay()->listenPort()));
    console.clientButton()->click();
    QVERIFY(!console.relay()->isListening());
    QCOMPARE(console.serverButton()->text(), u"Strat"_s);
    QCOMPARE(console.clientButton()->text(), u"Disconnect"_s);
    QCOMPARE(console.relay()->clientState(), u"stop"_s);
    QTRY_VERIFY(console.relay()->isConnected());
    QTRY_VERIFY(console.relay()->isBlinking()); // after the check
    QVERIFY(!console.relay()->isCheckPending());

    console.clientButton()->click();
    QCOMPARE(console.clientButton()->text(), u"Connect"_s);
    QCOMPARE(console.relay()->clientState(), u"start"_s);
    QVERIFY(!console.relay()->isConnected());
    QVERIFY(console.child<QWidget>(u"shpDBG_LED"_s)->isHidden());
    // The other console's server goes back to listening.
    QTRY_VERIFY(other.relay()->isListening());

    // A host that refuses ends the client role without a message.
    const quint16 closed = freePort();
    console.setClient(u"127.0.0.1"_s, QString::number(closed));
    console.clientButton()->click();
    QTRY_COMPARE(console.clientButton()->text(), u"Connect"_s);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestMonitorRelay::startEndsTheClient()
{
    Console other(*m_boxes, m_dir->path());
    other.setListenPort(QString::number(freePort()));
    other.serverButton()->click();

    Console console(*m_boxes, m_dir->path());
    console.setClient(u"127.0.0.1"_s, QString::number(other.relay()->listenPort()));
    console.clientButton()->click();
    QTRY_VERIFY(other.relay()->isConnected());

    console.setListenPort(QString::number(freePort()));
    console.serverButton()->click();
    QCOMPARE(console.clientButton()->text(), u"Connect"_s);
    QCOMPARE(console.relay()->clientState(), u"start"_s);
    QVERIFY(!console.relay()->isCheckPending());
    QCOMPARE(console.serverButton()->text(), u"Stop"_s);
    QVERIFY(console.relay()->isListening());
    QTRY_VERIFY(other.relay()->isListening());
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestMonitorRelay::twoConsoles()
{
    Console server(*m_boxes, m_dir->path());
    QVERIFY(server.connectGateway());
    server.setListenPort(QString::number(freePort()));
    server.serverButton()->click();
    QVERIFY(server.relay()->isListening());

    // The watching console has no gateway of its own.
    Console watcher(*m_boxes, m_dir->path());
    watcher.setClient(u"127.0.0.1"_s, QString::number(server.relay()->listenPort()));
    watcher.clientButton()->click();
    QTRY_VERIFY(watcher.relay()->isConnected());
    QTRY_VERIFY(server.relay()->isConnected());

    // The watcher's greeting reaches the serving console as a remote command,
    // and from there its gateway.
    const QByteArray fromWatcher = readLine(*server.gateway);
    QVERIFY2(fromWatcher.startsWith(kGreetingStart), fromWatcher.constData());
    QVERIFY(server.logLines().last().startsWith(QString::fromLatin1(kGreetingStart)));
    // And the server's greeting shows at the watcher.
    QTRY_VERIFY(!watcher.logLines().isEmpty());
    QVERIFY(watcher.logLines().first().startsWith(QString::fromLatin1(kGreetingStart)));

    // The gateway talks: both monitors show it.
    server.gateway->write("GSM1,-67,2\rOK\r");
    QTRY_VERIFY(watcher.logLines().contains(u"OK"_s));
    QVERIFY(watcher.logLines().contains(u"GSM1,-67,2"_s));
    QVERIFY(server.logLines().contains(u"GSM1,-67,2"_s));
    QVERIFY(server.logLines().contains(u"OK"_s));

    // The watcher closes: the server listens again.
    watcher.clientButton()->click();
    QTRY_VERIFY(server.relay()->isListening());
    QCOMPARE(server.serverButton()->text(), u"Stop"_s);
}

QTEST_MAIN(TestMonitorRelay)
#include "tst_monitorrelay.moc"
