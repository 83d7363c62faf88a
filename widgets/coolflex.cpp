#include "coolflex.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <numeric>
#include <utility>

namespace CoolFlexLogic {

double leadingNumber(const QString &text, bool *found)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = number.match(text);
    if (found)
        *found = match.hasMatch();
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

namespace {

int compareNumbers(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// A generic key is a number when the whole text (blanks aside) reads as one.
bool wholeNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok;
}

int compareAscending(const QString &a, const QString &b, int mode)
{
    switch (mode) {
    case SortGenericAscending:
    case SortGenericDescending: {
        double x = 0;
        double y = 0;
        const bool xNumber = wholeNumber(a, &x);
        const bool yNumber = wholeNumber(b, &y);
        if (xNumber && yNumber)
            return compareNumbers(x, y);
        if (xNumber != yNumber)
            return xNumber ? -1 : 1;
        return a.compare(b, Qt::CaseInsensitive);
    }
    case SortNumericAscending:
    case SortNumericDescending:
        return compareNumbers(leadingNumber(a), leadingNumber(b));
    case SortStringNoCaseAscending:
    case SortStringNoCaseDescending:
        return a.compare(b, Qt::CaseInsensitive);
    case SortStringAscending:
    case SortStringDescending:
        return a.compare(b, Qt::CaseSensitive);
    default:
        return 0;
    }
}

} // namespace

int compareCells(const QString &a, const QString &b, int mode)
{
    const int result = compareAscending(a, b, mode);
    const bool descending = mode == SortGenericDescending || mode == SortNumericDescending
        || mode == SortStringNoCaseDescending || mode == SortStringDescending;
    return descending ? -result : result;
}

EditorKeyAction editorKeyAction(int key, const EditorKeyState &s)
{
    const bool wholeSelected = s.textLength > 0 && s.caret == 0 && s.selectionLength == s.textLength;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EditorKeyAction::Commit;
    case Qt::Key_Escape:
        return EditorKeyAction::Discard;
    // On the last (first) data row there is no row to move to: the editor closes
    // as on Enter and leaves the grid on the same cell.
    case Qt::Key_Down:
        return s.row < s.rows - 1 ? EditorKeyAction::MoveDown : EditorKeyAction::Commit;
    case Qt::Key_Up:
        return s.row > s.fixedRows ? EditorKeyAction::MoveUp : EditorKeyAction::Commit;
    case Qt::Key_Left:
        if (s.col <= 1)
            return EditorKeyAction::PassOn;
        if (s.caret == 0 && s.selectionLength == 0)
            return EditorKeyAction::MoveLeft;
        return wholeSelected ? EditorKeyAction::CaretToStart : EditorKeyAction::PassOn;
    case Qt::Key_Right:
        if (s.col >= s.cols - 1)
            return EditorKeyAction::PassOn;
        if (s.caret == s.textLength)
            return EditorKeyAction::MoveRight;
        return wholeSelected ? EditorKeyAction::CaretToEnd : EditorKeyAction::PassOn;
    default:
        return EditorKeyAction::PassOn;
    }
}

} // namespace CoolFlexLogic

namespace {

constexpr int kPictureRole = Qt::UserRole + 1;
// Back colours of check-box cells (white) and button cells (light grey).
const QColor kCheckBoxBack(255, 255, 255);
const QColor kButtonBack(224, 224, 224);
constexpr int kGridMarginTwips = 60;
constexpr int kDefaultColWidthTwips = 1300;

using CellPicture = CoolFlex::CellPicture;

// Draws a check-box or button cell's picture centred over the cell's back colour,
// in place of its text; other cells are drawn as usual.
class CellPictureDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const auto picture = static_cast<CellPicture>(index.data(kPictureRole).toInt());
        if (picture == CellPicture::None) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
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

private:
    static void drawCheckBox(QPainter *painter, const QStyleOptionViewItem &opt, QStyle *style, bool checked)
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

    static void drawButton(QPainter *painter, const QStyleOptionViewItem &opt, QStyle *style, CellPicture picture)
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
};

bool isSelfOrInside(const QWidget *widget, const QWidget *container)
{
    // Walks past window borders too, so that a list's popup counts as inside.
    for (; widget; widget = widget->parentWidget()) {
        if (widget == container)
            return true;
    }
    return false;
}

} // namespace

CoolFlex::CoolFlex(QWidget *parent)
    : QWidget(parent)
{
    MSFlexGrid1 = new QTableWidget(1, 1, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setItemDelegate(new CellPictureDelegate(MSFlexGrid1));
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Scrolling discards an open editor, so the grid must not scroll on its own
    // before a cell change has committed it; onCurrentChanged scrolls afterwards.
    MSFlexGrid1->setAutoScroll(false);
    MSFlexGrid1->setAlternatingRowColors(true);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->setTextElideMode(Qt::ElideRight);
    MSFlexGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    MSFlexGrid1->horizontalHeader()->setStretchLastSection(false);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(true);
    MSFlexGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    MSFlexGrid1->horizontalHeader()->setMinimumSectionSize(1);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    MSFlexGrid1->verticalHeader()->setMinimumSectionSize(1);
    MSFlexGrid1->verticalHeader()->setFixedWidth(twipsToPixelsX(kDefaultColWidthTwips));
    setFocusProxy(MSFlexGrid1);

    Text1 = new QLineEdit(MSFlexGrid1->viewport());
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFrame(false);
    Text1->hide();
    Text1->installEventFilter(this);
    connect(Text1, &QLineEdit::textEdited, this, [this](const QString &edited) {
        // A cell longer than the limit may be opened whole; typing never lengthens it further.
        if (m_editTextLength > 0)
            Text1->setMaxLength(std::max<int>(m_editTextLength, edited.size()));
    });

    Combo1.append(makeComboBox(0));

    m_buttonTimer = new QTimer(this);
    m_buttonTimer->setSingleShot(true);
    connect(m_buttonTimer, &QTimer::timeout, this, &CoolFlex::releaseButton);

    MSFlexGrid1->installEventFilter(this);
    MSFlexGrid1->viewport()->installEventFilter(this);
    MSFlexGrid1->viewport()->setMouseTracking(true);
    for (QHeaderView *header : {MSFlexGrid1->horizontalHeader(), MSFlexGrid1->verticalHeader()}) {
        header->viewport()->installEventFilter(this);
        header->viewport()->setMouseTracking(true);
        connect(header, &QHeaderView::sectionResized, this, &CoolFlex::placeEditors);
    }
    m_corner = MSFlexGrid1->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);

    connect(MSFlexGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this, &CoolFlex::onCurrentChanged);
    connect(MSFlexGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, &CoolFlex::discardEditors);
    connect(MSFlexGrid1->horizontalScrollBar(), &QScrollBar::valueChanged, this, &CoolFlex::discardEditors);
    connect(qApp, &QApplication::focusChanged, this, &CoolFlex::onFocusChanged);

    const QPalette palette = MSFlexGrid1->palette();
    m_backColor = palette.color(QPalette::Base);
    m_backColorBkg = palette.color(QPalette::Window);
    m_backColorFixed = palette.color(QPalette::Button);
    m_backColorSel = palette.color(QPalette::Highlight);
    m_foreColor = palette.color(QPalette::Text);
    m_foreColorFixed = palette.color(QPalette::ButtonText);
    m_foreColorSel = palette.color(QPalette::HighlightedText);
    m_gridColor = palette.color(QPalette::Mid);
    m_gridColorFixed = m_gridColor;

    // A fresh grid has two rows and two columns, the first of each fixed; the
    // columns are not ready (no column types) until Cols is set.
    updateRowHeight();
    ensureItems();
    resize(twipsToPixelsX(4 * kDefaultColWidthTwips), twipsToPixelsY(3000));
}

CoolFlex::~CoolFlex()
{
    // The grid and its parts go away after this object's own part: their last
    // signals (a cell change, a scroll range shrinking) must not reach it.
    disconnect(qApp, &QApplication::focusChanged, this, &CoolFlex::onFocusChanged);
    MSFlexGrid1->selectionModel()->disconnect(this);
    MSFlexGrid1->verticalScrollBar()->disconnect(this);
    MSFlexGrid1->horizontalScrollBar()->disconnect(this);
    MSFlexGrid1->horizontalHeader()->disconnect(this);
    MSFlexGrid1->verticalHeader()->disconnect(this);
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

int CoolFlex::twipsToPixelsY(int twips) const
{
    return twipsToPixels(twips, logicalDpiY());
}

// ---- grid model -------------------------------------------------------------

QTableWidgetItem *CoolFlex::cellItem(int row, int col) const
{
    if (row < 0 || col < 0 || row >= Rows() || col >= Cols())
        return nullptr;
    if (row == 0 && col == 0)
        return nullptr;
    if (row == 0)
        return MSFlexGrid1->horizontalHeaderItem(col - 1);
    if (col == 0)
        return MSFlexGrid1->verticalHeaderItem(row - 1);
    return MSFlexGrid1->item(row - 1, col - 1);
}

bool CoolFlex::isDataCell(int row, int col) const
{
    return row >= 1 && col >= 1 && row < Rows() && col < Cols();
}

void CoolFlex::ensureItems()
{
    const int rows = MSFlexGrid1->rowCount();
    const int cols = MSFlexGrid1->columnCount();
    for (int c = 0; c < cols; ++c) {
        if (!MSFlexGrid1->horizontalHeaderItem(c))
            MSFlexGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem);
    }
    for (int r = 0; r < rows; ++r) {
        if (!MSFlexGrid1->verticalHeaderItem(r))
            MSFlexGrid1->setVerticalHeaderItem(r, new QTableWidgetItem);
        for (int c = 0; c < cols; ++c) {
            if (MSFlexGrid1->item(r, c))
                continue;
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            MSFlexGrid1->setItem(r, c, item);
        }
    }
    // A fresh grid stands on its first data cell, as the operator expects, without
    // reporting a cell change nobody made.
    if (!MSFlexGrid1->currentIndex().isValid() && rows > 0 && cols > 0) {
        const QSignalBlocker blocker(MSFlexGrid1->selectionModel());
        MSFlexGrid1->selectionModel()->setCurrentIndex(
            MSFlexGrid1->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    }
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
    if (row == 0 && col == 0)
        return m_cornerText;
    const QTableWidgetItem *item = cellItem(row, col);
    return item ? item->text() : QString();
}

bool CoolFlex::setTextMatrix(int row, int col, const QString &text)
{
    if (row == 0 && col == 0) {
        m_cornerText = text;
        if (m_corner)
            m_corner->update();
        return true;
    }
    QTableWidgetItem *item = cellItem(row, col);
    if (!item)
        return false;
    item->setText(text);
    return true;
}

QString CoolFlex::text() const
{
    return TextMatrix(Row(), Col());
}

void CoolFlex::setText(const QString &text)
{
    setTextMatrix(Row(), Col(), text);
}

int CoolFlex::Cols() const
{
    return MSFlexGrid1->columnCount() + 1;
}

void CoolFlex::setCols(int cols)
{
    cols = std::max(cols, 1);
    MSFlexGrid1->setColumnCount(cols - 1);
    ensureItems();
    m_colTypes = QVector<int>(cols, CellText);
    m_buttonKinds.clear();
    m_colsReady = true;
    for (int i = Combo1.size(); i < cols; ++i)
        Combo1.append(makeComboBox(i));
    // An editor whose cell went away has nothing left to write to.
    if (!m_editIndex.isValid())
        discardEditors();
}

int CoolFlex::Rows() const
{
    return MSFlexGrid1->rowCount() + 1;
}

void CoolFlex::setRows(int rows)
{
    MSFlexGrid1->setRowCount(std::max(rows, 1) - 1);
    ensureItems();
    // An editor whose cell went away has nothing left to write to.
    if (!m_editIndex.isValid())
        discardEditors();
    DrawCheckBoxes();
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
    MSFlexGrid1->setCurrentCell(Row() - 1, col - 1);
    return true;
}

bool CoolFlex::setRow(int row)
{
    if (!isDataCell(row, Col()))
        return false;
    MSFlexGrid1->setCurrentCell(row - 1, Col() - 1);
    return true;
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

bool CoolFlex::setColsel(int col)
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid() || !isDataCell(Rowsel(), col))
        return false;
    const QModelIndex end = MSFlexGrid1->model()->index(Rowsel() - 1, col - 1);
    MSFlexGrid1->selectionModel()->select(QItemSelection(current, end), QItemSelectionModel::ClearAndSelect);
    return true;
}

bool CoolFlex::setRowsel(int row)
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid() || !isDataCell(row, Colsel()))
        return false;
    const QModelIndex end = MSFlexGrid1->model()->index(row - 1, Colsel() - 1);
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

void CoolFlex::setEditTextLenght(int length)
{
    m_editTextLength = std::max(length, 0);
    Text1->setMaxLength(m_editTextLength > 0 ? std::max<int>(m_editTextLength, Text1->text().size()) : 32767);
}

bool CoolFlex::GridEnabled() const
{
    return MSFlexGrid1->isEnabled();
}

void CoolFlex::setGridEnabled(bool enabled)
{
    MSFlexGrid1->setEnabled(enabled);
    if (!enabled) {
        discardEditors();
    } else if (Text1->isHidden()) {
        // An editor open on an enabled grid keeps what the operator typed.
        Text1->clear();
    }
}

int CoolFlex::columnType(int col) const
{
    return col >= 0 && col < m_colTypes.size() ? m_colTypes.at(col) : CellText;
}

CoolFlex::CellPicture CoolFlex::cellPicture(int row, int col) const
{
    const QTableWidgetItem *item = isDataCell(row, col) ? cellItem(row, col) : nullptr;
    return item ? static_cast<CellPicture>(item->data(kPictureRole).toInt()) : CellPicture::None;
}

QRect CoolFlex::cellRect(int row, int col) const
{
    if (!isDataCell(row, col))
        return {};
    return MSFlexGrid1->visualRect(MSFlexGrid1->model()->index(row - 1, col - 1));
}

// ---- methods ------------------------------------------------------------------

bool CoolFlex::ColType(int colNumber, int eType, bool bType)
{
    if (colNumber < 0 || colNumber >= m_colTypes.size())
        return false;
    const int previous = m_colTypes.at(colNumber);
    m_colTypes[colNumber] = eType;
    if ((previous == CellCheckBox || previous == CellButton) && previous != eType) {
        for (int r = 1; r < Rows(); ++r) {
            if (QTableWidgetItem *item = cellItem(r, colNumber)) {
                item->setData(kPictureRole, QVariant());
                item->setData(Qt::BackgroundRole, QVariant());
            }
        }
        m_buttonKinds.remove(colNumber);
    }
    if (eType == CellCheckBox)
        DrawCheckBoxes();
    else if (eType == CellButton)
        DrawButtonColumn(colNumber, bType);
    return true;
}

QComboBox *CoolFlex::comboBox(int colNumber) const
{
    return colNumber >= 0 && colNumber < Cols() ? Combo1.value(colNumber) : nullptr;
}

QComboBox *CoolFlex::makeComboBox(int index)
{
    auto *combo = new QComboBox(MSFlexGrid1->viewport());
    combo->setObjectName(QStringLiteral("Combo1"));
    combo->setProperty("Index", index);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setFrame(false);
    combo->hide();
    combo->installEventFilter(this);
    combo->lineEdit()->installEventFilter(this);
    connect(combo, &QComboBox::activated, this, [this, combo](int entry) {
        writeEditCell(combo->itemText(entry));
        closeComboBox(combo, false);
        emit CellComboBoxClick(Col(), text());
    });
    connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this] { emit CellComboBoxChange(Col()); });
    return combo;
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

bool CoolFlex::ComboBoxClear(int colNumber)
{
    QComboBox *combo = comboBox(colNumber);
    if (!combo)
        return false;
    combo->clear();
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

int CoolFlex::ComboBoxListIndex(int colNumber) const
{
    const QComboBox *combo = comboBox(colNumber);
    return combo ? combo->currentIndex() : -1;
}

bool CoolFlex::setComboBoxListIndex(int colNumber, int index)
{
    QComboBox *combo = comboBox(colNumber);
    if (!combo || index < -1 || index >= combo->count())
        return false;
    combo->setCurrentIndex(index);
    return true;
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
    for (QComboBox *combo : std::as_const(Combo1)) {
        if (combo) {
            combo->clearEditText();
            combo->hide();
        }
    }
    m_cornerText.clear();
    for (int r = 0; r < Rows(); ++r) {
        for (int c = 0; c < Cols(); ++c) {
            if (QTableWidgetItem *item = cellItem(r, c)) {
                item->setText(QString());
                item->setData(kPictureRole, QVariant());
                item->setData(Qt::BackgroundRole, QVariant());
            }
        }
    }
    if (m_corner)
        m_corner->update();
    DrawCheckBoxes();
}

bool CoolFlex::RemoveItem(int row)
{
    if (row < 1 || row >= Rows())
        return false;
    // Discarded first: the row change that follows must not commit into the row.
    discardEditors();
    MSFlexGrid1->removeRow(row - 1);
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

    std::vector<int> order(lastRow - firstRow + 1);
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
    struct RowItems
    {
        QTableWidgetItem *heading;
        std::vector<QTableWidgetItem *> cells;
    };
    std::vector<RowItems> taken;
    taken.reserve(order.size());
    const int cols = MSFlexGrid1->columnCount();
    for (const int row : order) {
        RowItems items {MSFlexGrid1->takeVerticalHeaderItem(row - 1), {}};
        for (int c = 0; c < cols; ++c)
            items.cells.push_back(MSFlexGrid1->takeItem(row - 1, c));
        taken.push_back(std::move(items));
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        const int row = firstRow + int(i) - 1;
        MSFlexGrid1->setVerticalHeaderItem(row, taken[i].heading);
        for (int c = 0; c < cols; ++c)
            MSFlexGrid1->setItem(row, c, taken[i].cells[c]);
    }
}

// ---- pictures -----------------------------------------------------------------

void CoolFlex::setPicture(int row, int col, CellPicture picture, const QColor &background)
{
    QTableWidgetItem *item = isDataCell(row, col) ? cellItem(row, col) : nullptr;
    if (!item)
        return;
    item->setData(kPictureRole, picture == CellPicture::None ? QVariant() : QVariant(int(picture)));
    item->setBackground(background);
}

CoolFlex::CellPicture CoolFlex::buttonPicture(int col, bool pressed) const
{
    const bool up = m_buttonKinds.value(col, false);
    if (up)
        return pressed ? CellPicture::ButUpIn : CellPicture::ButUpOut;
    return pressed ? CellPicture::ButDelIn : CellPicture::ButDelOut;
}

void CoolFlex::DrawCheckBoxes()
{
    if (!m_colsReady)
        return;
    for (int c = 1; c < Cols(); ++c) {
        if (columnType(c) != CellCheckBox)
            continue;
        for (int r = 1; r < Rows(); ++r)
            setPicture(r, c, TextMatrix(r, c) == QLatin1String("C") ? CellPicture::Checked : CellPicture::Unchecked,
                kCheckBoxBack);
    }
}

void CoolFlex::DrawButtonColumn(int col, bool bType)
{
    if (!m_colsReady)
        return;
    m_buttonKinds.insert(col, bType);
    for (int r = 1; r < Rows(); ++r)
        setPicture(r, col, buttonPicture(col, false), kButtonBack);
}

void CoolFlex::showCellPicture(int row, int col)
{
    const QString value = TextMatrix(row, col);
    const int type = columnType(col);
    if (type == CellCheckBox) {
        CellPicture picture = CellPicture::None;
        if (value == QLatin1String("U"))
            picture = CellPicture::Unchecked;
        else if (value == QLatin1String("C"))
            picture = CellPicture::Checked;
        setPicture(row, col, picture, kCheckBoxBack);
    } else if (type == CellButton) {
        CellPicture picture = CellPicture::None;
        if (value == QLatin1String("U"))
            picture = buttonPicture(col, false);
        else if (value == QLatin1String("P"))
            picture = buttonPicture(col, true);
        setPicture(row, col, picture, kButtonBack);
    }
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
    const int type = columnType(col);
    const bool pictured = col > 0 && (type == CellCheckBox || type == CellButton);
    QHeaderView *fixedCol = MSFlexGrid1->verticalHeader();
    if (hide) {
        if (pictured) {
            for (int r = 1; r < Rows(); ++r)
                setPicture(r, col, CellPicture::None, type == CellCheckBox ? kCheckBoxBack : kButtonBack);
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
        const int type = columnType(c);
        if (type != CellCheckBox && type != CellButton)
            continue;
        if (hide)
            setPicture(row, c, CellPicture::None, type == CellCheckBox ? kCheckBoxBack : kButtonBack);
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

// ---- colours and pass-through properties ----------------------------------------

namespace {

void setRoleColor(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &color)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role : roles)
        palette.setColor(role, color);
    widget->setPalette(palette);
}

} // namespace

void CoolFlex::setBackColor(const QColor &color)
{
    m_backColor = color;
    QPalette palette = MSFlexGrid1->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::AlternateBase, color.darker(104));
    MSFlexGrid1->setPalette(palette);
}

void CoolFlex::setBackColorBkg(const QColor &color)
{
    m_backColorBkg = color;
    setRoleColor(this, {QPalette::Window}, color);
    setAutoFillBackground(true);
}

void CoolFlex::setBackColorFixed(const QColor &color)
{
    m_backColorFixed = color;
    for (QWidget *fixed : {static_cast<QWidget *>(MSFlexGrid1->horizontalHeader()),
             static_cast<QWidget *>(MSFlexGrid1->verticalHeader()), static_cast<QWidget *>(m_corner)}) {
        if (fixed)
            setRoleColor(fixed, {QPalette::Button, QPalette::Window}, color);
    }
}

void CoolFlex::setBackColorSel(const QColor &color)
{
    m_backColorSel = color;
    setRoleColor(MSFlexGrid1, {QPalette::Highlight}, color);
}

void CoolFlex::setForeColor(const QColor &color)
{
    m_foreColor = color;
    setRoleColor(MSFlexGrid1, {QPalette::Text}, color);
}

void CoolFlex::setForeColorFixed(const QColor &color)
{
    m_foreColorFixed = color;
    for (QWidget *fixed : {static_cast<QWidget *>(MSFlexGrid1->horizontalHeader()),
             static_cast<QWidget *>(MSFlexGrid1->verticalHeader()), static_cast<QWidget *>(m_corner)}) {
        if (fixed)
            setRoleColor(fixed, {QPalette::ButtonText, QPalette::WindowText}, color);
    }
}

void CoolFlex::setForeColorSel(const QColor &color)
{
    m_foreColorSel = color;
    setRoleColor(MSFlexGrid1, {QPalette::HighlightedText}, color);
}

void CoolFlex::setGridColor(const QColor &color)
{
    m_gridColor = color;
    // Styles take the line colour from different palette roles; the sheet
    // property is the one every style honours.
    MSFlexGrid1->setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }").arg(color.name()));
}

int CoolFlex::GridLines() const
{
    return MSFlexGrid1->showGrid() ? 1 : 0;
}

void CoolFlex::setGridLines(int lines)
{
    MSFlexGrid1->setShowGrid(lines != 0);
}

void CoolFlex::setScrollBars(int bars)
{
    m_scrollBars = bars;
    MSFlexGrid1->setHorizontalScrollBarPolicy((bars & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setVerticalScrollBarPolicy((bars & 2) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

bool CoolFlex::WordWrap() const
{
    return MSFlexGrid1->wordWrap();
}

void CoolFlex::setWordWrap(bool wrap)
{
    MSFlexGrid1->setWordWrap(wrap);
}

bool CoolFlex::Redraw() const
{
    return MSFlexGrid1->updatesEnabled();
}

void CoolFlex::setRedraw(bool redraw)
{
    MSFlexGrid1->setUpdatesEnabled(redraw);
}

// ---- clicks, editors and cell changes ---------------------------------------------

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
    switch (columnType(m_editCol)) {
    case CellText:
        if (inData)
            openTextEditor();
        emit Click();
        break;
    case CellComboBox:
        if (inData)
            openComboBox();
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

void CoolFlex::openTextEditor()
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid())
        return;
    if (!Text1->isHidden() && m_editIndex == current) {
        // Already open here: keep what the operator typed.
        Text1->setFocus(Qt::OtherFocusReason);
        Text1->selectAll();
        return;
    }
    commitEditors();
    m_editIndex = current;
    // A screen reader names the editor by the heading the operator reads above it.
    Text1->setAccessibleName(TextMatrix(0, current.column() + 1));
    const QPalette gridPalette = MSFlexGrid1->palette();
    QPalette palette = Text1->palette();
    palette.setColor(QPalette::Base, gridPalette.color(QPalette::Base));
    palette.setColor(QPalette::Text, gridPalette.color(QPalette::Text));
    Text1->setPalette(palette);
    Text1->setFont(MSFlexGrid1->font());
    const QString cellText = text();
    Text1->setMaxLength(m_editTextLength > 0 ? std::max<int>(m_editTextLength, cellText.size()) : 32767);
    Text1->setText(cellText);
    placeEditors();
    Text1->show();
    Text1->raise();
    Text1->setFocus(Qt::OtherFocusReason);
    Text1->selectAll();
}

void CoolFlex::openComboBox()
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    QComboBox *combo = comboBox(m_editCol);
    if (!current.isValid() || !combo)
        return;
    if (!combo->isHidden() && m_editIndex == current) {
        combo->setFocus(Qt::OtherFocusReason);
        combo->lineEdit()->selectAll();
        return;
    }
    commitEditors();
    m_editIndex = current;
    combo->setAccessibleName(TextMatrix(0, current.column() + 1));
    QPalette palette = combo->palette();
    palette.setColor(QPalette::Base, MSFlexGrid1->palette().color(QPalette::Base));
    palette.setColor(QPalette::Text, MSFlexGrid1->palette().color(QPalette::Text));
    combo->setPalette(palette);
    combo->setFont(MSFlexGrid1->font());
    combo->setEditText(text());
    placeEditors();
    combo->show();
    combo->raise();
    combo->setFocus(Qt::OtherFocusReason);
    combo->lineEdit()->selectAll();
}

void CoolFlex::placeEditors()
{
    if (!m_editIndex.isValid())
        return;
    const QRect rect = MSFlexGrid1->visualRect(m_editIndex);
    if (!Text1->isHidden() || Text1->geometry() != rect)
        Text1->setGeometry(rect);
    if (QComboBox *combo = Combo1.value(m_editIndex.column() + 1))
        combo->setGeometry(rect);
}

void CoolFlex::toggleCheckBox()
{
    const bool checked = text() == QLatin1String("C");
    setText(checked ? QStringLiteral("U") : QStringLiteral("C"));
    setPicture(Row(), Col(), checked ? CellPicture::Unchecked : CellPicture::Checked, kCheckBoxBack);
    emit CellCheckBoxClick(Col(), checked ? 0 : 1);
}

void CoolFlex::pressButton(int row, int col)
{
    // A press still showing is finished first, so that no click is lost.
    if (m_buttonTimer->isActive()) {
        m_buttonTimer->stop();
        releaseButton();
    }
    m_pressedButton = QPersistentModelIndex(MSFlexGrid1->model()->index(row - 1, col - 1));
    setPicture(row, col, buttonPicture(col, true), kButtonBack);
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
    if (columnType(col) == CellButton)
        setPicture(row, col, buttonPicture(col, false), kButtonBack);
    emit CellButtonClick(row, col, 0);
}

void CoolFlex::moveTo(int row, int col)
{
    if (isDataCell(row, col))
        MSFlexGrid1->setCurrentCell(row - 1, col - 1);
}

void CoolFlex::handleEditorKey(QKeyEvent *event, bool *consumed)
{
    using namespace CoolFlexLogic;
    EditorKeyState state;
    state.caret = Text1->hasSelectedText() ? Text1->selectionStart() : Text1->cursorPosition();
    state.selectionLength = Text1->hasSelectedText() ? int(Text1->selectedText().size()) : 0;
    state.textLength = int(Text1->text().size());
    state.row = Row();
    state.col = Col();
    state.rows = Rows();
    state.cols = Cols();
    state.fixedRows = FixedRows();

    *consumed = true;
    switch (editorKeyAction(event->key(), state)) {
    case EditorKeyAction::Commit:
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
        closeTextEditor(true);
        break;
    case EditorKeyAction::Discard:
        closeTextEditor(false);
        break;
    case EditorKeyAction::MoveUp:
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
        moveTo(state.row - 1, state.col);
        break;
    case EditorKeyAction::MoveDown:
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
        moveTo(state.row + 1, state.col);
        break;
    case EditorKeyAction::MoveLeft:
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
        moveTo(state.row, state.col - 1);
        break;
    case EditorKeyAction::MoveRight:
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
        moveTo(state.row, state.col + 1);
        break;
    case EditorKeyAction::CaretToStart:
        Text1->setCursorPosition(0);
        break;
    case EditorKeyAction::CaretToEnd:
        Text1->setCursorPosition(state.textLength);
        break;
    case EditorKeyAction::PassOn:
        *consumed = false;
        break;
    }
}

void CoolFlex::writeEditCell(const QString &text)
{
    if (!m_editIndex.isValid())
        return;
    if (QTableWidgetItem *item = MSFlexGrid1->item(m_editIndex.row(), m_editIndex.column()))
        item->setText(text);
}

void CoolFlex::closeTextEditor(bool write)
{
    if (write && !Text1->isHidden())
        writeEditCell(Text1->text());
    // Focus goes back to the grid, not to whatever widget follows the editor.
    if (Text1->hasFocus())
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
    Text1->hide();
    Text1->clear();
}

void CoolFlex::closeComboBox(QComboBox *combo, bool write)
{
    if (!combo)
        return;
    if (write && !combo->isHidden())
        writeEditCell(combo->currentText());
    if (isSelfOrInside(QApplication::focusWidget(), combo))
        MSFlexGrid1->setFocus(Qt::OtherFocusReason);
    combo->hidePopup();
    combo->hide();
    combo->clearEditText();
}

void CoolFlex::commitEditors()
{
    if (!Text1->isHidden())
        closeTextEditor(true);
    for (QComboBox *combo : std::as_const(Combo1)) {
        if (combo && !combo->isHidden())
            closeComboBox(combo, true);
    }
}

void CoolFlex::discardEditors()
{
    if (!Text1->isHidden() || !Text1->text().isEmpty())
        closeTextEditor(false);
    for (QComboBox *combo : std::as_const(Combo1)) {
        if (combo && !combo->isHidden())
            closeComboBox(combo, false);
    }
}

void CoolFlex::onCurrentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (previous.isValid()) {
        commitEditors();
        emit LeaveCell();
    }
    if (current.isValid()) {
        m_editCol = Colsel();
        emit EnterCell(Rowsel(), Colsel(), QString());
    }
    emit RowColChange();
    if (current.isValid() && MSFlexGrid1->isVisible())
        MSFlexGrid1->scrollTo(current);
}

void CoolFlex::onFocusChanged(QWidget *old, QWidget *now)
{
    // Focus taken by another control (a Save button, say) commits the open
    // editor, so that what the operator sees in the cell is what the table holds.
    // Focus lost to another window or to nothing keeps the editor open.
    if (!now || isSelfOrInside(now, this) || now->window() != window())
        return;
    commitEditors();
}

// ---- events -----------------------------------------------------------------------

void CoolFlex::trackMouse(QObject *watched, const QPoint &pos)
{
    auto toGrid = [](int index) { return index < 0 ? -1 : index + 1; };
    if (watched == MSFlexGrid1->viewport()) {
        m_mouseRow = toGrid(MSFlexGrid1->rowAt(pos.y()));
        m_mouseCol = toGrid(MSFlexGrid1->columnAt(pos.x()));
    } else if (watched == MSFlexGrid1->horizontalHeader()->viewport()) {
        m_mouseRow = 0;
        m_mouseCol = toGrid(MSFlexGrid1->horizontalHeader()->logicalIndexAt(pos.x()));
    } else if (watched == MSFlexGrid1->verticalHeader()->viewport()) {
        m_mouseRow = toGrid(MSFlexGrid1->verticalHeader()->logicalIndexAt(pos.y()));
        m_mouseCol = 0;
    } else if (watched == m_corner) {
        m_mouseRow = 0;
        m_mouseCol = 0;
    }
}

void CoolFlex::paintCorner(QAbstractButton *corner)
{
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.text = m_cornerText;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Raised;
    if (corner->isDown())
        option.state |= QStyle::State_Sunken;
    QStylePainter painter(corner);
    painter.drawControl(QStyle::CE_Header, option);
}

bool CoolFlex::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == Text1 && type == QEvent::KeyPress) {
        bool consumed = false;
        handleEditorKey(static_cast<QKeyEvent *>(event), &consumed);
        return consumed;
    }
    if (watched == m_corner && type == QEvent::Paint) {
        paintCorner(m_corner);
        return true;
    }
    if (type == QEvent::KeyPress) {
        // The lists are watched together with their own text boxes.
        auto *combo = qobject_cast<QComboBox *>(watched);
        if (!combo && watched->parent())
            combo = qobject_cast<QComboBox *>(watched->parent());
        if (combo && Combo1.contains(combo) && !combo->view()->isVisible()) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Escape) {
                closeComboBox(combo, false);
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                closeComboBox(combo, true);
                return true;
            }
        }
    }
    if (watched == MSFlexGrid1 && type == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            runClick(Row(), Col());
            return true;
        }
        // Typing on the grid neither edits nor jumps to a matching row; a click
        // or Enter opens the editor.
        if (!key->text().isEmpty() && key->text().at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return true;
        return false;
    }

    const bool gridArea = watched == MSFlexGrid1->viewport() || watched == MSFlexGrid1->horizontalHeader()->viewport()
        || watched == MSFlexGrid1->verticalHeader()->viewport() || watched == m_corner;
    if (!gridArea)
        return QWidget::eventFilter(watched, event);
    switch (type) {
    case QEvent::MouseMove:
        trackMouse(watched, static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        trackMouse(watched, mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton) {
            m_leftPressed = true;
            m_pressWasDouble = false;
        }
        break;
    }
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        trackMouse(watched, mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton) {
            m_leftPressed = true;
            m_pressWasDouble = true;
        }
        emit DblClick();
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        trackMouse(watched, mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && m_leftPressed) {
            m_leftPressed = false;
            // The release that ends a double click makes no second click.
            if (!std::exchange(m_pressWasDouble, false))
                runClick(m_mouseRow, m_mouseCol);
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CoolFlex::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int margin = twipsToPixelsX(kGridMarginTwips);
    MSFlexGrid1->setGeometry(
        0, 0, std::max(0, width() - margin), std::max(0, height() - twipsToPixelsY(kGridMarginTwips)));
}

void CoolFlex::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
}
