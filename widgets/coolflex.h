#pragma once

#include <QColor>
#include <QHash>
#include <QPersistentModelIndex>
#include <QString>
#include <QVector>
#include <QWidget>

#include <chrono>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

// The grid editor's decisions that need no widget: how the sort orders cell texts
// and what a key pressed in the in-place text editor does.
namespace CoolFlexLogic {

// The grid's sort modes, as `Sort` and the heading click take them. Modes above
// SortStringDescending (the custom mode) sort nothing, as does SortNone.
enum SortMode : int {
    SortNone = 0,
    SortGenericAscending = 1,
    SortGenericDescending = 2,
    SortNumericAscending = 3,
    SortNumericDescending = 4,
    SortStringNoCaseAscending = 5,
    SortStringNoCaseDescending = 6,
    SortStringAscending = 7,
    SortStringDescending = 8,
};

// The number at the start of a cell text (blanks skipped, optional sign, digits
// with one decimal point, optional exponent); 0 and found false when there is none.
double leadingNumber(const QString &text, bool *found = nullptr);

// Negative when a sorts before b under mode, positive when after, 0 when equal.
// Generic modes compare two numbers by value, put numbers before other texts and
// compare other texts without case; numeric modes compare leadingNumber values.
int compareCells(const QString &a, const QString &b, int mode);

// What the text editor does with a key before the key reaches it.
enum class EditorKeyAction {
    PassOn, // an ordinary key: the editor handles it
    Commit, // write the text into the cell and close
    Discard, // close, the cell keeps its text
    MoveUp,
    MoveDown,
    MoveLeft,
    MoveRight,
    CaretToStart, // end the whole-text selection with the caret at the start
    CaretToEnd, // end the whole-text selection with the caret at the end
};

// The editor and grid state a key decision looks at. caret is the selection start
// when text is selected, otherwise the cursor position.
struct EditorKeyState
{
    int caret = 0;
    int selectionLength = 0;
    int textLength = 0;
    int row = 1;
    int col = 1;
    int rows = 2;
    int cols = 2;
    int fixedRows = 1;
};

// The action for a Qt key code. Up on the first data row and Down on the last one
// close the editor as Enter does; Left and Right in the first and last data
// columns leave it open.
EditorKeyAction editorKeyAction(int key, const EditorKeyState &state);

} // namespace CoolFlexLogic

// An editable table: a grid of text cells under one fixed heading row and beside
// one fixed first column, whose other cells are edited in place by a text box, a
// drop-down list, a check mark or a button, chosen per column. Row 0 is the
// heading row and column 0 the fixed column in every row and column index below;
// on screen they are the grid's header views, so they stay put while the cells
// scroll, and TextMatrix(0, c) and TextMatrix(r, 0) are their texts.
class CoolFlex : public QWidget
{
    Q_OBJECT

public:
    // The cell type of a column, as ColType takes it.
    enum CellType : int { CellText = 0, CellCheckBox = 1, CellComboBox = 2, CellButton = 3 };
    // The picture shown in a check-box or button cell instead of its text.
    enum class CellPicture : int { None = 0, Checked, Unchecked, ButUpOut, ButUpIn, ButDelOut, ButDelIn };

    static constexpr std::chrono::milliseconds kButtonPressTime {200};
    static constexpr int kTwipsPerInch = 1440;

    explicit CoolFlex(QWidget *parent = nullptr);
    ~CoolFlex() override;

    // Twips (1/1440 inch) to device-independent pixels at dpi dots per inch, and
    // back; the widget's own conversions use its logical DPI.
    static int twipsToPixels(int twips, int dpi);
    static int pixelsToTwips(int pixels, int dpi);
    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;

    // Methods. Those returning bool refuse an index outside the grid or the
    // column-type table with false and change nothing.
    bool ColType(int colNumber, int eType, bool bType);
    bool ComboBoxAddItem(int colNumber, const QString &Item);
    bool ComboBoxClear(int colNumber);
    bool ComboBoxRemoveItem(int colNumber, int index);
    void Clear();
    bool RemoveItem(int row);
    void SortOnHeaderClick(bool SortOn, int newValue);

    // Properties.
    QString TextMatrix(int row, int col) const;
    bool setTextMatrix(int row, int col, const QString &text);
    QString text() const;
    void setText(const QString &text);
    int Cols() const;
    void setCols(int cols);
    int Rows() const;
    void setRows(int rows);
    int Col() const;
    bool setCol(int col);
    int Row() const;
    bool setRow(int row);
    int Colsel() const;
    bool setColsel(int col);
    int Rowsel() const;
    bool setRowsel(int row);
    bool setColWidth(int col, int twips);
    // The grid always has exactly one fixed row and one fixed column; the setters
    // accept only 1.
    int FixedCols() const { return 1; }
    bool setFixedCols(int cols) { return cols == 1; }
    int FixedRows() const { return 1; }
    bool setFixedRows(int rows) { return rows == 1; }
    int MouseCol() const { return m_mouseCol; }
    int MouseRow() const { return m_mouseRow; }
    bool EditEnable() const { return m_editEnable; }
    void setEditEnable(bool enable) { m_editEnable = enable; }
    int EditTextLenght() const { return m_editTextLength; }
    void setEditTextLenght(int length);
    bool GridEnabled() const;
    void setGridEnabled(bool enabled);
    bool HideCol(int col) const;
    bool setHideCol(int col, bool hide);
    bool HideRow(int row) const;
    bool setHideRow(int row, bool hide);
    void setSort(int mode);
    // -1 for a column without a list.
    int ComboBoxListCount(int colNumber) const;
    int ComboBoxListIndex(int colNumber) const;
    bool setComboBoxListIndex(int colNumber, int index);
    int ComboBoxItemData(int colNumber, int index) const;
    bool setComboBoxItemData(int colNumber, int index, int value);

    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);
    QColor BackColorBkg() const { return m_backColorBkg; }
    void setBackColorBkg(const QColor &color);
    QColor BackColorFixed() const { return m_backColorFixed; }
    void setBackColorFixed(const QColor &color);
    QColor BackColorSel() const { return m_backColorSel; }
    void setBackColorSel(const QColor &color);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor &color);
    QColor ForeColorFixed() const { return m_foreColorFixed; }
    void setForeColorFixed(const QColor &color);
    QColor ForeColorSel() const { return m_foreColorSel; }
    void setForeColorSel(const QColor &color);
    QColor GridColor() const { return m_gridColor; }
    void setGridColor(const QColor &color);
    // The fixed cells are drawn by the headings, which keep the style's lines.
    QColor GridColorFixed() const { return m_gridColorFixed; }
    void setGridColorFixed(const QColor &color) { m_gridColorFixed = color; }

    // 0 no lines, any other value solid lines.
    int GridLines() const;
    void setGridLines(int lines);
    // 0 none, 1 horizontal, 2 vertical, 3 both (shown as needed).
    int ScrollBars() const { return m_scrollBars; }
    void setScrollBars(int bars);
    bool WordWrap() const;
    void setWordWrap(bool wrap);
    bool Redraw() const;
    void setRedraw(bool redraw);
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    // Our own additions, for hosts and tests.
    QTableWidget *grid() const { return MSFlexGrid1; }
    QLineEdit *textEditor() const { return Text1; }
    QComboBox *comboBox(int colNumber) const;
    int columnType(int col) const;
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
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QTableWidgetItem *cellItem(int row, int col) const;
    bool isDataCell(int row, int col) const;
    void ensureItems();
    void updateRowHeight();
    QComboBox *makeComboBox(int index);

    void runClick(int targetRow, int targetCol);
    void openTextEditor();
    void openComboBox();
    void toggleCheckBox();
    void pressButton(int row, int col);
    void releaseButton();
    void handleEditorKey(QKeyEvent *event, bool *consumed);
    void moveTo(int row, int col);
    void placeEditors();

    void commitEditors();
    void discardEditors();
    void closeTextEditor(bool write);
    void closeComboBox(QComboBox *combo, bool write);
    void writeEditCell(const QString &text);
    void onCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void onFocusChanged(QWidget *old, QWidget *now);

    void trackMouse(QObject *watched, const QPoint &pos);
    void paintCorner(QAbstractButton *corner);
    void sortRows(int mode, int firstRow, int lastRow, int firstKeyCol, int lastKeyCol);

    void setPicture(int row, int col, CellPicture picture, const QColor &background);
    void DrawCheckBoxes();
    void DrawButtonColumn(int col, bool bType);
    void showCellPicture(int row, int col);
    CellPicture buttonPicture(int col, bool pressed) const;

    QTableWidget *MSFlexGrid1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QVector<QComboBox *> Combo1;
    QAbstractButton *m_corner = nullptr;
    QString m_cornerText;

    QVector<int> m_colTypes;
    bool m_colsReady = false;
    // Button kind (true: up, false: delete) of each button column, keyed by column.
    QHash<int, bool> m_buttonKinds;
    int m_editCol = 0;
    QPersistentModelIndex m_editIndex;
    bool m_editEnable = false;
    int m_editTextLength = 0;
    bool m_headerSortOn = false;
    int m_headerSortMode = 0;

    int m_mouseRow = -1;
    int m_mouseCol = -1;
    bool m_leftPressed = false;
    bool m_pressWasDouble = false;

    QTimer *m_buttonTimer = nullptr;
    std::chrono::milliseconds m_buttonPressTime = kButtonPressTime;
    QPersistentModelIndex m_pressedButton;

    QColor m_backColor;
    QColor m_backColorBkg;
    QColor m_backColorFixed;
    QColor m_backColorSel;
    QColor m_foreColor;
    QColor m_foreColorFixed;
    QColor m_foreColorSel;
    QColor m_gridColor;
    QColor m_gridColorFixed;
    int m_scrollBars = 3;
    QString m_tag;
};
