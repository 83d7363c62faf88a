#pragma once

#include "iqueueprogress.h"

#include <operationclock.h>

// The operation clock as the write queue sees it.
class ProgressQueueAdapter final : public IQueueProgress
{
public:
    explicit ProgressQueueAdapter(OperationClock &clock)
        : m_clock(clock)
    { }

    void StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite) override
    {
        m_clock.StartProgress(sKey, pCount, writeMode, pTimeToWrite);
    }
    void EndProgress(qint32 prog) override { m_clock.EndProgress(prog); }
    void setProgressSpeed(qint32 tCode, qint32 speed) override { m_clock.setProgressSpeed(tCode, speed); }
    void RestoreSpeed(qint16 Index) override { m_clock.RestoreSpeed(Index); }
    void setWritePosition(qint16 pos) override { m_clock.setWritePosition(pos); }
    void setPanelText(const QString &sText) override { m_clock.setPanelText(sText); }
    qint16 progressMode() const override { return m_clock.g_PROG_MOD; }

private:
    OperationClock &m_clock;
};
