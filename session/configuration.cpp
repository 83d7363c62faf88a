#include "configuration.h"

#include <recordlayouts.h>

Configuration::Configuration(QObject *parent)
    : QObject(parent)
{ }

int Configuration::listPosition(const QString &control) const
{
    return m_values.listPosition(control);
}

bool Configuration::setListPosition(const QString &control, int position)
{
    // Compared after the assignment, since a list may take a position as another
    // one (the FXO caller ID type) and then nothing changed.
    const int before = m_values.listPosition(control);
    const bool accepted = m_values.setListPosition(control, position);
    if (m_values.listPosition(control) != before)
        emit valueChanged(control);
    return accepted;
}

QString Configuration::text(const QString &control) const
{
    return m_values.text(control);
}

void Configuration::setText(const QString &control, const QString &text)
{
    const QString before = m_values.text(control);
    m_values.setText(control, text);
    if (m_values.text(control) != before)
        emit valueChanged(control);
}

QString Configuration::cell(const QString &table, int row, int col) const
{
    return m_values.cell(table, row, col);
}

bool Configuration::setCell(const QString &table, int row, int col, const QString &text)
{
    const QString before = m_values.cell(table, row, col);
    const bool accepted = m_values.setCell(table, row, col, text);
    if (m_values.cell(table, row, col) != before)
        emit cellChanged(table, row, col);
    return accepted;
}

void Configuration::applyRecord(const QString &code, const FieldCodecs::SplitResult &fields)
{
    if (const RecordLayout *layout = RecordLayouts::find(code))
        RecordCodec::decode(*layout, fields, *this);
}

void Configuration::setupTables()
{
    ConfigurationValues next = m_values;
    next.setupTables();
    setValues(next);
}

void Configuration::clearTables()
{
    ConfigurationValues next = m_values;
    next.clearTables();
    setValues(next);
}

void Configuration::prepareForStartup()
{
    ConfigurationValues next = m_values;
    next.prepareForStartup();
    setValues(next);
}

void Configuration::setValues(const ConfigurationValues &values)
{
    const ConfigurationValues::Differences changed = m_values.differences(values);
    m_values = values;
    // Listeners hear of a change only once every value is in place.
    for (const QString &control : changed.controls)
        emit valueChanged(control);
    for (const ConfigurationValues::Cell &cell : changed.cells)
        emit cellChanged(cell.table, cell.row, cell.col);
}
