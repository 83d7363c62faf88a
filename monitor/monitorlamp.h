#pragma once

#include <QColor>
#include <QWidget>

// The relay's status lamp (shpDBG_LED): a filled circle in its current colour.
class MonitorLamp : public QWidget
{
    Q_OBJECT

public:
    explicit MonitorLamp(QWidget *parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour {0, 255, 0};
};
