#pragma once

#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

class QAbstractItemView;
class QComboBox;
class QKeyEvent;
class QLineEdit;

// Draws and edits the cells of a grid editor's view over a CoolFlexModel. Text
// columns are edited in the one text box Text1, list columns in the drop-down
// list of their column (the Combo1 family, one list per grid column, so that a
// column's list keeps its entries between edits). The editors are made once and
// kept: the view opens and closes them as it does any delegate's editors, and at
// most one is open at a time. Check-box and button cells are drawn as their
// pictures on a white or light grey background.
//
// While an editor is open the delegate also decides its keys (Enter writes,
// Escape discards, the arrow keys move to the next cell as CoolFlexLogic says)
// and what focus leaving it means: focus taken by another control of the window
// writes the text into the cell, focus moving inside the grid or lost to another
// window or to nothing keeps the editor open.
class CoolFlexDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit CoolFlexDelegate(QAbstractItemView *view);

    QLineEdit *textEditor() const { return m_text; }
    // The list of a grid column; nullptr past the lists made so far.
    QComboBox *comboBox(int col) const;
    // Makes the lists of columns 0 to count - 1; lists are never taken away.
    void setComboBoxCount(int count);
    // The most characters typing may put in the text box; 0 for no limit.
    int editTextLength() const { return m_editTextLength; }
    void setEditTextLength(int length);

    // The editor open on a cell and that cell; nullptr and invalid while none is.
    QWidget *openEditor() const { return m_openEditor; }
    QModelIndex editIndex() const { return m_editIndex; }
    // Writes the open editor's text into its cell when write is true, then
    // closes the editor; the grid takes the focus back from it.
    void closeOpenEditor(bool write);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(
        QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    // An entry picked in the open list has been written into its cell.
    void listEntryPicked();
    // The operator changed the text of a list.
    void listTextEdited();

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *makeComboBox(int col);
    int maxLengthFor(qsizetype textLength) const;
    bool textKeyPressed(QKeyEvent *event);
    bool listKeyPressed(QComboBox *list, QKeyEvent *event);
    void moveTo(int row, int col);
    void editorLostFocus();

    QAbstractItemView *m_view = nullptr;
    QLineEdit *m_text = nullptr;
    QList<QComboBox *> m_lists;
    int m_editTextLength = 0;
    // The view asks for editors through const functions; which one is open is
    // the delegate's own record of what the view did.
    mutable QPointer<QWidget> m_openEditor;
    mutable QPersistentModelIndex m_editIndex;
};
