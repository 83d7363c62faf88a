#include "configurationdiff.h"

#include <configpages.h>
#include <coolflex.h>
#include <uctoolbar.h>

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <memory>

using ConfigurationDiff::PresentedControl;

namespace {

// One edit of a test row: "a:" or "b:", then "control=value" (a list takes its
// position, a text box its text) or "table(row,col)=value".
void apply(ConfigurationValues &a, ConfigurationValues &b, const QString &edit)
{
    ConfigurationValues &values = edit.startsWith(QLatin1String("a:")) ? a : b;
    const qsizetype equals = edit.indexOf(QLatin1Char('='));
    const QString target = edit.mid(2, equals - 2);
    const QString value = edit.mid(equals + 1);
    if (const qsizetype open = target.indexOf(QLatin1Char('(')); open > 0) {
        const QStringList at = target.mid(open + 1).chopped(1).split(QLatin1Char(','));
        QVERIFY2(values.setCell(target.left(open), at[0].toInt(), at[1].toInt(), value), qPrintable(edit));
    } else if (target.startsWith(QLatin1String("cmb"))) {
        QVERIFY2(values.setListPosition(target, value.toInt()), qPrintable(edit));
    } else {
        values.setText(target, value);
    }
}

QList<int> everyPage()
{
    QList<int> pages;
    for (int page = 0; page < Pages::kCount; ++page)
        pages += page;
    return pages;
}

// The grid layout column a widget stands in on its page, or -1.
int gridColumn(QWidget *page, QWidget *widget)
{
    for (QGridLayout *grid : page->findChildren<QGridLayout *>()) {
        const int index = grid->indexOf(widget);
        if (index >= 0) {
            int row = 0, col = 0, rowSpan = 0, colSpan = 0;
            grid->getItemPosition(index, &row, &col, &rowSpan, &colSpan);
            return col;
        }
    }
    return -1;
}

bool insideTable(const QWidget *widget)
{
    for (const QObject *parent = widget->parent(); parent; parent = parent->parent()) {
        if (qobject_cast<const CoolFlex *>(parent))
            return true;
    }
    return false;
}

} // namespace

class TestConfigurationDiff : public QObject
{
    Q_OBJECT

private slots:
    void differencesAsRead_data();
    void differencesAsRead();
    void presentationIsWhatPagesShow();
};

void TestConfigurationDiff::differencesAsRead_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("summary");

    QTest::newRow("identical") << QStringList {} << everyPage() << QStringList {} << "No differences.";
    const QStringList fourKinds {"a:cmbFXO_DMode=1", "b:cmbFXO_DMode=0", "a:txtFXO_DLP=25", "b:ucPRF(6,1)=0912",
        "a:ucNumList(3,2)=1", "b:ucNumList(3,2)=0", "b:ucNumList(3,1)=0935 111"};
    QTest::newRow("list, text, prefix cell, number-list cells in page order")
        << fourKinds << everyPage()
        << QStringList {"Prefixes\trow 6, Prefix\t\t0912", "Number list\trow 3, GSM number\t\t0935 111",
               "Number list\trow 3, FXO\t1\t0", "FXO\tDialing Mode\tPulse Dialling\tTone Dialling",
               "FXO\tDial Pause (1-255 x 0.1 sec)\t25\t"}
        << "5 differences: 1 on Prefixes, 2 on Number list, 2 on FXO.";
    QTest::newRow("restricted to some pages")
        << fourKinds << QList<int> {Pages::PageFXO, Pages::PageNumList}
        << QStringList {"Number list\trow 3, GSM number\t\t0935 111", "Number list\trow 3, FXO\t1\t0",
               "FXO\tDialing Mode\tPulse Dialling\tTone Dialling", "FXO\tDial Pause (1-255 x 0.1 sec)\t25\t"}
        << "4 differences: 2 on Number list, 2 on FXO.";
    QTest::newRow("no page") << fourKinds << QList<int> {} << QStringList {} << "No differences.";
    // Labels shared on a page read with their row's caption and their place; a
    // list entry is shown trimmed; a value cannot break the line's four parts.
    QTest::newRow("shared labels, trimmed entries, escaped values")
        << QStringList {"a:cmbTONE_Type_3=2", "a:txtTONE_10=40", "b:txtGSM_SLCT_2=4321", "a:cmbGSM_SPK=3",
               "b:cmbGSM_Rate_0=1", "a:txtSMS_Service=09\t12\n\\x"}
        << everyPage()
        << QStringList {"GSM\tSpeaker Level\t0 dB\t", "GSM\tVoice Rate Type, IN\t\tEFR / FR",
               "GSM\tNet ID for period 1\t\t4321", "SMS\tService GSM number (16 digits)\t09\\t12\\n\\\\x\t",
               "Gateway\tBusy Tone, Level\t-3.0 dB\t", "Gateway\tCadence Reorder Tone, ON 2\t40\t"}
        << "6 differences: 3 on GSM, 1 on SMS, 2 on Gateway.";
    // The selector is the page's alone; the cadences count as the record carries
    // them, so a preset against the same values typed in differs in nothing.
    QTest::newRow("ring signal on a preset: its values, never the selector")
        << QStringList {"a:cmbFXS_Signal=0", "a:txtFXS_Ring_0=7", "b:txtFXS_Ring_1=0"} << everyPage()
        << QStringList {"FXS\tRing 1\t50\t", "FXS\tPause 1\t150\t", "FXS\tPause 2\t0\t"} << "3 differences: 3 on FXS.";
    QTest::newRow("ring signal preset against its values typed in") << QStringList {"a:cmbFXS_Signal=2",
        "b:txtFXS_Ring_0=20", "b:txtFXS_Pause_0=10", "b:txtFXS_Ring_1=20",
        "b:txtFXS_Pause_1=100"} << everyPage() << QStringList {} << "No differences.";
}

void TestConfigurationDiff::differencesAsRead()
{
    QFETCH(QStringList, edits);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, lines);
    QFETCH(QString, summary);

    // Both sides as the pages start, so the ring signal stands on its custom entry.
    ConfigurationValues a;
    a.prepareForStartup();
    ConfigurationValues b = a;
    for (const QString &edit : edits)
        apply(a, b, edit);

    const QList<ConfigurationDiff::Difference> found
        = pages == everyPage() ? ConfigurationDiff::differences(a, b) : ConfigurationDiff::differences(a, b, pages);
    QStringList shown;
    for (const ConfigurationDiff::Difference &difference : found) {
        shown += ConfigurationDiff::scriptLine(difference);
        QCOMPARE(shown.last().count(QLatin1Char('\t')), 3);
        QCOMPARE(ConfigurationDiff::pageTitle(difference.page), difference.pageTitle);
        // The control a compare view shows the difference on.
        if (difference.isCell()) {
            QCOMPARE(a.cell(difference.control, difference.row, difference.col), difference.valueA);
        } else {
            const PresentedControl *control = ConfigurationDiff::presented(difference.control);
            QVERIFY(control && control->page == difference.page && control->held);
        }
    }
    QCOMPARE(shown, lines);
    QCOMPARE(ConfigurationDiff::summary(found), summary);
    // Swapping the sides swaps the values and nothing else.
    const QList<ConfigurationDiff::Difference> back
        = pages == everyPage() ? ConfigurationDiff::differences(b, a) : ConfigurationDiff::differences(b, a, pages);
    QCOMPARE(back.size(), found.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        ConfigurationDiff::Difference swapped = back[i];
        std::swap(swapped.valueA, swapped.valueB);
        QCOMPARE(swapped, found[i]);
    }
}

// The table of controls is what the pages are built from; walked against the
// built pages, every control must show there exactly as the table says, every
// label on the pages must come from it, and a difference's label must name one
// control of its page alone.
void TestConfigurationDiff::presentationIsWhatPagesShow()
{
    ConfigPages pages;
    auto host = std::make_unique<QWidget>();
    for (int index = 0; index < ConfigPages::kPageCount; ++index) {
        if (QWidget *page = pages.page(index))
            page->setParent(host.get());
    }
    const ucToolBar toolbar;
    QStringList captions;
    for (const QString &key : toolbar.buttonKeys())
        captions += toolbar.button(key)->text();

    QHash<QString, QString> labelOwners;
    for (const PresentedControl &control : ConfigurationDiff::presentedControls()) {
        const QString name = control.control;
        QWidget *page = pages.page(control.page);
        QVERIFY2(page, qPrintable(name));
        QVERIFY2(captions.contains(ConfigurationDiff::pageTitle(control.page)), qPrintable(name));
        if (control.kind == PresentedControl::Kind::Table) {
            auto *grid = page->findChild<CoolFlex *>(name);
            QVERIFY2(grid, qPrintable(name));
            QCOMPARE(grid->grid()->accessibleName(), control.label);
            QCOMPARE(grid->Rows(), control.rows + 1);
            QStringList headings;
            for (int col = 0; col < grid->Cols(); ++col)
                headings += grid->TextMatrix(0, col);
            QCOMPARE(headings, control.entries);
            continue;
        }
        QWidget *widget = page->findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        if (control.kind == PresentedControl::Kind::List) {
            auto *list = qobject_cast<QComboBox *>(widget);
            QVERIFY2(list, qPrintable(name));
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries += list->itemText(i);
            QCOMPARE(entries, control.entries);
        } else {
            auto *edit = qobject_cast<QLineEdit *>(widget);
            QVERIFY2(edit, qPrintable(name));
            QCOMPARE(edit->maxLength(), control.width > 0 ? control.width : 32767);
        }
        QList<QLabel *> buddies;
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (label->buddy() == widget)
                buddies += label;
        }
        if (buddies.isEmpty()) {
            // A later box of a row that shows one label before its first.
            QVERIFY2(control.place > 1, qPrintable(name));
            QCOMPARE(widget->accessibleName(), control.label);
        } else {
            QCOMPARE(buddies.size(), 1);
            QCOMPARE(buddies.first()->text(), control.label);
        }
        if (!control.caption.isEmpty()) {
            // A row's caption before it, or the title of the group around it.
            QStringList shownCaptions;
            for (QLabel *label : page->findChildren<QLabel *>())
                shownCaptions += label->text();
            for (QWidget *around = widget->parentWidget(); around; around = around->parentWidget()) {
                if (auto *group = qobject_cast<QGroupBox *>(around))
                    shownCaptions += group->title();
            }
            QVERIFY2(shownCaptions.contains(control.caption), qPrintable(name));
        }
        if (control.place > 0) {
            // Places count left to right: a lower place stands further left.
            const int col = gridColumn(page, widget);
            QVERIFY2(col >= 0, qPrintable(name));
            for (const PresentedControl &other : ConfigurationDiff::presentedControls()) {
                if (other.page == control.page && other.label == control.label && other.caption == control.caption
                    && other.place < control.place) {
                    QVERIFY2(gridColumn(page, page->findChild<QWidget *>(other.control)) < col, qPrintable(name));
                }
            }
        }
        if (control.held) {
            const QString key = QString::number(control.page) + ConfigurationDiff::controlLabel(control);
            QVERIFY2(!labelOwners.contains(key),
                qPrintable(QStringLiteral("%1 and %2 read alike").arg(labelOwners.value(key), name)));
            labelOwners.insert(key, name);
        }
    }

    // Every labelled input of the pages is one of the table's.
    for (QLabel *label : host->findChildren<QLabel *>()) {
        if (label->buddy())
            QVERIFY2(ConfigurationDiff::presented(label->buddy()->objectName()), qPrintable(label->text()));
    }
    for (QWidget *input : host->findChildren<QWidget *>()) {
        if ((qobject_cast<QComboBox *>(input) || qobject_cast<QLineEdit *>(input)) && !insideTable(input)
            && !input->objectName().startsWith(QLatin1String("qt_")) && !qobject_cast<QComboBox *>(input->parent()))
            QVERIFY2(ConfigurationDiff::presented(input->objectName()), qPrintable(input->objectName()));
    }
}

QTEST_MAIN(TestConfigurationDiff)
#include "tst_configurationdiff.moc"
