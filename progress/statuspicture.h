#pragma once

#include "progressart.h"

#include <QWidget>

// A small picture of the progress strip (a panel picture or a lamp), painted
// straight onto the widget so that it is sharp at any device pixel ratio.
class StatusPicture : public QWidget
{
    Q_OBJECT

public:
    explicit StatusPicture(QSize size, QWidget *parent = nullptr);

    ProgressArt::Picture picture() const { return m_picture; }
    void setPicture(ProgressArt::Picture picture);

    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize m_size;
    ProgressArt::Picture m_picture = ProgressArt::Picture::Empty;
};
