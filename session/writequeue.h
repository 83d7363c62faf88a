#pragma once

#include "iqueuequestions.h"
#include "queueentry.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

class IQueueLink;
class IQueueProgress;

// The console's one write queue: sends the entries of a write one at a time,
// waits for the gateway's "OK" or "ERR" or for the entry's time-out (one tick of
// the progress strip's write timer), and then decides: the next entry, a retry,
// skipping or giving up, asking the operator on every failure. Also sends the two
// direct commands "Refresh" and "Restart gateway".
class WriteQueue : public QObject
{
    Q_OBJECT

public:
    // The progress strip's write mode of every write the queue starts.
    static constexpr qint32 kWriteMode = 3;
    // The log-on's time-out per entry; also the step of a write started without one.
    static constexpr std::chrono::milliseconds kLogonTimeOut {3000};
    // The rest of a step once the gateway has answered.
    static constexpr std::chrono::milliseconds kAnsweredStep {10};
    // The write timer's interval while the operator is being asked: long enough
    // that no tick runs the bar past its end in the meantime.
    static constexpr std::chrono::milliseconds kHeldStep {std::chrono::hours(24 * 24)};

    enum class Outcome {
        Complete, // every entry confirmed
        Incomplete, // finished, some entries skipped
        GivenUp, // the operator chose Abort or Cancel
    };
    Q_ENUM(Outcome)

    // The collaborators are not owned and must outlive the queue.
    WriteQueue(IQueueLink &link, IQueueProgress &progress, IQueueQuestions &questions, QObject *parent = nullptr);

    // The state of the current write, readable by the producers and the window.
    QList<QueueEntry> g_Queue;
    qint16 g_QueueCount = 0;
    qint16 g_QueueIndex = 0;
    bool g_WriteOK = false;
    QString g_FailedList;

    // Replaces the queue with entries and starts writing it: sends the first entry
    // and starts the strip's operation sKey with one step of timeOutMs per entry.
    // An empty list (or one longer than a step count can hold) starts nothing and
    // leaves a running write alone; the result says whether a write started.
    bool start(const QList<QueueEntry> &entries, const QString &sKey, qint32 timeOutMs);

    // Decides on the entry awaiting its answer; run on every step of the write timer.
    void writeQueue();
    // The strip's progressTime handler for the write family: for tCode kWriteMode
    // sets the write timer back to the entry time-out and runs writeQueue. Ticks
    // that arrive while the operator is being asked are ignored.
    void onProgressTime(qint16 tCode, qint16 pIndex);
    // The link's WriteResult handler: records the answer and, while an entry
    // awaits it, lets the next step come after kAnsweredStep.
    void objSpool_WriteResult(bool isOK);
    // The strip's writeOperationStarted handler: empties the list of failed entries.
    void clearFailedList() { g_FailedList.clear(); }

    // "Refresh": sends the log-on command "CPW" + g_Pass at once, outside the queue.
    void sendRefresh(const QString &g_Pass);
    // "Restart gateway": asks, and sends "RBT" only on Yes. True when sent.
    bool restartGateway();

    // True from the start of a write until it is finished or given up.
    bool isWriting() const { return m_state != State::Idle; }
    // True while a failure box waits for the operator.
    bool isAsking() const { return m_state == State::Asking; }

signals:
    // A write ended: its outcome is in the status panel and its final message was
    // answered. A finished write then returns the strip to the connected display.
    void writeEnded(WriteQueue::Outcome outcome);

private:
    enum class State { Idle, Awaiting, Asking };

    void confirmCurrent();
    void askAboutCurrent();
    void sendCurrent();
    void restartStep();
    void setWriteStep(qint32 milliseconds);
    void finish();
    void giveUp();

    IQueueLink &m_link;
    IQueueProgress &m_progress;
    IQueueQuestions &m_questions;
    State m_state = State::Idle;
    qint32 m_timeOutMs = static_cast<qint32>(kLogonTimeOut.count());
    // Counts the writes started, so that a decision taken in a nested event loop
    // can tell that a newer write has replaced the one it was about.
    quint64 m_generation = 0;
};
