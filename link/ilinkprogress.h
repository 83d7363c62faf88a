#pragma once

#include <QString>

// The parts of the operation progress strip the link drives in server mode.
class ILinkProgress
{
public:
    virtual ~ILinkProgress() = default;

    // Sets the text of the strip's "connect" panel.
    virtual void setPanelText(const QString &sText) = 0;
    // Starts the blinking server indication.
    virtual void StartServer() = 0;
    // Starts the operation named sKey with its default steps ("connecting").
    virtual void StartProgress(const QString &sKey) = 0;
};
