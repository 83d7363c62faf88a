// Line framing of received data, fed through a real loopback connection in
// chosen chunks.

#include "cspoolingtestkit.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_CSpoolingFraming : public QObject
{
    Q_OBJECT

private slots:
    void chunks_data();
    void chunks();
    void incompleteLineWaitsForItsCR();
    void initEmptiesReceiveBuffer();
    void floodWithoutCRStaysBounded();
};

void tst_CSpoolingFraming::chunks_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("one line") << QList<QByteArray> {"OK\r"} << QStringList {u"OK"_s};
    QTest::newRow("line split across two chunks")
        << QList<QByteArray> {"FXO1,2", ",3\r"} << QStringList {u"FXO1,2,3"_s};
    QTest::newRow("line split across three chunks, CR alone")
        << QList<QByteArray> {"GS", "M0", "\r"} << QStringList {u"GSM0"_s};
    QTest::newRow("two lines in one chunk") << QList<QByteArray> {"VER1\rOK\r"} << QStringList {u"VER1"_s, u"OK"_s};
    QTest::newRow("CR NUL inside one chunk")
        << QList<QByteArray> {QByteArray("OK\r\0VER2\r", 9)} << QStringList {u"OK"_s, u"VER2"_s};
    QTest::newRow("CR LF keeps the LF") << QList<QByteArray> {"OK\r\nVER2\r"} << QStringList {u"OK"_s, u"\nVER2"_s};
    QTest::newRow("NUL at the start of the next chunk stays") << QList<QByteArray> {"OK\r", QByteArray("\0VER2\r", 6)}
                                                              << QStringList {u"OK"_s, QString(QChar(0)) + u"VER2"_s};
    QTest::newRow("only the first NUL after CR is dropped")
        << QList<QByteArray> {QByteArray("A\r\0\0B\r", 6)} << QStringList {u"A"_s, QString(QChar(0)) + u"B"_s};
    QTest::newRow("NUL inside a line is kept")
        << QList<QByteArray> {QByteArray("A\0B\r", 4)} << QStringList {u"A"_s + QChar(0) + u"B"_s};
    QTest::newRow("empty lines are handed over")
        << QList<QByteArray> {"A\r\r\rB\r"} << QStringList {u"A"_s, QString(), QString(), u"B"_s};
    QTest::newRow("empty line at a chunk boundary")
        << QList<QByteArray> {"A\r", "\rB\r"} << QStringList {u"A"_s, QString(), u"B"_s};
    QTest::newRow("no CR at all") << QList<QByteArray> {"VER3", "abc"} << QStringList {};
    QTest::newRow("bytes above 127 map one to one")
        << QList<QByteArray> {"\xe9\x80\xff\r"} << QStringList {QString::fromLatin1("\xe9\x80\xff")};
}

void tst_CSpoolingFraming::chunks()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, lines);

    RecordingServices services;
    CSpooling link(services.services());
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);

    for (const QByteArray &chunk : std::as_const(chunks))
        QVERIFY(LinkTest::sendChunk(link, *peer, chunk));

    QCOMPARE(services.receivedLines, lines);
}

void tst_CSpoolingFraming::incompleteLineWaitsForItsCR()
{
    RecordingServices services;
    CSpooling link(services.services());
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);

    QVERIFY(LinkTest::sendChunk(link, *peer, "VER4.9 of"));
    QVERIFY(services.receivedLines.isEmpty());
    QCOMPARE(link.receiveBufferLength(), 9);

    QVERIFY(LinkTest::sendChunk(link, *peer, " today\rOK"));
    QCOMPARE(services.receivedLines, QStringList {u"VER4.9 of today"_s});
    QCOMPARE(link.receiveBufferLength(), 2);
}

void tst_CSpoolingFraming::initEmptiesReceiveBuffer()
{
    RecordingServices services;
    CSpooling link(services.services());
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);

    QVERIFY(LinkTest::sendChunk(link, *peer, "half a li"));
    link.InitNET(u"127.0.0.1"_s, QString::number(gateway.serverPort()));
    QCOMPARE(link.receiveBufferLength(), 0);

    // The connection stays as it was; only the incomplete line is gone.
    QVERIFY(LinkTest::sendChunk(link, *peer, "ne\rOK\r"));
    QCOMPARE(services.receivedLines, (QStringList {u"ne"_s, u"OK"_s}));
}

void tst_CSpoolingFraming::floodWithoutCRStaysBounded()
{
    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    QTcpServer gateway;
    QTcpSocket *peer = LinkTest::connectClient(link, gateway);
    QVERIFY(peer);

    constexpr qint64 total = 100LL * 1024 * 1024;
    const QByteArray piece(256 * 1024, 'x');
    qint64 written = 0;
    qsizetype largestBuffer = 0;
    QElapsedTimer stall;
    stall.start();
    qint64 lastReceived = 0;
    while (link.receivedByteCount() < total) {
        // Keep only a little queued on the sending side, so that the test itself
        // stays bounded too.
        if (written < total && peer->bytesToWrite() < piece.size()) {
            const qint64 size = std::min<qint64>(piece.size(), total - written);
            written += peer->write(piece.constData(), size);
        }
        QTest::qWait(1);
        largestBuffer = std::max(largestBuffer, link.receiveBufferLength());
        if (link.receivedByteCount() != lastReceived) {
            lastReceived = link.receivedByteCount();
            stall.restart();
        }
        QVERIFY2(stall.elapsed() < 10000, "the link stopped taking data");
    }

    QVERIFY(services.receivedLines.isEmpty());
    QCOMPARE(largestBuffer, CSpooling::kMaxLineLength);

    QVERIFY(LinkTest::sendChunk(link, *peer, "\rOK\r"));
    QCOMPARE(services.receivedLines.size(), 2);
    QCOMPARE(services.receivedLines[0], QString(CSpooling::kMaxLineLength, u'x'));
    QCOMPARE(services.receivedLines[1], u"OK"_s);
    QCOMPARE(link.receiveBufferLength(), 0);
    QCOMPARE(services.count(u"WriteResult:1"_s), 1);
}

QTEST_GUILESS_MAIN(tst_CSpoolingFraming)
#include "tst_cspooling_framing.moc"
