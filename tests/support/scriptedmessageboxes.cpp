#include "scriptedmessageboxes.h"

QMessageBox::StandardButton ScriptedMessageBoxes::show(QWidget *, const MessageRequest &request)
{
    shown.append(request);
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (holdUnanswered && !m_loop) {
        QEventLoop loop;
        m_loop = &loop;
        m_answer.reset();
        loop.exec();
        m_loop = nullptr;
        return m_answer.value_or(QMessageBox::NoButton);
    }
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    for (int bit = 0; bit < 32; ++bit) {
        const auto button = static_cast<QMessageBox::StandardButton>(1u << bit);
        if (request.buttons.testFlag(button))
            return button;
    }
    return QMessageBox::Ok;
}

void ScriptedMessageBoxes::answer(QMessageBox::StandardButton button)
{
    m_answer = button;
    if (m_loop)
        m_loop->quit();
}

QStringList ScriptedMessageBoxes::shownTexts() const
{
    QStringList texts;
    for (const MessageRequest &request : shown)
        texts << request.title + QStringLiteral(": ") + request.text;
    return texts;
}
