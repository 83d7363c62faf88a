#pragma once

#include <QString>
#include <QWidget>

// One line of status text in a panel of the progress strip. Unlike a label, a
// new text only repaints the text: the panel grows when a text needs more room
// than it has, and never shrinks, so that the strip is not laid out again and
// repainted whole at every step of an operation. Assistive tools see it as
// static text named by its accessible name, whose value is the text, and hear of
// every new text.
class StatusText : public QWidget
{
    Q_OBJECT

public:
    explicit StatusText(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int textWidth(const QString &text) const;
    void announce(const QString &previous);

    QString m_text;
    // The widest text shown so far, at least the minimum width.
    int m_width = 0;
};
