#include "configuration.h"

#include <configpages.h>
#include <configstore.h>
#include <coolflex.h>
#include <recordlayouts.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

// Steps of a scenario: a received record line, or one of these resets.
const QString kPrepareForStartup = QStringLiteral("@prepareForStartup");
const QString kSetupTables = QStringLiteral("@setupTables");
const QString kClearTables = QStringLiteral("@clearTables");

QStringList simulatorRecords()
{
    QStringList lines;
    for (const QByteArray &line : ConfigStore().recordLines())
        lines += QString::fromLatin1(line);
    return lines;
}

// Records the pages must take or refuse field by field: positions no list has,
// option words beyond their width, texts longer than their boxes, rows 0 and past
// the end, short records, odd characters and number forms.
QStringList awkwardRecords()
{
    QString oddText = QStringLiteral("\t a\nb\x01");
    oddText += QChar(0);
    oddText += QChar(0xE9);
    return {
        "FXO3,0123456789012345678901234567890123456789,12345,,,,,4,-1,123456789,12345,99,1234",
        "FXO112,,,,,,,1e9,&H2,,,,",
        "FXO16,,3,4,11,10,40,3,0.5,98,0,2,30",
        "FXO70000,x,y",
        "FXO-1",
        "FXS15,1234,1,2,3,4,9,5678",
        "GSM255,12345678901234567890,112,250,123456789,x,6,-1,7",
        "GSM0,,-16,200,,,2.5,3.5,&H4",
        "NET-1,123,123456,1234567,1234567,a,b,c,d,e,f,g,h",
        "NET4294967296,1.50,0600",
        "SMS31,12345678901234567890," + oddText,
        "SMS",
        "GWP2,4,8,3,-1,3,9,3,8,1e3,&HFFFF,-0,0.5,,,,,,,,",
        "GWP1,0,7",
        "PRF00,999,9",
        "PRF33,999,9",
        "PRF-1,999,9",
        "PRF0.4,999,9",
        "PRF1.5,half,even",
        "PRF32.5,last,row",
        "PRF12,12345678901234567890,007",
        "PRF07",
        "PRF",
        "LST00,1,31",
        "LST65,1,31",
        "LST64,12345678901234567890,-1",
        "LST10,x,1e10",
        "LST09",
        "LST2,abc,&H20",
        "XYZ1,2,3",
    };
}

QComboBox *pageList(const ConfigPages &pages, const QString &name)
{
    for (int index = 0; index < ConfigPages::kPageCount; ++index) {
        if (const QWidget *page = pages.page(index)) {
            if (auto *list = page->findChild<QComboBox *>(name))
                return list;
        }
    }
    return nullptr;
}

QLineEdit *pageText(const ConfigPages &pages, const QString &name)
{
    for (int index = 0; index < ConfigPages::kPageCount; ++index) {
        if (const QWidget *page = pages.page(index)) {
            if (auto *edit = page->findChild<QLineEdit *>(name))
                return edit;
        }
    }
    return nullptr;
}

void run(const QString &step, ConfigPages &pages, Configuration &configuration)
{
    if (step == kPrepareForStartup) {
        pages.prepareForStartup();
        configuration.prepareForStartup();
    } else if (step == kSetupTables) {
        pages.setupTables();
        configuration.setupTables();
    } else if (step == kClearTables) {
        pages.clearTables();
        configuration.clearTables();
    } else if (const auto fields = FieldCodecs::splitString(step.mid(3), QLatin1Char(','))) {
        pages.applyRecord(step.left(3), *fields);
        configuration.applyRecord(step.left(3), *fields);
    }
}

// Every list, text box and table cell (a margin outside the grids included)
// where the page controls and the configuration differ.
QStringList mismatches(const ConfigPages &pages, const Configuration &configuration)
{
    QStringList found;
    for (const RecordLayout &layout : RecordLayouts::all()) {
        QStringList lists;
        QStringList texts;
        for (const FieldLayout &field : layout.fields) {
            if (!field.control.isEmpty())
                (field.entries.isEmpty() ? texts : lists) += field.control;
        }
        for (const FieldSelector &selector : layout.selectors)
            lists += selector.control;
        for (const QString &name : lists) {
            const QComboBox *list = pageList(pages, name);
            const int shown = list ? list->currentIndex() : -2;
            if (shown != configuration.listPosition(name))
                found += QStringLiteral("%1: pages %2, configuration %3")
                             .arg(name)
                             .arg(shown)
                             .arg(configuration.listPosition(name));
        }
        for (const QString &name : texts) {
            const QLineEdit *edit = pageText(pages, name);
            const QString shown = edit ? edit->text() : QStringLiteral("(no control)");
            if (shown != configuration.text(name))
                found += QStringLiteral("%1: pages \"%2\", configuration \"%3\"")
                             .arg(name, shown, configuration.text(name));
        }
    }
    for (const CoolFlex *grid : {pages.prefixTable(), pages.numberList()}) {
        for (int row = -1; row <= grid->Rows(); ++row) {
            for (int col = -1; col <= grid->Cols(); ++col) {
                const QString shown = grid->TextMatrix(row, col);
                const QString held = configuration.cell(grid->objectName(), row, col);
                if (shown != held)
                    found += QStringLiteral("%1(%2, %3): pages \"%4\", configuration \"%5\"")
                                 .arg(grid->objectName())
                                 .arg(row)
                                 .arg(col)
                                 .arg(shown, held);
            }
        }
    }
    return found;
}

// The records a save of page index writes from controls, as "description: record",
// or the refusal.
QStringList saveOf(const IRecordControls &controls, int index)
{
    QStringList records;
    for (const RecordLayout &layout : RecordLayouts::all()) {
        if (layout.page != index)
            continue;
        const int rows = layout.isTableRecord() ? layout.rows : 1;
        for (int row = 1; row <= rows; ++row) {
            const RecordCodec::Encoded record = layout.isTableRecord() ? RecordCodec::encodeRow(layout, controls, row)
                                                                       : RecordCodec::encode(layout, controls);
            if (!record.ok())
                return {QStringLiteral("refused: ") + record.refusal};
            const QString description
                = layout.isTableRecord() ? layout.description + QString::number(row) : layout.description;
            records += description + QStringLiteral(": ") + record.command;
        }
    }
    return records;
}

QStringList saveOf(const ConfigPages &pages, int index)
{
    const ConfigPages::SaveRecords save = pages.buildSave(index);
    if (!save.refusal.isEmpty())
        return {QStringLiteral("refused: ") + save.refusal};
    QStringList records;
    for (const QueueEntry &entry : save.entries)
        records += entry.Desc + QStringLiteral(": ") + entry.Cmd;
    return records;
}

} // namespace

class TestConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void sameAsPages_data();
    void sameAsPages();
    void changesSignalledOnce();
};

void TestConfiguration::sameAsPages_data()
{
    QTest::addColumn<QStringList>("steps");
    const QStringList simulator = simulatorRecords();
    const QStringList awkward = awkwardRecords();
    QTest::newRow("fresh") << QStringList {};
    QTest::newRow("start-up") << QStringList {kPrepareForStartup};
    QTest::newRow("simulator's records after start-up") << QStringList {kPrepareForStartup, kClearTables} + simulator;
    QTest::newRow("awkward records on fresh pages") << awkward;
    QTest::newRow("awkward records over the simulator's") << simulator + awkward;
    QTest::newRow("read, cleared, set up again") << simulator + awkward + QStringList {kClearTables, kSetupTables};
}

void TestConfiguration::sameAsPages()
{
    QFETCH(QStringList, steps);
    ConfigPages pages;
    Configuration configuration;
    QStringList differ = mismatches(pages, configuration);
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
    // After every step, so that a value a later record overwrites is checked too.
    for (const QString &step : steps) {
        run(step, pages, configuration);
        differ = mismatches(pages, configuration);
        QVERIFY2(
            differ.isEmpty(), qPrintable(QStringLiteral("after %1:\n%2").arg(step, differ.join(QLatin1Char('\n')))));
    }
    for (int index = 0; index < ConfigPages::kPageCount; ++index) {
        QCOMPARE(saveOf(configuration, index), saveOf(pages, index));
        QCOMPARE(saveOf(configuration.values(), index), saveOf(pages, index));
    }
}

void TestConfiguration::changesSignalledOnce()
{
    Configuration configuration;
    QSignalSpy values(&configuration, &Configuration::valueChanged);
    QSignalSpy cells(&configuration, &Configuration::cellChanged);
    using Cells = QList<QVariantList>;
    auto expect = [&](const QStringList &controls, const Cells &changedCells) {
        QStringList heard;
        for (const QVariantList &arguments : std::as_const(values))
            heard += arguments.at(0).toString();
        const Cells cellsHeard(cells.cbegin(), cells.cend());
        values.clear();
        cells.clear();
        return heard == controls && cellsHeard == changedCells;
    };
    const QString cid = QStringLiteral("cmbFXO_CID");
    const QString follow = QStringLiteral("txtFXO_Follow");
    const QString prf = QStringLiteral("ucPRF");
    const QString numbers = QStringLiteral("ucNumList");

    // The caller ID type takes position 2 as 0: one change, where the page's list
    // moves twice; 1 afterwards leaves it at 0 and changes nothing.
    QVERIFY(configuration.setListPosition(cid, 2));
    QVERIFY(expect({cid}, {}));
    QVERIFY(configuration.setListPosition(cid, 1));
    QVERIFY(expect({}, {}));
    QVERIFY(!configuration.setListPosition(QStringLiteral("cmbFXO_BT"), 4));
    configuration.setText(follow, QStringLiteral("0912"));
    configuration.setText(follow, QStringLiteral("0912"));
    configuration.setText(QStringLiteral("txtNumRing"), QString());
    QVERIFY(expect({follow}, {}));

    QVERIFY(configuration.setCell(prf, 3, 1, QStringLiteral("021")));
    QVERIFY(configuration.setCell(prf, 3, 1, QStringLiteral("021")));
    QVERIFY(!configuration.setCell(prf, 0, 1, QStringLiteral("x")));
    QVERIFY(!configuration.setCell(prf, 3, 0, QStringLiteral("x")));
    QVERIFY(!configuration.setCell(prf, 33, 1, QStringLiteral("x")));
    QVERIFY(expect({}, {{prf, 3, 1}}));

    // A number-list row: the number and every permission cell ("" to "1" or "0").
    const auto lst = *FieldCodecs::splitString(QStringLiteral("05,0912,21"), QLatin1Char(','));
    configuration.applyRecord(QStringLiteral("LST"), lst);
    QVERIFY(expect(
        {}, {{numbers, 5, 1}, {numbers, 5, 2}, {numbers, 5, 3}, {numbers, 5, 4}, {numbers, 5, 5}, {numbers, 5, 6}}));
    configuration.applyRecord(QStringLiteral("LST"), lst);
    QVERIFY(expect({}, {}));

    // A copy is a value of its own: changing it leaves the configuration alone, and
    // taking it back signals exactly what differs.
    ConfigurationValues edited = configuration.values();
    edited.setText(follow, QStringLiteral("0935"));
    edited.setCell(numbers, 5, 6, QStringLiteral("0"));
    QCOMPARE(configuration.text(follow), QStringLiteral("0912"));
    QVERIFY(!(edited == configuration.values()));
    configuration.setValues(edited);
    QVERIFY(expect({follow}, {{numbers, 5, 6}}));
    configuration.setValues(edited);
    QVERIFY(expect({}, {}));

    // The reset before a read: only the cells it empties that held text.
    configuration.clearTables();
    QVERIFY(expect({}, {{prf, 3, 1}, {numbers, 5, 1}, {numbers, 5, 2}, {numbers, 5, 3}}));
    configuration.setupTables();
    configuration.prepareForStartup();
    configuration.prepareForStartup();
    QVERIFY(expect({QStringLiteral("cmbFXS_Signal")}, {}));
}

QTEST_MAIN(TestConfiguration)
#include "tst_configuration.moc"
