#include "messageboxservice.h"

#include <QHash>
#include <QPushButton>

QMessageBox::StandardButton WidgetMessageBoxService::show(QWidget *parent, const MessageRequest &request)
{
    QMessageBox box(request.icon, request.title, request.text, QMessageBox::NoButton, parent);
    QHash<QAbstractButton *, QMessageBox::StandardButton> answers;
    for (quint32 bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        const auto standard = static_cast<QMessageBox::StandardButton>(bit);
        if (!request.buttons.testFlag(standard))
            continue;
        QPushButton *button = box.addButton(standard);
        if (request.fixedOrder || request.escapeButton == QMessageBox::NoButton) {
            // Buttons of one role keep the order they were added in on every
            // platform; the standard roles would be sorted by the platform's rules,
            // and a rejecting one (Abort) would be taken for the escape button.
            box.removeButton(button);
            box.addButton(button, QMessageBox::ActionRole);
        }
        answers.insert(button, standard);
    }
    for (auto it = answers.cbegin(); it != answers.cend(); ++it) {
        if (it.value() == request.defaultButton)
            box.setDefaultButton(static_cast<QPushButton *>(it.key()));
        if (request.escapeButton && it.value() == *request.escapeButton)
            box.setEscapeButton(it.key());
    }
    // With no escape button among several action buttons the box ignores Escape
    // and its close button alike.
    box.exec();
    return answers.value(box.clickedButton(), QMessageBox::NoButton);
}

MessageBoxService &WidgetMessageBoxService::instance()
{
    static WidgetMessageBoxService service;
    return service;
}
