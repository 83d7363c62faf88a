#pragma once

// What the progress strip needs to know of the gateway link: whether it is up.
// The owner hands one to the strip; the strip never drives the link itself.
class ConnectionState
{
public:
    virtual ~ConnectionState() = default;
    virtual bool isConnected() const = 0;
};
