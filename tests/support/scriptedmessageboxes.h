#pragma once

#include <messageboxservice.h>

#include <QEventLoop>
#include <QList>
#include <QStringList>

#include <optional>

// A message-box service for tests: records every message and answers from a
// script. With no scripted answer left it either takes the preselected button
// (or the first one), or, when holdUnanswered is set, waits in a nested event
// loop, as a real modal box does, until the test calls answer().
class ScriptedMessageBoxes final : public MessageBoxService
{
public:
    QMessageBox::StandardButton show(QWidget *parent, const MessageRequest &request) override;

    // Answers the message now waiting (holdUnanswered) with the given button.
    void answer(QMessageBox::StandardButton button);

    QList<MessageRequest> shown;
    QList<QMessageBox::StandardButton> answers;
    bool holdUnanswered = false;
    bool isWaiting() const { return m_loop != nullptr; }
    // Each message shown so far as its title, ": " and its text.
    QStringList shownTexts() const;

private:
    QEventLoop *m_loop = nullptr;
    std::optional<QMessageBox::StandardButton> m_answer;
};
