#include "simulatorlink.h"

#include <QHostAddress>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <cstdio>

namespace {

// A console that stops reading must not keep a closing connection open for ever.
constexpr std::chrono::milliseconds kCloseGrace {2000};

QHostAddress listenAddress(const QString &host)
{
    if (host == u"localhost")
        return QHostAddress(QHostAddress::LocalHost);
    if (host == u"*" || host.isEmpty())
        return QHostAddress(QHostAddress::Any);
    return QHostAddress(host);
}

} // namespace

SimulatorLink::SimulatorLink(SimulatedSession &session, const SimOptions &options, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_options(options)
{
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(m_options.retry);
    connect(&m_session, &SimulatedSession::endWanted, this, &SimulatorLink::endConnection);
}

SimulatorLink::~SimulatorLink()
{
    m_session.detach();
}

bool SimulatorLink::start()
{
    switch (m_options.transport) {
    case SimOptions::Transport::Listen:
        return startListening();
    case SimOptions::Transport::Connect:
        connect(&m_retryTimer, &QTimer::timeout, this, &SimulatorLink::connectOut);
        connectOut();
        return true;
    case SimOptions::Transport::Serial:
        m_serial = new QSerialPort(this);
        connect(m_serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
            // A vanished device (a USB adapter pulled, the other end of a pseudo
            // terminal gone) reports a resource error: close and try again later.
            if (error == QSerialPort::ResourceError && m_serial->isOpen()) {
                status(QStringLiteral("serial device lost: %1").arg(m_serial->errorString()));
                m_session.detach();
                m_serial->close();
                m_retryTimer.start();
            }
        });
        connect(&m_retryTimer, &QTimer::timeout, this, &SimulatorLink::openSerial);
        openSerial();
        return true;
    }
    return false;
}

bool SimulatorLink::startListening()
{
    const QHostAddress address = listenAddress(m_options.host);
    if (address.isNull()) {
        m_errorText = QStringLiteral("cannot listen on \"%1\": not an address").arg(m_options.host);
        return false;
    }
    m_server = new QTcpServer(this);
    if (!m_server->listen(address, m_options.port)) {
        m_errorText = QStringLiteral("cannot listen on %1:%2: %3")
                          .arg(m_options.host)
                          .arg(m_options.port)
                          .arg(m_server->errorString());
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &SimulatorLink::acceptPending);
    status(QStringLiteral("listening on %1:%2").arg(address.toString()).arg(m_server->serverPort()));
    return true;
}

void SimulatorLink::acceptPending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_socket) {
            // One console at a time, as the gateway serves: a second one is turned away.
            status(QStringLiteral("busy, refused %1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_socket = socket;
        connect(socket, &QTcpSocket::disconnected, this, &SimulatorLink::connectionLost);
        const QString peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        status(QStringLiteral("console connected from %1").arg(peer));
        m_session.attach(socket, peer);
    }
}

void SimulatorLink::connectOut()
{
    if (m_socket)
        return;
    auto *socket = new QTcpSocket(this);
    m_socket = socket;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        const QString peer = QStringLiteral("%1:%2").arg(m_options.host).arg(m_options.port);
        status(QStringLiteral("connected to the console at %1").arg(peer));
        m_reportedUnreachable = false;
        m_session.attach(socket, peer);
    });
    connect(socket, &QTcpSocket::disconnected, this, &SimulatorLink::connectionLost);
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
        if (socket->state() != QAbstractSocket::ConnectedState && m_socket == socket) {
            if (!m_reportedUnreachable)
                status(QStringLiteral("no console at %1:%2 (%3); trying every %4 ms")
                           .arg(m_options.host)
                           .arg(m_options.port)
                           .arg(socket->errorString())
                           .arg(m_options.retry.count()));
            m_reportedUnreachable = true;
            m_session.detach();
            m_socket = nullptr;
            socket->deleteLater();
            m_retryTimer.start();
        }
    });
    socket->connectToHost(m_options.host, m_options.port);
}

void SimulatorLink::openSerial()
{
    if (m_serial->isOpen())
        return;
    m_serial->setPortName(m_options.device);
    m_serial->setBaudRate(m_options.baud);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        status(QStringLiteral("cannot open %1: %2; trying again").arg(m_options.device, m_serial->errorString()));
        m_retryTimer.start();
        return;
    }
    // Pseudo terminals have no modem lines; failing to set them changes nothing.
    m_serial->setRequestToSend(true);
    m_serial->setDataTerminalReady(true);
    m_serial->clearError();
    status(QStringLiteral("serial device %1 open at %2 baud, 8N1").arg(m_options.device).arg(m_options.baud));
    m_session.attach(m_serial, m_options.device);
}

void SimulatorLink::connectionLost()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket || socket != m_socket)
        return;
    status(QStringLiteral("console disconnected"));
    m_session.detach();
    m_socket = nullptr;
    socket->deleteLater();
    if (m_options.transport == SimOptions::Transport::Connect)
        m_retryTimer.start();
}

void SimulatorLink::endConnection(SimulatedSession::End reason)
{
    if (m_serial) {
        // A serial line cannot be dropped: the gateway forgets the conversation and
        // listens afresh after a pause, discarding what arrived meanwhile.
        m_session.detach();
        QTimer::singleShot(m_options.retry, this, [this] {
            if (!m_serial->isOpen())
                return;
            m_serial->readAll();
            m_session.attach(m_serial, m_options.device);
        });
        return;
    }
    if (QTcpSocket *socket = m_socket) {
        m_session.detach();
        socket->disconnectFromHost();
        QTimer::singleShot(kCloseGrace, socket, [socket] { socket->abort(); });
    }
}

void SimulatorLink::status(const QString &text) const
{
    std::fprintf(stderr, "varlisk-gwsim: %s\n", qPrintable(text));
    std::fflush(stderr);
}
