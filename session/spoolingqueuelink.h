#pragma once

#include "iqueuelink.h"

#include <cspooling.h>

// The gateway link as the write queue sees it.
class SpoolingQueueLink final : public IQueueLink
{
public:
    explicit SpoolingQueueLink(CSpooling &spool)
        : m_spool(spool)
    { }

    void SendCommand(const QString &strCmd) override { m_spool.SendCommand(strCmd, false); }
    void AnalyzeCmd(const QString &strLine) override { m_spool.AnalyzeCmd(strLine, false); }
    bool isConnected() const override { return m_spool.isConnected(); }

private:
    CSpooling &m_spool;
};
