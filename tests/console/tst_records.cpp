#include "recordcodec.h"
#include "recordlayouts.h"

#include <QHash>
#include <QTest>

// Page controls without widgets: lists know their entry counts from the layouts,
// tables their data rows, so the codec meets the same refusals as on the pages.
class FakeControls : public IRecordControls
{
public:
    FakeControls()
    {
        for (const RecordLayout &layout : RecordLayouts::all()) {
            for (const FieldLayout &field : layout.fields) {
                if (!field.entries.isEmpty() && !field.control.isEmpty())
                    m_counts.insert(field.control, field.entries.size());
            }
            for (const FieldSelector &selector : layout.selectors)
                m_counts.insert(selector.control, selector.entries.size());
            if (layout.isTableRecord())
                m_tableRows.insert(layout.table, layout.rows);
        }
    }

    int listPosition(const QString &control) const override { return m_positions.value(control, -1); }
    bool setListPosition(const QString &control, int position) override
    {
        if (position < 0 || position >= m_counts.value(control))
            return false;
        m_positions.insert(control, position);
        return true;
    }
    QString text(const QString &control) const override { return m_texts.value(control); }
    void setText(const QString &control, const QString &text) override { m_texts.insert(control, text); }
    QString cell(const QString &table, int row, int col) const override
    {
        return m_cells.value(cellKey(table, row, col));
    }
    bool setCell(const QString &table, int row, int col, const QString &text) override
    {
        if (row < 1 || row > m_tableRows.value(table))
            return false;
        m_cells.insert(cellKey(table, row, col), text);
        return true;
    }

    QHash<QString, int> m_counts;
    QHash<QString, int> m_tableRows;
    QHash<QString, int> m_positions;
    QHash<QString, QString> m_texts;
    QHash<QString, QString> m_cells;

    static QString cellKey(const QString &table, int row, int col)
    {
        return QStringLiteral("%1/%2/%3").arg(table).arg(row).arg(col);
    }
};

namespace {

FieldCodecs::SplitResult split(const QString &rest)
{
    return *FieldCodecs::splitString(rest, QLatin1Char(','));
}

const RecordLayout &layoutOf(const QString &line)
{
    return *RecordLayouts::find(line.left(3));
}

void apply(FakeControls &controls, const QString &line)
{
    RecordCodec::decode(layoutOf(line), split(line.mid(3)), controls);
}

QString encoded(const FakeControls &controls, const QString &code, int row = 0)
{
    const RecordLayout &layout = *RecordLayouts::find(code);
    const RecordCodec::Encoded result = layout.isTableRecord() ? RecordCodec::encodeRow(layout, controls, row)
                                                               : RecordCodec::encode(layout, controls);
    return result.ok() ? result.command : QStringLiteral("refused: ") + result.refusal;
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void layoutsAreConsistent();
    void receivedThenWritten_data();
    void receivedThenWritten();
    void fieldsPinnedToControls_data();
    void fieldsPinnedToControls();
    void unsetListsAndRingSignal_data();
    void unsetListsAndRingSignal();
    void levelCodes_data();
    void levelCodes();
    void optionWordWidth();
    void badFieldsStandAlone();
    void tableRows();
    void packedPermissionsOverflow();
};

void TestRecords::layoutsAreConsistent()
{
    QSet<QString> controls;
    for (const RecordLayout &layout : RecordLayouts::all()) {
        QSet<int> fields;
        for (const FieldLayout &field : layout.fields) {
            QVERIFY2(field.field >= 0 && field.field < layout.fieldCount, qPrintable(layout.code));
            if (field.kind != FieldKind::OptionBits)
                QVERIFY2(!fields.contains(field.field), qPrintable(layout.code + QString::number(field.field)));
            fields.insert(field.field);
            if (field.kind == FieldKind::OptionBits) {
                // The mask covers exactly the bits the list's positions can reach.
                QCOMPARE(field.mask % field.weight, 0);
                QCOMPARE((field.entries.size() - 1) * field.weight & ~field.mask, 0);
            }
            if (!field.control.isEmpty()) {
                QVERIFY2(!controls.contains(field.control), qPrintable(field.control));
                controls.insert(field.control);
            }
        }
        QCOMPARE(fields.size(), layout.fieldCount);
    }
    QCOMPARE(RecordLayouts::all().size(), 8);
}

void TestRecords::receivedThenWritten_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("written");

    QTest::newRow("FXO") << "FXO0,,3,4,11,10,40,1,2,98,0,2,30"
                         << "FXO0,,3,4,11,10,40,1,2,98,0,2,30";
    QTest::newRow("FXO all options") << "FXO78,09121112233,5,3,16,255,1,3,0,49,0,9,255"
                                     << "FXO78,09121112233,5,3,16,255,1,3,0,49,0,9,255";
    QTest::newRow("FXO CID type snaps to Bellcore") << "FXO32,,3,4,11,10,40,1,2,98,0,2,30"
                                                    << "FXO0,,3,4,11,10,40,1,2,98,0,2,30";
    QTest::newRow("FXS") << "FXS5,10,50,150,0,0,1,20"
                         << "FXS5,10,50,150,0,0,1,20";
    QTest::newRow("FXS double ring, break line") << "FXS14,5,20,10,20,100,3,7"
                                                 << "FXS14,5,20,10,20,100,3,7";
    QTest::newRow("GSM") << "GSM4,,48,0,,,1,1,5"
                         << "GSM4,,48,0,,,1,1,5";
    QTest::newRow("GSM every bit") << "GSM239,0912345,96,244,1234,5678,2,5,6"
                                   << "GSM239,0912345,96,244,1234,5678,2,5,6";
    QTest::newRow("GSM +6 dB") << "GSM0,,0,12,,,0,0,0"
                               << "GSM0,,0,12,,,0,0,0";
    QTest::newRow("NET") << "NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00"
                         << "NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00";
    QTest::newRow("NET ignores bits 2, 3, 7 and reads number texts") << "NET1,07,0600,43211,,a,b,c,d,e,f,g,h"
                                                                     << "NET1,7,600,43211,,a,b,c,d,e,f,g,h";
    QTest::newRow("NET high bits ignored") << "NET166,1,2,3,4,5,6,7,8,9,10,11,12"
                                           << "NET34,1,2,3,4,5,6,7,8,9,10,11,12";
    QTest::newRow("SMS") << "SMS13,09121234567,09120000000"
                         << "SMS13,09121234567,09120000000";
    QTest::newRow("GWP") << "GWP0,2,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0"
                         << "GWP0,2,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0";
    QTest::newRow("GWP levels and number texts") << "GWP1,3,0,2,3,0,1,2,4,050,50.5,0,0,25,25,0,0,100,400,0,0"
                                                 << "GWP1,3,0,2,3,0,1,2,4,50,50.5,0,0,25,25,0,0,100,400,0,0";
    QTest::newRow("PRF leading zero of SIM dropped") << "PRF05,055,02"
                                                     << "PRF05,055,2";
    QTest::newRow("PRF empty row") << "PRF32,,"
                                   << "PRF32,,0";
    QTest::newRow("LST") << "LST03,09197654321,21"
                         << "LST03,09197654321,21";
    QTest::newRow("LST every permission") << "LST64,09121234567,31"
                                          << "LST64,09121234567,31";
}

void TestRecords::receivedThenWritten()
{
    QFETCH(QString, received);
    QFETCH(QString, written);
    FakeControls controls;
    controls.setListPosition(QStringLiteral("cmbFXS_Signal"), 3);
    apply(controls, received);
    // The FXO CID list snaps back to Bellcore on the pages; here the rule is the
    // pages' business, so it is applied by hand.
    if (received.startsWith(QLatin1String("FXO")))
        controls.setListPosition(QStringLiteral("cmbFXO_CID"), 0);
    const int row = FieldCodecs::toInt32(FieldCodecs::numericValue(split(received.mid(3))[0])).value_or(0);
    QCOMPARE(encoded(controls, received.left(3), row), written);
}

// Every field of a record lands on its own control: each field carries a value
// no other field has, so two swapped rows of a layout fail here even though
// they would still round-trip. "#n" is a list position, anything else a text.
void TestRecords::fieldsPinnedToControls_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("pins");

    QTest::newRow("FXO: follow-me, rings, minimum and maximum digits, cadences")
        << "FXO0,111,2,3,31,44,55,1,2,66,77,8,99"
        << QStringList {"txtFXO_Follow=111", "txtNumRing=2", "txtFXO_Min=3", "txtFXO_Max=31", "txtFXO_DLP=44",
               "txtFXO_WTP=55", "cmbFXO_BT=#1", "cmbFXO_BT2=#2", "txtFXO_Country=66", "txtFXO_NTNL=77",
               "txtFXO_PauseNDD=8", "txtFXO_Unobt=99"};
    QTest::newRow("GSM: levels, the two PINs, OUT before IN")
        << "GSM0,555,16,8,1111,2222,1,2,3"
        << QStringList {"txtGSM_ATL=555", "cmbGSM_SPK=#1", "cmbGSM_MIC=#1", "txtGSM_PIN1=1111", "txtGSM_PIN2=2222",
               "cmbGSM_Rate_1=#1", "cmbGSM_Rate_0=#2", "cmbGSM_Band=#3"};
    QTest::newRow("NET: period IDs and times interleaved")
        << "NET0,11,222,301,302,501,601,502,602,503,603,504,604"
        << QStringList {"txtGSM_RXL=11", "txtGSM_PRD=222", "txtGSM_IDCELL=301", "txtGSM_MNL=302", "txtGSM_SLCT_0=501",
               "txtGSM_TMR_0=601", "txtGSM_SLCT_1=502", "txtGSM_TMR_1=602", "txtGSM_SLCT_2=503", "txtGSM_TMR_2=603",
               "txtGSM_SLCT_3=504", "txtGSM_TMR_3=604"};
    QTest::newRow("SMS: one bit a list") << "SMS10,123,456"
                                         << QStringList {"cmbSMS_CallBack=#0", "cmbSMS_fxo=#1", "cmbSMS_Setup=#0",
                                                "cmbSMS_Confrim=#1", "cmbSMS_Control=#0", "txtSMS_SpeNum=123",
                                                "txtSMS_Service=456"};
    QTest::newRow("GWP: tone types, levels and cadences")
        << "GWP1,0,7,1,6,2,5,0,4,11,12,13,14,21,22,23,24,31,32,33,34"
        << QStringList {"cmbTONE_Work=#1", "cmbTONE_Type_0=#0", "cmbTONE_Type_1=#0", "cmbTONE_Type_2=#1",
               "cmbTONE_Type_3=#1", "cmbTONE_Type_4=#2", "cmbTONE_Type_5=#2", "cmbTONE_Type_6=#0",
               "cmbTONE_Type_7=#3", "txtTONE_4=11", "txtTONE_5=12", "txtTONE_6=13", "txtTONE_7=14", "txtTONE_8=21",
               "txtTONE_9=22", "txtTONE_10=23", "txtTONE_11=24", "txtTONE_12=31", "txtTONE_13=32", "txtTONE_14=33",
               "txtTONE_15=34"};
}

void TestRecords::fieldsPinnedToControls()
{
    QFETCH(QString, record);
    QFETCH(QStringList, pins);
    FakeControls controls;
    apply(controls, record);
    for (const QString &pin : pins) {
        const QString control = pin.section(QLatin1Char('='), 0, 0);
        const QString expected = pin.section(QLatin1Char('='), 1);
        const QString actual = expected.startsWith(QLatin1Char('#'))
            ? QStringLiteral("#%1").arg(controls.listPosition(control))
            : controls.text(control);
        QVERIFY2(actual == expected, qPrintable(QStringLiteral("%1 holds %2").arg(pin, actual)));
    }
    // Written back from the same controls, the record comes out as it came in.
    if (record.startsWith(QLatin1String("FXO")))
        controls.setListPosition(QStringLiteral("cmbFXO_CID"), 0);
    QCOMPARE(encoded(controls, record.left(3)), record);
}

void TestRecords::unsetListsAndRingSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("written");
    QTest::newRow("nothing chosen: four fields") << -1 << "FXS5,10,1,20";
    QTest::newRow("single ring 1") << 0 << "FXS5,10,50,150,0,0,1,20";
    QTest::newRow("single ring 2") << 1 << "FXS5,10,100,200,0,0,1,20";
    QTest::newRow("double ring") << 2 << "FXS5,10,20,10,20,100,1,20";
    QTest::newRow("custom") << 3 << "FXS5,10,7,8,9,10,1,20";
}

void TestRecords::unsetListsAndRingSignal()
{
    QFETCH(int, signal);
    QFETCH(QString, written);
    FakeControls controls;
    QCOMPARE(encoded(controls, QStringLiteral("FXO")), QStringLiteral("FXO-93,,,,,,,-1,-1,,,,"));
    QCOMPARE(encoded(controls, QStringLiteral("SMS")), QStringLiteral("SMS-31,,"));

    controls.setListPosition(QStringLiteral("cmbFXS_CID"), 1);
    controls.setListPosition(QStringLiteral("cmbFXS_CID_on"), 1);
    controls.setListPosition(QStringLiteral("cmbFXS_Unlist"), 0);
    controls.setText(QStringLiteral("txtFXS_DLP"), QStringLiteral("10"));
    controls.setListPosition(QStringLiteral("cmbFXS_Polar"), 1);
    controls.setText(QStringLiteral("txtFXS_Polar"), QStringLiteral("20"));
    int value = 7;
    for (const char *box : {"txtFXS_Ring_0", "txtFXS_Pause_0", "txtFXS_Ring_1", "txtFXS_Pause_1"})
        controls.setText(QString::fromLatin1(box), QString::number(value++));
    if (signal >= 0)
        controls.setListPosition(QStringLiteral("cmbFXS_Signal"), signal);
    QCOMPARE(encoded(controls, QStringLiteral("FXS")), written);
}

void TestRecords::levelCodes_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("speaker");
    QTest::addColumn<int>("microphone");
    const int speaker[] {0, 16, 32, 48, 64, 80, 96};
    const int microphone[] {12, 8, 4, 0, 252, 248, 244};
    for (int position = 0; position < 7; ++position)
        QTest::addRow("position %d", position) << position << speaker[position] << microphone[position];
}

void TestRecords::levelCodes()
{
    QFETCH(int, position);
    QFETCH(int, speaker);
    QFETCH(int, microphone);
    QCOMPARE(RecordCodec::speakerCode(position), speaker);
    QCOMPARE(RecordCodec::speakerPosition(speaker), position);
    QCOMPARE(RecordCodec::microphoneCode(position), microphone);
    QCOMPARE(RecordCodec::microphonePosition(microphone), position);
    // Tone levels: "0 dB" is 7 and each step down 1.5 dB one less.
    QCOMPARE(RecordCodec::toneLevelCode(position), 7 - position);
    QCOMPARE(RecordCodec::toneLevelPosition(7 - position), position);
}

void TestRecords::optionWordWidth()
{
    // 200 still counts as a positive gain (3 - 50), 201 as a negative one (67 - 50.25).
    QCOMPARE(RecordCodec::microphonePosition(200), -47);
    QCOMPARE(RecordCodec::microphonePosition(201), 17);

    // NET reads its option word as 32 bits: 65600 is bit 16 and bit 6.
    FakeControls controls;
    apply(controls, QStringLiteral("NET65600,1,2,3,4,5,6,7,8,9,10,11,12"));
    QCOMPARE(controls.listPosition(QStringLiteral("cmbGSM_TonGsm")), 1);
    QCOMPARE(controls.listPosition(QStringLiteral("cmbGSM_CELL")), 0);
    // The same word overflows the 16 bits of GSM: its lists stay, its texts go in.
    apply(controls, QStringLiteral("GSM65600,0912,16,8,1,2,3,4,5"));
    QCOMPARE(controls.listPosition(QStringLiteral("cmbGSM_FxoAccess")), -1);
    QCOMPARE(controls.listPosition(QStringLiteral("cmbGSM_SPK")), 1);
    QCOMPARE(controls.listPosition(QStringLiteral("cmbGSM_MIC")), 1);
    QCOMPARE(controls.text(QStringLiteral("txtGSM_ATL")), QStringLiteral("0912"));
    QCOMPARE(controls.listPosition(QStringLiteral("cmbGSM_Band")), 5);
}

void TestRecords::badFieldsStandAlone()
{
    FakeControls controls;
    apply(controls, QStringLiteral("FXO0,,3,4,11,10,40,1,2,98,0,2,30"));
    // Busy cadence 9 and reorder cadence 1e9 are positions the lists do not have;
    // an access mode of 3 likewise. Everything else still goes in.
    apply(controls, QStringLiteral("FXO67,555,1,5,6,7,8,9,1e9,44,1,3,100"));
    QCOMPARE(controls.listPosition(QStringLiteral("cmbFXO_AGSM")), 0);
    QCOMPARE(controls.listPosition(QStringLiteral("cmbFXO_DMode")), 1);
    QCOMPARE(controls.listPosition(QStringLiteral("cmbFXO_BT")), 1);
    QCOMPARE(controls.listPosition(QStringLiteral("cmbFXO_BT2")), 2);
    QCOMPARE(controls.text(QStringLiteral("txtFXO_Follow")), QStringLiteral("555"));
    QCOMPARE(controls.text(QStringLiteral("txtFXO_Country")), QStringLiteral("44"));
    QCOMPARE(controls.text(QStringLiteral("txtFXO_Unobt")), QStringLiteral("100"));

    // A short record: the first missing field reads "<end>", the rest empty; as
    // list fields both count as 0, as number texts both read "0".
    apply(controls, QStringLiteral("GWP1,2"));
    QCOMPARE(controls.listPosition(QStringLiteral("cmbTONE_Type_1")), 7); // "<end>" is 0, level 7 - 0
    QCOMPARE(controls.text(QStringLiteral("txtTONE_4")), QStringLiteral("0"));
}

void TestRecords::tableRows()
{
    FakeControls controls;
    apply(controls, QStringLiteral("PRF05,055,02"));
    QCOMPARE(controls.cell(QStringLiteral("ucPRF"), 5, 1), QStringLiteral("055"));
    QCOMPARE(controls.cell(QStringLiteral("ucPRF"), 5, 2), QStringLiteral("2"));

    apply(controls, QStringLiteral("LST03,09197654321,21"));
    QStringList permissions;
    for (int col = 2; col <= 6; ++col)
        permissions += controls.cell(QStringLiteral("ucNumList"), 3, col);
    QCOMPARE(controls.cell(QStringLiteral("ucNumList"), 3, 1), QStringLiteral("09197654321"));
    QCOMPARE(permissions, QStringList({"1", "0", "1", "0", "1"}));

    // Rows the tables do not have, the heading row among them, change nothing.
    const auto before = controls.m_cells;
    for (const char *line : {"PRF33,1,2", "PRF00,1,2", "PRF-1,1,2", "LST65,1,3", "LST1e10,1,3", "LSTx,1,3"})
        apply(controls, QString::fromLatin1(line));
    QCOMPARE(controls.m_cells, before);

    // A packed value that overflows 32 bits leaves the permissions, not the number.
    apply(controls, QStringLiteral("LST03,0935,99999999999"));
    QCOMPARE(controls.cell(QStringLiteral("ucNumList"), 3, 1), QStringLiteral("0935"));
    QCOMPARE(controls.cell(QStringLiteral("ucNumList"), 3, 2), QStringLiteral("1"));

    // Empty rows are written too.
    QCOMPARE(encoded(controls, QStringLiteral("LST"), 9), QStringLiteral("LST09,,0"));
    QCOMPARE(encoded(controls, QStringLiteral("PRF"), 10), QStringLiteral("PRF10,,"));
}

void TestRecords::packedPermissionsOverflow()
{
    FakeControls controls;
    const QString table = QStringLiteral("ucNumList");
    controls.setCell(table, 7, 1, QStringLiteral("0912"));
    controls.setCell(table, 7, 2, QStringLiteral("1"));
    controls.setCell(table, 7, 6, QStringLiteral("2047"));
    // 1 + 16 * 2047 = 32753 still fits the record.
    QCOMPARE(encoded(controls, QStringLiteral("LST"), 7), QStringLiteral("LST07,0912,32753"));
    controls.setCell(table, 7, 6, QStringLiteral("2048"));
    const QString refused = encoded(controls, QStringLiteral("LST"), 7);
    QVERIFY2(refused.startsWith(QLatin1String("refused: Number List row 7:")), qPrintable(refused));
    QVERIFY(refused.contains(QLatin1String("FXO")) && refused.contains(QLatin1String("GSM")));
    controls.setCell(table, 7, 6, QStringLiteral("-2049"));
    QVERIFY(encoded(controls, QStringLiteral("LST"), 7).startsWith(QLatin1String("refused")));
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
