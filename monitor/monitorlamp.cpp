#include "monitorlamp.h"

#include <QPainter>

MonitorLamp::MonitorLamp(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void MonitorLamp::setColour(const QColor &colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

void MonitorLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(m_colour);
    painter.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}
