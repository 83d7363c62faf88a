#include "coolflex.h"

#include "coolflexdelegate.h"
#include "coolflexview.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

constexpr int kGridMarginTwips = 60;
constexpr int kDefaultColWidthTwips = 1300;

} // namespace

CoolFlex::CoolFlex(QWidget *parent)
    : QWidget(parent)
{
    m_model = new CoolFlexModel(this);
    MSFlexGrid1 = new CoolFlexView(m_model, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->verticalHeader()->setFixedWidth(twipsToPixelsX(kDefaultColWidthTwips));
    m_delegate = new CoolFlexDelegate(MSFlexGrid1);
    MSFlexGrid1->setItemDelegate(m_delegate);
    // The list of column 0 exists from the start; the others come with Cols.
    m_delegate->setComboBoxCount(1);
    setFocusProxy(MSFlexGrid1);

    m_buttonTimer = new QTimer(this);
    m_buttonTimer->setSingleShot(true);
    connect(m_buttonTimer, &QTimer::timeout, this, &CoolFlex::releaseButton);

    connect(MSFlexGrid1, &CoolFlexView::pointerEvent, this, &CoolFlex::onPointer);
    connect(MSFlexGrid1, &CoolFlexView::enterPressed, this, [this] { runClick(Row(), Col()); });
    connect(MSFlexGrid1, &CoolFlexView::currentCellChanged, this, &CoolFlex::onCurrentChanged);
    connect(MSFlexGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, &CoolFlex::discardEditors);
    connect(MSFlexGrid1->horizontalScrollBar(), &QScrollBar::valueChanged, this, &CoolFlex::discardEditors);
    connect(m_delegate, &CoolFlexDelegate::listEntryPicked, this,
        [this] { emit CellComboBoxClick(Col(), TextMatrix(Row(), Col())); });
    connect(m_delegate, &CoolFlexDelegate::listTextEdited, this, [this] { emit CellComboBoxChange(Col()); });

    // A fresh grid has two rows and two columns, the first of each fixed; the
    // columns have no types until Cols is set.
    updateRowHeight();
    standOnFirstCell();
    resize(twipsToPixelsX(4 * kDefaultColWidthTwips), twipsToPixels(3000, logicalDpiY()));
}

CoolFlex::~CoolFlex()
{
    // The view and its parts go away after this object's own part: an open
    // editor closes while everything is whole, and the parts' last signals (a
    // cell change, a scroll range shrinking) must not reach this object.
    discardEditors();
    MSFlexGrid1->disconnect(this);
    MSFlexGrid1->verticalScrollBar()->disconnect(this);
    MSFlexGrid1->horizontalScrollBar()->disconnect(this);
    m_delegate->disconnect(this);
    m_buttonTimer->disconnect(this);
}

int CoolFlex::twipsToPixels(int twips, int dpi)
{
    return qRound(double(twips) * dpi / kTwipsPerInch);
}

int CoolFlex::pixelsToTwips(int pixels, int dpi)
{
    return dpi > 0 ? qRound(double(pixels) * kTwipsPerInch / dpi) : 0;
}

int CoolFlex::twipsToPixelsX(int twips) const
{
    return twipsToPixels(twips, logicalDpiX());
}

// ---- cells ----------------------------------------------------------------------

bool CoolFlex::isDataCell(int row, int col) const
{
    return row >= 1 && col >= 1 && row < Rows() && col < Cols();
}

void CoolFlex::standOnFirstCell()
{
    // A fresh grid stands on its first data cell, as the operator expects, without
    // reporting a cell change nobody made.
    QItemSelectionModel *selection = MSFlexGrid1->selectionModel();
    if (selection->currentIndex().isValid() || m_model->rowCount() == 0 || m_model->columnCount() == 0)
        return;
    const QSignalBlocker blocker(selection);
    selection->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
}

void CoolFlex::updateRowHeight()
{
    const int height = fontMetrics().height() + 10;
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(height);
    // The heading row stands as tall as the rows below it.
    MSFlexGrid1->horizontalHeader()->setMinimumHeight(height);
}

QString CoolFlex::TextMatrix(int row, int col) const
{
    return m_model->text(row, col);
}

bool CoolFlex::setTextMatrix(int row, int col, const QString &text)
{
    return m_model->setText(row, col, text);
}

int CoolFlex::Cols() const
{
    return m_model->cols();
}

void CoolFlex::setCols(int cols)
{
    cols = std::max(cols, 1);
    discardEditorPast(Rows(), cols);
    m_model->setCols(cols);
    m_buttonKinds.clear();
    m_delegate->setComboBoxCount(cols);
    standOnFirstCell();
}

int CoolFlex::Rows() const
{
    return m_model->rows();
}

void CoolFlex::setRows(int rows)
{
    rows = std::max(rows, 1);
    discardEditorPast(rows, Cols());
    m_model->setRows(rows);
    standOnFirstCell();
    DrawCheckBoxes();
}

void CoolFlex::discardEditorPast(int rows, int cols)
{
    // An editor whose cell goes away has nothing left to write to; closed here,
    // it hands the focus back to the grid.
    const QModelIndex edited = m_delegate->editIndex();
    if (edited.isValid() && (edited.row() + 1 >= rows || edited.column() + 1 >= cols))
        discardEditors();
}

int CoolFlex::Col() const
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (current.isValid())
        return current.column() + 1;
    return Cols() > 1 ? 1 : 0;
}

int CoolFlex::Row() const
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (current.isValid())
        return current.row() + 1;
    return Rows() > 1 ? 1 : 0;
}

bool CoolFlex::setCol(int col)
{
    if (!isDataCell(Row(), col))
        return false;
    moveTo(Row(), col);
    return true;
}

bool CoolFlex::setRow(int row)
{
    if (!isDataCell(row, Col()))
        return false;
    moveTo(row, Col());
    return true;
}

void CoolFlex::moveTo(int row, int col)
{
    if (isDataCell(row, col))
        MSFlexGrid1->setCurrentIndex(m_model->index(row - 1, col - 1));
}

int CoolFlex::Colsel() const
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid())
        return Col();
    const QItemSelection selection = MSFlexGrid1->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        if (range.contains(current))
            return (current.column() == range.left() ? range.right() : range.left()) + 1;
    }
    return current.column() + 1;
}

int CoolFlex::Rowsel() const
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid())
        return Row();
    const QItemSelection selection = MSFlexGrid1->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        if (range.contains(current))
            return (current.row() == range.top() ? range.bottom() : range.top()) + 1;
    }
    return current.row() + 1;
}

bool CoolFlex::setRowsel(int row)
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid() || !isDataCell(row, Colsel()))
        return false;
    const QModelIndex end = m_model->index(row - 1, Colsel() - 1);
    MSFlexGrid1->selectionModel()->select(QItemSelection(current, end), QItemSelectionModel::ClearAndSelect);
    return true;
}

bool CoolFlex::setColWidth(int col, int twips)
{
    if (col < 0 || col >= Cols() || twips < 0)
        return false;
    const int pixels = twipsToPixelsX(twips);
    if (col == 0)
        MSFlexGrid1->verticalHeader()->setFixedWidth(pixels);
    else
        MSFlexGrid1->setColumnWidth(col - 1, pixels);
    return true;
}

int CoolFlex::EditTextLenght() const
{
    return m_delegate->editTextLength();
}

void CoolFlex::setEditTextLenght(int length)
{
    m_delegate->setEditTextLength(length);
}

QTableView *CoolFlex::grid() const
{
    return MSFlexGrid1;
}

QLineEdit *CoolFlex::textEditor() const
{
    return m_delegate->textEditor();
}

QComboBox *CoolFlex::comboBox(int colNumber) const
{
    return colNumber >= 0 && colNumber < Cols() ? m_delegate->comboBox(colNumber) : nullptr;
}

CoolFlex::CellPicture CoolFlex::cellPicture(int row, int col) const
{
    return m_model->picture(row, col);
}

QRect CoolFlex::cellRect(int row, int col) const
{
    if (!isDataCell(row, col))
        return {};
    return MSFlexGrid1->visualRect(m_model->index(row - 1, col - 1));
}

// ---- methods ------------------------------------------------------------------

bool CoolFlex::ColType(int colNumber, int eType, bool bType)
{
    const int previous = m_model->columnType(colNumber);
    if (!m_model->setColumnType(colNumber, eType))
        return false;
    if ((previous == CellCheckBox || previous == CellButton) && previous != eType) {
        for (int r = 1; r < Rows(); ++r)
            m_model->setPicture(r, colNumber, CellPicture::None);
        m_buttonKinds.remove(colNumber);
    }
    if (eType == CellCheckBox)
        DrawCheckBoxes();
    else if (eType == CellButton)
        DrawButtonColumn(colNumber, bType);
    return true;
}

bool CoolFlex::ComboBoxAddItem(int colNumber, const QString &Item)
{
    QComboBox *combo = comboBox(colNumber);
    if (!combo)
        return false;
    combo->addItem(Item);
    combo->clearEditText();
    return true;
}

bool CoolFlex::ComboBoxRemoveItem(int colNumber, int index)
{
    QComboBox *combo = comboBox(colNumber);
    if (!combo || index < 0 || index >= combo->count())
        return false;
    combo->removeItem(index);
    return true;
}

int CoolFlex::ComboBoxListCount(int colNumber) const
{
    const QComboBox *combo = comboBox(colNumber);
    return combo ? combo->count() : -1;
}

int CoolFlex::ComboBoxItemData(int colNumber, int index) const
{
    const QComboBox *combo = comboBox(colNumber);
    if (!combo || index < 0 || index >= combo->count())
        return 0;
    return combo->itemData(index).toInt();
}

bool CoolFlex::setComboBoxItemData(int colNumber, int index, int value)
{
    QComboBox *combo = comboBox(colNumber);
    if (!combo || index < 0 || index >= combo->count())
        return false;
    combo->setItemData(index, value);
    return true;
}

void CoolFlex::Clear()
{
    discardEditors();
    for (int col = 0; col < Cols(); ++col) {
        if (QComboBox *combo = comboBox(col))
            combo->clearEditText();
    }
    m_model->clearTexts();
    DrawCheckBoxes();
}

bool CoolFlex::RemoveItem(int row)
{
    if (row < 1 || row >= Rows())
        return false;
    // Discarded first: the cell change that follows must not write into the row.
    discardEditors();
    m_model->removeRows(row - 1, 1);
    return true;
}

void CoolFlex::SortOnHeaderClick(bool SortOn, int newValue)
{
    m_headerSortOn = SortOn;
    m_headerSortMode = newValue;
}

void CoolFlex::setSort(int mode)
{
    discardEditors();
    int firstRow = std::min(Row(), Rowsel());
    int lastRow = std::max(Row(), Rowsel());
    if (firstRow == lastRow) {
        firstRow = 1;
        lastRow = Rows() - 1;
    }
    sortRows(mode, firstRow, lastRow, std::min(Col(), Colsel()), std::max(Col(), Colsel()));
}

void CoolFlex::sortRows(int mode, int firstRow, int lastRow, int firstKeyCol, int lastKeyCol)
{
    using namespace CoolFlexLogic;
    if (mode < SortGenericAscending || mode > SortStringDescending)
        return;
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, Rows() - 1);
    firstKeyCol = std::max(firstKeyCol, 0);
    lastKeyCol = std::min(lastKeyCol, Cols() - 1);
    if (lastRow <= firstRow || lastKeyCol < firstKeyCol)
        return;

    QList<int> order(lastRow - firstRow + 1);
    std::iota(order.begin(), order.end(), firstRow);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (int key = firstKeyCol; key <= lastKeyCol; ++key) {
            const int result = compareCells(TextMatrix(a, key), TextMatrix(b, key), mode);
            if (result != 0)
                return result < 0;
        }
        return false;
    });
    // Whole rows move, the fixed column's text with them.
    m_model->arrangeRows(firstRow, order);
}

// ---- pictures -----------------------------------------------------------------

CoolFlex::CellPicture CoolFlex::buttonPicture(int col, bool pressed) const
{
    const bool up = m_buttonKinds.value(col, false);
    if (up)
        return pressed ? CellPicture::ButUpIn : CellPicture::ButUpOut;
    return pressed ? CellPicture::ButDelIn : CellPicture::ButDelOut;
}

void CoolFlex::DrawCheckBoxes()
{
    for (int c = 1; c < Cols(); ++c) {
        if (m_model->columnType(c) != CellCheckBox)
            continue;
        for (int r = 1; r < Rows(); ++r)
            m_model->setPicture(
                r, c, TextMatrix(r, c) == QLatin1String("C") ? CellPicture::Checked : CellPicture::Unchecked);
    }
}

void CoolFlex::DrawButtonColumn(int col, bool bType)
{
    m_buttonKinds.insert(col, bType);
    for (int r = 1; r < Rows(); ++r)
        m_model->setPicture(r, col, buttonPicture(col, false));
}

void CoolFlex::showCellPicture(int row, int col)
{
    const QString value = TextMatrix(row, col);
    const int type = m_model->columnType(col);
    CellPicture picture = CellPicture::None;
    if (type == CellCheckBox) {
        if (value == QLatin1String("U"))
            picture = CellPicture::Unchecked;
        else if (value == QLatin1String("C"))
            picture = CellPicture::Checked;
    } else if (type == CellButton) {
        if (value == QLatin1String("U"))
            picture = buttonPicture(col, false);
        else if (value == QLatin1String("P"))
            picture = buttonPicture(col, true);
    } else {
        return;
    }
    m_model->setPicture(row, col, picture);
}

bool CoolFlex::HideCol(int col) const
{
    if (col < 0 || col >= Cols())
        return false;
    if (col == 0)
        return MSFlexGrid1->verticalHeader()->isHidden() || MSFlexGrid1->verticalHeader()->width() == 0;
    return MSFlexGrid1->isColumnHidden(col - 1) || MSFlexGrid1->columnWidth(col - 1) == 0;
}

bool CoolFlex::setHideCol(int col, bool hide)
{
    if (col < 0 || col >= Cols())
        return false;
    const int type = m_model->columnType(col);
    const bool pictured = col > 0 && (type == CellCheckBox || type == CellButton);
    QHeaderView *fixedCol = MSFlexGrid1->verticalHeader();
    if (hide) {
        if (pictured) {
            for (int r = 1; r < Rows(); ++r)
                m_model->setPicture(r, col, CellPicture::None);
        }
        if (col == 0)
            fixedCol->hide();
        else
            MSFlexGrid1->setColumnHidden(col - 1, true);
        return true;
    }
    if (pictured) {
        for (int r = 1; r < Rows(); ++r)
            showCellPicture(r, col);
    }
    if (col == 0) {
        fixedCol->show();
        return true;
    }
    // A shown column takes the width of the column before it; when that one is
    // hidden too, it keeps its own, so that showing it really shows it.
    int width = 0;
    if (col == 1)
        width = fixedCol->isHidden() ? 0 : fixedCol->width();
    else if (!MSFlexGrid1->isColumnHidden(col - 2))
        width = MSFlexGrid1->columnWidth(col - 2);
    MSFlexGrid1->setColumnHidden(col - 1, false);
    if (width > 0)
        MSFlexGrid1->setColumnWidth(col - 1, width);
    return true;
}

bool CoolFlex::HideRow(int row) const
{
    if (row < 0 || row >= Rows())
        return false;
    if (row == 0)
        return MSFlexGrid1->horizontalHeader()->isHidden();
    return MSFlexGrid1->isRowHidden(row - 1) || MSFlexGrid1->rowHeight(row - 1) == 0;
}

bool CoolFlex::setHideRow(int row, bool hide)
{
    if (row < 0 || row >= Rows())
        return false;
    QHeaderView *fixedRow = MSFlexGrid1->horizontalHeader();
    for (int c = 1; c < Cols() && row > 0; ++c) {
        const int type = m_model->columnType(c);
        if (type != CellCheckBox && type != CellButton)
            continue;
        if (hide)
            m_model->setPicture(row, c, CellPicture::None);
        else
            showCellPicture(row, c);
    }
    if (row == 0) {
        fixedRow->setHidden(hide);
        return true;
    }
    if (hide) {
        MSFlexGrid1->setRowHidden(row - 1, true);
        return true;
    }
    int height = 0;
    if (row == 1)
        height = fixedRow->isHidden() ? 0 : fixedRow->height();
    else if (!MSFlexGrid1->isRowHidden(row - 2))
        height = MSFlexGrid1->rowHeight(row - 2);
    MSFlexGrid1->setRowHidden(row - 1, false);
    if (height > 0)
        MSFlexGrid1->setRowHeight(row - 1, height);
    return true;
}

// ---- clicks, editors and cell changes ---------------------------------------------

void CoolFlex::onPointer(QEvent::Type type, Qt::MouseButton button, int row, int col)
{
    m_mouseRow = row;
    m_mouseCol = col;
    switch (type) {
    case QEvent::MouseButtonPress:
        if (button == Qt::LeftButton) {
            m_leftPressed = true;
            m_pressWasDouble = false;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (button == Qt::LeftButton) {
            m_leftPressed = true;
            m_pressWasDouble = true;
        }
        emit DblClick();
        break;
    case QEvent::MouseButtonRelease:
        if (button == Qt::LeftButton && m_leftPressed) {
            m_leftPressed = false;
            // The release that ends a double click makes no second click.
            if (!std::exchange(m_pressWasDouble, false))
                runClick(row, col);
        }
        break;
    default:
        break;
    }
}

void CoolFlex::runClick(int targetRow, int targetCol)
{
    m_editCol = Colsel();
    if (targetRow == 0 && targetCol >= 0 && m_headerSortOn) {
        commitEditors();
        sortRows(m_headerSortMode, 1, Rows() - 1, targetCol, targetCol);
    }
    if (!m_editEnable) {
        emit Click();
        return;
    }
    const bool inData = isDataCell(targetRow, targetCol);
    switch (m_model->columnType(m_editCol)) {
    case CellText:
    case CellComboBox:
        if (inData)
            openEditor();
        emit Click();
        break;
    case CellCheckBox:
        if (inData)
            toggleCheckBox();
        else
            emit Click();
        break;
    case CellButton:
        if (inData)
            pressButton(Row(), Col());
        break;
    default:
        break;
    }
}

void CoolFlex::openEditor()
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid())
        return;
    if (QWidget *open = m_delegate->openEditor(); open && m_delegate->editIndex() == current) {
        // Already open here: keep what the operator typed.
        open->setFocus(Qt::OtherFocusReason);
        if (auto *list = qobject_cast<QComboBox *>(open))
            list->lineEdit()->selectAll();
        else if (auto *text = qobject_cast<QLineEdit *>(open))
            text->selectAll();
        return;
    }
    commitEditors();
    MSFlexGrid1->editCell(current);
}

void CoolFlex::toggleCheckBox()
{
    const bool checked = TextMatrix(Row(), Col()) == QLatin1String("C");
    setTextMatrix(Row(), Col(), checked ? QStringLiteral("U") : QStringLiteral("C"));
    m_model->setPicture(Row(), Col(), checked ? CellPicture::Unchecked : CellPicture::Checked);
    emit CellCheckBoxClick(Col(), checked ? 0 : 1);
}

void CoolFlex::pressButton(int row, int col)
{
    // A press still showing is finished first, so that no click is lost.
    if (m_buttonTimer->isActive()) {
        m_buttonTimer->stop();
        releaseButton();
    }
    m_pressedButton = QPersistentModelIndex(m_model->index(row - 1, col - 1));
    m_model->setPicture(row, col, buttonPicture(col, true));
    m_buttonTimer->start(m_buttonPressTime);
}

void CoolFlex::releaseButton()
{
    const QPersistentModelIndex pressed = std::exchange(m_pressedButton, QPersistentModelIndex());
    // The row may have been removed while the button was down.
    if (!pressed.isValid())
        return;
    const int row = pressed.row() + 1;
    const int col = pressed.column() + 1;
    if (m_model->columnType(col) == CellButton)
        m_model->setPicture(row, col, buttonPicture(col, false));
    emit CellButtonClick(row, col, 0);
}

void CoolFlex::commitEditors()
{
    m_delegate->closeOpenEditor(true);
}

void CoolFlex::discardEditors()
{
    m_delegate->closeOpenEditor(false);
}

void CoolFlex::onCurrentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The view has written an editor open on the previous cell into it already.
    if (previous.isValid())
        emit LeaveCell();
    if (current.isValid()) {
        m_editCol = Colsel();
        emit EnterCell(Rowsel(), Colsel(), QString());
    }
    emit RowColChange();
    if (current.isValid() && MSFlexGrid1->isVisible())
        MSFlexGrid1->scrollTo(current);
}

// ---- layout -------------------------------------------------------------------

void CoolFlex::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    MSFlexGrid1->setGeometry(0, 0, std::max(0, width() - twipsToPixelsX(kGridMarginTwips)),
        std::max(0, height() - twipsToPixels(kGridMarginTwips, logicalDpiY())));
}

void CoolFlex::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
}
