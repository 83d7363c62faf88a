#pragma once

#include "iqueuequestions.h"

#include <messageboxservice.h>

#include <QPointer>
#include <QWidget>

#include <array>
#include <utility>

// The session's questions shown through the console's message-box service.
class MessageBoxQueueQuestions final : public IQueueQuestions
{
public:
    MessageBoxQueueQuestions(MessageBoxService &service, QWidget *parent)
        : m_service(service)
        , m_parent(parent)
    { }

    QueueQuestion::Button ask(const QueueQuestion &question) override
    {
        MessageRequest request;
        request.text = question.text;
        request.title = question.title;
        request.icon = icon(question.icon);
        request.buttons = QMessageBox::NoButton;
        for (const auto &[ours, theirs] : kButtons) {
            if (question.buttons.testFlag(ours))
                request.buttons |= theirs;
        }
        request.defaultButton = standardButton(question.defaultButton);
        if (question.escapeButton)
            request.escapeButton = standardButton(*question.escapeButton);
        request.fixedOrder = question.fixedOrder;
        return ourButton(m_service.show(m_parent, request));
    }

private:
    static constexpr std::array<std::pair<QueueQuestion::Button, QMessageBox::StandardButton>, 7> kButtons {{
        {QueueQuestion::Ok, QMessageBox::Ok},
        {QueueQuestion::Yes, QMessageBox::Yes},
        {QueueQuestion::No, QMessageBox::No},
        {QueueQuestion::Abort, QMessageBox::Abort},
        {QueueQuestion::Retry, QMessageBox::Retry},
        {QueueQuestion::Ignore, QMessageBox::Ignore},
        {QueueQuestion::Cancel, QMessageBox::Cancel},
    }};

    static QMessageBox::Icon icon(QueueQuestion::Icon icon)
    {
        switch (icon) {
        case QueueQuestion::Icon::Warning:
            return QMessageBox::Warning;
        case QueueQuestion::Icon::Critical:
            return QMessageBox::Critical;
        case QueueQuestion::Icon::None:
            return QMessageBox::NoIcon;
        case QueueQuestion::Icon::Information:
            break;
        }
        return QMessageBox::Information;
    }

    static QMessageBox::StandardButton standardButton(QueueQuestion::Button button)
    {
        for (const auto &[ours, theirs] : kButtons) {
            if (ours == button)
                return theirs;
        }
        return QMessageBox::NoButton;
    }

    static QueueQuestion::Button ourButton(QMessageBox::StandardButton button)
    {
        for (const auto &[ours, theirs] : kButtons) {
            if (theirs == button)
                return ours;
        }
        return QueueQuestion::NoButton;
    }

    MessageBoxService &m_service;
    QPointer<QWidget> m_parent;
};
