#pragma once

#include <QFlags>
#include <QString>

#include <optional>

// One modal message of the session (the write queue's and the connection's),
// described without widgets: the window maps the icon and buttons onto a real
// message box, a program without one answers by a policy.
struct QueueQuestion
{
    enum class Icon { None, Information, Warning, Critical };
    enum Button {
        NoButton = 0x00,
        Ok = 0x01,
        Yes = 0x02,
        No = 0x04,
        Abort = 0x08,
        Retry = 0x10,
        Ignore = 0x20,
        Cancel = 0x40,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    QString text;
    QString title;
    Icon icon = Icon::Information;
    Buttons buttons = Ok;
    Button defaultButton = NoButton;
    // What Escape and closing the box answer. Unset: the usual answer of such a
    // box (Cancel, No, or its one button). NoButton: nothing; only a button click.
    std::optional<Button> escapeButton;
    // The buttons stand in the order of their values whatever the platform's
    // usual order; the queue's questions want that, the connection's do not.
    bool fixedOrder = true;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(QueueQuestion::Buttons)

// Asks the operator a question of the session and gives the chosen button.
// Like a real modal box, an implementation may run a nested event loop meanwhile.
class IQueueQuestions
{
public:
    virtual ~IQueueQuestions() = default;

    virtual QueueQuestion::Button ask(const QueueQuestion &question) = 0;
};
