#include "messageboxservice.h"

QMessageBox::StandardButton WidgetMessageBoxService::show(QWidget *parent, const MessageRequest &request)
{
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

MessageBoxService &WidgetMessageBoxService::instance()
{
    static WidgetMessageBoxService service;
    return service;
}
