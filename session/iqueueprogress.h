#pragma once

#include <QString>

// The operations of the operation clock that the write queue drives; the clock's
// write timer ticks once per entry time-out and each tick lets the queue decide.
class IQueueProgress
{
public:
    virtual ~IQueueProgress() = default;

    // Starts the operation sKey; for the write family with pCount steps of
    // pTimeToWrite ms in write mode writeMode.
    virtual void StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite) = 0;
    // Stops the operation on step timer prog.
    virtual void EndProgress(qint32 prog) = 0;
    // Restarts running step timer tCode with the interval speed (ms); the bar stays.
    virtual void setProgressSpeed(qint32 tCode, qint32 speed) = 0;
    // Sets step timer Index back to the write step.
    virtual void RestoreSpeed(qint16 Index) = 0;
    // Moves the bar by pos steps (negative steps back).
    virtual void setWritePosition(qint16 pos) = 0;
    // Sets the text of the "connect" panel.
    virtual void setPanelText(const QString &sText) = 0;
    // The clock's operation code of the running operation (g_PROG_MOD).
    virtual qint16 progressMode() const = 0;
};
