#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// The cells of a grid editor: a heading row and a first column around the data
// cells, each data column with the type of cell it holds. Its own functions
// (rows(), text(), ...) take grid coordinates, in which the heading row is row 0,
// the first column is column 0 and the cell where they meet is the corner. As a
// Qt table model its rows and columns are the data cells alone: grid row r is
// model row r - 1 and grid column c model column c - 1, the heading row is the
// horizontal header data and the first column the vertical header data.
class CoolFlexModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // How the cells of a column are edited.
    enum CellType : int { CellText = 0, CellCheckBox = 1, CellComboBox = 2, CellButton = 3 };
    // The picture a check-box or button cell shows in place of its text.
    enum class CellPicture : int { None = 0, Checked, Unchecked, ButUpOut, ButUpIn, ButDelOut, ButDelIn };

    // A data cell's CellPicture and its column's CellType, as int.
    static constexpr int PictureRole = Qt::UserRole + 1;
    static constexpr int CellTypeRole = Qt::UserRole + 2;

    // Two rows and two columns: the headings and one data cell.
    explicit CoolFlexModel(QObject *parent = nullptr);

    // Rows and columns count the heading row and the first column; there is
    // always at least one of each. New cells are empty.
    int rows() const { return int(m_cells.size()); }
    void setRows(int rows);
    int cols() const { return m_cols; }
    // Makes every column a text column, and so gives the columns their types.
    void setCols(int cols);

    // Empty outside the grid.
    QString text(int row, int col) const;
    // False outside the grid.
    bool setText(int row, int col, const QString &text);
    // Empties every text, the headings and the corner too, and takes every picture away.
    void clearTexts();

    // The columns have types once setCols has run; until then every column
    // counts as text and no type can be set.
    bool hasColumnTypes() const { return !m_types.isEmpty(); }
    int columnType(int col) const;
    bool setColumnType(int col, int type);

    // Only data cells have pictures.
    CellPicture picture(int row, int col) const;
    void setPicture(int row, int col, CellPicture picture);

    // Rows firstRow, firstRow + 1, ... take the rows listed, whole (first column
    // and pictures too), in the order listed. The cells change in place, so the
    // current cell and the selection stay where they are.
    void arrangeRows(int firstRow, const QList<int> &order);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

signals:
    // The text of the corner cell changed; it belongs to neither header.
    void cornerTextChanged();

private:
    struct Cell
    {
        QString text;
        CellPicture picture = CellPicture::None;
    };

    bool inGrid(int row, int col) const { return row >= 0 && col >= 0 && row < rows() && col < m_cols; }
    bool isDataCell(int row, int col) const { return row >= 1 && col >= 1 && row < rows() && col < m_cols; }
    // A valid index of one of this model's cells; an invalid one is no cell, silently.
    bool isCell(const QModelIndex &index) const
    {
        return index.isValid() && checkIndex(index, CheckIndexOption::ParentIsInvalid);
    }
    void cellChanged(int row, int col, const QList<int> &roles);
    void everyCellChanged();

    // Rows from the heading row on, each with its cells from column 0.
    QList<QList<Cell>> m_cells;
    int m_cols = 0;
    QList<int> m_types;
};
