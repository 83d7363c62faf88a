#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// One modal message: its text, title word, icon, buttons and the preselected button.
struct MessageRequest
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Every modal message and question of the console goes through this service, so
// that tests can answer them by script while the logic stays unchanged.
class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;

    // Shows the message modally and gives the button the operator chose.
    virtual QMessageBox::StandardButton show(QWidget *parent, const MessageRequest &request) = 0;
};

// The real service: a QMessageBox run modally. Like every modal box it runs a
// nested event loop, so timers and sockets keep working while it waits.
class WidgetMessageBoxService final : public MessageBoxService
{
public:
    QMessageBox::StandardButton show(QWidget *parent, const MessageRequest &request) override;

    // The service the console uses unless a test sets another.
    static MessageBoxService &instance();
};
