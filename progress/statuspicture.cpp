#include "statuspicture.h"

#include <QPainter>

StatusPicture::StatusPicture(QSize size, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
{
    setFixedSize(size);
}

void StatusPicture::setPicture(ProgressArt::Picture picture)
{
    if (picture == m_picture)
        return;
    m_picture = picture;
    update();
}

void StatusPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    ProgressArt::paint(painter, QRectF(rect()), m_picture);
}
