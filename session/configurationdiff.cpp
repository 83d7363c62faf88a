#include "configurationdiff.h"

#include "recordlayouts.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace {

using Kind = ConfigurationDiff::PresentedControl::Kind;
using ConfigurationDiff::PresentedControl;

// The captions of the toolbar buttons that show the pages, by Pages::Index.
const std::array<const char *, Pages::kCount> kPageTitles {
    "Prefixes", "Number list", "FXO", "FXS", "GSM", "Debug", "SMS", "Gateway"};

// The two rows of periods in the GSM page's Network Status group show their
// boxes in this order, left to right, by element index.
const QString kPeriodIds = QStringLiteral("txtGSM_SLCT");
const QString kPeriodTimes = QStringLiteral("txtGSM_TMR");
const struct PeriodRow
{
    const QString *name;
    std::array<int, 4> order;
} kPeriodRows[] {{&kPeriodIds, {2, 3, 0, 1}}, {&kPeriodTimes, {3, 0, 1, 2}}};

// Controls whose label only names a part of what their group or row is about:
// the voice-rate lists ("IN", "OUT") and the tone cadence boxes ("ON", "OFF").
const QString kVoiceRates = QStringLiteral("cmbGSM_Rate_");
const QString kToneCadences = QStringLiteral("txtTONE_");

PresentedControl tableControl(const RecordLayout &layout)
{
    PresentedControl table {.page = Pages::Index(layout.page),
        .kind = Kind::Table,
        .control = layout.table,
        .label = ConfigurationDiff::pageTitle(layout.page),
        .rows = layout.rows};
    for (const FieldLayout &field : layout.fields) {
        const int last = field.column + field.columnCount - 1;
        if (table.entries.size() <= last)
            table.entries.resize(last + 1);
        if (field.kind == FieldKind::PackedCells) {
            for (int c = 0; c < field.columnCount; ++c)
                table.entries[field.column + c] = field.entries.value(c);
        } else {
            table.entries[field.column] = field.label;
        }
    }
    return table;
}

QList<PresentedControl> recordControls(const RecordLayout &layout)
{
    QList<PresentedControl> controls;
    const FieldLayout *previous = nullptr;
    for (const FieldLayout &field : layout.fields) {
        PresentedControl control {.page = Pages::Index(layout.page),
            .kind = field.entries.isEmpty() ? Kind::Text : Kind::List,
            .control = field.control,
            .label = field.label,
            .entries = field.entries,
            .width = field.width,
            .unit = field.unit};
        if (field.kind == FieldKind::ToneLevel && previous)
            control.caption = previous->label; // the tone named first in its row
        else if (field.control.startsWith(kVoiceRates) || field.control.startsWith(kToneCadences))
            control.caption = field.group;
        controls.append(control);
        previous = &field;
    }
    for (const FieldSelector &selector : layout.selectors) {
        controls.append({.page = Pages::Index(layout.page),
            .kind = Kind::List,
            .control = selector.control,
            .label = selector.label,
            .entries = selector.entries,
            .held = false});
    }
    return controls;
}

// Numbers the controls of a page that show the same caption and label, left to
// right; the page shows them in layout order except the rows of periods.
void numberPlaces(QList<PresentedControl> &controls)
{
    QHash<QString, int> seen;
    QHash<QString, int> counts;
    auto key = [](const PresentedControl &control) {
        return QStringLiteral("%1\n%2\n%3").arg(control.page).arg(control.caption, control.label);
    };
    for (const PresentedControl &control : std::as_const(controls)) {
        if (control.kind != Kind::Table)
            ++counts[key(control)];
    }
    for (PresentedControl &control : controls) {
        if (control.kind == Kind::Table || counts.value(key(control)) < 2)
            continue;
        control.place = ++seen[key(control)];
        for (const PeriodRow &periods : kPeriodRows) {
            for (int k = 0; k < int(periods.order.size()); ++k) {
                if (control.control == RecordLayouts::element(*periods.name, periods.order[k]))
                    control.place = k + 1;
            }
        }
    }
}

QList<PresentedControl> buildPresentation()
{
    QList<PresentedControl> controls;
    for (const RecordLayout &layout : RecordLayouts::all())
        controls += layout.isTableRecord() ? QList<PresentedControl> {tableControl(layout)} : recordControls(layout);
    std::stable_sort(controls.begin(), controls.end(),
        [](const PresentedControl &a, const PresentedControl &b) { return a.page < b.page; });
    numberPlaces(controls);
    return controls;
}

// A text box's value as its record carries it: where a selector of the record
// stands on a preset, the preset's value for the box's field.
QString heldText(const ConfigurationValues &values, const QString &control)
{
    const RecordLayout *layout = RecordLayouts::findByControl(control);
    const FieldLayout *field = layout ? layout->findControl(control) : nullptr;
    if (!field)
        return values.text(control);
    for (const FieldSelector &selector : layout->selectors) {
        const int index = int(selector.fields.indexOf(field->field));
        const int position = values.listPosition(selector.control);
        if (index >= 0 && position >= 0 && position < selector.presets.size())
            return selector.presets[position].value(index);
    }
    return values.text(control);
}

QString shownValue(const PresentedControl &control, const ConfigurationValues &values)
{
    if (control.kind == Kind::List)
        return control.entries.value(values.listPosition(control.control)).trimmed();
    return heldText(values, control.control);
}

QString escaped(const QString &part)
{
    QString out;
    out.reserve(part.size());
    for (const QChar c : part) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

namespace ConfigurationDiff {

const QList<PresentedControl> &presentedControls()
{
    static const QList<PresentedControl> controls = buildPresentation();
    return controls;
}

const PresentedControl *presented(const QString &control)
{
    for (const PresentedControl &entry : presentedControls()) {
        if (entry.control == control)
            return &entry;
    }
    return nullptr;
}

QString pageTitle(int page)
{
    if (page < 0 || page >= Pages::kCount)
        return QString();
    return QString::fromLatin1(kPageTitles[page]);
}

QString displayText(const QString &shown)
{
    QString text = shown.simplified();
    if (text.endsWith(QLatin1Char(':')))
        text = text.chopped(1).trimmed();
    return text;
}

QString controlLabel(const PresentedControl &control)
{
    QString label = displayText(control.label);
    if (!control.caption.isEmpty())
        label = displayText(control.caption) + QLatin1String(", ") + label;
    if (control.place > 0)
        label += QLatin1Char(' ') + QString::number(control.place);
    return label;
}

QString cellLabel(const PresentedControl &table, int row, int col)
{
    return QStringLiteral("row %1, %2").arg(row).arg(displayText(table.entries.value(col)));
}

QList<Difference> differences(const ConfigurationValues &a, const ConfigurationValues &b)
{
    QList<int> every;
    for (int page = 0; page < Pages::kCount; ++page)
        every.append(page);
    return differences(a, b, every);
}

QList<Difference> differences(const ConfigurationValues &a, const ConfigurationValues &b, const QList<int> &pages)
{
    QList<Difference> found;
    for (const PresentedControl &control : presentedControls()) {
        if (!control.held || !pages.contains(control.page))
            continue;
        const QString title = pageTitle(control.page);
        if (control.kind != Kind::Table) {
            const QString valueA = shownValue(control, a);
            const QString valueB = shownValue(control, b);
            if (valueA != valueB) {
                found.append({.page = control.page,
                    .pageTitle = title,
                    .control = control.control,
                    .label = controlLabel(control),
                    .valueA = valueA,
                    .valueB = valueB});
            }
            continue;
        }
        for (int row = 1; row <= control.rows; ++row) {
            for (int col = 1; col < control.entries.size(); ++col) {
                const QString valueA = a.cell(control.control, row, col);
                const QString valueB = b.cell(control.control, row, col);
                if (valueA != valueB) {
                    found.append({.page = control.page,
                        .pageTitle = title,
                        .control = control.control,
                        .row = row,
                        .col = col,
                        .label = cellLabel(control, row, col),
                        .valueA = valueA,
                        .valueB = valueB});
                }
            }
        }
    }
    return found;
}

QString scriptLine(const Difference &difference)
{
    return QStringList {escaped(difference.pageTitle), escaped(difference.label), escaped(difference.valueA),
        escaped(difference.valueB)}
        .join(QLatin1Char('\t'));
}

QString summary(const QList<Difference> &differences)
{
    if (differences.isEmpty())
        return QStringLiteral("No differences.");
    QStringList titles;
    QHash<QString, int> perPage;
    for (const Difference &difference : differences) {
        if (!perPage.contains(difference.pageTitle))
            titles.append(difference.pageTitle);
        ++perPage[difference.pageTitle];
    }
    if (differences.size() == 1)
        return QStringLiteral("1 difference, on %1.").arg(titles.first());
    QStringList parts;
    for (const QString &title : std::as_const(titles))
        parts.append(QStringLiteral("%1 on %2").arg(perPage.value(title)).arg(title));
    return QStringLiteral("%1 differences: %2.").arg(differences.size()).arg(parts.join(QLatin1String(", ")));
}

} // namespace ConfigurationDiff
