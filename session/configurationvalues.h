#pragma once

#include <fieldcodecs.h>
#include <recordcodec.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The values the configuration pages hold, as plain data: list positions, texts
// and the cells of the two tables, each addressed by its control's name. It takes
// a value only where the page control would, so a received record decodes into it
// exactly as into the pages. Copies are cheap (the containers share their
// contents until one copy changes) and compare with ==.
class ConfigurationValues final : public IRecordControls
{
public:
    // One table cell, by table name, row and column (row 0 and column 0 are the
    // headings and the row numbers).
    struct Cell
    {
        QString table {};
        int row = 0;
        int col = 0;

        friend bool operator==(const Cell &, const Cell &) = default;
    };

    // What differs between two sets of values: the lists and text boxes by name,
    // then the cells, both in record layout order.
    struct Differences
    {
        QStringList controls {};
        QList<Cell> cells {};

        bool isEmpty() const { return controls.isEmpty() && cells.isEmpty(); }
    };

    // The state of freshly built pages: no list entry chosen, every text empty,
    // both tables with their headings and row numbers and empty data cells.
    ConfigurationValues();

    // A list takes only a position it has; cmbFXO_CID takes any of its positions
    // as 0, since the gateway's FXO port speaks Bellcore caller ID alone.
    int listPosition(const QString &control) const override;
    bool setListPosition(const QString &control, int position) override;
    // A text box's width limits typing only: a text set here is kept whole, so a
    // longer value from the gateway is written back unshortened.
    QString text(const QString &control) const override;
    void setText(const QString &control, const QString &text) override;
    // Any cell reads (outside the grid as empty text); only data cells, rows 1 to
    // the table's rows and columns 1 to its last, can be set.
    QString cell(const QString &table, int row, int col) const override;
    bool setCell(const QString &table, int row, int col, const QString &text) override;

    // Applies one received record to its values, every assignment on its own; an
    // unknown code changes nothing.
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields);

    // The headings in row 0 and the row numbers in column 0 of both tables; data
    // cells keep their texts.
    void setupTables();
    // Empties the cells the reset before a read empties: every data cell of the
    // prefix table and the number list's first three data columns.
    void clearTables();
    // The start-up state of the pages: the ring-signal selector on its custom
    // entry, so that a page filled from the gateway writes back what it shows.
    void prepareForStartup();

    Differences differences(const ConfigurationValues &other) const;

    friend bool operator==(const ConfigurationValues &a, const ConfigurationValues &b);

private:
    // Every list and text box has its entry from construction on, so two sets of
    // values compare equal exactly when every control does.
    QHash<QString, int> m_positions;
    QHash<QString, QString> m_texts;
    // Per table, its rows from the heading row on, each its cells from column 0.
    QHash<QString, QList<QStringList>> m_tables;
};
