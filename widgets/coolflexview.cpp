#include "coolflexview.h"

#include "coolflexmodel.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStylePainter>

CoolFlexView::CoolFlexView(CoolFlexModel *model, QWidget *parent)
    : QTableView(parent)
    , m_model(model)
{
    setModel(model);
    // Editors open on a click or Enter only, as the grid editor decides.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Scrolling discards an open editor, so the view must not scroll on its own
    // before a cell change has written it; the grid editor scrolls afterwards.
    setAutoScroll(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setMinimumSectionSize(1);

    // The pointer is followed over the cells and over the headings.
    viewport()->setMouseTracking(true);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->viewport()->installEventFilter(this);
        header->viewport()->setMouseTracking(true);
    }
    // Qt's corner button draws no text and is not ours to replace: it is watched
    // to draw the corner's text and report clicks on it.
    m_corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner) {
        m_corner->installEventFilter(this);
        connect(model, &CoolFlexModel::cornerTextChanged, m_corner, qOverload<>(&QWidget::update));
    }
}

bool CoolFlexView::editCell(const QModelIndex &index)
{
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

namespace {

QMouseEvent *trackedMouseEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return static_cast<QMouseEvent *>(event);
    default:
        return nullptr;
    }
}

int gridIndex(int viewIndex)
{
    return viewIndex < 0 ? -1 : viewIndex + 1;
}

} // namespace

bool CoolFlexView::viewportEvent(QEvent *event)
{
    if (QMouseEvent *mouse = trackedMouseEvent(event)) {
        const QPoint pos = mouse->position().toPoint();
        emit pointerEvent(mouse->type(), mouse->button(), gridIndex(rowAt(pos.y())), gridIndex(columnAt(pos.x())));
    }
    return QTableView::viewportEvent(event);
}

bool CoolFlexView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && event->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    if (QMouseEvent *mouse = trackedMouseEvent(event)) {
        const QPoint pos = mouse->position().toPoint();
        if (watched == horizontalHeader()->viewport())
            emit pointerEvent(
                mouse->type(), mouse->button(), 0, gridIndex(horizontalHeader()->logicalIndexAt(pos.x())));
        else if (watched == verticalHeader()->viewport())
            emit pointerEvent(mouse->type(), mouse->button(), gridIndex(verticalHeader()->logicalIndexAt(pos.y())), 0);
        else if (watched == m_corner)
            emit pointerEvent(mouse->type(), mouse->button(), 0, 0);
    }
    return QTableView::eventFilter(watched, event);
}

void CoolFlexView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
        return;
    }
    // Typing on the grid neither edits nor jumps to a matching row; a click or
    // Enter opens the editor.
    if (!event->text().isEmpty() && event->text().at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    QTableView::keyPressEvent(event);
}

void CoolFlexView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    emit currentCellChanged(current, previous);
}

void CoolFlexView::paintCorner()
{
    QStyleOptionHeader option;
    option.initFrom(m_corner);
    option.rect = m_corner->rect();
    option.text = m_model->text(0, 0);
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Raised;
    if (m_corner->isDown())
        option.state |= QStyle::State_Sunken;
    QStylePainter painter(m_corner);
    painter.drawControl(QStyle::CE_Header, option);
}
