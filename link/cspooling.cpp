#include "cspooling.h"

#include "socketclose.h"

#include "fieldcodecs.h"
#include "ilinkmonitor.h"
#include "ilinkowner.h"
#include "ilinkprogress.h"
#include "ilinkrelay.h"
#include "ilinktoolbar.h"
#include "ireplysink.h"
#include "protocol.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

struct SerialSettings
{
    qint32 baudRate = 115200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Reads a settings text such as "115200,n,8,1": rate, parity letter (n, e, o,
// m, s), data bits (5 to 8) and stop bits (1, 1.5, 2).
std::optional<SerialSettings> parseSerialSettings(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;

    SerialSettings settings;
    bool ok = false;
    settings.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || settings.baudRate <= 0)
        return std::nullopt;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        settings.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        settings.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        settings.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        settings.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        settings.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    settings.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString stopBits = parts[3].trimmed();
    if (stopBits == QLatin1String("1"))
        settings.stopBits = QSerialPort::OneStop;
    else if (stopBits == QLatin1String("1.5"))
        settings.stopBits = QSerialPort::OneAndHalfStop;
    else if (stopBits == QLatin1String("2"))
        settings.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return settings;
}

std::optional<QSerialPort::PinoutSignals> readPortModemLines(QSerialPort &port)
{
    const QSerialPort::PinoutSignals pins = port.pinoutSignals();
    if (port.error() != QSerialPort::NoError) {
        port.clearError();
        return std::nullopt;
    }
    return pins;
}

bool isRecordCode(const QString &code)
{
    return std::find(Protocol::kRecordCodes.begin(), Protocol::kRecordCodes.end(), code)
        != Protocol::kRecordCodes.end();
}

} // namespace

CSpooling::CSpooling(QObject *parent)
    : CSpooling(Services {}, parent)
{ }

CSpooling::CSpooling(const Services &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_serial(new QSerialPort(this))
    , m_modemLineReader(readPortModemLines)
{
    m_serial->setReadBufferSize(kTransportReadBuffer);
    connect(m_serial, &QSerialPort::readyRead, this, &CSpooling::onSerialReadyRead);
    connect(m_serial, &QSerialPort::errorOccurred, this, &CSpooling::onSerialError);

    m_dsrTimer.setInterval(kDsrPollInterval);
    connect(&m_dsrTimer, &QTimer::timeout, this, &CSpooling::pollDsr);
    m_readMoreTimer.setSingleShot(true);
    m_readMoreTimer.setInterval(0);
    connect(&m_readMoreTimer, &QTimer::timeout, this, &CSpooling::readMore);
}

CSpooling::~CSpooling()
{
    // The transports die after this object's own members; none of their last
    // signals may reach a half-destroyed link. No close command is sent.
    m_serial->disconnect(this);
    if (m_socket)
        m_socket->disconnect(this);
    if (m_server)
        m_server->disconnect(this);
}

void CSpooling::setModemLineReader(ModemLineReader reader)
{
    m_modemLineReader = reader ? std::move(reader) : ModemLineReader(readPortModemLines);
}

void CSpooling::InitCOM(const QString &strComSet, qint16 nPort, qint16 inBuf, qint16 outBuf)
{
    sComSet = strComSet;
    PortNum = nPort;
    if (m_serial->isOpen())
        closeCom();
    m_framer.clear();

    m_serialSettingsError.clear();
    if (const auto settings = parseSerialSettings(strComSet)) {
        m_serial->setBaudRate(settings->baudRate);
        m_serial->setParity(settings->parity);
        m_serial->setDataBits(settings->dataBits);
        m_serial->setStopBits(settings->stopBits);
    } else {
        m_serialSettingsError = QStringLiteral("Invalid serial port settings \"%1\"").arg(strComSet);
    }
    m_devicePath = m_portMap.devicePath(nPort);
    m_serial->setPortName(m_devicePath);
    ConnectMode = Protocol::kModeSerial;
}

void CSpooling::InitNET(const QString &sIP, const QString &sPort)
{
    m_host = sIP;
    m_port = FieldCodecs::toInt32(FieldCodecs::numericValue(sPort)).value_or(0);
    m_framer.clear();
    ConnectMode = Protocol::kModeNet;
}

void CSpooling::FillBuffer()
{
    if (ConnectMode == Protocol::kModeNet)
        openNet();
    else if (ConnectMode == Protocol::kModeSerial)
        openCom();
}

bool CSpooling::isConnected() const
{
    if (ConnectMode == Protocol::kModeNet)
        return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
    if (ConnectMode == Protocol::kModeSerial)
        return m_serial->isOpen();
    return false;
}

void CSpooling::Disconnect()
{
    if (ConnectMode == Protocol::kModeNet) {
        if (isNetOpen()) {
            SendCommand(Protocol::kClose);
            closeNet();
        }
        retireSocket();
    } else if (ConnectMode == Protocol::kModeSerial) {
        if (m_serial->isOpen())
            closeCom();
    }
}

void CSpooling::SendCommand(const QString &strCmd, bool fRemote)
{
    if (!strCmd.isEmpty()) {
        const QByteArray wire = strCmd.toLatin1() + Protocol::kLineEnd;
        // A link that is not open takes nothing; the command is only echoed. An
        // open one hands the command to the system at once rather than on a later
        // turn of the event loop, behind whatever repaint the command caused.
        if (ConnectMode == Protocol::kModeNet) {
            if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState) {
                m_socket->write(wire);
                m_socket->flush();
            }
        } else if (ConnectMode == Protocol::kModeSerial) {
            if (m_serial->isOpen()) {
                m_serial->write(wire);
                m_serial->flush();
            }
        }
    }
    if (m_services.monitor)
        m_services.monitor->appendSentLine(strCmd, fRemote);
}

bool CSpooling::writeRaw(const QByteArray &data)
{
    if (ConnectMode != Protocol::kModeSerial || !m_serial->isOpen())
        return false;
    return m_serial->write(data) == data.size();
}

void CSpooling::AnalyzeCmd(const QString &strLine, bool fShowInDBG)
{
    if (m_services.relay && m_services.relay->isConnected())
        m_services.relay->send(strLine.toLatin1() + Protocol::kLineEnd);

    if (fShowInDBG && m_services.monitor)
        m_services.monitor->appendReceivedLine(strLine);

    if (m_services.monitor && !m_services.monitor->isAnalyzeEnabled())
        return;

    // Codes compare exactly, case included and nothing trimmed: "OK" is only the
    // line "OK", while every line that starts with "ERR" is a refusal.
    const QString code = strLine.left(3);
    const QString rest = strLine.mid(3, kMaxRestLength);
    IReplySink *replies = m_services.replies;

    if (code == Protocol::kVersion) {
        if (replies)
            replies->setVersion(rest);
    } else if (isRecordCode(code)) {
        // A record of more than 50 fields cannot be split and is ignored whole.
        const auto fields = FieldCodecs::splitString(rest, QLatin1Char(','));
        if (fields && replies)
            replies->applyRecord(code, *fields);
    } else if (code == Protocol::kAccepted || code == Protocol::kRefused) {
        const bool isOK = code == Protocol::kAccepted;
        emit WriteResult(isOK);
        if (replies)
            replies->setWriteOK(isOK);
    }
}

bool CSpooling::isListening() const
{
    return m_server && m_server->isListening();
}

quint16 CSpooling::serverPort() const
{
    return isListening() ? m_server->serverPort() : 0;
}

bool CSpooling::isServerMode() const
{
    return m_services.owner && FieldCodecs::numericValue(m_services.owner->serverFlag()) == 1;
}

bool CSpooling::isNetOpen() const
{
    return isListening() || (m_socket && m_socket->state() != QAbstractSocket::UnconnectedState);
}

void CSpooling::reportOpenError(const QString &description)
{
    if (m_services.owner)
        m_services.owner->showOpenError(description);
    if (ConnectMode != Protocol::kModeNet)
        emit onSplAction(splComError);
    else if (!isServerMode())
        emit onSplAction(splNetError);
}

void CSpooling::openNet()
{
    closeNet();

    if (isServerMode()) {
        if (m_port < 0 || m_port > 65535) {
            reportOpenError(QStringLiteral("Invalid port number %1").arg(m_port));
            return;
        }
        if (!m_server) {
            m_server = new QTcpServer(this);
            connect(m_server, &QTcpServer::newConnection, this, &CSpooling::onNewConnection);
        }
        if (!m_server->listen(QHostAddress::Any, static_cast<quint16>(m_port))) {
            reportOpenError(m_server->errorString());
            return;
        }
        if (m_services.progress)
            m_services.progress->setPanelText(QStringLiteral("Server status: Listening"));
        if (m_services.toolbar)
            m_services.toolbar->setButtonCaption(QStringLiteral("connect"), QStringLiteral("Stop server"));
        if (m_services.progress)
            m_services.progress->StartServer();
        return;
    }

    if (m_port < 1 || m_port > 65535) {
        reportOpenError(QStringLiteral("Invalid port number %1").arg(m_port));
        return;
    }
    auto *socket = new QTcpSocket(this);
    adoptSocket(socket);
    socket->connectToHost(m_host, static_cast<quint16>(m_port));
}

void CSpooling::closeNet()
{
    if (isListening())
        m_server->close();
    retireSocket();
}

void CSpooling::adoptSocket(QTcpSocket *socket)
{
    m_socket = socket;
    // Bounded, so that a peer sending faster than the console reads waits in TCP
    // flow control instead of filling memory.
    socket->setReadBufferSize(kTransportReadBuffer);
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        if (socket == m_socket)
            onSocketConnected();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket == m_socket)
            onSocketReadyRead();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket == m_socket)
            onSocketDisconnected();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError error) {
        if (socket == m_socket)
            onSocketError(error);
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        if (socket == m_socket)
            onSocketBytesWritten();
    });
}

void CSpooling::retireSocket()
{
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    if (!socket)
        return;
    socket->disconnect(this);
    // What was queued (the close command) still goes out before the close.
    closeSocketGracefully(socket);
}

void CSpooling::onSocketConnected()
{
    emit onSplAction(splConnected);
}

void CSpooling::onSocketReadyRead()
{
    receiveChunk(m_socket->read(kReadSlice));
    // Returning lets the event loop run what is waiting; what is left unread is
    // taken in the next turn. Spinning a nested event loop here instead would
    // re-enter this handler and recurse under a flood of data.
    readMoreLater();
}

void CSpooling::readMoreLater()
{
    const bool socketHasMore = m_socket && m_socket->bytesAvailable() > 0;
    const bool serialHasMore = m_serial->isOpen() && m_serial->bytesAvailable() > 0;
    if (socketHasMore || serialHasMore)
        m_readMoreTimer.start();
}

void CSpooling::readMore()
{
    if (m_socket && m_socket->bytesAvailable() > 0)
        onSocketReadyRead();
    else if (m_serial->isOpen() && m_serial->bytesAvailable() > 0)
        onSerialReadyRead();
}

void CSpooling::onSocketDisconnected()
{
    QTcpSocket *const socket = m_socket;
    // Data that arrived together with the close still holds lines of the gateway.
    while (m_socket == socket && socket->bytesAvailable() > 0)
        receiveChunk(socket->read(kReadSlice));
    if (m_socket != socket)
        return; // a handler of those lines closed or reopened the link already

    if (isServerMode()) {
        openNet(); // listen for the gateway again
    } else {
        retireSocket();
        emit onSplAction(splPeerClosed);
    }
}

void CSpooling::onSocketError(QAbstractSocket::SocketError error)
{
    // The peer's close is reported once, by the disconnect that follows.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    emit onSplAction(splNetError);
}

void CSpooling::onSocketBytesWritten()
{
    emit onSplAction(splSendDone);
}

void CSpooling::onNewConnection()
{
    QTcpSocket *incoming = m_server->nextPendingConnection();
    if (!incoming)
        return;
    incoming->setParent(this);
    // One gateway at a time: stop listening, which also refuses any other request
    // that is waiting.
    m_server->close();
    retireSocket();
    adoptSocket(incoming);
    if (m_services.progress)
        m_services.progress->StartProgress(QStringLiteral("connecting"));

    if (incoming != m_socket)
        return;
    if (incoming->bytesAvailable() > 0)
        onSocketReadyRead();
    if (m_socket == incoming && incoming->state() != QAbstractSocket::ConnectedState)
        onSocketDisconnected();
}

void CSpooling::openCom()
{
    if (m_serial->isOpen())
        return;
    if (!m_serialSettingsError.isEmpty()) {
        reportOpenError(m_serialSettingsError);
        return;
    }
    if (!m_serial->open(QIODevice::ReadWrite)) {
        const QString description = m_serial->errorString();
        m_serial->clearError();
        reportOpenError(description);
        return;
    }
    // Pseudo terminals and some adapters have no modem lines; the port works
    // without RTS all the same.
    if (!m_serial->setRequestToSend(true))
        m_serial->clearError();

    const auto pins = m_modemLineReader(*m_serial);
    if (!pins)
        return; // no DSR line to watch on this device
    m_dsr = pins->testFlag(QSerialPort::DataSetReadySignal);
    m_dsrTimer.start();
}

void CSpooling::closeCom()
{
    m_dsrTimer.stop();
    m_serial->close();
    m_serial->clearError();
    m_serialLost = false;
}

void CSpooling::onSerialReadyRead()
{
    receiveChunk(m_serial->read(kReadSlice));
    // As for the socket: return to the event loop instead of spinning a nested one.
    readMoreLater();
}

void CSpooling::onSerialError(QSerialPort::SerialPortError error)
{
    // A device that went away (an adapter pulled out, the far end of a pseudo
    // terminal closed) or a line that hung up keeps reporting itself readable with
    // nothing to read: left open, the port would spin the event loop for good. It
    // is closed on the next turn, outside the port's own notification.
    // The loss is kept apart from the port's error, which the DSR watch clears.
    if ((error == QSerialPort::ReadError || error == QSerialPort::ResourceError) && m_serial->isOpen()
        && !m_serialLost) {
        m_serialLost = true;
        QMetaObject::invokeMethod(this, &CSpooling::onSerialLost, Qt::QueuedConnection);
    }
}

void CSpooling::onSerialLost()
{
    if (!m_serialLost || !m_serial->isOpen())
        return; // closed, or closed and opened again, meanwhile
    closeCom();
    // Reported as a failed serial link, so that the connection flow disconnects
    // and offers Retry and Cancel.
    emit onSplAction(splComError);
}

void CSpooling::pollDsr()
{
    if (!m_serial->isOpen()) {
        m_dsrTimer.stop();
        return;
    }
    // An error left on the port by something else (a write the device refused,
    // say) is not the watch's: only a failing line query ends the watch.
    m_serial->clearError();
    const auto pins = m_modemLineReader(*m_serial);
    if (!pins) {
        // The device stopped answering line queries; it is not watched any more.
        m_dsrTimer.stop();
        return;
    }
    const bool dsr = pins->testFlag(QSerialPort::DataSetReadySignal);
    if (dsr != m_dsr) {
        m_dsr = dsr;
        emit onSplAction(splLineChange);
    }
}

void CSpooling::receiveChunk(const QByteArray &chunk)
{
    m_receivedBytes += chunk.size();
    m_framer.feed(chunk, [this](const QByteArray &line) {
        AnalyzeCmd(QString::fromLatin1(line), true);
        return true;
    });
}
