// The simulator keeps record tables of its own; this holds them against the
// console's record layouts so that the two cannot drift apart: the same records
// in the same order, the same fields, and for every field the simulator accepts
// exactly the values the console's control can give.

#include "recordlayout.h"

#include <recordcodec.h>
#include <recordlayouts.h>

#include <QTest>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// The simulator names an element of a control array "name(i)", the console "name_i".
QString consoleName(const char *simControl)
{
    QString name = QString::fromLatin1(simControl);
    if (name.endsWith(u')')) {
        const qsizetype open = name.lastIndexOf(u'(');
        name = name.left(open) + u'_' + name.mid(open + 1).chopped(1);
    }
    return name;
}

QString values(QList<int> list)
{
    std::sort(list.begin(), list.end());
    QStringList texts;
    for (const int value : list)
        texts << QString::number(value);
    return texts.join(u' ');
}

QList<int> range(int from, int to)
{
    QList<int> list(std::max(0, to - from + 1));
    std::iota(list.begin(), list.end(), from);
    return list;
}

// What the console's field allows, in the simulator's terms.
QString consoleView(const RecordLayout &layout, const QList<const FieldLayout *> &fields)
{
    const FieldLayout &field = *fields.first();
    const QString width = u" width %1"_s.arg(field.width);
    switch (field.kind) {
    case FieldKind::OptionBits: {
        QStringList bits;
        for (const FieldLayout *bit : fields) {
            bits << u"%1 mask %2 weight %3 entries %4"_s.arg(bit->control)
                        .arg(bit->mask)
                        .arg(bit->weight)
                        .arg(bit->entries.size());
        }
        return u"options: "_s + bits.join(u", "_s);
    }
    case FieldKind::List:
    case FieldKind::ToneLevel:
    case FieldKind::SpeakerCode:
    case FieldKind::MicrophoneCode: {
        QList<int> codes;
        for (int position = 0; position < field.entries.size(); ++position) {
            switch (field.kind) {
            case FieldKind::ToneLevel:
                codes << RecordCodec::toneLevelCode(position);
                break;
            case FieldKind::SpeakerCode:
                codes << RecordCodec::speakerCode(position);
                break;
            case FieldKind::MicrophoneCode:
                codes << RecordCodec::microphoneCode(position);
                break;
            default:
                codes << position;
            }
        }
        return u"list %1: %2"_s.arg(field.control, values(codes)) + width;
    }
    case FieldKind::Text:
    case FieldKind::NumberText:
        return u"text "_s + field.control + width;
    case FieldKind::RowNumber:
        return u"%1 row: %2"_s.arg(layout.table, values(range(1, layout.rows))) + u" width 2"_s;
    case FieldKind::Cell:
    case FieldKind::NumberCell:
        return u"cell %1 %2"_s.arg(layout.table, field.label) + width;
    case FieldKind::PackedCells:
        return u"%1 permissions: %2"_s.arg(layout.table, values(range(0, (1 << field.columnCount) - 1)));
    }
    return u"unknown kind"_s;
}

// What the simulator's rule accepts, said the same way.
QString simulatorView(const Sim::FieldRule &rule)
{
    const QString width = u" width %1"_s.arg(rule.width);
    const QString control = consoleName(rule.control);
    switch (rule.kind) {
    case Sim::FieldKind::Options: {
        QStringList bits;
        for (const Sim::OptionBit &bit : rule.bits) {
            bits << u"%1 mask %2 weight %3 entries %4"_s.arg(QLatin1StringView(bit.control))
                        .arg(bit.mask)
                        .arg(bit.weight)
                        .arg(bit.entries);
        }
        return u"options: "_s + bits.join(u", "_s);
    }
    case Sim::FieldKind::Choice: {
        const QList<int> codes
            = rule.codes.empty() ? range(rule.min, rule.max) : QList<int>(rule.codes.begin(), rule.codes.end());
        return u"list %1: %2"_s.arg(control, values(codes)) + width;
    }
    case Sim::FieldKind::Number:
    case Sim::FieldKind::Digits:
    case Sim::FieldKind::Dial:
    case Sim::FieldKind::Time:
        if (control.startsWith(u"uc"_s)) {
            const QString table = control.section(u' ', 0, 0);
            const QString column = control.section(u' ', 1);
            if (column == u"permissions"_s)
                return u"%1 permissions: %2"_s.arg(table, values(range(rule.min, rule.max)));
            return u"cell %1 %2"_s.arg(table, column) + width;
        }
        return u"text "_s + control + width;
    case Sim::FieldKind::Row:
        return u"%1: %2"_s.arg(control, values(range(rule.min, rule.max))) + width;
    }
    return u"unknown kind"_s;
}

} // namespace

class tst_SimulatorRecords : public QObject
{
    Q_OBJECT

private slots:
    void sameRecordsInTheSameOrder();
    void fields_data();
    void fields();
};

void tst_SimulatorRecords::sameRecordsInTheSameOrder()
{
    QStringList console;
    for (const RecordLayout &layout : RecordLayouts::all())
        console << layout.code;
    QStringList simulator;
    for (const Sim::RecordLayout *layout : Sim::RecordLayout::all())
        simulator << QString::fromLatin1(layout->mnemonic);
    QCOMPARE(simulator, console);
}

void tst_SimulatorRecords::fields_data()
{
    QTest::addColumn<QString>("code");
    for (const RecordLayout &layout : RecordLayouts::all())
        QTest::newRow(qPrintable(layout.code)) << layout.code;
}

void tst_SimulatorRecords::fields()
{
    QFETCH(QString, code);
    const RecordLayout &console = *RecordLayouts::find(code);
    const Sim::RecordLayout *simulator = Sim::RecordLayout::find(code.toLatin1());
    QVERIFY(simulator);
    QCOMPARE(int(simulator->fields.size()), console.fieldCount);
    QCOMPARE(simulator->rows, console.rows);

    // The fields a selector may leave out are the ones the simulator's short form lacks.
    QList<int> leftOut;
    for (const FieldSelector &selector : console.selectors)
        leftOut += selector.fields;
    QList<int> shortForm;
    if (!leftOut.isEmpty()) {
        for (int field = 0; field < console.fieldCount; ++field) {
            if (!leftOut.contains(field))
                shortForm << field;
        }
    }
    QCOMPARE(QList<int>(simulator->shortForm.begin(), simulator->shortForm.end()), shortForm);

    for (int field = 0; field < console.fieldCount; ++field) {
        QList<const FieldLayout *> fields;
        for (const FieldLayout &layout : console.fields) {
            if (layout.field == field)
                fields << &layout;
        }
        QVERIFY2(!fields.isEmpty(), qPrintable(u"%1 field %2 has no control"_s.arg(code).arg(field)));
        QCOMPARE(simulatorView(simulator->fields[field]), consoleView(console, fields));
    }
}

QTEST_GUILESS_MAIN(tst_SimulatorRecords)
#include "tst_simulatorrecords.moc"
