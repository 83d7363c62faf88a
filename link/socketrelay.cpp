#include "socketrelay.h"

bool SocketRelay::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void SocketRelay::send(const QByteArray &data)
{
    // The peer may have gone between the state test and the write; the write then
    // fails and the line is simply not relayed.
    if (isConnected())
        m_socket->write(data);
}
