#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>
#include <utility>

class QWidget;

// One modal message: its text, title word, icon, buttons and the preselected button.
struct MessageRequest
{
    MessageRequest(QString text = {}, QString title = {}, QMessageBox::Icon icon = QMessageBox::Information,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
        : text(std::move(text))
        , title(std::move(title))
        , icon(icon)
        , buttons(buttons)
        , defaultButton(defaultButton)
    { }

    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // The button that Escape and the title bar's close button answer with. Unset:
    // the toolkit's choice (Cancel, No, or a lone button). NoButton: neither
    // answers, and only a click on a button closes the box.
    std::optional<QMessageBox::StandardButton> escapeButton;
    // The buttons stand left to right in the order of their values (Abort, Retry,
    // Ignore; Retry, Cancel; Yes, No), whatever the platform's usual order of
    // button roles would make of them.
    bool fixedOrder = false;
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
