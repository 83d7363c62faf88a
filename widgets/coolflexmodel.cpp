#include "coolflexmodel.h"

#include <algorithm>

CoolFlexModel::CoolFlexModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_cells(2, QList<Cell>(2))
    , m_cols(2)
{ }

void CoolFlexModel::setRows(int rows)
{
    rows = std::max(rows, 1);
    const int old = this->rows();
    if (rows > old) {
        beginInsertRows({}, old - 1, rows - 2);
        m_cells.resize(rows, QList<Cell>(m_cols));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows - 1, old - 2);
        m_cells.resize(rows);
        endRemoveRows();
    }
}

void CoolFlexModel::setCols(int cols)
{
    cols = std::max(cols, 1);
    const int old = m_cols;
    if (cols > old) {
        beginInsertColumns({}, old - 1, cols - 2);
        m_cols = cols;
        for (QList<Cell> &row : m_cells)
            row.resize(cols);
        endInsertColumns();
    } else if (cols < old) {
        beginRemoveColumns({}, cols - 1, old - 2);
        m_cols = cols;
        for (QList<Cell> &row : m_cells)
            row.resize(cols);
        endRemoveColumns();
    }
    m_types = QList<int>(cols, CellText);
    everyCellChanged();
}

QString CoolFlexModel::text(int row, int col) const
{
    return inGrid(row, col) ? m_cells.at(row).at(col).text : QString();
}

bool CoolFlexModel::setText(int row, int col, const QString &text)
{
    if (!inGrid(row, col))
        return false;
    QString &cell = m_cells[row][col].text;
    if (cell == text)
        return true;
    cell = text;
    cellChanged(row, col, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void CoolFlexModel::clearTexts()
{
    for (QList<Cell> &row : m_cells)
        std::fill(row.begin(), row.end(), Cell {});
    everyCellChanged();
    emit cornerTextChanged();
}

int CoolFlexModel::columnType(int col) const
{
    return m_types.value(col, CellText);
}

bool CoolFlexModel::setColumnType(int col, int type)
{
    if (col < 0 || col >= m_types.size())
        return false;
    m_types[col] = type;
    if (col >= 1 && rowCount() > 0)
        emit dataChanged(index(0, col - 1), index(rowCount() - 1, col - 1));
    return true;
}

CoolFlexModel::CellPicture CoolFlexModel::picture(int row, int col) const
{
    return isDataCell(row, col) ? m_cells.at(row).at(col).picture : CellPicture::None;
}

void CoolFlexModel::setPicture(int row, int col, CellPicture picture)
{
    if (!isDataCell(row, col) || m_cells.at(row).at(col).picture == picture)
        return;
    m_cells[row][col].picture = picture;
    cellChanged(row, col, {PictureRole});
}

void CoolFlexModel::arrangeRows(int firstRow, const QList<int> &order)
{
    const int lastRow = firstRow + int(order.size()) - 1;
    if (firstRow < 1 || lastRow < firstRow || lastRow >= rows())
        return;
    QList<QList<Cell>> moved;
    moved.reserve(order.size());
    for (const int row : order)
        moved.append(m_cells.value(row, QList<Cell>(m_cols)));
    std::copy(moved.cbegin(), moved.cend(), m_cells.begin() + firstRow);
    emit headerDataChanged(Qt::Vertical, firstRow - 1, lastRow - 1);
    if (columnCount() > 0)
        emit dataChanged(index(firstRow - 1, 0), index(lastRow - 1, columnCount() - 1));
}

int CoolFlexModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows() - 1;
}

int CoolFlexModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols - 1;
}

QVariant CoolFlexModel::data(const QModelIndex &index, int role) const
{
    if (!isCell(index))
        return {};
    const Cell &cell = m_cells.at(index.row() + 1).at(index.column() + 1);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell.text;
    case PictureRole:
        return int(cell.picture);
    case CellTypeRole:
        return columnType(index.column() + 1);
    default:
        return {};
    }
}

bool CoolFlexModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !isCell(index))
        return false;
    return setText(index.row() + 1, index.column() + 1, value.toString());
}

QVariant CoolFlexModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? text(0, section + 1) : text(section + 1, 0);
}

Qt::ItemFlags CoolFlexModel::flags(const QModelIndex &index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // Check boxes and buttons act on a click; only texts and lists open an editor.
    const int type = columnType(index.column() + 1);
    if (type == CellText || type == CellComboBox)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CoolFlexModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_cells.remove(row + 1, count);
    endRemoveRows();
    return true;
}

void CoolFlexModel::cellChanged(int row, int col, const QList<int> &roles)
{
    if (row == 0 && col == 0)
        emit cornerTextChanged();
    else if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0)
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else
        emit dataChanged(index(row - 1, col - 1), index(row - 1, col - 1), roles);
}

void CoolFlexModel::everyCellChanged()
{
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}
