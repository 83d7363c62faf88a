#pragma once

#include <QString>

// The parts of the gateway link the write queue needs: sending a command and
// handing a confirmed command to the reply analysis as if it had been received.
class IQueueLink
{
public:
    virtual ~IQueueLink() = default;

    // Sends strCmd followed by the line end (fRemote false: the console's own command).
    virtual void SendCommand(const QString &strCmd) = 0;
    // Analyses strLine as a received line, without showing it in the monitor.
    virtual void AnalyzeCmd(const QString &strLine) = 0;
    // True while the link to the gateway is up.
    virtual bool isConnected() const = 0;
};
