// The monitor's decisions without widgets: which received lines are shown, the
// colours, fonts and time prefix of the pieces, the counter and the line limit,
// and the Binary command's reading of its text.

#include <monitorlog.h>
#include <monitorpage.h>

#include <QTest>

using namespace Qt::StringLiterals;

class TestMonitorLog : public QObject
{
    Q_OBJECT

private slots:
    void filter_data();
    void filter();
    void sentLines_data();
    void sentLines();
    void timedCommandKeepsTheFontAtTheEnd();
    void receivedPiece();
    void limitEmptiesTheLogWhole();
    void limitTextThatIsNoNumber();
    void binaryBytes_data();
    void binaryBytes();
    void qtFileFilter();
};

static const QString kExampleFilter = u"I_ALR*,25*|A_CDR*|C_CDR*"_s;

void TestMonitorLog::filter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("shown");

    const QString f = kExampleFilter;
    // The example filter: "Normal" hides what matches, "Invert" shows only that.
    QTest::newRow("normal: A_CDR hidden") << f << true << false << u"x A_CDR,2,0412"_s << false;
    QTest::newRow("normal: C_CDR hidden") << f << true << false << u"C_CDR,1"_s << false;
    QTest::newRow("normal: I_ALR then ,25 hidden") << f << true << false << u"I_ALR03,7,25,1"_s << false;
    QTest::newRow("normal: ,25 before I_ALR shown") << f << true << false << u",25 I_ALR03"_s << true;
    QTest::newRow("normal: I_ALR without ,25 shown") << f << true << false << u"I_ALR03,12,0"_s << true;
    QTest::newRow("normal: other line shown") << f << true << false << u"GSM1,-67,2"_s << true;
    QTest::newRow("normal: case matters") << f << true << false << u"a_cdr,2"_s << true;
    QTest::newRow("invert: A_CDR shown") << f << true << true << u"x A_CDR,2"_s << true;
    QTest::newRow("invert: I_ALR then ,25 shown") << f << true << true << u"I_ALR03,25"_s << true;
    QTest::newRow("invert: other line hidden") << f << true << true << u"GSM1,-67,2"_s << false;
    QTest::newRow("invert: I_ALR without ,25 hidden") << f << true << true << u"I_ALR03,12"_s << false;

    // The end marker after the last alternative is looked at like one.
    QTest::newRow("normal: <end> hidden") << f << true << false << u"x<end>y"_s << false;
    QTest::newRow("invert, empty filter: all hidden") << QString() << true << true << u"GSM1"_s << false;
    QTest::newRow("invert, empty filter: <end> shown") << QString() << true << true << u"<end>"_s << true;
    QTest::newRow("normal, empty filter: shown") << QString() << true << false << u"GSM1"_s << true;
    // Seven positions: the eighth alternative is never looked at, nor its marker.
    const QString eight = u"a1|a2|a3|a4|a5|a6|a7|a8"_s;
    QTest::newRow("seventh alternative hides") << eight << true << false << u"xa7x"_s << false;
    QTest::newRow("eighth alternative ignored") << eight << true << false << u"xa8x"_s << true;
    QTest::newRow("no marker within seven") << eight << true << false << u"<end>"_s << true;
    // A filter too long to split whole still works on its first seven positions.
    QString many;
    for (int i = 0; i < 60; ++i)
        many += (i ? u"|"_s : QString()) + u"w%1z"_s.arg(i);
    QTest::newRow("60 alternatives: first hides") << many << true << false << u"w0z"_s << false;
    QTest::newRow("60 alternatives: 59th ignored") << many << true << false << u"w59z"_s << true;
    QTest::newRow("wildcards inside an alternative") << u"GSM#,?6"_s << true << false << u"xGSM1,-67"_s << false;
    QTest::newRow("empty alternatives skipped") << u"||A_CDR"_s << true << false << u"A_CDR"_s << false;

    // Disabled filter: everything but "A_CPW" shows, in either mode.
    QTest::newRow("disabled: A_CDR shown") << f << false << false << u"A_CDR"_s << true;
    QTest::newRow("disabled, invert: other shown") << f << false << true << u"GSM1"_s << true;
    QTest::newRow("disabled: A_CPW hidden") << f << false << false << u"A_CPW1234"_s << false;
    QTest::newRow("normal: A_CPW hidden") << QString() << true << false << u"xxA_CPWyy"_s << false;
    QTest::newRow("invert: A_CPW hidden though it matches") << u"A_CPW"_s << true << true << u"A_CPW1234"_s << false;
}

void TestMonitorLog::filter()
{
    QFETCH(QString, filter);
    QFETCH(bool, enabled);
    QFETCH(bool, invert);
    QFETCH(QString, line);
    QFETCH(bool, shown);

    MonitorLog log;
    log.setFilter(filter);
    log.switches.enableFilter = enabled;
    log.switches.invertFilter = invert;
    QCOMPARE(log.isShown(line), shown);

    const MonitorLog::Received received = log.receivedLine(line);
    QCOMPARE(received.piece.has_value(), shown);
    QCOMPARE(log.lineCount(), shown ? 1 : 0);
}

void TestMonitorLog::sentLines_data()
{
    QTest::addColumn<bool>("enableDebug");
    QTest::addColumn<bool>("showSend");
    QTest::addColumn<bool>("addTime");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("logged");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("local") << true << true << false << false << true << MonitorLog::kSentColour;
    QTest::newRow("remote, no time: green as well") << true << true << false << true << true << MonitorLog::kSentColour;
    QTest::newRow("local, timed: light green") << true << true << true << false << true << QColor(100, 255, 100);
    QTest::newRow("remote, timed: light red") << true << true << true << true << true << QColor(255, 100, 100);
    QTest::newRow("Show send CMD off") << true << false << false << false << false << QColor();
    QTest::newRow("Enable Debug off") << false << true << true << true << false << QColor();
}

void TestMonitorLog::sentLines()
{
    QFETCH(bool, enableDebug);
    QFETCH(bool, showSend);
    QFETCH(bool, addTime);
    QFETCH(bool, remote);
    QFETCH(bool, logged);
    QFETCH(QColor, colour);

    MonitorLog log;
    log.switches.enableDebug = enableDebug;
    log.switches.showSend = showSend;
    log.switches.addLineTime = addTime;
    // Sent commands are never filtered, counted or limited.
    log.setFilter(u"CPW"_s);
    log.setMaxLinesText(u"0"_s);
    const auto piece = log.sentLine(u"CPW1234"_s, remote, QTime(9, 5, 7));
    QCOMPARE(piece.has_value(), logged);
    QCOMPARE(log.lineCount(), 0);
    if (!piece)
        return;
    QCOMPARE(piece->colour, colour);
    QCOMPARE(piece->text, addTime ? u"09:05:07 >  CPW1234\n"_s : u"CPW1234\n"_s);
    if (!addTime)
        QCOMPARE(piece->font, log.monitorFont().toFont());
}

void TestMonitorLog::timedCommandKeepsTheFontAtTheEnd()
{
    MonitorLog log;
    log.switches.addLineTime = true;
    // On an empty log the end carries the log's own font.
    QCOMPARE(log.sentLine(u"A"_s, false)->font, MonitorLog::logFont());

    MonitorFont big {u"DejaVu Sans"_s, u"14"_s, u"0"_s};
    log.setMonitorFont(big);
    log.receivedLine(u"GSM1"_s);
    const QFont font = log.sentLine(u"B"_s, true)->font;
    QCOMPARE(font, big.toFont());
    QCOMPARE(font.pointSizeF(), 14.0);
    QVERIFY(!font.bold());

    log.clear();
    QCOMPARE(log.sentLine(u"C"_s, false)->font, MonitorLog::logFont());
}

void TestMonitorLog::receivedPiece()
{
    MonitorLog log;
    auto piece = log.receivedLine(u"OK"_s, QTime(23, 59, 1)).piece;
    QCOMPARE(piece->text, u"OK\n"_s);
    QCOMPARE(piece->colour, QColor(255, 255, 0));
    QCOMPARE(piece->font, MonitorFont().toFont());

    log.switches.addLineTime = true;
    piece = log.receivedLine(u"\nERR 3"_s, QTime(23, 59, 1)).piece;
    QCOMPARE(piece->text, u"23:59:01 > \nERR 3\n"_s);

    log.switches.enableDebug = false;
    QVERIFY(!log.receivedLine(u"OK"_s).piece);
    QCOMPARE(log.lineCount(), 2);
}

void TestMonitorLog::limitEmptiesTheLogWhole()
{
    MonitorLog log;
    log.setMaxLinesText(u"3"_s);
    for (int i = 1; i <= 3; ++i) {
        QVERIFY(!log.receivedLine(u"L"_s).clearLog);
        QCOMPARE(log.lineCount(), i);
    }
    QVERIFY(log.receivedLine(u"L4"_s).clearLog);
    QCOMPARE(log.lineCount(), 1);
    QVERIFY(!log.receivedLine(u"L5"_s).clearLog);
    QCOMPARE(log.lineCount(), 2);
    // Hidden lines are not counted.
    QVERIFY(!log.receivedLine(u"A_CPW"_s).piece);
    QCOMPARE(log.lineCount(), 2);

    MonitorLog standard;
    for (int i = 0; i < 2000; ++i)
        QVERIFY(!standard.receivedLine(u"x"_s).clearLog);
    QCOMPARE(standard.lineCount(), 2000);
    QVERIFY(standard.receivedLine(u"x"_s).clearLog);
    QCOMPARE(standard.lineCount(), 1);
}

void TestMonitorLog::limitTextThatIsNoNumber()
{
    for (const QString &text : {QString(), u"abc"_s, u"0"_s}) {
        MonitorLog log;
        log.setMaxLinesText(text);
        QVERIFY2(log.receivedLine(u"a"_s).clearLog, qPrintable(text));
        QVERIFY(log.receivedLine(u"b"_s).clearLog);
        QCOMPARE(log.lineCount(), 1);
    }
}

void TestMonitorLog::binaryBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("decimal and hex") << u"01,0A,FF"_s << true << QByteArray("\x01\x0a\xff", 3);
    QTest::newRow("decimal wins over hex") << u"10,255"_s << true << QByteArray("\x0a\xff", 2);
    QTest::newRow("stops at an empty item") << u"1,,2"_s << true << QByteArray("\x01", 1);
    QTest::newRow("blanks around items") << u" 7 , ff"_s << true << QByteArray("\x07\xff", 2);
    QTest::newRow("nothing") << QString() << true << QByteArray();
    QTest::newRow("300 out of range") << u"300"_s << false << QByteArray();
    QTest::newRow("hex out of range") << u"1,100H"_s << false << QByteArray();
    QTest::newRow("negative") << u"-1"_s << false << QByteArray();
    QTest::newRow("unreadable item") << u"01,zz,02"_s << false << QByteArray();
    QStringList fifty(50, u"1"_s);
    QTest::newRow("50 items") << fifty.join(u',') << true << QByteArray(50, '\x01');
    fifty << u"1"_s;
    QTest::newRow("51 items") << fifty.join(u',') << false << QByteArray();
}

void TestMonitorLog::binaryBytes()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);
    const auto result = MonitorPage::binaryBytes(text);
    QCOMPARE(result.has_value(), valid);
    if (result)
        QCOMPARE(*result, bytes);
}

void TestMonitorLog::qtFileFilter()
{
    QCOMPARE(MonitorPage::qtFileFilter(QLatin1String(MonitorPage::kSaveFilter)),
        u"Rich Text Format (*.rtf);;Text File (*.txt)"_s);
    QCOMPARE(MonitorPage::qtFileFilter(u"Logs|*.log;*.txt"_s), u"Logs (*.log *.txt)"_s);
}

QTEST_MAIN(TestMonitorLog)
#include "tst_monitorlog.moc"
