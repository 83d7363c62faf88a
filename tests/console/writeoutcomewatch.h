#pragma once

#include <ucprogress.h>
#include <writequeue.h>

#include <QObject>
#include <QString>

// The outcome of the console's last write as the status panel showed it when
// the write ended ("Write data complete successful..", "failed write to
// gateway", ...): the panel itself returns to "Connected        " at once after a
// finished write. Empty while a write runs.
class WriteOutcomeWatch final : public QObject
{
public:
    WriteOutcomeWatch(WriteQueue &queue, ucProgress &progress)
    {
        connect(&progress, &ucProgress::writeOperationStarted, this, [this] { m_outcome.clear(); });
        connect(&queue, &WriteQueue::writeEnded, this,
            [this, &progress] { m_outcome = progress.panelText(QStringLiteral("connect")); });
    }

    QString outcome() const { return m_outcome; }
    // Forgets the last outcome, so that a wait sees the next write's.
    void clear() { m_outcome.clear(); }

private:
    QString m_outcome;
};
