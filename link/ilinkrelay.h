#pragma once

#include <QByteArray>

// The relay socket that shares the gateway's lines with one peer console.
class ILinkRelay
{
public:
    virtual ~ILinkRelay() = default;

    // True while a peer console is connected.
    virtual bool isConnected() const = 0;
    // Sends wire bytes to the peer; a failure is the relay's own business.
    virtual void send(const QByteArray &data) = 0;
};
