#pragma once

#include "coolflexlogic.h"
#include "coolflexmodel.h"

#include <QEvent>
#include <QHash>
#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>

#include <chrono>

class CoolFlexDelegate;
class CoolFlexView;
class QComboBox;
class QLineEdit;
class QTableView;
class QTimer;

// An editable table: a grid of text cells under one fixed heading row and beside
// one fixed first column, whose other cells are edited in place by a text box, a
// drop-down list, a check mark or a button, chosen per column. Row 0 is the
// heading row and column 0 the fixed column in every row and column index below;
// on screen they are the view's headers, so they stay put while the cells
// scroll, and TextMatrix(0, c) and TextMatrix(r, 0) are their texts. The cells
// live in a CoolFlexModel, shown by a table view and edited through its delegate.
class CoolFlex : public QWidget
{
    Q_OBJECT

public:
    // The cell type of a column, as ColType takes it.
    using CellType = CoolFlexModel::CellType;
    using enum CoolFlexModel::CellType;
    // The picture shown in a check-box or button cell instead of its text.
    using CellPicture = CoolFlexModel::CellPicture;

    static constexpr std::chrono::milliseconds kButtonPressTime {200};
    static constexpr int kTwipsPerInch = 1440;

    explicit CoolFlex(QWidget *parent = nullptr);
    ~CoolFlex() override;

    // Twips (1/1440 inch) to device-independent pixels at dpi dots per inch, and
    // back; the widget's own conversion uses its logical DPI.
    static int twipsToPixels(int twips, int dpi);
    static int pixelsToTwips(int pixels, int dpi);
    int twipsToPixelsX(int twips) const;

    // Methods. Those returning bool refuse an index outside the grid or the
    // column-type table with false and change nothing.
    bool ColType(int colNumber, int eType, bool bType);
    bool ComboBoxAddItem(int colNumber, const QString &Item);
    bool ComboBoxRemoveItem(int colNumber, int index);
    void Clear();
    bool RemoveItem(int row);
    void SortOnHeaderClick(bool SortOn, int newValue);

    // Properties.
    QString TextMatrix(int row, int col) const;
    bool setTextMatrix(int row, int col, const QString &text);
    int Cols() const;
    void setCols(int cols);
    int Rows() const;
    void setRows(int rows);
    int Col() const;
    bool setCol(int col);
    int Row() const;
    bool setRow(int row);
    // The other end of the selection that starts at the current cell.
    int Colsel() const;
    int Rowsel() const;
    bool setRowsel(int row);
    bool setColWidth(int col, int twips);
    int MouseCol() const { return m_mouseCol; }
    int MouseRow() const { return m_mouseRow; }
    bool EditEnable() const { return m_editEnable; }
    void setEditEnable(bool enable) { m_editEnable = enable; }
    int EditTextLenght() const;
    void setEditTextLenght(int length);
    bool HideCol(int col) const;
    bool setHideCol(int col, bool hide);
    bool HideRow(int row) const;
    bool setHideRow(int row, bool hide);
    void setSort(int mode);
    // -1 for a column without a list.
    int ComboBoxListCount(int colNumber) const;
    int ComboBoxItemData(int colNumber, int index) const;
    bool setComboBoxItemData(int colNumber, int index, int value);

    // Our own additions, for hosts and tests.
    QTableView *grid() const;
    CoolFlexModel *model() const { return m_model; }
    QLineEdit *textEditor() const;
    QComboBox *comboBox(int colNumber) const;
    CellPicture cellPicture(int row, int col) const;
    // The cell's rectangle in the grid viewport's coordinates; empty for the fixed
    // cells and cells outside the grid.
    QRect cellRect(int row, int col) const;
    void setButtonPressTime(std::chrono::milliseconds time) { m_buttonPressTime = time; }

signals:
    void Click();
    void EnterCell(int row, int col, const QString &text);
    void DblClick();
    void LeaveCell();
    void RowColChange();
    void CellComboBoxClick(int col, const QString &text);
    void CellComboBoxChange(int col);
    void CellCheckBoxClick(int col, qint16 value);
    void CellButtonClick(int row, int col, qint16 value);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool isDataCell(int row, int col) const;
    void standOnFirstCell();
    void updateRowHeight();
    // Closes an open editor whose cell lies past the given rows or columns.
    void discardEditorPast(int rows, int cols);

    void onPointer(QEvent::Type type, Qt::MouseButton button, int row, int col);
    void runClick(int targetRow, int targetCol);
    void openEditor();
    void toggleCheckBox();
    void pressButton(int row, int col);
    void releaseButton();
    void moveTo(int row, int col);
    void commitEditors();
    void discardEditors();
    void onCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void sortRows(int mode, int firstRow, int lastRow, int firstKeyCol, int lastKeyCol);

    void DrawCheckBoxes();
    void DrawButtonColumn(int col, bool bType);
    void showCellPicture(int row, int col);
    CellPicture buttonPicture(int col, bool pressed) const;

    CoolFlexModel *m_model = nullptr;
    CoolFlexView *MSFlexGrid1 = nullptr;
    CoolFlexDelegate *m_delegate = nullptr;

    // Button kind (true: up, false: delete) of each button column, keyed by column.
    QHash<int, bool> m_buttonKinds;
    int m_editCol = 0;
    bool m_editEnable = false;
    bool m_headerSortOn = false;
    int m_headerSortMode = 0;

    int m_mouseRow = -1;
    int m_mouseCol = -1;
    bool m_leftPressed = false;
    bool m_pressWasDouble = false;

    QTimer *m_buttonTimer = nullptr;
    std::chrono::milliseconds m_buttonPressTime = kButtonPressTime;
    QPersistentModelIndex m_pressedButton;
};
