#include "configpages.h"
#include "recordlayouts.h"

#include <configuration.h>
#include <coolflex.h>
#include <pagerecords.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

FieldCodecs::SplitResult split(const QString &rest)
{
    return *FieldCodecs::splitString(rest, QLatin1Char(','));
}

// What the page widgets show, found by object name as an outside tool finds
// them, so that it can be held against a configuration and saved like one.
class ShownValues final : public IRecordControls
{
public:
    explicit ShownValues(const QWidget &host)
        : m_host(host)
    { }

    int listPosition(const QString &control) const override
    {
        const auto *list = m_host.findChild<QComboBox *>(control);
        return list ? list->currentIndex() : -2;
    }
    bool setListPosition(const QString &, int) override { return false; }
    QString text(const QString &control) const override
    {
        const auto *edit = m_host.findChild<QLineEdit *>(control);
        return edit ? edit->text() : QStringLiteral("(no control)");
    }
    void setText(const QString &, const QString &) override { }
    QString cell(const QString &table, int row, int col) const override
    {
        const auto *grid = m_host.findChild<CoolFlex *>(table);
        return grid ? grid->TextMatrix(row, col) : QStringLiteral("(no table)");
    }
    bool setCell(const QString &, int, int, const QString &) override { return false; }

private:
    const QWidget &m_host;
};

// Every list, text box and data cell of the record layouts where shown and held differ.
QStringList differences(const IRecordControls &shown, const IRecordControls &held)
{
    QStringList found;
    auto compare = [&found](const QString &what, const auto &a, const auto &b) {
        if (a != b)
            found += QStringLiteral("%1: shown %2, held %3").arg(what).arg(a).arg(b);
    };
    for (const RecordLayout &layout : RecordLayouts::all()) {
        if (layout.isTableRecord()) {
            int lastCol = 0;
            for (const FieldLayout &field : layout.fields)
                lastCol = std::max(lastCol, field.column + field.columnCount - 1);
            for (int row = 1; row <= layout.rows; ++row) {
                for (int col = 1; col <= lastCol; ++col)
                    compare(QStringLiteral("%1(%2,%3)").arg(layout.table).arg(row).arg(col),
                        shown.cell(layout.table, row, col), held.cell(layout.table, row, col));
            }
            continue;
        }
        for (const FieldLayout &field : layout.fields) {
            if (field.entries.isEmpty())
                compare(field.control, shown.text(field.control), held.text(field.control));
            else
                compare(field.control, shown.listPosition(field.control), held.listPosition(field.control));
        }
        for (const FieldSelector &selector : layout.selectors)
            compare(selector.control, shown.listPosition(selector.control), held.listPosition(selector.control));
    }
    return found;
}

} // namespace

class TestConfigPages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyControlNamedAndLabelled();
    void startState();
    void tables();
    void saveEntries_data();
    void saveEntries();
    void saveFxsExample();
    void numberListRefusal();
    void applyShortAndBadRecords();
    void applyTableRecordsAndClear();
    void changeRulesForReceivedRecords();
    void longReceivedTextKeptWhole();
    void boundToConfiguration();

private:
    QComboBox *list(const QString &name) const { return m_host->findChild<QComboBox *>(name); }
    QLineEdit *edit(const QString &name) const { return m_host->findChild<QLineEdit *>(name); }
    void apply(const QString &line) { m_pages->applyRecord(line.left(3), split(line.mid(3))); }
    QWidget *findControl(const QString &name) const;

    std::unique_ptr<ConfigPages> m_pages;
    std::unique_ptr<QWidget> m_host;
};

QWidget *TestConfigPages::findControl(const QString &name) const
{
    return m_host->findChild<QWidget *>(name);
}

void TestConfigPages::init()
{
    m_pages = std::make_unique<ConfigPages>();
    // The main window takes the pages over; here a plain host does.
    m_host = std::make_unique<QWidget>();
    for (int index = 0; index < ConfigPages::kPageCount; ++index) {
        if (QWidget *page = m_pages->page(index))
            page->setParent(m_host.get());
    }
}

void TestConfigPages::cleanup()
{
    m_host.reset();
    m_pages.reset();
}

void TestConfigPages::everyControlNamedAndLabelled()
{
    QVERIFY(!m_pages->page(ConfigPages::PageDBG));
    const QList<QLabel *> labels = m_host->findChildren<QLabel *>();
    for (const RecordLayout &layout : RecordLayouts::all()) {
        QWidget *page = m_pages->page(layout.page);
        QVERIFY(page);
        for (const FieldLayout &field : layout.fields) {
            if (field.control.isEmpty())
                continue;
            QWidget *control = page->findChild<QWidget *>(field.control);
            QVERIFY2(control, qPrintable(field.control));
            if (auto *box = qobject_cast<QComboBox *>(control)) {
                QVERIFY(!box->isEditable());
                QStringList entries;
                for (int i = 0; i < box->count(); ++i)
                    entries += box->itemText(i);
                QCOMPARE(entries, field.entries);
            } else {
                auto *text = qobject_cast<QLineEdit *>(control);
                QVERIFY2(text, qPrintable(field.control));
                QCOMPARE(text->maxLength(), field.width > 0 ? field.width : 32767);
            }
            const auto buddy = std::find_if(
                labels.cbegin(), labels.cend(), [control](QLabel *label) { return label->buddy() == control; });
            if (buddy != labels.cend())
                QCOMPARE((*buddy)->text(), field.label);
            else
                QCOMPARE(control->accessibleName(), field.label); // the later boxes of a row of periods
        }
    }
    QVERIFY(m_host->findChild<QComboBox *>(QStringLiteral("cmbFXS_Signal")));
    const QStringList expected {"cmbGSM_Rate_0", "cmbGSM_Rate_1", "txtGSM_SLCT_2", "txtGSM_TMR_3", "cmbTONE_Type_7",
        "txtTONE_12", "txtFXS_Ring_0", "txtFXS_Pause_1", "cmbSMS_Confrim"};
    for (const QString &name : expected)
        QVERIFY2(findControl(name), qPrintable(name));
    QVERIFY(!findControl(QStringLiteral("txtTONE_3")));
    QCOMPARE(m_host->findChild<QLabel *>(QStringLiteral("lblGSM_Note"))->text(),
        QStringLiteral("** IF the 'voice rate' / 'Frequency Band' were changed then you  should restart Gateway !!!"));
}

void TestConfigPages::startState()
{
    for (QComboBox *box : m_host->findChildren<QComboBox *>()) {
        if (!box->objectName().isEmpty() && !box->parent()->inherits("CoolFlex"))
            QVERIFY2(box->currentIndex() == -1, qPrintable(box->objectName()));
    }
    // The Network Status group reports; only the ringback list beside it is edited.
    for (const char *name : {"cmbGSM_CELL", "cmbGSM_NET", "txtGSM_RXL", "txtGSM_PRD", "txtGSM_IDCELL", "txtGSM_MNL",
             "txtGSM_SLCT_0", "txtGSM_TMR_3"})
        QVERIFY2(!findControl(QString::fromLatin1(name))->isEnabled(), name);
    QVERIFY(list(QStringLiteral("cmbGSM_TonGsm"))->isEnabled());

    QVERIFY(!edit(QStringLiteral("txtFXS_Ring_0"))->isEnabled());
    m_pages->prepareForStartup();
    QCOMPARE(list(QStringLiteral("cmbFXS_Signal"))->currentText(), QStringLiteral("Custom Setting "));
    for (const char *name : {"txtFXS_Ring_0", "txtFXS_Pause_0", "txtFXS_Ring_1", "txtFXS_Pause_1"})
        QVERIFY(edit(QString::fromLatin1(name))->isEnabled());
}

void TestConfigPages::tables()
{
    CoolFlex *prefixes = m_pages->prefixTable();
    CoolFlex *numbers = m_pages->numberList();
    QCOMPARE(prefixes->objectName(), QStringLiteral("ucPRF"));
    QCOMPARE(numbers->objectName(), QStringLiteral("ucNumList"));
    QCOMPARE(prefixes->Rows(), 33);
    QCOMPARE(prefixes->Cols(), 3);
    QCOMPARE(numbers->Rows(), 65);
    QCOMPARE(numbers->Cols(), 7);
    QCOMPARE(prefixes->EditTextLenght(), 7);
    QCOMPARE(numbers->EditTextLenght(), 16);
    QVERIFY(prefixes->EditEnable() && numbers->EditEnable());
    QStringList headings;
    for (int col = 0; col < numbers->Cols(); ++col)
        headings += numbers->TextMatrix(0, col);
    QCOMPARE(headings, QStringList({"#", "GSM number", "FXO", "FXS", "CALLBACK", "Conference", "GSM"}));
    QCOMPARE(prefixes->TextMatrix(0, 1), QStringLiteral("Prefix"));
    QCOMPARE(prefixes->TextMatrix(0, 2), QStringLiteral("SIM number"));
    QCOMPARE(prefixes->TextMatrix(32, 0), QStringLiteral("32"));
    QCOMPARE(numbers->TextMatrix(64, 0), QStringLiteral("64"));
    QCOMPARE(numbers->TextMatrix(1, 0), QStringLiteral("1"));
}

void TestConfigPages::saveEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("descriptions");
    QStringList prefixes;
    for (int row = 1; row <= 32; ++row)
        prefixes += QStringLiteral("Prefix %1").arg(row);
    QStringList numbers;
    for (int row = 1; row <= 64; ++row)
        numbers += QStringLiteral("Number List %1").arg(row);
    QTest::newRow("prefixes") << int(ConfigPages::PagePRF) << prefixes;
    QTest::newRow("number list") << int(ConfigPages::PageNumList) << numbers;
    QTest::newRow("FXO") << int(ConfigPages::PageFXO) << QStringList {"FXO Data"};
    QTest::newRow("FXS") << int(ConfigPages::PageFXS) << QStringList {"FXS Data"};
    QTest::newRow("GSM") << int(ConfigPages::PageGSM) << QStringList {"GSM Data", "Network Data"};
    QTest::newRow("debug") << int(ConfigPages::PageDBG) << QStringList {};
    QTest::newRow("SMS") << int(ConfigPages::PageSMS) << QStringList {"SMS Data"};
    QTest::newRow("gateway") << int(ConfigPages::PageTONE) << QStringList {"Gateway Data"};
    QTest::newRow("no page") << -1 << QStringList {};
}

void TestConfigPages::saveEntries()
{
    QFETCH(int, index);
    QFETCH(QStringList, descriptions);
    const ConfigPages::SaveRecords save = m_pages->buildSave(index);
    QVERIFY(save.refusal.isEmpty());
    QStringList actual;
    for (const QueueEntry &entry : save.entries)
        actual += entry.Desc;
    QCOMPARE(actual, descriptions);
    if (index == ConfigPages::PageNumList) {
        QCOMPARE(save.entries.first().Cmd, QStringLiteral("LST01,,0"));
        QCOMPARE(save.entries.last().Cmd, QStringLiteral("LST64,,0"));
    }
    if (index == ConfigPages::PagePRF)
        QCOMPARE(save.entries.at(6).Cmd, QStringLiteral("PRF07,,"));
    if (index == ConfigPages::PageFXO)
        QCOMPARE(save.entries.first().Cmd, QStringLiteral("FXO-93,,,,,,,-1,-1,,,,"));
}

void TestConfigPages::saveFxsExample()
{
    list(QStringLiteral("cmbFXS_CID"))->setCurrentIndex(1);
    list(QStringLiteral("cmbFXS_CID_on"))->setCurrentIndex(1);
    list(QStringLiteral("cmbFXS_Unlist"))->setCurrentIndex(0);
    QTest::keyClicks(edit(QStringLiteral("txtFXS_DLP")), QStringLiteral("10"));
    list(QStringLiteral("cmbFXS_Polar"))->setCurrentIndex(1);
    edit(QStringLiteral("txtFXS_Polar"))->setText(QStringLiteral("20"));
    QCOMPARE(m_pages->buildSave(ConfigPages::PageFXS).entries.first().Cmd, QStringLiteral("FXS5,10,1,20"));
    list(QStringLiteral("cmbFXS_Signal"))->setCurrentIndex(0);
    QCOMPARE(
        m_pages->buildSave(ConfigPages::PageFXS).entries, QList<QueueEntry>({{"FXS5,10,50,150,0,0,1,20", "FXS Data"}}));
}

void TestConfigPages::numberListRefusal()
{
    CoolFlex *numbers = m_pages->numberList();
    numbers->setTextMatrix(3, 2, QStringLiteral("1"));
    numbers->setTextMatrix(7, 1, QStringLiteral("0912"));
    numbers->setTextMatrix(7, 5, QStringLiteral("9999"));
    const ConfigPages::SaveRecords save = m_pages->buildSave(ConfigPages::PageNumList);
    QVERIFY(save.entries.isEmpty());
    QVERIFY2(save.refusal.contains(QLatin1String("row 7")), qPrintable(save.refusal));
}

void TestConfigPages::applyShortAndBadRecords()
{
    apply(QStringLiteral("FXO0,0912,3,4,11,10,40,1,2,98,0,2,30"));
    QCOMPARE(list(QStringLiteral("cmbFXO_BT2"))->currentIndex(), 2);
    // Reorder cadence 6 does not exist: that list stays, the rest is applied.
    apply(QStringLiteral("FXO64,0935,2,5,9,12,41,3,6,44,1,3,31"));
    QCOMPARE(list(QStringLiteral("cmbFXO_BT"))->currentIndex(), 3);
    QCOMPARE(list(QStringLiteral("cmbFXO_BT2"))->currentIndex(), 2);
    QCOMPARE(list(QStringLiteral("cmbFXO_DMode"))->currentIndex(), 1);
    QCOMPARE(edit(QStringLiteral("txtFXO_Follow"))->text(), QStringLiteral("0935"));
    QCOMPARE(edit(QStringLiteral("txtFXO_Unobt"))->text(), QStringLiteral("31"));

    apply(QStringLiteral("FXO0,,3,4,11"));
    QCOMPARE(edit(QStringLiteral("txtFXO_DLP"))->text(), QStringLiteral("<end>"));
    for (const char *name : {"txtFXO_WTP", "txtFXO_Country", "txtFXO_NTNL", "txtFXO_PauseNDD", "txtFXO_Unobt"})
        QVERIFY2(edit(QString::fromLatin1(name))->text().isEmpty(), name);
    QCOMPARE(list(QStringLiteral("cmbFXO_BT"))->currentText(), QStringLiteral("250 ms"));
    QCOMPARE(list(QStringLiteral("cmbFXO_BT2"))->currentText(), QStringLiteral("250 ms"));

    apply(QStringLiteral("GSM4,,96,244,,,1,5,6"));
    QCOMPARE(list(QStringLiteral("cmbGSM_SPK"))->currentText(), QStringLiteral("-6 dB"));
    QCOMPARE(list(QStringLiteral("cmbGSM_MIC"))->currentText(), QStringLiteral("-6 dB"));
    QCOMPARE(list(QStringLiteral("cmbGSM_Rate_0"))->currentText(), QStringLiteral("EFR / HR")); // IN is field 7
    QCOMPARE(list(QStringLiteral("cmbGSM_Rate_1"))->currentText(), QStringLiteral("EFR / FR"));
    QCOMPARE(m_pages->buildSave(ConfigPages::PageGSM).entries.first().Cmd, QStringLiteral("GSM4,,96,244,,,1,5,6"));

    // Unknown codes and the write answers are not records.
    apply(QStringLiteral("XYZ1,2,3"));
    apply(QStringLiteral("OK"));
}

void TestConfigPages::applyTableRecordsAndClear()
{
    apply(QStringLiteral("PRF05,055,02"));
    apply(QStringLiteral("LST03,09197654321,21"));
    apply(QStringLiteral("LST64,0935,31"));
    apply(QStringLiteral("PRF00,heading,0"));
    apply(QStringLiteral("PRF33,1,2"));
    CoolFlex *prefixes = m_pages->prefixTable();
    CoolFlex *numbers = m_pages->numberList();
    QCOMPARE(prefixes->TextMatrix(5, 1), QStringLiteral("055"));
    QCOMPARE(prefixes->TextMatrix(5, 2), QStringLiteral("2"));
    QCOMPARE(prefixes->TextMatrix(0, 1), QStringLiteral("Prefix"));
    QStringList row3;
    for (int col = 1; col <= 6; ++col)
        row3 += numbers->TextMatrix(3, col);
    QCOMPARE(row3, QStringList({"09197654321", "1", "0", "1", "0", "1"}));

    m_pages->clearTables();
    QCOMPARE(prefixes->TextMatrix(5, 1), QString());
    QCOMPARE(prefixes->TextMatrix(5, 2), QString());
    QStringList cleared;
    for (int col = 0; col <= 6; ++col)
        cleared += numbers->TextMatrix(3, col);
    // Columns 4 to 6 keep their values until the next read overwrites them.
    QCOMPARE(cleared, QStringList({"3", "", "", "", "1", "0", "1"}));
    QCOMPARE(numbers->TextMatrix(64, 6), QStringLiteral("1"));
    QCOMPARE(numbers->TextMatrix(0, 4), QStringLiteral("CALLBACK"));
    QCOMPARE(prefixes->TextMatrix(32, 0), QStringLiteral("32"));
}

void TestConfigPages::changeRulesForReceivedRecords()
{
    for (const char *cid : {"16", "32", "48"}) {
        apply(QStringLiteral("FXO%1,,3,4,11,10,40,1,2,98,0,2,30").arg(QString::fromLatin1(cid)));
        QCOMPARE(list(QStringLiteral("cmbFXO_CID"))->currentIndex(), 0);
    }
    list(QStringLiteral("cmbFXO_CID"))->setCurrentIndex(2);
    QCOMPARE(list(QStringLiteral("cmbFXO_CID"))->currentIndex(), 0);

    QLineEdit *timer = edit(QStringLiteral("txtFXS_Polar"));
    const struct
    {
        const char *line;
        bool enabled;
    } polarity[] {{"FXS5,10,50,150,0,0,2,20", true}, {"FXS5,10,50,150,0,0,1,20", false},
        {"FXS5,10,50,150,0,0,3,20", true}, {"FXS5,10,50,150,0,0,0,20", false}};
    for (const auto &step : polarity) {
        apply(QString::fromLatin1(step.line));
        QCOMPARE(timer->isEnabled(), step.enabled);
    }

    // A received FXS record fills the cadence boxes and leaves the selector alone.
    m_pages->prepareForStartup();
    apply(QStringLiteral("FXS5,10,20,10,20,100,1,20"));
    QCOMPARE(list(QStringLiteral("cmbFXS_Signal"))->currentIndex(), 3);
    QCOMPARE(edit(QStringLiteral("txtFXS_Pause_1"))->text(), QStringLiteral("100"));
    list(QStringLiteral("cmbFXS_Signal"))->setCurrentIndex(1);
    QVERIFY(!edit(QStringLiteral("txtFXS_Ring_1"))->isEnabled());
}

void TestConfigPages::longReceivedTextKeptWhole()
{
    apply(QStringLiteral("FXO0,,123,4,11,10,40,1,2,98,0,2,30"));
    QCOMPARE(edit(QStringLiteral("txtNumRing"))->text(), QStringLiteral("123"));
    QCOMPARE(m_pages->buildSave(ConfigPages::PageFXO).entries.first().Cmd,
        QStringLiteral("FXO0,,123,4,11,10,40,1,2,98,0,2,30"));
    apply(QStringLiteral("FXO0,,3,4,11,10,40,1,2,98,0,2,30"));
    QCOMPARE(edit(QStringLiteral("txtNumRing"))->maxLength(), 1);
}

void TestConfigPages::boundToConfiguration()
{
    Configuration configuration;
    const ShownValues shown(*m_host);
    auto receive = [&configuration](const char *line) {
        const QString record = QString::fromLatin1(line);
        configuration.applyRecord(record.left(3), split(record.mid(3)));
    };
    const QString follow = QStringLiteral("txtFXO_Follow");
    const QString numberList = QStringLiteral("ucNumList");

    // The pages show other values than the configuration: binding replaces them all.
    apply(QStringLiteral("FXO64,0935,2,5,9,12,41,3,6,44,1,3,31"));
    apply(QStringLiteral("PRF05,055,02"));
    configuration.prepareForStartup();
    for (const char *line :
        {"FXO0,,3,4,11,10,40,1,2,98,0,2,30", "FXS5,10,50,150,0,0,1,20", "GSM4,,48,0,,,1,1,5",
            "NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00", "SMS13,09121234567,09120000000",
            "GWP0,2,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0", "PRF01,0912,1", "LST01,09121234567,31"})
        receive(line);
    m_pages->bindConfiguration(configuration);
    QCOMPARE(m_pages->configuration(), &configuration);
    QCOMPARE(differences(shown, configuration), QStringList());
    QCOMPARE(m_pages->prefixTable()->TextMatrix(5, 1), QString());
    // The ring-signal selector came from the configuration, and its rule ran.
    QVERIFY(edit(QStringLiteral("txtFXS_Ring_0"))->isEnabled());
    QVERIFY(!edit(QStringLiteral("txtFXS_Polar"))->isEnabled());

    // Records the configuration receives show at once, and the change rules run.
    receive("FXS5,10,50,150,0,0,2,20");
    QVERIFY(edit(QStringLiteral("txtFXS_Polar"))->isEnabled());
    receive("LST03,09197654321,21");
    QCOMPARE(m_pages->numberList()->TextMatrix(3, 1), QStringLiteral("09197654321"));
    QCOMPARE(differences(shown, configuration), QStringList());

    // What the operator types and chooses is in the configuration at once.
    QTest::keyClicks(edit(follow), QStringLiteral("0912"));
    QCOMPARE(configuration.text(follow), QStringLiteral("0912"));
    QTest::keyClick(list(QStringLiteral("cmbFXS_Polar")), Qt::Key_Up);
    QCOMPARE(configuration.listPosition(QStringLiteral("cmbFXS_Polar")), 1);
    QVERIFY(!edit(QStringLiteral("txtFXS_Polar"))->isEnabled());
    list(QStringLiteral("cmbFXO_CID"))->setCurrentIndex(2);
    QCOMPARE(list(QStringLiteral("cmbFXO_CID"))->currentIndex(), 0);
    QCOMPARE(configuration.listPosition(QStringLiteral("cmbFXO_CID")), 0);
    CoolFlex *numbers = m_pages->numberList();
    CoolFlexModel *cells = numbers->model();
    // As the grid's editor commits: model row and column count from the first data cell.
    QVERIFY(cells->setData(cells->index(6, 0), QStringLiteral("0935")));
    QCOMPARE(configuration.cell(numberList, 7, 1), QStringLiteral("0935"));
    // A removed row moves the rows below it up in the configuration too.
    QVERIFY(numbers->RemoveItem(3));
    QCOMPARE(configuration.cell(numberList, 3, 1), QString());
    QCOMPARE(configuration.cell(numberList, 6, 1), QStringLiteral("0935"));

    // Values the configuration does not take are set back to the ones it holds.
    QComboBox *speaker = list(QStringLiteral("cmbGSM_SPK"));
    speaker->setCurrentIndex(-1);
    QCOMPARE(speaker->currentIndex(), configuration.listPosition(QStringLiteral("cmbGSM_SPK")));
    QVERIFY(speaker->currentIndex() >= 0);
    numbers->setRows(numbers->Rows() + 2);
    QVERIFY(numbers->setTextMatrix(65, 1, QStringLiteral("0912")));
    QCOMPARE(numbers->TextMatrix(65, 1), QString());
    QCOMPARE(differences(shown, configuration), QStringList());

    // A save from the configuration is the save of what the pages show, refusals too.
    for (int index = 0; index < ConfigPages::kPageCount; ++index) {
        const ConfigPages::SaveRecords held = m_pages->buildSave(index);
        const PageRecords::SaveRecords onScreen = PageRecords::build(index, shown);
        QCOMPARE(held.entries, onScreen.entries);
        QCOMPARE(held.refusal, onScreen.refusal);
    }
    QVERIFY(cells->setData(cells->index(6, 4), QStringLiteral("9999")));
    const ConfigPages::SaveRecords refused = m_pages->buildSave(ConfigPages::PageNumList);
    QVERIFY(refused.entries.isEmpty());
    QVERIFY2(refused.refusal.contains(QLatin1String("row 7")), qPrintable(refused.refusal));
    QCOMPARE(refused.refusal, PageRecords::build(ConfigPages::PageNumList, shown).refusal);
}

QTEST_MAIN(TestConfigPages)
#include "tst_configpages.moc"
