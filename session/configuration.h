#pragma once

#include "configurationvalues.h"

#include <QObject>
#include <QString>

// The gateway's configuration as the session holds it: the values of the
// configuration pages with the pages' own acceptance rules, and a signal for
// every value that really changes, whoever changed it (a received record, a
// view, a loaded file). Views bind to it; values() and setValues() take and
// restore a copy, so two configurations compare as values.
class Configuration : public QObject, public IRecordControls
{
    Q_OBJECT

public:
    explicit Configuration(QObject *parent = nullptr);

    int listPosition(const QString &control) const override;
    bool setListPosition(const QString &control, int position) override;
    QString text(const QString &control) const override;
    void setText(const QString &control, const QString &text) override;
    QString cell(const QString &table, int row, int col) const override;
    bool setCell(const QString &table, int row, int col, const QString &text) override;

    // Applies one received record, every assignment on its own (see
    // ConfigurationValues::applyRecord).
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields);

    // The table and start-up resets of ConfigurationValues, signalled cell by cell
    // and control by control where they change something.
    void setupTables();
    void clearTables();
    void prepareForStartup();

    const ConfigurationValues &values() const { return m_values; }
    // Takes over every value, then signals each control and cell that differed.
    void setValues(const ConfigurationValues &values);

signals:
    void valueChanged(const QString &control);
    void cellChanged(const QString &table, int row, int col);

private:
    ConfigurationValues m_values;
};
