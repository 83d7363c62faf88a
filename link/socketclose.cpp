#include "socketclose.h"

#include <QTcpSocket>
#include <QTimer>

void closeSocketGracefully(QTcpSocket *socket, std::chrono::milliseconds grace)
{
    if (!socket)
        return;
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(grace, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}
