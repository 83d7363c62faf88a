#include "statustext.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace {

// What assistive tools see of a status text: static text named by the panel's
// accessible name (or by its text when it has none), whose value and read-only
// text are the text shown. The text interface is what lets a screen reader read
// a static text's content beside its name, and hear a new one as a text update.
class StatusTextAccessible final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit StatusTextAccessible(StatusText *widget)
        : QAccessibleWidget(widget, QAccessible::StaticText)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        switch (type) {
        case QAccessible::Name: {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? shown() : name;
        }
        case QAccessible::Value:
            return shown();
        default:
            return QAccessibleWidget::text(type);
        }
    }

    // The text is read only and has neither caret nor selection.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    void scrollToSubstring(int, int) override { }

    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        const qsizetype start = std::clamp<qsizetype>(startOffset, 0, all.size());
        const qsizetype end = std::clamp<qsizetype>(endOffset, start, all.size());
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(shown().size()); }

    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

    // Characters are laid out as paintEvent draws them: from the left edge,
    // centred vertically; those cut off at the right have no rectangle.
    QRect characterRect(int offset) const override
    {
        const QString all = shown();
        if (offset < 0 || offset >= all.size())
            return QRect();
        const QFontMetrics metrics = widget()->fontMetrics();
        const int x = metrics.horizontalAdvance(all.left(offset));
        if (x >= widget()->width())
            return QRect();
        const int y = (widget()->height() - metrics.height()) / 2;
        return QRect(widget()->mapToGlobal(QPoint(x, y)),
            QSize(metrics.horizontalAdvance(all.at(offset)), metrics.height()));
    }

    int offsetAtPoint(const QPoint &point) const override
    {
        const int x = widget()->mapFromGlobal(point).x();
        const QString all = shown();
        const QFontMetrics metrics = widget()->fontMetrics();
        if (x < 0 || x >= widget()->width())
            return -1;
        for (int i = 0; i < all.size(); ++i) {
            if (x < metrics.horizontalAdvance(all.left(i + 1)))
                return i;
        }
        return -1;
    }

private:
    QString shown() const { return static_cast<const StatusText *>(widget())->text(); }
};

QAccessibleInterface *statusTextAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("StatusText") && object && object->isWidgetType())
        return new StatusTextAccessible(static_cast<StatusText *>(object));
    return nullptr;
}

} // namespace

StatusText::StatusText(QWidget *parent)
    : QWidget(parent)
{
    static const bool accessibleInstalled = (QAccessible::installFactory(statusTextAccessible), true);
    Q_UNUSED(accessibleInstalled);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void StatusText::setText(const QString &text)
{
    if (text == m_text)
        return;
    const QString previous = std::exchange(m_text, text);
    const int width = textWidth(text);
    if (width > m_width) {
        m_width = width;
        updateGeometry();
    }
    update();
    announce(previous);
}

void StatusText::announce(const QString &previous)
{
    // A panel without a name of its own is named by its text, as a label is.
    if (accessibleName().isEmpty()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
    QAccessibleTextUpdateEvent changed(this, 0, previous, m_text);
    QAccessible::updateAccessibility(&changed);
}

int StatusText::textWidth(const QString &text) const
{
    // Status texts keep their blanks ("Connected        "), trailing ones too.
    return fontMetrics().horizontalAdvance(text);
}

QSize StatusText::sizeHint() const
{
    return {std::max(m_width, minimumWidth()), fontMetrics().height()};
}

void StatusText::changeEvent(QEvent *event)
{
    // Another font measures the texts afresh.
    if (event->type() == QEvent::FontChange) {
        m_width = textWidth(m_text);
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

void StatusText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        fontMetrics().elidedText(m_text, Qt::ElideRight, width()));
}
