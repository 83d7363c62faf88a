#pragma once

#include <QString>

// What the link asks of the window that owns it: whether the console works as a
// TCP server, and showing the operator why opening the link failed.
class ILinkOwner
{
public:
    virtual ~ILinkOwner() = default;

    // The owner's server flag g_Server: "1" when the console listens for the
    // gateway, anything else when it connects out.
    virtual QString serverFlag() const = 0;
    // Shows a message box whose only text is description, with an OK button and
    // the application's title.
    virtual void showOpenError(const QString &description) = 0;
};
