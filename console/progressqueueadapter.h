#pragma once

#include "iqueueprogress.h"

#include <ucprogress.h>

// The progress strip as the write queue sees it.
class ProgressQueueAdapter final : public IQueueProgress
{
public:
    explicit ProgressQueueAdapter(ucProgress &progress)
        : m_progress(progress)
    { }

    void StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite) override
    {
        m_progress.StartProgress(sKey, pCount, writeMode, pTimeToWrite);
    }
    void EndProgress(qint32 prog) override { m_progress.EndProgress(prog); }
    void setProgressSpeed(qint32 tCode, qint32 speed) override { m_progress.setProgressSpeed(tCode, speed); }
    void RestoreSpeed(qint16 Index) override { m_progress.RestoreSpeed(Index); }
    void setWritePosition(qint16 pos) override { m_progress.setWritePosition(pos); }
    void setPanelText(const QString &sText) override { m_progress.setPanelText(sText); }
    qint16 progressMode() const override { return m_progress.g_PROG_MOD; }

private:
    ucProgress &m_progress;
};
