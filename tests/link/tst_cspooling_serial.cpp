// The link's serial transport over a pseudo-terminal pair made by socat: the link
// opens one end as "COM 5", the test talks from the other.

#include "cspoolingtestkit.h"

#include <pseudoterminalpair.h>

#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_CSpoolingSerial : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyByteArrivesUnchanged();
    void linesAcrossWrites();
    void sendCommandWritesTextAndCR();
    void ptyWithoutModemLinesIsTolerated();
    void disconnectAndReopen();
    void initComClosesAnOpenPort();
    void lostLineClosesThePort();
    void dsrWatchOutlivesAnEarlierPortError();

private:
    bool openLink(CSpooling &link);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PseudoTerminalPair> m_pair;
    std::unique_ptr<QSerialPort> m_far; // the gateway's end
    QString m_linkEnd;
};

static constexpr int kComNumber = 5;

void tst_CSpoolingSerial::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_pair = std::make_unique<PseudoTerminalPair>(m_dir->path());
    QVERIFY2(m_pair->start(), qPrintable(m_pair->errorText()));
    m_linkEnd = m_pair->first();

    m_far = std::make_unique<QSerialPort>(m_pair->second());
    m_far->setBaudRate(115200);
    QVERIFY2(m_far->open(QIODevice::ReadWrite), qPrintable(m_far->errorString()));
}

void tst_CSpoolingSerial::cleanup()
{
    m_far.reset();
    m_pair.reset();
    if (m_dir)
        m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

bool tst_CSpoolingSerial::openLink(CSpooling &link)
{
    SerialPortMap map;
    map.setDevicePath(kComNumber, m_linkEnd);
    link.setSerialPortMap(map);
    link.InitCOM(u"115200,n,8,1"_s, kComNumber, 1024, 512);
    link.FillBuffer();
    return link.isConnected();
}

void tst_CSpoolingSerial::everyByteArrivesUnchanged()
{
    RecordingServices services;
    CSpooling link(services.services());
    QVERIFY(openLink(link));
    QVERIFY(services.openErrors.isEmpty());

    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r')
            bytes += char(b);
    }
    m_far->write(bytes + '\r');
    QTRY_COMPARE(services.receivedLines.size(), 1);
    QCOMPARE(services.receivedLines.constFirst(), QString::fromLatin1(bytes));
}

void tst_CSpoolingSerial::linesAcrossWrites()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QVERIFY(openLink(link));

    m_far->write("VER4.");
    QTRY_COMPARE(link.receivedByteCount(), 5);
    m_far->write("9\rO");
    QTRY_COMPARE(services.receivedLines, QStringList {u"VER4.9"_s});
    m_far->write("K\r");
    QTRY_COMPARE(services.receivedLines, (QStringList {u"VER4.9"_s, u"OK"_s}));
    QCOMPARE(services.count(u"WriteResult:1"_s), 1);
}

void tst_CSpoolingSerial::sendCommandWritesTextAndCR()
{
    RecordingServices services;
    CSpooling link(services.services());
    QVERIFY(openLink(link));

    link.SendCommand(u"CPW5823"_s);
    link.SendCommand(QString::fromLatin1("LST01,\xff"), true);
    const QByteArray expected("CPW5823\rLST01,\xff\r");
    QCOMPARE(LinkTest::readAtLeast(*m_far, expected.size()), expected);
    QCOMPARE(services.sentLines.size(), 2);
}

void tst_CSpoolingSerial::ptyWithoutModemLinesIsTolerated()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    link.setDsrPollInterval(std::chrono::milliseconds(5));
    QVERIFY(openLink(link));

    QTRY_VERIFY(!link.isWatchingDsr());
    QTest::qWait(50);
    QVERIFY(!services.events.contains(u"spl:6"_s));
    QVERIFY(link.isConnected());
    m_far->write("OK\r");
    QTRY_COMPARE(services.receivedLines, QStringList {u"OK"_s});
}

void tst_CSpoolingSerial::disconnectAndReopen()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QVERIFY(openLink(link));

    link.Disconnect();
    QVERIFY(!link.isConnected());
    QVERIFY(services.sentLines.isEmpty()); // the serial link has no close command
    QCOMPARE(link.ConnectMode, u"COM"_s);

    link.FillBuffer();
    QVERIFY(link.isConnected());
    m_far->write("ERR 5\r");
    QTRY_COMPARE(services.count(u"WriteResult:0"_s), 1);
    QVERIFY(services.openErrors.isEmpty());
}

void tst_CSpoolingSerial::initComClosesAnOpenPort()
{
    RecordingServices services;
    CSpooling link(services.services());
    QVERIFY(openLink(link));
    m_far->write("half");
    QTRY_COMPARE(link.receiveBufferLength(), 4);

    link.InitCOM(u"9600,e,7,2"_s, kComNumber);
    QVERIFY(!link.isConnected());
    QCOMPARE(link.receiveBufferLength(), 0);
    link.FillBuffer();
    QVERIFY(link.isConnected());
}

void tst_CSpoolingSerial::lostLineClosesThePort()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QVERIFY(openLink(link));

    // The pair goes away under the open port, as when an adapter is pulled out:
    // the port is closed once, and reported as a serial failure.
    QVERIFY(m_pair->stop());
    QTRY_VERIFY(!link.isConnected());
    QCOMPARE(services.count(u"spl:7"_s), 1);
    QVERIFY(services.openErrors.isEmpty());
    QTest::qWait(50);
    QCOMPARE(services.count(u"spl:7"_s), 1);
}

void tst_CSpoolingSerial::dsrWatchOutlivesAnEarlierPortError()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    link.setDsrPollInterval(std::chrono::milliseconds(5));
    // A pseudo terminal has no modem lines: the test plays the DSR line.
    bool dsr = false;
    link.setModemLineReader([&dsr](QSerialPort &) -> std::optional<QSerialPort::PinoutSignals> {
        return dsr ? QSerialPort::DataSetReadySignal : QSerialPort::NoSignal;
    });
    QVERIFY(openLink(link));
    QVERIFY(link.isWatchingDsr());

    // Another operation on the port fails and leaves its error behind, as a
    // failed write does; here a modem line the pseudo terminal cannot set.
    auto *port = link.findChild<QSerialPort *>();
    QVERIFY(port);
    QVERIFY(!port->setDataTerminalReady(true));
    QVERIFY(port->error() != QSerialPort::NoError);

    dsr = true;
    QTRY_COMPARE(services.count(u"spl:6"_s), 1);
    dsr = false;
    QTRY_COMPARE(services.count(u"spl:6"_s), 2);
    QVERIFY(link.isWatchingDsr());
    QVERIFY(link.isConnected());
}

QTEST_GUILESS_MAIN(tst_CSpoolingSerial)
#include "tst_cspooling_serial.moc"
