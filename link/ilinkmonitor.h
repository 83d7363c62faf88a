#pragma once

#include <QString>

// The traffic monitor as the link sees it: the echo of sent commands, the log of
// received lines, and its "Enable Analyze" switch. The monitor applies its own
// switches, filter, colours and limits; the link only hands over text.
class ILinkMonitor
{
public:
    virtual ~ILinkMonitor() = default;

    virtual void appendSentLine(const QString &strCmd, bool fRemote) = 0;
    virtual void appendReceivedLine(const QString &strLine) = 0;
    // The state of the "Enable Analyze" check box.
    virtual bool isAnalyzeEnabled() const = 0;
};
