#include "coolflexdelegate.h"

#include "coolflexlogic.h"
#include "coolflexmodel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>

namespace {

using CellPicture = CoolFlexModel::CellPicture;

// Back colours of check-box cells (white) and button cells (light grey).
const QColor kCheckBoxBack(255, 255, 255);
const QColor kButtonBack(224, 224, 224);
// A line edit's own limit when none is set.
constexpr int kNoLimit = 32767;

bool isSelfOrInside(const QWidget *widget, const QWidget *container)
{
    // Walks past window borders too, so that a list's popup counts as inside.
    for (; widget; widget = widget->parentWidget()) {
        if (widget == container)
            return true;
    }
    return false;
}

void drawCheckBox(QPainter *painter, const QStyleOptionViewItem &opt, QStyle *style, bool checked)
{
    QStyleOptionButton box;
    box.QStyleOption::operator=(opt);
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &box, opt.widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &box, opt.widget);
    box.rect = QStyle::alignedRect(opt.direction, Qt::AlignCenter, QSize(w, h), opt.rect);
    box.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
    // The cell's selection colour would hide the box's own background.
    box.palette.setColor(QPalette::Base, kCheckBoxBack);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, opt.widget);
}

void drawButton(QPainter *painter, const QStyleOptionViewItem &opt, QStyle *style, CellPicture picture)
{
    const bool pressed = picture == CellPicture::ButUpIn || picture == CellPicture::ButDelIn;
    const bool up = picture == CellPicture::ButUpOut || picture == CellPicture::ButUpIn;
    QStyleOptionButton button;
    button.QStyleOption::operator=(opt);
    const int h = std::max(8, opt.rect.height() - 4);
    const int w = std::min(opt.rect.width() - 4, h * 2);
    button.rect = QStyle::alignedRect(opt.direction, Qt::AlignCenter, QSize(w, h), opt.rect);
    button.state = QStyle::State_Enabled | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
    button.palette = opt.widget ? opt.widget->palette() : QApplication::palette();
    style->drawControl(QStyle::CE_PushButtonBevel, &button, painter, opt.widget);

    const int glyph = std::max(6, h / 2);
    QRect mark = QStyle::alignedRect(opt.direction, Qt::AlignCenter, QSize(glyph, glyph), button.rect);
    if (pressed)
        mark.translate(1, 1);
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor ink = button.palette.color(QPalette::ButtonText);
    if (up) {
        const QPolygonF arrow({QPointF(mark.center().x() + 0.5, mark.top() + 1.0),
            QPointF(mark.right() + 1.0, mark.bottom()), QPointF(mark.left(), mark.bottom())});
        painter->setPen(Qt::NoPen);
        painter->setBrush(ink);
        painter->drawPolygon(arrow);
    } else {
        painter->setPen(QPen(QColor(192, 40, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
        const QRectF cross = QRectF(mark).adjusted(1.5, 1.5, -0.5, -0.5);
        painter->drawLine(cross.topLeft(), cross.bottomRight());
        painter->drawLine(cross.topRight(), cross.bottomLeft());
    }
}

} // namespace

CoolFlexDelegate::CoolFlexDelegate(QAbstractItemView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{
    m_text = new QLineEdit(view->viewport());
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setFrame(false);
    m_text->hide();
    connect(m_text, &QLineEdit::textEdited, this, [this](const QString &edited) {
        // A cell longer than the limit may be opened whole; typing never lengthens it further.
        m_text->setMaxLength(maxLengthFor(edited.size()));
    });
}

QComboBox *CoolFlexDelegate::comboBox(int col) const
{
    return m_lists.value(col, nullptr);
}

void CoolFlexDelegate::setComboBoxCount(int count)
{
    for (int col = int(m_lists.size()); col < count; ++col)
        m_lists.append(makeComboBox(col));
}

QComboBox *CoolFlexDelegate::makeComboBox(int col)
{
    auto *list = new QComboBox(m_view->viewport());
    list->setObjectName(QStringLiteral("Combo1"));
    list->setProperty("Index", col);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setFrame(false);
    list->hide();
    // Keys may be sent to the list's text box itself, past the list.
    list->lineEdit()->installEventFilter(this);
    connect(list, &QComboBox::activated, this, [this, list] {
        if (list != m_openEditor)
            return;
        closeOpenEditor(true);
        emit listEntryPicked();
    });
    connect(list->lineEdit(), &QLineEdit::textEdited, this, &CoolFlexDelegate::listTextEdited);
    return list;
}

void CoolFlexDelegate::setEditTextLength(int length)
{
    m_editTextLength = std::max(length, 0);
    m_text->setMaxLength(maxLengthFor(m_text->text().size()));
}

int CoolFlexDelegate::maxLengthFor(qsizetype textLength) const
{
    return m_editTextLength > 0 ? std::max<int>(m_editTextLength, int(textLength)) : kNoLimit;
}

void CoolFlexDelegate::closeOpenEditor(bool write)
{
    QWidget *editor = m_openEditor;
    if (!editor)
        return;
    // The popup closes first and gives the focus back to its list, so that the
    // view hands it on to the grid.
    if (auto *list = qobject_cast<QComboBox *>(editor))
        list->hidePopup();
    if (write)
        emit commitData(editor);
    emit closeEditor(editor);
}

QWidget *CoolFlexDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    switch (index.data(CoolFlexModel::CellTypeRole).toInt()) {
    case CoolFlexModel::CellText:
        return m_text;
    case CoolFlexModel::CellComboBox:
        return comboBox(index.column() + 1);
    default:
        return nullptr;
    }
}

void CoolFlexDelegate::destroyEditor(QWidget *editor, const QModelIndex &) const
{
    // The view has hidden the editor; it is kept for the next cell, empty.
    if (editor == m_openEditor) {
        m_openEditor = nullptr;
        m_editIndex = QPersistentModelIndex();
    }
    if (editor == m_text) {
        m_text->clear();
    } else if (auto *list = qobject_cast<QComboBox *>(editor)) {
        list->hidePopup();
        list->clearEditText();
    }
}

void CoolFlexDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // The view calls this as an editor opens, and again whenever its cell's text
    // changes while it is open (a record received, say). What the operator has
    // typed then stays, and is what the cell gets when the editor closes.
    if (editor == m_openEditor)
        return;
    m_openEditor = editor;
    m_editIndex = index;
    const QString text = index.data(Qt::EditRole).toString();
    // A screen reader names the editor by the heading the operator reads above it.
    editor->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
    if (editor == m_text) {
        m_text->setMaxLength(maxLengthFor(text.size()));
        m_text->setText(text);
        m_text->selectAll();
    } else if (auto *list = qobject_cast<QComboBox *>(editor)) {
        list->setEditText(text);
        list->lineEdit()->selectAll();
    }
}

void CoolFlexDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (editor == m_text)
        model->setData(index, m_text->text());
    else if (auto *list = qobject_cast<QComboBox *>(editor))
        model->setData(index, list->currentText());
}

void CoolFlexDelegate::updateEditorGeometry(
    QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &) const
{
    // The editor covers the whole cell, as if the cell itself were typed in.
    editor->setGeometry(option.rect);
}

void CoolFlexDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const int type = index.data(CoolFlexModel::CellTypeRole).toInt();
    if (type == CoolFlexModel::CellCheckBox)
        option->backgroundBrush = kCheckBoxBack;
    else if (type == CoolFlexModel::CellButton)
        option->backgroundBrush = kButtonBack;
}

void CoolFlexDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto picture = static_cast<CellPicture>(index.data(CoolFlexModel::PictureRole).toInt());
    if (picture == CellPicture::None) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The picture is drawn centred in place of the cell's text.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.features &= ~QStyleOptionViewItem::HasDisplay;
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    painter->save();
    if (picture == CellPicture::Checked || picture == CellPicture::Unchecked)
        drawCheckBox(painter, opt, style, picture == CellPicture::Checked);
    else
        drawButton(painter, opt, style, picture);
    painter->restore();
}

bool CoolFlexDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // Only the open editor's keys and focus count. Qt's own editor handling is
    // left out on purpose: Tab would open the next cell's editor, and losing the
    // focus to another window would write the text into the cell.
    if (!m_openEditor)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_text && m_openEditor == m_text)
            return textKeyPressed(key);
        auto *list = qobject_cast<QComboBox *>(watched);
        if (!list && watched->parent())
            list = qobject_cast<QComboBox *>(watched->parent());
        if (list && list == m_openEditor)
            return listKeyPressed(list, key);
    } else if (event->type() == QEvent::FocusOut && watched == m_openEditor) {
        editorLostFocus();
    }
    return false;
}

bool CoolFlexDelegate::textKeyPressed(QKeyEvent *event)
{
    using namespace CoolFlexLogic;
    const QAbstractItemModel *model = m_view->model();
    EditorKeyState state;
    state.caret = m_text->hasSelectedText() ? m_text->selectionStart() : m_text->cursorPosition();
    state.selectionLength = m_text->hasSelectedText() ? int(m_text->selectedText().size()) : 0;
    state.textLength = int(m_text->text().size());
    state.row = m_editIndex.row() + 1;
    state.col = m_editIndex.column() + 1;
    state.rows = model->rowCount() + 1;
    state.cols = model->columnCount() + 1;

    switch (editorKeyAction(event->key(), state)) {
    case EditorKeyAction::Commit:
        closeOpenEditor(true);
        return true;
    case EditorKeyAction::Discard:
        closeOpenEditor(false);
        return true;
    case EditorKeyAction::MoveUp:
        moveTo(state.row - 1, state.col);
        return true;
    case EditorKeyAction::MoveDown:
        moveTo(state.row + 1, state.col);
        return true;
    case EditorKeyAction::MoveLeft:
        moveTo(state.row, state.col - 1);
        return true;
    case EditorKeyAction::MoveRight:
        moveTo(state.row, state.col + 1);
        return true;
    case EditorKeyAction::CaretToStart:
        m_text->setCursorPosition(0);
        return true;
    case EditorKeyAction::CaretToEnd:
        m_text->setCursorPosition(state.textLength);
        return true;
    case EditorKeyAction::PassOn:
        break;
    }
    return false;
}

bool CoolFlexDelegate::listKeyPressed(QComboBox *list, QKeyEvent *event)
{
    // While its entries are shown, the list's keys are the list's own.
    if (list->view()->isVisible())
        return false;
    switch (event->key()) {
    case Qt::Key_Escape:
        closeOpenEditor(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        closeOpenEditor(true);
        return true;
    default:
        return false;
    }
}

void CoolFlexDelegate::moveTo(int row, int col)
{
    // The grid takes the focus first, which leaves the editor open; the cell
    // change then writes it into the cell it leaves.
    m_view->setFocus(Qt::OtherFocusReason);
    m_view->setCurrentIndex(m_view->model()->index(row - 1, col - 1));
}

void CoolFlexDelegate::editorLostFocus()
{
    // Focus taken by another control of the window (a Save button, say) writes
    // the text, so that what the operator sees in the cell is what the table
    // holds. A click on another cell writes it as the cell changes.
    QWidget *now = QApplication::focusWidget();
    if (!now || now->window() != m_view->window() || isSelfOrInside(now, m_view))
        return;
    closeOpenEditor(true);
}
