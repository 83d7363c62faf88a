#include "autocombo.h"

#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace {

const QString kShowCaption = QStringLiteral(">");
const QString kShownCaption = QStringLiteral("<");
const QColor kEnabledBackground {255, 255, 255};
const QColor kDisabledBackground {224, 224, 224};
constexpr int kListGap = 2; // pixels between the box and the list under it
constexpr int kListLinePadding = 8; // pixels added to the font height of a list line

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

// The chevrons of the list button are compiled into this static library.
static void initAutoComboResources()
{
    Q_INIT_RESOURCE(icons);
}

AutoCombo::AutoCombo(QWidget *parent)
    : QWidget(parent)
{
    initAutoComboResources();

    txt_ToComplete = new QLineEdit(this);
    txt_ToComplete->setObjectName(QStringLiteral("txt_ToComplete"));
    txt_ToComplete->installEventFilter(this);
    setFocusProxy(txt_ToComplete);

    cmdShowList = new QToolButton(this);
    cmdShowList->setObjectName(QStringLiteral("cmdShowList"));
    cmdShowList->setText(kShowCaption);
    cmdShowList->setToolTip(tr("Show the history"));
    cmdShowList->setToolButtonStyle(Qt::ToolButtonIconOnly);
    cmdShowList->setAutoRaise(true);
    cmdShowList->setCursor(Qt::ArrowCursor);
    cmdShowList->setIcon(QIcon(QStringLiteral(":/widgets/icons/chevron-down.svg")));
    connect(cmdShowList, &QToolButton::clicked, this, &AutoCombo::cmdShowList_Click);

    lstCompleted = new QListWidget(this);
    lstCompleted->setObjectName(QStringLiteral("lstCompleted"));
    lstCompleted->setAccessibleName(tr("Suggestions"));
    lstCompleted->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstCompleted->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstCompleted->setUniformItemSizes(true);
    lstCompleted->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *shadow = new QGraphicsDropShadowEffect(lstCompleted);
    shadow->setBlurRadius(12);
    shadow->setOffset(0, 3);
    shadow->setColor(QColor(0, 0, 0, 70));
    lstCompleted->setGraphicsEffect(shadow);
    lstCompleted->hide();
    lstCompleted->installEventFilter(this);
    connect(lstCompleted, &QListWidget::itemDoubleClicked, this, &AutoCombo::lstCompleted_DblClick);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setUcEnable(true);
    resize(sizeHint());
    layoutParts();
}

AutoCombo::~AutoCombo()
{
    if (m_listHost)
        m_listHost->removeEventFilter(this);
    // While shown the list lives in the window, which is not ours to clean up.
    if (lstCompleted && lstCompleted->parent() != this)
        delete lstCompleted;
}

void AutoCombo::setHistoryFolder(const QString &folder)
{
    m_history.setFolder(folder);
}

bool AutoCombo::INIT(const QString &sNameID)
{
    closeList();
    if (!m_history.load(sNameID))
        return false;
    if (txt_ToComplete->text().trimmed().isEmpty())
        txt_ToComplete->setText(m_history.entries().value(0));
    return true;
}

bool AutoCombo::adoptHistory(const AutoCompleteHistory &history)
{
    closeList();
    m_history = history;
    if (!m_history.errorText().isEmpty())
        return false;
    if (txt_ToComplete->text().trimmed().isEmpty())
        txt_ToComplete->setText(m_history.entries().value(0));
    return true;
}

bool AutoCombo::WriteToReg()
{
    return m_history.commit(text());
}

bool AutoCombo::AddItem(const QString &strItem)
{
    if (!m_history.append(strItem))
        return false;
    // The whole history on show takes the new value at once.
    if (isListShown() && cmdShowList->text() == kShownCaption) {
        auto *item = new QListWidgetItem(strItem, lstCompleted);
        item->setSizeHint(QSize(0, listRowHeight()));
        placeList();
    }
    return true;
}

QString AutoCombo::text() const
{
    return txt_ToComplete->text();
}

void AutoCombo::setUcEnable(bool enable)
{
    m_enabled = enable;
    if (!enable)
        closeList();
    txt_ToComplete->setEnabled(enable);
    cmdShowList->setEnabled(enable);
    QPalette palette = txt_ToComplete->palette();
    palette.setColor(QPalette::Base, enable ? kEnabledBackground : kDisabledBackground);
    txt_ToComplete->setPalette(palette);
}

QListWidget *AutoCombo::suggestionList() const
{
    return lstCompleted;
}

bool AutoCombo::isListShown() const
{
    return lstCompleted && lstCompleted->isVisible();
}

QSize AutoCombo::sizeHint() const
{
    return {txt_ToComplete->sizeHint().width() + cmdShowList->sizeHint().width(), boxHeight()};
}

QSize AutoCombo::minimumSizeHint() const
{
    return {txt_ToComplete->minimumSizeHint().width() + cmdShowList->sizeHint().width(), boxHeight()};
}

int AutoCombo::boxHeight() const
{
    return txt_ToComplete->sizeHint().height();
}

bool AutoCombo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txt_ToComplete)
        return boxEvent(event);
    if (watched == lstCompleted)
        return listEvent(event);
    if (watched == m_listHost && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)) {
        if (isListShown())
            placeList();
    }
    return QWidget::eventFilter(watched, event);
}

bool AutoCombo::boxEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        // Escape closes an open list and goes no further, so that a dialog is
        // not cancelled with it; it never opens the list.
        if (key == Qt::Key_Escape) {
            if (!isListShown())
                break;
            closeList();
            return true;
        }
        m_keysDownInBox.insert(key);
        break;
    }
    case QEvent::KeyRelease: {
        // Only keys pressed in the box count: the release of a key that picked
        // an entry in the list, or moved the focus here, belongs to that action.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (m_keysDownInBox.remove(key))
            boxKeyReleased(key);
        break;
    }
    case QEvent::FocusOut: {
        m_keysDownInBox.clear();
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        const QWidget *next = QApplication::focusWidget();
        // A list floating over other controls must not outlive the operator
        // moving on to them.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && next != lstCompleted
            && next != cmdShowList)
            closeList();
        break;
    }
    default:
        break;
    }
    return false;
}

void AutoCombo::boxKeyReleased(int key)
{
    const bool empty = txt_ToComplete->text().isEmpty();
    switch (key) {
    case Qt::Key_Backspace:
        if (empty && isListShown()) {
            txt_ToComplete->setFocus();
            closeList();
        } else if (!empty && !lstCompleted->selectedItems().isEmpty()) {
            emit ListOpened();
            refillList();
        }
        break;
    case Qt::Key_Space:
        closeList();
        break;
    case Qt::Key_Down:
        emit ListOpened();
        if (isListShown())
            lstCompleted->setFocus(Qt::OtherFocusReason);
        break;
    default:
        if (empty)
            break;
        refillList();
        if (lstCompleted->count() > 0) {
            emit ListOpened();
            openList();
            applyPickedTest();
        } else {
            closeList();
        }
        break;
    }
}

bool AutoCombo::listEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Backspace) {
            takeSelectedLine();
            m_picked = true;
            txt_ToComplete->setFocus(Qt::OtherFocusReason);
            closeList();
            return true;
        }
        if (isEnterKey(key)) {
            pickFromList();
            return true;
        }
        // Escape closes the list only; it would otherwise reach the dialog and
        // cancel it.
        if (key == Qt::Key_Escape) {
            txt_ToComplete->setFocus(Qt::OtherFocusReason);
            closeList();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        emit ListOpened();
        if (lstCompleted->count() > 0)
            lstCompleted->setCurrentRow(0);
        break;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason && isListShown())
            closeList();
        break;
    default:
        break;
    }
    return false;
}

void AutoCombo::cmdShowList_Click()
{
    if (isListShown()) {
        txt_ToComplete->setFocus(Qt::OtherFocusReason);
        closeList();
        return;
    }
    fillList(m_history.entries());
    setListButtonShowing(true);
    if (lstCompleted->count() > 0) {
        emit ListOpened();
        openList();
        applyPickedTest();
    } else {
        txt_ToComplete->setFocus(Qt::OtherFocusReason);
        closeList();
    }
}

void AutoCombo::lstCompleted_DblClick()
{
    takeSelectedLine();
    txt_ToComplete->setFocus(Qt::OtherFocusReason);
    closeList();
}

void AutoCombo::pickFromList()
{
    if (!lstCompleted->currentItem())
        return;
    lstCompleted_DblClick();
    emit EntryPicked();
}

void AutoCombo::takeSelectedLine()
{
    const QListWidgetItem *item = lstCompleted->currentItem();
    if (!item)
        return;
    txt_ToComplete->setText(item->text());
    txt_ToComplete->end(false);
}

void AutoCombo::fillList(const QStringList &lines)
{
    lstCompleted->clear();
    const QSize lineSize(0, listRowHeight());
    for (const QString &line : lines) {
        auto *item = new QListWidgetItem(line, lstCompleted);
        item->setSizeHint(lineSize);
    }
}

int AutoCombo::listRowHeight() const
{
    return fontMetrics().height() + kListLinePadding;
}

void AutoCombo::refillList()
{
    fillList(m_history.matches(txt_ToComplete->text()));
    setListButtonShowing(false);
    if (isListShown()) {
        if (lstCompleted->count() > 0)
            placeList();
        else
            closeList();
    }
}

void AutoCombo::applyPickedTest()
{
    if (!m_picked)
        return;
    m_picked = false;
    const QString typed = txt_ToComplete->text();
    for (int row = 0; row < lstCompleted->count(); ++row) {
        if (lstCompleted->item(row)->text().compare(typed, Qt::CaseInsensitive) == 0) {
            closeList();
            return;
        }
    }
}

void AutoCombo::openList()
{
    placeList();
    lstCompleted->show();
    lstCompleted->raise();
}

void AutoCombo::closeList()
{
    setListButtonShowing(false);
    if (!lstCompleted)
        return;
    const bool wasShown = lstCompleted->isVisible();
    lstCompleted->clear();
    lstCompleted->hide();
    if (window() == this && height() != boxHeight())
        resize(width(), boxHeight());
    if (wasShown)
        emit ListClosed();
}

void AutoCombo::setListButtonShowing(bool showing)
{
    cmdShowList->setText(showing ? kShownCaption : kShowCaption);
    cmdShowList->setIcon(QIcon(showing ? QStringLiteral(":/widgets/icons/chevron-up.svg")
                                       : QStringLiteral(":/widgets/icons/chevron-down.svg")));
}

void AutoCombo::placeList()
{
    if (!lstCompleted)
        return;
    QWidget *host = window();
    if (lstCompleted->parentWidget() != host) {
        if (m_listHost)
            m_listHost->removeEventFilter(this);
        lstCompleted->setParent(host);
        m_listHost = host;
        if (host != this)
            host->installEventFilter(this);
    }

    const int rows = qMax(1, lstCompleted->count());
    const int listHeight = rows * listRowHeight() + 2 * lstCompleted->frameWidth();
    const QRect box = txt_ToComplete->geometry();

    if (host == this) {
        // An input that is its own window has nothing to float over: it grows.
        const int grownHeight = box.height() + kListGap + listHeight;
        if (height() != grownHeight)
            resize(width(), grownHeight);
        lstCompleted->setGeometry(0, box.bottom() + 1 + kListGap, box.width(), listHeight);
        return;
    }

    const QPoint below = txt_ToComplete->mapTo(host, QPoint(0, box.height() + kListGap));
    const QPoint above = txt_ToComplete->mapTo(host, QPoint(0, -kListGap - listHeight));
    // Open upwards only when the window has no room below and has it above.
    const bool upwards = below.y() + listHeight > host->height() && above.y() >= 0;
    lstCompleted->setGeometry(QRect(upwards ? above : below, QSize(box.width(), listHeight)));
}

void AutoCombo::layoutParts()
{
    const int boxH = boxHeight();
    txt_ToComplete->setGeometry(0, 0, width(), boxH);
    // The button sits inside the right end of the box, like a drop-down arrow;
    // the text stops short of it.
    const int frame = 2;
    const int buttonSide = boxH - 2 * frame;
    cmdShowList->setGeometry(width() - buttonSide - frame, frame, buttonSide, buttonSide);
    cmdShowList->setIconSize(QSize(buttonSide - 6, buttonSide - 6));
    cmdShowList->raise();
    txt_ToComplete->setTextMargins(0, 0, buttonSide, 0);
}

void AutoCombo::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
    if (isListShown() && window() != this)
        placeList();
}

void AutoCombo::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (isListShown() && window() != this)
        placeList();
}

void AutoCombo::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A list living in the window would otherwise stay behind on another page.
    if (window() != this)
        closeList();
}

void AutoCombo::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateGeometry();
}
