#include "statustext.h"

#include <QEvent>
#include <QPainter>

StatusText::StatusText(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void StatusText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    const int width = textWidth(text);
    if (width > m_width) {
        m_width = width;
        updateGeometry();
    }
    update();
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
