#include <configurationfile.h>

#include <configstore.h>
#include <pagerecords.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace ConfigurationFile;

namespace {

const Header kHeader {
    .version = QStringLiteral("GW-3200 v3.12 build 0617"), .source = QStringLiteral("tcp:127.0.0.1:4001")};

// The page values after a log-on to the simulator with its factory configuration.
ConfigurationValues simulatorValues()
{
    ConfigurationValues values;
    values.prepareForStartup();
    for (const QByteArray &line : ConfigStore().recordLines()) {
        const QString record = QString::fromLatin1(line);
        values.applyRecord(record.left(3), *FieldCodecs::splitString(record.mid(3), QLatin1Char(',')));
    }
    return values;
}

// What the console saves of those values: the header, then lines 4 to 105 the
// records FXO, FXS, GSM, NET, SMS, GWP, PRF01 to PRF32 and LST01 to LST64.
QByteArray golden()
{
    QFile file(QFINDTESTDATA("golden.gwcfg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<int> allPages()
{
    return QList<int>(kPageOrder.begin(), kPageOrder.end());
}

QByteArrayList recordLines(const QByteArray &text)
{
    QByteArrayList records;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            records += line;
    }
    return records;
}

QString mismatch(const ConfigurationValues &read, const ConfigurationValues &expected)
{
    const ConfigurationValues::Differences found = read.differences(expected);
    QStringList cells;
    for (const ConfigurationValues::Cell &cell : found.cells)
        cells += QStringLiteral("%1(%2,%3)").arg(cell.table).arg(cell.row).arg(cell.col);
    return (found.controls + cells).join(QLatin1Char(' '));
}

} // namespace

class tst_ConfigurationFile : public QObject
{
    Q_OBJECT

private slots:
    void savedFileOpensToItsValues_data();
    void savedFileOpensToItsValues();
    void refusesFaultyFiles_data();
    void refusesFaultyFiles();
    void savesChosenPagesOrRefuses_data();
    void savesChosenPagesOrRefuses();
};

void tst_ConfigurationFile::savedFileOpensToItsValues_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray text = golden();
    QVERIFY(!text.isEmpty());
    QByteArrayList reordered = text.split('\n');
    std::reverse(reordered.begin() + 3, reordered.end());
    QByteArray commented = text;
    commented.replace("\nSMS", "\n\n   \n  # SMS page\n\t\nSMS");

    QTest::newRow("as saved") << text;
    QTest::newRow("CR LF line ends") << QByteArray(text).replace("\n", "\r\n");
    QTest::newRow("blank and comment lines between records") << commented;
    QTest::newRow("records in another order") << reordered.join('\n');
}

void tst_ConfigurationFile::savedFileOpensToItsValues()
{
    QFETCH(QByteArray, text);
    const ConfigurationValues values = simulatorValues();
    QString error;
    const QByteArray composed = compose(values, kHeader, &error);
    QCOMPARE(error, QString());
    QCOMPARE(composed.split('\n'), golden().split('\n'));

    QTemporaryDir dir;
    dir.setAutoRemove(!QTest::currentTestFailed());
    const QString path = dir.filePath(QStringLiteral("gateway.gwcfg"));
    QVERIFY2(save(path, text, &error), qPrintable(error));
    const ReadResult read = load(path);
    QVERIFY2(read.contents, qPrintable(read.error));
    QCOMPARE(read.contents->header, kHeader);
    QCOMPARE(read.contents->pages, allPages());
    QVERIFY2(read.contents->values == values, qPrintable(mismatch(read.contents->values, values)));

    // A write that cannot happen says which file it was.
    const QString blocked = dir.filePath(QStringLiteral("missing/gateway.gwcfg"));
    QVERIFY(!save(blocked, text, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(blocked)), qPrintable(error));
    QVERIFY(!save(dir.path(), text, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(dir.path())), qPrintable(error));
}

void tst_ConfigurationFile::refusesFaultyFiles_data()
{
    // The golden text with one line replaced (by several where the text holds
    // line breaks; an empty text drops the line).
    QTest::addColumn<int>("at");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    QTest::newRow("unknown record") << 8 << QByteArray("XYZ1,2,3") << 8 << "\"XYZ\" is not a configuration record";
    QTest::newRow("version line") << 4 << QByteArray("VERGW-3200") << 4 << "\"VER\" is not a configuration record";
    QTest::newRow("mnemonic in lower case")
        << 4 << QByteArray("fxo0,,3,4,11,10,40,1,2,98,0,2,30") << 4 << "\"fxo\" is not a configuration record";
    QTest::newRow("UTF-8 byte order mark")
        << 1 << QByteArray("\xEF\xBB\xBF# Varlisk gateway configuration") << 1 << "UTF-8";
    QTest::newRow("field too many") << 5 << QByteArray("FXS5,10,50,150,0,0,1,20,9") << 5
                                    << "FXS record has 9 fields, 8 expected";
    QTest::newRow("ring cadences left out")
        << 5 << QByteArray("FXS5,10,1,20") << 5 << "FXS record has 4 fields, 8 expected";
    QTest::newRow("row past the last") << 41 << QByteArray("PRF33,,0") << 41
                                       << "PRF row \"33\" is out of range (rows 1 to 32)";
    QTest::newRow("heading row") << 42 << QByteArray("LST00,,0") << 42
                                 << "LST row \"00\" is out of range (rows 1 to 64)";
    QTest::newRow("row number of one digit")
        << 10 << QByteArray("PRF1,0912,1") << 10 << "PRF field 1 (row number) is \"1\", which the page holds as \"01\"";
    QTest::newRow("record twice") << 8 << QByteArray("SMS13,09121234567,09120000000\nFXO0,,3,4,11,10,40,1,2,98,0,2,30")
                                  << 9 << "FXO record again (first on line 4)";
    QTest::newRow("row twice") << 11 << QByteArray("PRF01,0912,1") << 11 << "PRF row 01 again (first on line 10)";
    QTest::newRow("tone the list lacks") << 9 << QByteArray("GWP0,9,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0") << 9
                                         << "GWP field 2 (Dial Tone) is \"9\", which the page holds as \"-1\"";
    QTest::newRow("caller ID type the FXO port lacks")
        << 4 << QByteArray("FXO16,,3,4,11,10,40,1,2,98,0,2,30") << 4
        << "FXO field 1 (option lists) is \"16\", which the page holds as \"0\"";
    QTest::newRow("permission past the last column")
        << 42 << QByteArray("LST01,09121234567,32") << 42
        << "LST field 3 (FXO/FXS/CALLBACK/Conference/GSM) is \"32\", which the page holds as \"0\"";
    QTest::newRow("number with a leading zero")
        << 7 << QByteArray("NET64,035,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00") << 7
        << "NET field 2 (Cell Signal Level) is \"035\", which the page holds as \"35\"";
    QTest::newRow("carriage return inside a record")
        << 8 << QByteArray("SMS13,0912\r1234567,09120000000") << 8 << "SMS record holds a line break";
    QTest::newRow("GSM page without its NET record") << 7 << QByteArray() << 6 << "the NET record is missing";
    QTest::newRow("prefix table without a row") << 16 << QByteArray("# PRF07,,0") << 10 << "PRF row 07 is missing";
    QTest::newRow("no records") << 0 << QByteArray("# Varlisk gateway configuration\n\n") << 0
                                << "The file holds no configuration records.";
}

void tst_ConfigurationFile::refusesFaultyFiles()
{
    QFETCH(int, at);
    QFETCH(QByteArray, replacement);
    QFETCH(int, line);
    QFETCH(QString, reason);

    QByteArray text = replacement;
    if (at > 0) {
        QByteArrayList lines = golden().split('\n');
        QVERIFY(at <= lines.size());
        if (replacement.isEmpty())
            lines.removeAt(at - 1);
        else
            lines[at - 1] = replacement;
        text = lines.join('\n');
    }
    const ReadResult read = parse(text);
    QVERIFY(!read.contents);
    QCOMPARE(read.line, line);
    QVERIFY2(read.error.startsWith(line > 0 ? QStringLiteral("line %1: ").arg(line) : reason), qPrintable(read.error));
    QVERIFY2(read.error.contains(reason), qPrintable(read.error));
}

void tst_ConfigurationFile::savesChosenPagesOrRefuses_data()
{
    // The pages saved from the simulator's values with one value changed (by
    // control, or by table, row and column); a refusal, or none when the file is
    // made and must open to exactly the pages saved.
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");

    using namespace Pages;
    const QString none;
    QTest::newRow("FXO page alone") << QList<int> {PageFXO} << none << 0 << 0 << none << none;
    QTest::newRow("GSM page: GSM and NET") << QList<int> {PageGSM} << none << 0 << 0 << none << none;
    QTest::newRow("tables and tones, in file order")
        << QList<int> {PageNumList, PageTONE, PagePRF, PageDBG} << none << 0 << 0 << none << none;
    QTest::newRow("Latin-1 text with a NUL")
        << QList<int> {PageSMS} << "txtSMS_Service" << 0 << 0 << QString::fromLatin1("Z\xFCrich\xFF\0", 8) << none;
    QTest::newRow("number list row the page refuses")
        << allPages() << "ucNumList" << 3 << 2 << "99999"
        << "Number List row 3: the permission cells FXO to GSM must hold 0 or 1";
    QTest::newRow("comma in a text") << QList<int> {PageSMS} << "txtSMS_SpeNum" << 0 << 0 << "0912,123"
                                     << "SMS Data cannot be saved to a file: SMS record has 4 fields, 3 expected.";
    QTest::newRow("number the page reads differently")
        << QList<int> {PageGSM} << "txtGSM_RXL" << 0 << 0 << "035"
        << "Network Data cannot be saved to a file: NET field 2 (Cell Signal Level) is \"035\"";
    QTest::newRow("character past Latin-1")
        << QList<int> {PageFXO} << "txtFXO_Follow" << 0 << 0 << QStringLiteral("09\u20AC") << "not Latin-1";
    QTest::newRow("line feed in a text") << QList<int> {PageFXS} << "txtFXS_DLP" << 0 << 0 << "1\n2"
                                         << "FXS record holds a line break";
}

void tst_ConfigurationFile::savesChosenPagesOrRefuses()
{
    QFETCH(QList<int>, pages);
    QFETCH(QString, control);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, value);
    QFETCH(QString, refusal);

    ConfigurationValues values = simulatorValues();
    if (row > 0)
        QVERIFY(values.setCell(control, row, col, value));
    else if (!control.isEmpty())
        values.setText(control, value);

    QString error;
    const QByteArray text = compose(values, kHeader, pages, &error);
    if (!refusal.isEmpty()) {
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QVERIFY(text.isEmpty());
        return;
    }
    QCOMPARE(error, QString());

    const ReadResult read = parse(text);
    QVERIFY2(read.contents, qPrintable(read.error));
    QList<int> held;
    for (const int page : kPageOrder) {
        if (pages.contains(page))
            held += page;
    }
    QCOMPARE(read.contents->pages, held);
    // Writing the pages the file holds sends exactly its records, in its order.
    QString writeRefusal;
    QByteArrayList written;
    for (const QueueEntry &entry : records(read.contents->values, read.contents->pages, &writeRefusal))
        written += entry.Cmd.toLatin1();
    QCOMPARE(writeRefusal, QString());
    QCOMPARE(written, recordLines(text));
    // Those are the page saves of the values saved, byte for byte.
    QByteArrayList expected;
    for (const int page : held) {
        for (const QueueEntry &entry : PageRecords::build(page, values).entries)
            expected += entry.Cmd.toLatin1();
    }
    QCOMPARE(written, expected);
}

QTEST_GUILESS_MAIN(tst_ConfigurationFile)

#include "tst_configurationfile.moc"
