// Reply analysis: write answers, records, the version line, the relay copy, the
// monitor hand-over and the "Enable Analyze" switch.

#include "cspoolingtestkit.h"
#include "ilinkrelay.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A relay that keeps what it is given, connected or not as the test says.
class RecordingRelay final : public ILinkRelay
{
public:
    bool isConnected() const override { return connected; }
    void send(const QByteArray &data) override { sent << data; }
    bool connected = false;
    QList<QByteArray> sent;
};

} // namespace

class tst_CSpoolingAnalyze : public QObject
{
    Q_OBJECT

private slots:
    void writeAnswers_data();
    void writeAnswers();
    void writeResultComesBeforeTheFlag();
    void records_data();
    void records();
    void recordOfTooManyFieldsIsIgnored();
    void recordRestIsCutAt255();
    void versionKeepsCharacters4To258();
    void monitorOnlyWhenAsked();
    void analyzeOffStillRelaysAndShows();
    void relayCopiesEveryLineWhenConnected();
    void relayNotConnectedSendsNothing();
    void withoutServices();
};

void tst_CSpoolingAnalyze::writeAnswers_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("events");

    const QStringList accepted {u"WriteResult:1"_s, u"setWriteOK:1"_s};
    const QStringList refused {u"WriteResult:0"_s, u"setWriteOK:0"_s};
    QTest::newRow("OK") << u"OK"_s << accepted;
    QTest::newRow("ok in lower case") << u"ok"_s << QStringList();
    QTest::newRow("OK and a blank") << u"OK "_s << QStringList();
    QTest::newRow("OKAY") << u"OKAY"_s << QStringList();
    QTest::newRow("O alone") << u"O"_s << QStringList();
    QTest::newRow("empty line") << QString() << QStringList();
    QTest::newRow("OK after LF") << u"\nOK"_s << QStringList();
    QTest::newRow("blank before OK") << u" OK"_s << QStringList();
    QTest::newRow("ERR") << u"ERR"_s << refused;
    QTest::newRow("ERR and a number") << u"ERR 5"_s << refused;
    QTest::newRow("ERRX") << u"ERRX"_s << refused;
    QTest::newRow("Err") << u"Err"_s << QStringList();
    QTest::newRow("ER") << u"ER"_s << QStringList();
    QTest::newRow("ERR after LF") << u"\nERR"_s << QStringList();
}

void tst_CSpoolingAnalyze::writeAnswers()
{
    QFETCH(QString, line);
    QFETCH(QStringList, events);

    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    link.AnalyzeCmd(line, false);
    QCOMPARE(services.events, events);
}

void tst_CSpoolingAnalyze::writeResultComesBeforeTheFlag()
{
    RecordingServices services;
    CSpooling link(services.services());
    QStringList seenInHandler;
    connect(&link, &CSpooling::WriteResult, this, [&](bool) { seenInHandler = services.events; });
    services.watch(link);

    link.AnalyzeCmd(u"OK"_s, true);
    QCOMPARE(seenInHandler, QStringList {u"received:OK"_s});
    QCOMPARE(services.events, (QStringList {u"received:OK"_s, u"WriteResult:1"_s, u"setWriteOK:1"_s}));
}

void tst_CSpoolingAnalyze::records_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("fields");

    for (const char *code : {"FXO", "FXS", "GSM", "NET", "SMS", "PRF", "LST", "GWP"})
        QTest::newRow(code) << QString::fromLatin1(code) + u"1,2"_s << QString::fromLatin1(code)
                            << QStringList {u"1"_s, u"2"_s, u"<end>"_s};
    QTest::newRow("empty and trailing fields")
        << u"LSTa,,b,"_s << u"LST"_s << QStringList {u"a"_s, QString(), u"b"_s, QString(), u"<end>"_s};
    QTest::newRow("code alone") << u"GWP"_s << u"GWP"_s << QStringList {QString(), u"<end>"_s};
    QTest::newRow("fields keep their blanks")
        << u"SMS 1 , x"_s << u"SMS"_s << QStringList {u" 1 "_s, u" x"_s, u"<end>"_s};
}

void tst_CSpoolingAnalyze::records()
{
    QFETCH(QString, line);
    QFETCH(QString, code);
    QFETCH(QStringList, fields);

    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    link.AnalyzeCmd(line, false);

    QCOMPARE(services.records.size(), 1);
    QCOMPARE(services.records[0].first, code);
    const FieldCodecs::SplitResult &split = services.records[0].second;
    for (int i = 0; i < FieldCodecs::kSplitSlots; ++i)
        QCOMPARE(split[i], fields.value(i));
    QCOMPARE(services.events, QStringList {u"record:"_s + code});
}

void tst_CSpoolingAnalyze::recordOfTooManyFieldsIsIgnored()
{
    RecordingServices services;
    CSpooling link(services.services());
    QStringList fifty(50, u"1"_s);
    link.AnalyzeCmd(u"FXO"_s + fifty.join(u','), false);
    QCOMPARE(services.records.size(), 1);
    QCOMPARE(services.records[0].second[50], u"<end>"_s);

    fifty.append(u"1"_s);
    link.AnalyzeCmd(u"FXO"_s + fifty.join(u','), false);
    QCOMPARE(services.records.size(), 1);
}

void tst_CSpoolingAnalyze::recordRestIsCutAt255()
{
    RecordingServices services;
    CSpooling link(services.services());
    // Field 0 ends exactly at the 255th character of the rest; field 1 is lost.
    const QString first(254, u'7');
    link.AnalyzeCmd(u"GSM"_s + first + u",second"_s, false);
    QCOMPARE(services.records.size(), 1);
    QCOMPARE(services.records[0].second[0], first);
    QCOMPARE(services.records[0].second[1], QString());
    QCOMPARE(services.records[0].second[2], u"<end>"_s);
}

void tst_CSpoolingAnalyze::versionKeepsCharacters4To258()
{
    RecordingServices services;
    CSpooling link(services.services());
    QString line = u"VER"_s;
    for (int i = 0; line.size() < 300; ++i)
        line += QChar(u'a' + i % 26);
    link.AnalyzeCmd(line, true);
    QCOMPARE(services.versions, QStringList {line.mid(3, 255)});
    QCOMPARE(services.versions[0].size(), 255);
    QCOMPARE(services.receivedLines, QStringList {line}); // the monitor gets the whole line

    link.AnalyzeCmd(u"VER"_s, false);
    QCOMPARE(services.versions.last(), QString());
    link.AnalyzeCmd(u"ver1"_s, false);
    QCOMPARE(services.versions.size(), 2);
}

void tst_CSpoolingAnalyze::monitorOnlyWhenAsked()
{
    RecordingServices services;
    CSpooling link(services.services());
    link.AnalyzeCmd(u"FXO1"_s, false);
    QVERIFY(services.receivedLines.isEmpty());
    QCOMPARE(services.records.size(), 1);
    link.AnalyzeCmd(u"FXO2"_s, true);
    QCOMPARE(services.receivedLines, QStringList {u"FXO2"_s});
    QCOMPARE(services.records.size(), 2);
}

void tst_CSpoolingAnalyze::analyzeOffStillRelaysAndShows()
{
    RecordingServices services;
    services.analyzeEnabled = false;
    RecordingRelay relay;
    relay.connected = true;
    CSpooling::Services wired = services.services();
    wired.relay = &relay;
    CSpooling link(wired);
    services.watch(link);

    for (const QString &line : {u"OK"_s, u"ERR"_s, u"FXO1,2"_s, u"VER1"_s})
        link.AnalyzeCmd(line, true);
    QCOMPARE(
        services.events, (QStringList {u"received:OK"_s, u"received:ERR"_s, u"received:FXO1,2"_s, u"received:VER1"_s}));
    QCOMPARE(relay.sent.join(), QByteArray("OK\rERR\rFXO1,2\rVER1\r"));
}

void tst_CSpoolingAnalyze::relayCopiesEveryLineWhenConnected()
{
    RecordingServices services;
    RecordingRelay relay;
    relay.connected = true;
    CSpooling::Services wired = services.services();
    wired.relay = &relay;
    CSpooling link(wired);

    // Lines from the write queue (not shown) and unknown or LF-led lines are relayed too.
    link.AnalyzeCmd(u"GSM1"_s, false);
    link.AnalyzeCmd(u"\nOK"_s, true);
    link.AnalyzeCmd(QString(), true);
    link.AnalyzeCmd(QString::fromLatin1("x\xe9"), true);
    const QByteArray expected("GSM1\r\nOK\r\rx\xe9\r");
    QCOMPARE(relay.sent.join(), expected);

    // A relay peer that went away takes nothing, and the analysis goes on.
    relay.connected = false;
    link.AnalyzeCmd(u"OK"_s, true);
    QCOMPARE(relay.sent.join(), expected);
    QCOMPARE(services.receivedLines.last(), u"OK"_s);
}

// A relay with no peer gets nothing to send, however the relay itself would
// treat it: the link asks first.
void tst_CSpoolingAnalyze::relayNotConnectedSendsNothing()
{
    RecordingRelay relay;
    RecordingServices services;
    CSpooling::Services wired = services.services();
    wired.relay = &relay;
    CSpooling link(wired);
    link.AnalyzeCmd(u"OK"_s, true);
    QVERIFY(relay.sent.isEmpty());
    QCOMPARE(services.receivedLines, QStringList {u"OK"_s});

    relay.connected = true;
    link.AnalyzeCmd(u"OK"_s, true);
    QCOMPARE(relay.sent.size(), 1);
}

void tst_CSpoolingAnalyze::withoutServices()
{
    CSpooling link;
    QSignalSpy results(&link, &CSpooling::WriteResult);
    for (const QString &line : {u"VER1"_s, u"FXO1,2"_s, u"OK"_s, u"ERR 1"_s})
        link.AnalyzeCmd(line, true);
    link.SendCommand(u"RBT"_s);
    QCOMPARE(results.size(), 2);
    QCOMPARE(results[0][0].toBool(), true);
    QCOMPARE(results[1][0].toBool(), false);
}

QTEST_GUILESS_MAIN(tst_CSpoolingAnalyze)
#include "tst_cspooling_analyze.moc"
