#pragma once

#include "ilinkrelay.h"

#include <QAbstractSocket>
#include <QPointer>

// The relay service over a plain socket the owner keeps (sckNetForward): its
// connected state, and a write that a closed or vanished socket ignores.
class SocketRelay final : public ILinkRelay
{
public:
    explicit SocketRelay(QAbstractSocket *socket = nullptr)
        : m_socket(socket)
    { }

    void setSocket(QAbstractSocket *socket) { m_socket = socket; }

    bool isConnected() const override;
    void send(const QByteArray &data) override;

private:
    QPointer<QAbstractSocket> m_socket;
};
