#include "monitorrelay.h"

#include <socketclose.h>

#include <cspooling.h>
#include <fieldcodecs.h>
#include <messageboxservice.h>
#include <programversion.h>
#include <protocol.h>

#include <QDateTime>
#include <QLocale>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// The trimmed text as a port number, or nothing when it is not a whole number 0 to 65535.
std::optional<quint16> portNumber(const QString &text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok, 10);
    if (!ok || port < 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

const QColor MonitorRelay::kLampColour {0, 255, 0};

MonitorRelay::MonitorRelay(CSpooling *link, MessageBoxService &messages, QObject *parent)
    : MonitorRelay(link, messages, Intervals {}, parent)
{ }

MonitorRelay::MonitorRelay(CSpooling *link, MessageBoxService &messages, Intervals intervals, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_messages(messages)
    , m_blinkTimer(new QTimer(this))
    , m_checkTimer(new QTimer(this))
    , m_clientCheckInterval(intervals.clientCheck)
{
    setObjectName(QStringLiteral("sckNetForward"));
    m_blinkTimer->setObjectName(QStringLiteral("tmrDBGLED_0"));
    m_checkTimer->setObjectName(QStringLiteral("tmrDBGLED_1"));
    m_blinkTimer->setInterval(intervals.blink);
    connect(m_blinkTimer, &QTimer::timeout, this, &MonitorRelay::tmrBlink_Timer);
    m_checkTimer->setSingleShot(true);
    m_checkTimer->setInterval(intervals.blink);
    connect(m_checkTimer, &QTimer::timeout, this, &MonitorRelay::tmrClientCheck_Timer);
}

MonitorRelay::~MonitorRelay()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

bool MonitorRelay::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void MonitorRelay::send(const QByteArray &data)
{
    if (!isConnected())
        return;
    m_socket->write(data);
    // A peer that stops reading would make the queue grow without end under a
    // talkative gateway; it is let go, as servers do with a client that stops reading.
    if (m_socket->bytesToWrite() > kMaxPeerBacklog)
        dropStalledPeer();
}

void MonitorRelay::dropStalledPeer()
{
    emit noticeRaised(QLatin1String(kStalledPeerNotice));
    // Cut, not closed gracefully: what is queued would never go. Whatever the peer
    // sent meanwhile goes with it: this runs inside the link's analysis of a
    // gateway line, which its commands must not re-enter.
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    onPeerGone();
}

bool MonitorRelay::isListening() const
{
    return m_server && m_server->isListening();
}

quint16 MonitorRelay::listenPort() const
{
    return isListening() ? m_server->serverPort() : 0;
}

QByteArray MonitorRelay::greeting()
{
    const QString text = QStringLiteral("- DUZ Irizeviriz aridud,  Version: ") + ProgramVersion::kVersion
        + QStringLiteral(" ready at ") + QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    return text.toLatin1() + Protocol::kLineEnd;
}

void MonitorRelay::cmdDBGListenStart_Click()
{
    if (isClientActive())
        cmdDBGConnect_Click();
    rememberLamp();

    if (!isServerActive()) {
        const QString portText = m_inputs.listenPort ? m_inputs.listenPort() : QString();
        if (FieldCodecs::numericValue(portText) == 0) {
            showInvalidPort();
            return;
        }
        closeSocket();
        if (!startListening(portText)) {
            emit stateChanged();
            return;
        }
        m_serverState = QLatin1String(kStateActive);
        m_serverCaption = QStringLiteral("Stop");
        setLampVisible(true);
    } else {
        m_blinkTimer->stop();
        restoreLamp();
        setLampVisible(false);
        m_serverState = QLatin1String(kStateEnded);
        m_serverCaption = QStringLiteral("Strat");
        closeSocket();
    }
    emit stateChanged();
}

void MonitorRelay::cmdDBGConnect_Click()
{
    if (m_inputs.commitClientHost)
        m_inputs.commitClientHost();
    if (isServerActive())
        cmdDBGListenStart_Click();
    rememberLamp();

    if (!isClientActive()) {
        const QString portText = m_inputs.clientPort ? m_inputs.clientPort() : QString();
        if (FieldCodecs::numericValue(portText) == 0) {
            showInvalidPort();
            return;
        }
        const std::optional<quint16> port = portNumber(portText);
        if (!port) {
            showFailure(QAbstractSocket::UnknownSocketError, QStringLiteral("Invalid port number: %1").arg(portText));
            return;
        }
        const QString host = m_inputs.clientHost ? m_inputs.clientHost().trimmed() : QString();
        if (host.isEmpty()) {
            showFailure(QAbstractSocket::HostNotFoundError, QStringLiteral("No host given"));
            return;
        }
        // Closing always succeeds here: the old socket is retired and a new one
        // makes the connection.
        closeSocket();

        // The role is active before the attempt starts, so that a failure the
        // socket reports at once ends it like any later one.
        m_clientState = QLatin1String(kStateActive);
        m_clientCaption = QStringLiteral("Disconnect");
        setLampVisible(true);
        m_checkTimer->start(m_clientCheckInterval);

        auto *socket = new QTcpSocket(this);
        adoptSocket(socket);
        socket->connectToHost(host, *port);
    } else {
        m_blinkTimer->stop();
        m_checkTimer->stop();
        restoreLamp();
        setLampVisible(false);
        m_clientState = QLatin1String(kStateEnded);
        m_clientCaption = QStringLiteral("Connect");
        closeSocket();
    }
    emit stateChanged();
}

void MonitorRelay::tmrClientCheck_Timer()
{
    m_checkTimer->stop();
    if (!isConnected())
        return;
    m_blinkTimer->start();
    restoreLamp();
    m_socket->write(greeting());
    emit stateChanged();
}

void MonitorRelay::tmrBlink_Timer()
{
    rememberLamp();
    m_lampColour = m_lampColour == m_background ? m_rememberedLamp.value_or(kLampColour) : m_background;
    emit stateChanged();
}

bool MonitorRelay::startListening(const QString &portText)
{
    const std::optional<quint16> port = portNumber(portText);
    if (!port) {
        showFailure(QAbstractSocket::UnknownSocketError, QStringLiteral("Invalid port number: %1").arg(portText));
        return false;
    }
    if (!m_server) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, &MonitorRelay::onNewConnection);
    }
    if (!m_server->listen(QHostAddress::Any, *port)) {
        showFailure(m_server->serverError(), m_server->errorString());
        return false;
    }
    return true;
}

void MonitorRelay::onNewConnection()
{
    QTcpSocket *incoming = m_server->nextPendingConnection();
    if (!incoming)
        return;
    // One peer at a time: the server stops listening, and requests that queued up
    // meanwhile are turned away.
    while (QTcpSocket *other = m_server->nextPendingConnection()) {
        other->abort();
        other->deleteLater();
    }
    m_server->close();
    closeSocket();
    incoming->setParent(this);
    adoptSocket(incoming);

    m_blinkTimer->start();
    restoreLamp();
    incoming->write(greeting());
    emit stateChanged();

    if (incoming->bytesAvailable() > 0)
        onReadyRead();
    if (m_socket == incoming && incoming->state() != QAbstractSocket::ConnectedState)
        onPeerGone();
}

void MonitorRelay::adoptSocket(QTcpSocket *socket)
{
    m_socket = socket;
    m_framer.clear();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket == m_socket)
            onReadyRead();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket == m_socket)
            onPeerGone();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError error) {
        // The peer's close is handled once, by the disconnect that follows.
        if (socket == m_socket && error != QAbstractSocket::RemoteHostClosedError)
            onPeerGone();
    });
}

void MonitorRelay::closeSocket()
{
    if (m_server)
        m_server->close();
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    m_framer.clear();
    if (!socket)
        return;
    socket->disconnect(this);
    // What was queued for the peer still goes out before the close.
    closeSocketGracefully(socket);
}

void MonitorRelay::onReadyRead()
{
    receive(m_socket->readAll());
}

void MonitorRelay::receive(const QByteArray &data)
{
    m_framer.feed(
        data,
        [this](const QByteArray &line) {
            if (m_link)
                m_link->SendCommand(QString::fromLatin1(line), true);
            // The command's echo may have closed the relay; the rest goes with the socket.
            return m_socket != nullptr;
        },
        [this] { emit noticeRaised(QLatin1String(kLineDroppedNotice)); });
}

void MonitorRelay::onPeerGone()
{
    // Lines that came together with the close are still the peer's commands.
    if (m_socket && m_socket->bytesAvailable() > 0)
        receive(m_socket->readAll());

    restoreLamp();
    closeSocket();
    m_blinkTimer->stop();

    if (isServerActive()) {
        const QString portText = m_inputs.listenPort ? m_inputs.listenPort() : QString();
        const std::optional<quint16> port = portNumber(portText);
        if (port && m_server && m_server->listen(QHostAddress::Any, *port)) {
            m_serverCaption = QStringLiteral("Stop");
            setLampVisible(true);
        } else {
            // The port was taken meanwhile: the server role ends instead of
            // claiming to listen.
            setLampVisible(false);
            m_serverState = QLatin1String(kStateEnded);
            m_serverCaption = QStringLiteral("Strat");
        }
        emit stateChanged();
    } else if (isClientActive()) {
        cmdDBGConnect_Click();
    } else {
        emit stateChanged();
    }
}

void MonitorRelay::showInvalidPort()
{
    showInfo(QStringLiteral("Invalid Port number !"), QStringLiteral("info"));
}

void MonitorRelay::showFailure(int number, const QString &description)
{
    showInfo(description, QStringLiteral("ERR: ") + QString::number(number));
}

void MonitorRelay::showInfo(const QString &text, const QString &title)
{
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.icon = QMessageBox::Information;
    request.buttons = QMessageBox::Ok;
    m_messages.show(m_messageParent, request);
}

void MonitorRelay::rememberLamp()
{
    if (!m_rememberedLamp)
        m_rememberedLamp = m_lampColour;
}

void MonitorRelay::restoreLamp()
{
    if (m_rememberedLamp)
        m_lampColour = *m_rememberedLamp;
}

void MonitorRelay::setLampVisible(bool visible)
{
    m_lampVisible = visible;
}
