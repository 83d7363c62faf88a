// Line framing without a transport: chunks fed one by one, every line and every
// over-long notice recorded in the order they come.

#include "lineframer.h"

#include <QTest>

using Policy = LineFramer::OverLong;

class tst_LineFramer : public QObject
{
    Q_OBJECT

private slots:
    void feed_data();
    void feed();
};

void tst_LineFramer::feed_data()
{
    QTest::addColumn<Policy>("policy");
    QTest::addColumn<qsizetype>("maxLineLength");
    QTest::addColumn<QList<QByteArray>>("chunks");
    // The line after which the handler ends the feed; -1 never.
    QTest::addColumn<int>("stopAfter");
    // Each line handed over, and "!over" where a line went over the cap.
    QTest::addColumn<QList<QByteArray>>("events");
    QTest::addColumn<qsizetype>("held");

    using Chunks = QList<QByteArray>;
    const QByteArray over("!over");
    const qsizetype big = 64 * 1024;
    for (const Policy policy : {Policy::KeepHead, Policy::DropWhole}) {
        const char *name = policy == Policy::KeepHead ? "keep head: " : "drop whole: ";
        auto row
            = [name](const char *what) -> QTestData & { return QTest::newRow((QByteArray(name) + what).constData()); };
        const bool keep = policy == Policy::KeepHead;

        row("split across feeds") << policy << big << Chunks {"FXO1,2", ",3\r"} << -1 << Chunks {"FXO1,2,3"}
                                  << qsizetype(0);
        row("CR alone in the last feed") << policy << big << Chunks {"GS", "M0", "\r"} << -1 << Chunks {"GSM0"}
                                         << qsizetype(0);
        row("two lines in one feed, the next one begun")
            << policy << big << Chunks {"VER1\rOK\rFX"} << -1 << Chunks {"VER1", "OK"} << qsizetype(2);
        row("CR NUL in one feed") << policy << big << Chunks {QByteArray("OK\r\0VER2\r", 9)} << -1
                                  << Chunks {"OK", "VER2"} << qsizetype(0);
        row("only the first NUL after CR goes") << policy << big << Chunks {QByteArray("A\r\0\0B\r", 6)} << -1
                                                << Chunks {"A", QByteArray("\0B", 2)} << qsizetype(0);
        row("NUL at the start of the next feed stays") << policy << big << Chunks {"OK\r", QByteArray("\0VER2\r", 6)}
                                                       << -1 << Chunks {"OK", QByteArray("\0VER2", 5)} << qsizetype(0);
        row("CR LF: the LF starts the next line")
            << policy << big << Chunks {"OK\r\nVER2\r"} << -1 << Chunks {"OK", "\nVER2"} << qsizetype(0);
        row("LF alone ends nothing") << policy << big << Chunks {"A\nB\r"} << -1 << Chunks {"A\nB"} << qsizetype(0);
        row("empty lines, one at a feed boundary")
            << policy << big << Chunks {"A\r\r", "\rB\r"} << -1 << Chunks {"A", "", "", "B"} << qsizetype(0);
        row("no CR at all") << policy << big << Chunks {"VER3", "abc"} << -1 << Chunks {} << qsizetype(7);
        row("a line of exactly the cap is whole")
            << policy << qsizetype(4) << Chunks {"ab", "cd\r"} << -1 << Chunks {"abcd"} << qsizetype(0);
        row("over-long line in pieces, told once")
            << policy << qsizetype(4) << Chunks {"abc", "def", "gh", "ij\rOK\r"} << -1
            << (keep ? Chunks {over, "abcd", "OK"} : Chunks {over, "OK"}) << qsizetype(0);
        row("over-long line without its CR yet")
            << policy << qsizetype(4) << Chunks {"abc", "defgh"} << -1 << Chunks {over} << qsizetype(keep ? 4 : 0);
        row("two over-long lines in one feed, CR NUL between")
            << policy << qsizetype(4) << Chunks {QByteArray("abcdefg\r\0hijklm\rOK\r", 19)} << -1
            << (keep ? Chunks {over, "abcd", over, "hijk", "OK"} : Chunks {over, over, "OK"}) << qsizetype(0);
        row("the handler ends the feed") << policy << big << Chunks {"A\rB\rC"} << 1 << Chunks {"A"} << qsizetype(0);
    }
}

void tst_LineFramer::feed()
{
    QFETCH(Policy, policy);
    QFETCH(qsizetype, maxLineLength);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, stopAfter);
    QFETCH(QList<QByteArray>, events);
    QFETCH(qsizetype, held);

    LineFramer framer(maxLineLength, policy);
    QList<QByteArray> got;
    int lines = 0;
    for (const QByteArray &chunk : std::as_const(chunks)) {
        framer.feed(
            chunk,
            [&](const QByteArray &line) {
                got << line;
                return ++lines != stopAfter;
            },
            [&] { got << "!over"; });
    }
    QCOMPARE(got, events);
    QCOMPARE(framer.bufferedLength(), held);
}

QTEST_GUILESS_MAIN(tst_LineFramer)
#include "tst_lineframer.moc"
