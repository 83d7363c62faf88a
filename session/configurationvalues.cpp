#include "configurationvalues.h"

#include <recordlayouts.h>

namespace {

const QString kFxoCallerIdType = QStringLiteral("cmbFXO_CID");
constexpr int kCallerIdBellcore = 0;

// The reset before a read empties the number list's "GSM number", "FXO" and "FXS"
// columns only; the read that follows writes every row it reports in full.
const QString kNumberListTable = QStringLiteral("ucNumList");
constexpr int kNumberListClearedColumns = 3;

struct TableShape
{
    QString name;
    int rows = 0;
    // One per column, column 0 first; its size is the table's column count.
    QStringList headings;
};

// The controls and tables the pages build from the record layouts, once.
struct Schema
{
    QStringList lists;
    QHash<QString, int> entryCounts;
    QStringList texts;
    QList<TableShape> tables;
    QString startupSelector;
    int startupPosition = -1;
};

TableShape shapeOf(const RecordLayout &layout)
{
    TableShape shape {.name = layout.table, .rows = layout.rows, .headings = {}};
    for (const FieldLayout &field : layout.fields) {
        const int last = field.column + field.columnCount - 1;
        if (shape.headings.size() <= last)
            shape.headings.resize(last + 1);
        if (field.kind == FieldKind::PackedCells) {
            for (int c = 0; c < field.columnCount; ++c)
                shape.headings[field.column + c] = field.entries.value(c);
        } else {
            shape.headings[field.column] = field.label;
        }
    }
    return shape;
}

Schema buildSchema()
{
    Schema schema;
    for (const RecordLayout &layout : RecordLayouts::all()) {
        if (layout.isTableRecord()) {
            schema.tables.append(shapeOf(layout));
            continue;
        }
        for (const FieldLayout &field : layout.fields) {
            if (field.entries.isEmpty()) {
                schema.texts.append(field.control);
            } else {
                schema.lists.append(field.control);
                schema.entryCounts.insert(field.control, field.entries.size());
            }
        }
        for (const FieldSelector &selector : layout.selectors) {
            schema.lists.append(selector.control);
            schema.entryCounts.insert(selector.control, selector.entries.size());
            schema.startupSelector = selector.control;
            schema.startupPosition = selector.customPosition;
        }
    }
    return schema;
}

const Schema &schema()
{
    static const Schema instance = buildSchema();
    return instance;
}

} // namespace

ConfigurationValues::ConfigurationValues()
{
    for (const QString &control : schema().lists)
        m_positions.insert(control, -1);
    for (const QString &control : schema().texts)
        m_texts.insert(control, QString());
    for (const TableShape &shape : schema().tables)
        m_tables.insert(shape.name, QList<QStringList>(shape.rows + 1, QStringList(shape.headings.size())));
    setupTables();
}

int ConfigurationValues::listPosition(const QString &control) const
{
    return m_positions.value(control, -1);
}

bool ConfigurationValues::setListPosition(const QString &control, int position)
{
    const auto it = m_positions.constFind(control);
    if (it == m_positions.cend() || position < 0 || position >= schema().entryCounts.value(control))
        return false;
    m_positions[control] = control == kFxoCallerIdType ? kCallerIdBellcore : position;
    return true;
}

QString ConfigurationValues::text(const QString &control) const
{
    return m_texts.value(control);
}

void ConfigurationValues::setText(const QString &control, const QString &text)
{
    if (m_texts.contains(control))
        m_texts[control] = text;
}

QString ConfigurationValues::cell(const QString &table, int row, int col) const
{
    const auto it = m_tables.constFind(table);
    if (it == m_tables.cend() || row < 0 || row >= it->size())
        return QString();
    return it->at(row).value(col);
}

bool ConfigurationValues::setCell(const QString &table, int row, int col, const QString &text)
{
    const auto it = m_tables.constFind(table);
    // The heading row and the row numbers are not data.
    if (it == m_tables.cend() || row < 1 || col < 1 || row >= it->size() || col >= it->at(row).size())
        return false;
    m_tables[table][row][col] = text;
    return true;
}

void ConfigurationValues::applyRecord(const QString &code, const FieldCodecs::SplitResult &fields)
{
    if (const RecordLayout *layout = RecordLayouts::find(code))
        RecordCodec::decode(*layout, fields, *this);
}

void ConfigurationValues::setupTables()
{
    for (const TableShape &shape : schema().tables) {
        QList<QStringList> &rows = m_tables[shape.name];
        rows[0] = shape.headings;
        for (int row = 1; row < rows.size(); ++row)
            rows[row][0] = QString::number(row);
    }
}

void ConfigurationValues::clearTables()
{
    for (const TableShape &shape : schema().tables) {
        QList<QStringList> &rows = m_tables[shape.name];
        const int lastCol = shape.name == kNumberListTable ? kNumberListClearedColumns : shape.headings.size() - 1;
        for (int row = 1; row < rows.size(); ++row) {
            for (int col = 1; col <= lastCol; ++col)
                rows[row][col] = QString();
        }
    }
}

void ConfigurationValues::prepareForStartup()
{
    setListPosition(schema().startupSelector, schema().startupPosition);
}

ConfigurationValues::Differences ConfigurationValues::differences(const ConfigurationValues &other) const
{
    Differences found;
    for (const QString &control : schema().lists) {
        if (listPosition(control) != other.listPosition(control))
            found.controls.append(control);
    }
    for (const QString &control : schema().texts) {
        if (text(control) != other.text(control))
            found.controls.append(control);
    }
    for (const TableShape &shape : schema().tables) {
        const QList<QStringList> mine = m_tables.value(shape.name);
        const QList<QStringList> theirs = other.m_tables.value(shape.name);
        // Tables still shared between two copies are equal without a look at a cell.
        if (mine.constData() == theirs.constData())
            continue;
        for (int row = 0; row < mine.size(); ++row) {
            for (int col = 0; col < mine[row].size(); ++col) {
                if (mine[row][col] != theirs[row][col])
                    found.cells.append({shape.name, row, col});
            }
        }
    }
    return found;
}

bool operator==(const ConfigurationValues &a, const ConfigurationValues &b)
{
    return a.m_positions == b.m_positions && a.m_texts == b.m_texts && a.m_tables == b.m_tables;
}
