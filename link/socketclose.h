#pragma once

#include <chrono>

class QTcpSocket;

// How long a closed connection may take to deliver what was queued for it.
inline constexpr std::chrono::milliseconds kCloseGrace {5000};

// Lets go of a socket the caller no longer uses: what was queued for the peer
// still goes out before the connection closes, but a peer that never takes it
// does not keep the socket alive beyond grace. The caller must have disconnected
// its own slots from the socket; the socket deletes itself.
void closeSocketGracefully(QTcpSocket *socket, std::chrono::milliseconds grace = kCloseGrace);
