#include "writequeue.h"

#include "iqueuelink.h"
#include "iqueueprogress.h"

#include <protocol.h>

#include <QPointer>

#include <limits>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSendPrefix = QStringLiteral("send data : ");

} // namespace

WriteQueue::WriteQueue(IQueueLink &link, IQueueProgress &progress, IQueueQuestions &questions, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_progress(progress)
    , m_questions(questions)
{ }

bool WriteQueue::start(const QList<QueueEntry> &entries, const QString &sKey, qint32 timeOutMs)
{
    // The count and the strip's step count are 16-bit.
    if (entries.isEmpty() || entries.size() > std::numeric_limits<qint16>::max())
        return false;

    ++m_generation;
    g_Queue = entries;
    g_QueueCount = static_cast<qint16>(entries.size());
    g_QueueIndex = 0;
    g_WriteOK = false;
    // The strip empties it too (writeOperationStarted); emptied here as well so the
    // queue is right even where that signal is not connected.
    g_FailedList.clear();
    m_timeOutMs = timeOutMs > 0 ? timeOutMs : static_cast<qint32>(kLogonTimeOut.count());
    m_state = State::Awaiting;

    m_link.SendCommand(g_Queue.at(0).Cmd);
    m_progress.StartProgress(sKey, g_QueueCount, kWriteMode, m_timeOutMs);
    m_progress.setPanelText(kSendPrefix + g_Queue.at(0).Desc);
    return true;
}

void WriteQueue::onProgressTime(qint16 tCode, qint16 pIndex)
{
    if (tCode != kWriteMode || m_state == State::Asking)
        return;
    m_progress.RestoreSpeed(static_cast<qint16>(kWriteMode));
    writeQueue();
}

void WriteQueue::writeQueue()
{
    // Idle: nothing awaits an answer. Asking: the operator's answer decides, not a tick.
    if (m_state != State::Awaiting)
        return;
    if (g_QueueIndex < 0 || g_QueueIndex >= g_QueueCount || g_QueueIndex >= g_Queue.size())
        return;

    if (g_WriteOK)
        confirmCurrent();
    else
        askAboutCurrent();
}

void WriteQueue::confirmCurrent()
{
    const quint64 generation = m_generation;
    const QPointer<WriteQueue> self(this);
    // The page shows what the gateway accepted.
    m_link.AnalyzeCmd(g_Queue.at(g_QueueIndex).Cmd);
    if (!self || generation != m_generation || m_state != State::Awaiting)
        return;

    if (g_QueueIndex < g_QueueCount - 1) {
        ++g_QueueIndex;
        g_WriteOK = false;
        sendCurrent();
    } else {
        finish();
    }
}

void WriteQueue::askAboutCurrent()
{
    const QueueEntry entry = g_Queue.at(g_QueueIndex);
    const bool isLast = g_QueueIndex >= g_QueueCount - 1;

    QueueQuestion question;
    question.text
        = QStringLiteral("Error: can't write : ") + entry.Desc + kCrLf + QStringLiteral("please check your data.");
    question.title = entry.Desc;
    question.icon = QueueQuestion::Icon::Information;
    if (isLast) {
        question.buttons = QueueQuestion::Retry | QueueQuestion::Cancel;
        question.defaultButton = QueueQuestion::Cancel;
        question.escapeButton = QueueQuestion::Cancel;
    } else {
        question.buttons = QueueQuestion::Abort | QueueQuestion::Retry | QueueQuestion::Ignore;
        question.defaultButton = QueueQuestion::Retry;
        // A reflex Escape must not drop the rest of the write: only a button answers.
        question.escapeButton = QueueQuestion::NoButton;
    }

    // The box runs a nested event loop: hold the write timer so that it neither
    // decides nor runs the bar to its end (which would stop the operation for good)
    // while the operator reads.
    m_state = State::Asking;
    setWriteStep(static_cast<qint32>(kHeldStep.count()));

    const quint64 generation = m_generation;
    const QPointer<WriteQueue> self(this);
    const QueueQuestion::Button answer = m_questions.ask(question);
    // A write started meanwhile has replaced this one; the answer is void.
    if (!self || generation != m_generation || m_state != State::Asking)
        return;
    m_state = State::Awaiting;

    // An answer that arrived while the box was open does not count: the operator's
    // choice rules, and a retried or next entry awaits an answer of its own.
    if (answer == QueueQuestion::Retry) {
        m_progress.setWritePosition(-1);
        g_WriteOK = false;
        restartStep();
        m_link.SendCommand(entry.Cmd);
    } else if (answer == QueueQuestion::Ignore && !isLast) {
        g_FailedList += entry.Desc + kCrLf;
        ++g_QueueIndex;
        g_WriteOK = false;
        restartStep();
        sendCurrent();
    } else {
        giveUp();
    }
}

void WriteQueue::sendCurrent()
{
    const QueueEntry &entry = g_Queue.at(g_QueueIndex);
    m_progress.setPanelText(kSendPrefix + entry.Desc);
    m_link.SendCommand(entry.Cmd);
}

void WriteQueue::restartStep()
{
    // A running timer restarts its count: the entry gets its full time-out.
    setWriteStep(m_timeOutMs);
    m_progress.RestoreSpeed(static_cast<qint16>(kWriteMode));
}

void WriteQueue::setWriteStep(qint32 milliseconds)
{
    // Only the write timer, and only while the strip runs this queue's operation: an
    // operation started meanwhile (a reconnect's "connecting") keeps its own pace.
    if (m_progress.progressMode() == kWriteMode)
        m_progress.setProgressSpeed(kWriteMode, milliseconds);
}

void WriteQueue::finish()
{
    m_state = State::Idle;
    m_progress.EndProgress(kWriteMode);

    Outcome outcome = Outcome::Complete;
    const QPointer<WriteQueue> self(this);
    if (g_FailedList.isEmpty()) {
        m_progress.setPanelText(QStringLiteral("Write data complete successful.."));
    } else {
        outcome = Outcome::Incomplete;
        m_progress.setPanelText(QStringLiteral("Write data not complete seccessful!"));
        QueueQuestion notice;
        notice.text = QStringLiteral("Write data not complete seccesful : ") + kCrLf + g_FailedList;
        notice.title = QStringLiteral("info");
        m_questions.ask(notice);
        if (!self)
            return;
    }
    emit writeEnded(outcome);
    if (!self)
        return;
    // Back to the connected display, so an idle console reads as connected; the
    // outcome stays in its box and the gateway's answers in the monitor. A link
    // that went down while the box was open keeps the display it was given then.
    if (m_link.isConnected())
        m_progress.StartProgress(QStringLiteral("connected"), 100, 5, static_cast<qint32>(kLogonTimeOut.count()));
}

void WriteQueue::giveUp()
{
    m_state = State::Idle;
    g_FailedList += g_Queue.at(g_QueueIndex).Desc;
    m_progress.EndProgress(kWriteMode);
    m_progress.setPanelText(QStringLiteral("failed write to gateway"));

    QueueQuestion notice;
    notice.text = QStringLiteral("Error: can't write data to : ") + kCrLf + g_FailedList;
    notice.title = QStringLiteral("Error");
    const QPointer<WriteQueue> self(this);
    m_questions.ask(notice);
    if (self)
        emit writeEnded(Outcome::GivenUp);
}

void WriteQueue::objSpool_WriteResult(bool isOK)
{
    g_WriteOK = isOK;
    // Only an entry awaiting its answer hurries the next step; while the operator is
    // asked the timer is held.
    if (m_state == State::Awaiting)
        setWriteStep(static_cast<qint32>(kAnsweredStep.count()));
}

void WriteQueue::sendRefresh(const QString &g_Pass)
{
    m_link.SendCommand(Protocol::kLogOn + g_Pass);
}

bool WriteQueue::restartGateway()
{
    QueueQuestion question;
    question.text = QStringLiteral("Do you really want to restart the gateway?");
    question.title = QStringLiteral("Restart");
    question.icon = QueueQuestion::Icon::Warning;
    question.buttons = QueueQuestion::Yes | QueueQuestion::No;
    const QPointer<WriteQueue> self(this);
    if (m_questions.ask(question) != QueueQuestion::Yes || !self)
        return false;
    m_link.SendCommand(Protocol::kRestart);
    return true;
}
