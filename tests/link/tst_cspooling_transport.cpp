// The link's TCP client and server, its states and events, command sending, and
// serial opening failures, against real sockets on the loopback interface.

#include "cspoolingtestkit.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

class tst_CSpoolingTransport : public QObject
{
    Q_OBJECT

private slots:
    void nothingBeforeInit();
    void initNetStoresHostAndPort_data();
    void initNetStoresHostAndPort();

    void clientConnectsAndPeerClosesOnce();
    void clientRefusedConnection();
    void clientPortOutOfRange();
    void disconnectSendsCloseCommandThenCloses();
    void reconnectAfterDisconnect();
    void sendDoneFollowsSend();
    void sendCommand_data();
    void sendCommand();

    void serverListensAcceptsAndListensAgain();
    void serverDisconnectWhileListening();
    void serverDisconnectWhileConnected();
    void serverPortInUse();

    void serialDeviceMissing();
    void serialSettingsUnreadable();
    void serialDefaultDevicePath();
};

void tst_CSpoolingTransport::nothingBeforeInit()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);

    QVERIFY(link.ConnectMode.isEmpty());
    QVERIFY(!link.isConnected());
    link.FillBuffer();
    link.Disconnect();
    QVERIFY(!link.isConnected());
    QVERIFY(!link.isListening());
    QVERIFY(services.events.isEmpty());
}

void tst_CSpoolingTransport::initNetStoresHostAndPort_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<qint32>("port");

    QTest::newRow("number") << u"4001"_s << 4001;
    QTest::newRow("not a number") << u"abc"_s << 0;
    QTest::newRow("empty") << QString() << 0;
}

void tst_CSpoolingTransport::initNetStoresHostAndPort()
{
    QFETCH(QString, portText);
    QFETCH(qint32, port);

    CSpooling link;
    QCOMPARE(link.host(), u"192.168.0.15"_s);
    QCOMPARE(link.port(), 4001);
    link.InitNET(u"10.1.2.3"_s, portText);
    QCOMPARE(link.ConnectMode, u"NET"_s);
    QCOMPARE(link.host(), u"10.1.2.3"_s);
    QCOMPARE(link.port(), port);
    QVERIFY(!link.isConnected());
}

void tst_CSpoolingTransport::clientConnectsAndPeerClosesOnce()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);
    QTRY_COMPARE(services.count(u"spl:1"_s), 1);

    peer->write("VER9\r");
    peer->disconnectFromHost();
    QTRY_COMPARE(services.count(u"spl:2"_s), 1);
    QVERIFY(!link.isConnected());
    // The line that came with the close is still handed over, before the close.
    QVERIFY(services.events.indexOf(u"received:VER9"_s) < services.events.indexOf(u"spl:2"_s));

    QTest::qWait(200);
    QCOMPARE(services.count(u"spl:2"_s), 1);
    QCOMPARE(services.count(u"spl:3"_s), 0);
    QVERIFY(services.sentLines.isEmpty()); // no close command after the peer's close
}

void tst_CSpoolingTransport::clientRefusedConnection()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    const quint16 port = LinkTest::freePort();
    QVERIFY(port);

    link.InitNET(u"127.0.0.1"_s, QString::number(port));
    link.FillBuffer();
    QTRY_COMPARE(services.count(u"spl:3"_s), 1);
    QTest::qWait(100);
    QCOMPARE(services.events, QStringList {u"spl:3"_s});
    QVERIFY(!link.isConnected());
}

void tst_CSpoolingTransport::clientPortOutOfRange()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);

    link.InitNET(u"127.0.0.1"_s, u"70000"_s);
    link.FillBuffer();
    QCOMPARE(services.events, (QStringList {u"openError"_s, u"spl:3"_s}));
    QVERIFY(!services.openErrors.constFirst().isEmpty());
}

void tst_CSpoolingTransport::disconnectSendsCloseCommandThenCloses()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);

    link.Disconnect();
    QVERIFY(!link.isConnected());
    QCOMPARE(services.sentLines, (QList<std::pair<QString, bool>> {{u"SRV:CLOSE"_s, false}}));

    QByteArray wire;
    QTRY_VERIFY((wire += peer->readAll(), peer->state() == QAbstractSocket::UnconnectedState));
    wire += peer->readAll();
    QCOMPARE(wire, QByteArray("SRV:CLOSE\r"));
    QCOMPARE(services.count(u"spl:2"_s), 0); // our own close is no peer close

    // A second Disconnect finds nothing open and sends nothing.
    link.Disconnect();
    QCOMPARE(services.sentLines.size(), 1);
}

void tst_CSpoolingTransport::reconnectAfterDisconnect()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QTcpServer gateway;
    QTcpSocket *first = LinkTest::connectClient(link, gateway);
    QVERIFY(first);
    link.Disconnect();

    link.FillBuffer();
    QTRY_VERIFY(gateway.hasPendingConnections() && link.isConnected());
    QTcpSocket *second = gateway.nextPendingConnection();
    QTRY_COMPARE(services.count(u"spl:1"_s), 2);

    QVERIFY(LinkTest::sendChunk(link, *second, "OK\r"));
    QCOMPARE(services.receivedLines, QStringList {u"OK"_s});
    link.SendCommand(u"RBT"_s);
    QCOMPARE(LinkTest::readAtLeast(*second, 4), QByteArray("RBT\r"));
}

void tst_CSpoolingTransport::sendDoneFollowsSend()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);
    QCOMPARE(services.count(u"spl:4"_s), 0);

    link.SendCommand(u"CPW1234"_s);
    QTRY_VERIFY(services.count(u"spl:4"_s) >= 1);
}

void tst_CSpoolingTransport::sendCommand_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("local command") << true << u"CPW5823"_s << false << QByteArray("CPW5823\r");
    QTest::newRow("remote command goes out the same") << true << u"RBT"_s << true << QByteArray("RBT\r");
    QTest::newRow("empty text sends nothing") << true << QString() << false << QByteArray();
    QTest::newRow("before any init sends nothing") << false << u"RBT"_s << false << QByteArray();
    QTest::newRow("8-bit text one byte per character")
        << true << QString::fromLatin1("LST01,\xe9") << false << QByteArray("LST01,\xe9\r");
}

void tst_CSpoolingTransport::sendCommand()
{
    QFETCH(bool, connected);
    QFETCH(QString, command);
    QFETCH(bool, remote);
    QFETCH(QByteArray, wire);

    RecordingServices services;
    CSpooling link(services.services());
    QTcpServer gateway;
    QTcpSocket *peer = nullptr;
    if (connected) {
        peer = LinkTest::connectClient(link, gateway);
        QVERIFY(peer);
    }

    link.SendCommand(command, remote);
    QCOMPARE(services.sentLines, (QList<std::pair<QString, bool>> {{command, remote}}));

    if (peer) {
        // A marker sent after it shows what, if anything, went out before.
        link.SendCommand(u"MARK"_s);
        QCOMPARE(LinkTest::readAtLeast(*peer, wire.size() + 5), wire + "MARK\r");
    }
}

void tst_CSpoolingTransport::serverListensAcceptsAndListensAgain()
{
    RecordingServices services;
    services.serverFlagValue = u"1"_s;
    CSpooling link(services.services());
    services.watch(link);
    const quint16 port = LinkTest::freePort();
    QVERIFY(port);

    link.InitNET(QString(), QString::number(port));
    link.FillBuffer();
    QVERIFY(link.isListening());
    QVERIFY(!link.isConnected());
    QCOMPARE(link.serverPort(), port);
    QCOMPARE(services.events,
        (QStringList {u"panel:Server status: Listening"_s, u"caption:Stop server"_s, u"StartServer"_s}));
    QCOMPARE(services.captions, QStringList {u"connect=Stop server"_s});

    QTcpSocket gatewaySide;
    gatewaySide.connectToHost(QHostAddress::LocalHost, port);
    QTRY_VERIFY(link.isConnected());
    QCOMPARE(services.progressStarts, QStringList {u"connecting"_s});
    QVERIFY(!link.isListening());

    QVERIFY(LinkTest::sendChunk(link, gatewaySide, "FXO1,2\r"));
    QCOMPARE(services.receivedLines, QStringList {u"FXO1,2"_s});
    link.SendCommand(u"CPW5823"_s);
    QCOMPARE(LinkTest::readAtLeast(gatewaySide, 8), QByteArray("CPW5823\r"));

    // The gateway leaves: the link listens again by itself, on the same port.
    gatewaySide.disconnectFromHost();
    QTRY_VERIFY(link.isListening());
    QCOMPARE(services.panelTexts, QStringList(2, u"Server status: Listening"_s));
    QCOMPARE(services.serverStarts, 2);
    QCOMPARE(services.captions.size(), 2);
    QCOMPARE(link.serverPort(), port);
    QVERIFY(!services.events.contains(u"spl:2"_s));

    // And takes the gateway back.
    QTcpSocket again;
    again.connectToHost(QHostAddress::LocalHost, port);
    QTRY_VERIFY(link.isConnected());
    QCOMPARE(services.progressStarts.size(), 2);
    QVERIFY(services.openErrors.isEmpty());
}

void tst_CSpoolingTransport::serverDisconnectWhileListening()
{
    RecordingServices services;
    services.serverFlagValue = u"1"_s;
    CSpooling link(services.services());
    services.watch(link);
    const quint16 port = LinkTest::freePort();
    link.InitNET(QString(), QString::number(port));
    link.FillBuffer();
    QVERIFY(link.isListening());

    link.Disconnect();
    QVERIFY(!link.isListening());
    // Shown in the monitor although nothing went over the wire.
    QCOMPARE(services.sentLines, (QList<std::pair<QString, bool>> {{u"SRV:CLOSE"_s, false}}));

    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(probe.error(), QAbstractSocket::ConnectionRefusedError);
}

void tst_CSpoolingTransport::serverDisconnectWhileConnected()
{
    RecordingServices services;
    services.serverFlagValue = u"1"_s;
    CSpooling link(services.services());
    services.watch(link);
    const quint16 port = LinkTest::freePort();
    link.InitNET(QString(), QString::number(port));
    link.FillBuffer();
    QTcpSocket gatewaySide;
    gatewaySide.connectToHost(QHostAddress::LocalHost, port);
    QTRY_VERIFY(link.isConnected());

    link.Disconnect();
    QByteArray wire;
    QTRY_VERIFY((wire += gatewaySide.readAll(), gatewaySide.state() == QAbstractSocket::UnconnectedState));
    wire += gatewaySide.readAll();
    QCOMPARE(wire, QByteArray("SRV:CLOSE\r"));
    QTest::qWait(100);
    QVERIFY(!link.isListening()); // a close of our own does not listen again
    QCOMPARE(services.panelTexts.size(), 1);
}

void tst_CSpoolingTransport::serverPortInUse()
{
    RecordingServices services;
    services.serverFlagValue = u"1"_s;
    CSpooling link(services.services());
    services.watch(link);
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::Any, 0));

    link.InitNET(QString(), QString::number(occupant.serverPort()));
    link.FillBuffer();
    // In server mode the message is the only report.
    QCOMPARE(services.events, QStringList {u"openError"_s});
    QVERIFY(!services.openErrors.constFirst().isEmpty());
    QVERIFY(!link.isListening());
}

void tst_CSpoolingTransport::serialDeviceMissing()
{
    QTemporaryDir dir;
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    SerialPortMap map;
    map.setDevicePath(3, dir.filePath(u"no-such-tty"_s));
    link.setSerialPortMap(map);

    link.InitCOM(u"9600,n,8,1"_s, 3, 1024, 512);
    QCOMPARE(link.ConnectMode, u"COM"_s);
    QCOMPARE(link.sComSet, u"9600,n,8,1"_s);
    QCOMPARE(link.PortNum, 3);
    QCOMPARE(link.devicePath(), dir.filePath(u"no-such-tty"_s));

    link.FillBuffer();
    QCOMPARE(services.events, (QStringList {u"openError"_s, u"spl:7"_s}));
    QCOMPARE(services.openErrors, QStringList {QString::fromLocal8Bit(strerror(ENOENT))});
    QVERIFY(!link.isConnected());
}

void tst_CSpoolingTransport::serialSettingsUnreadable()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    link.InitCOM(u"fast,n,8,1"_s, 1);
    link.FillBuffer();
    QCOMPARE(services.events, (QStringList {u"openError"_s, u"spl:7"_s}));
    QVERIFY(services.openErrors.constFirst().contains(u"fast,n,8,1"_s));
}

void tst_CSpoolingTransport::serialDefaultDevicePath()
{
    CSpooling link;
    link.InitCOM();
    QCOMPARE(link.PortNum, 1);
    QCOMPARE(link.sComSet, u"115200,n,8,1"_s);
    QCOMPARE(link.devicePath(), u"/dev/ttyS0"_s);
    link.InitCOM(u"115200,n,8,1"_s, 12);
    QCOMPARE(link.devicePath(), u"/dev/ttyS11"_s);
}

QTEST_GUILESS_MAIN(tst_CSpoolingTransport)
#include "tst_cspooling_transport.moc"
