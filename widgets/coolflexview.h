#pragma once

#include <QEvent>
#include <QTableView>

class CoolFlexModel;
class QAbstractButton;

// The grid of a grid editor: a table view of a CoolFlexModel whose headers stand
// for the heading row and the first column, with the corner's text drawn in the
// corner button, so that the headings stay put while the cells scroll. It edits
// nothing on its own: it reports the mouse and the Enter key, and the grid editor
// decides what they do.
class CoolFlexView : public QTableView
{
    Q_OBJECT

public:
    explicit CoolFlexView(CoolFlexModel *model, QWidget *parent = nullptr);

    // Opens the editor of a cell without the view's edit triggers; false when
    // the cell has none.
    bool editCell(const QModelIndex &index);

signals:
    // A mouse press, release, double click or move over the grid, at the grid
    // cell under the pointer: row 0 is the heading row, column 0 the first
    // column, -1 past the last row or column. Reported before the view acts on it.
    void pointerEvent(QEvent::Type type, Qt::MouseButton button, int row, int col);
    // Enter or Return on the grid itself.
    void enterPressed();
    // The current cell changed; the view has already written and closed an
    // editor open on the previous cell.
    void currentCellChanged(const QModelIndex &current, const QModelIndex &previous);

protected:
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void paintCorner();

    CoolFlexModel *m_model = nullptr;
    QAbstractButton *m_corner = nullptr;
};
