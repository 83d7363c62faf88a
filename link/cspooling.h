#pragma once

#include "lineframer.h"
#include "protocol.h"
#include "serialportmap.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;

class ILinkMonitor;
class ILinkOwner;
class ILinkProgress;
class ILinkRelay;
class ILinkToolbar;
class IReplySink;

// The console's one connection to the gateway: a serial port or a TCP socket
// (client, or server waiting for the gateway), cut into CR-ended lines that are
// analysed as they arrive, and the sender of commands.
//
// Receiving goes through a LineFramer. A line is kept up to kMaxLineLength
// characters: the characters beyond that, up to its CR, are dropped, and the
// kept head is handed over when the CR arrives. So a peer that sends without end
// and never a CR costs bounded memory, and the link goes on with the next line.
// Each transport reads through a bounded buffer as well.
//
// The owner's services come in as narrow interfaces; each may be null, and a
// null service is skipped (no monitor means "Enable Analyze" is on).
class CSpooling : public QObject
{
    Q_OBJECT

public:
    // The codes of onSplAction. 5 is not used.
    enum SplCode : qint32 {
        splConnected = 1, // the TCP client connection is established
        splPeerClosed = 2, // the gateway closed the TCP connection (client mode)
        splNetError = 3, // a socket error, or the client connection could not be started
        splSendDone = 4, // the socket has sent data
        splLineChange = 6, // the serial port's DSR line changed
        splComError = 7, // opening the serial port failed, or the open port was lost
    };
    Q_ENUM(SplCode)

    struct Services
    {
        ILinkOwner *owner = nullptr;
        ILinkProgress *progress = nullptr;
        ILinkToolbar *toolbar = nullptr;
        ILinkMonitor *monitor = nullptr;
        ILinkRelay *relay = nullptr;
        IReplySink *replies = nullptr;
    };

    static constexpr qsizetype kMaxLineLength = 64 * 1024;
    // The most a transport holds unread; beyond it the peer waits (TCP) or the
    // driver buffers (serial) until the link has read.
    static constexpr qint64 kTransportReadBuffer = 1024 * 1024;
    // The most the link analyses in one turn of the event loop; the rest waits
    // for the next turn, so a flood of lines never keeps the window from answering.
    static constexpr qint64 kReadSlice = 64 * 1024;
    // The text of a line after its three-character code that the analysis looks at.
    static constexpr qsizetype kMaxRestLength = 255;
    static constexpr std::chrono::milliseconds kDsrPollInterval {150};

    explicit CSpooling(QObject *parent = nullptr);
    explicit CSpooling(const Services &services, QObject *parent = nullptr);
    ~CSpooling() override;

    void setServices(const Services &services) { m_services = services; }
    const Services &services() const { return m_services; }
    // Which device path each serial port number opens; read by InitCOM.
    void setSerialPortMap(const SerialPortMap &map) { m_portMap = map; }
    void setDsrPollInterval(std::chrono::milliseconds interval) { m_dsrTimer.setInterval(interval); }
    // Reads the open port's modem lines for the DSR watch; nullopt when the device
    // cannot tell, and the port is then not watched. By default the port's own
    // query; a pseudo terminal has no modem lines, so tests give a line they play.
    using ModemLineReader = std::function<std::optional<QSerialPort::PinoutSignals>(QSerialPort &port)>;
    void setModemLineReader(ModemLineReader reader);

    // Prepares the serial transport: closes the port if open, empties the
    // receive buffer, takes the settings ("rate,parity,data bits,stop bits") and
    // the device path of port nPort, and sets the mode "COM". Nothing is opened;
    // settings that cannot be read make the next FillBuffer fail with a message.
    // The buffer sizes are accepted as given; the port grows its own buffer up
    // to kTransportReadBuffer and the link drains it at every arrival.
    void InitCOM(const QString &strComSet = QString(Protocol::kDefaultSerialSettings), qint16 nPort = 1,
        qint16 inBuf = 1024, qint16 outBuf = 512);
    // Prepares the TCP transport with the host and the numeric value of sPort
    // (0 when it is not a number), empties the receive buffer and sets the mode
    // "NET". Nothing is opened.
    void InitNET(const QString &sIP = QString::fromLatin1(Protocol::kDefaultHost),
        const QString &sPort = QString(Protocol::kDefaultPortText));
    // Opens the link in the current mode and returns at once: the serial port is
    // open or not when it returns; a TCP client reports through onSplAction; a
    // server listens for the gateway.
    void FillBuffer();
    bool isConnected() const;
    // Closes the link. In "NET" a connected gateway is first told "SRV:CLOSE";
    // the next connection starts from a new socket.
    void Disconnect();

    // Sends strCmd followed by CR when the link is open and strCmd is not empty,
    // and in every case echoes it to the monitor. fRemote marks a command that
    // came in through the relay; it only changes the echo.
    void SendCommand(const QString &strCmd, bool fRemote = false);

    // Writes data as it is to the open serial port: no CR added, nothing echoed.
    // False in "NET" mode, with the port closed, or when the port took less.
    bool writeRaw(const QByteArray &data);

    // Looks at one line from the gateway: relays it, shows it in the monitor when
    // fShowInDBG is set, and with "Enable Analyze" on recognises it by its first
    // three characters (records, "VER", "OK", "ERR").
    void AnalyzeCmd(const QString &strLine, bool fShowInDBG);

    // Public fields of the link, read by the owner.
    QString ConnectMode; // "COM", "NET", or empty before either Init
    QString sComSet; // the serial settings text last given to InitCOM
    qint32 PortNum = 0; // the serial port number last given to InitCOM

    QString host() const { return m_host; }
    qint32 port() const { return m_port; }
    // The serial device InitCOM chose.
    QString devicePath() const { return m_devicePath; }
    bool isListening() const;
    // The local port the server listens on (useful when listening on port 0).
    quint16 serverPort() const;
    // True while the serial port's DSR line is polled (not on devices without modem lines).
    bool isWatchingDsr() const { return m_dsrTimer.isActive(); }
    // Characters of the incomplete line held so far.
    qsizetype receiveBufferLength() const { return m_framer.bufferedLength(); }
    // Bytes taken from either transport since the link was made.
    qint64 receivedByteCount() const { return m_receivedBytes; }

signals:
    void onSplAction(qint32 splCode);
    void WriteResult(bool isOK);

private:
    bool isServerMode() const;
    bool isNetOpen() const;
    void reportOpenError(const QString &description);
    void openNet();
    void openCom();
    void closeNet();
    void closeCom();
    void adoptSocket(QTcpSocket *socket);
    void retireSocket();

    void onSocketConnected();
    void onSocketReadyRead();
    void onSocketDisconnected();
    void onSocketError(QAbstractSocket::SocketError error);
    void onSocketBytesWritten();
    void onNewConnection();
    void onSerialReadyRead();
    void onSerialError(QSerialPort::SerialPortError error);
    void onSerialLost();
    void pollDsr();

    void readMoreLater();
    void readMore();
    void receiveChunk(const QByteArray &chunk);

    Services m_services;
    SerialPortMap m_portMap;

    QString m_host = QString::fromLatin1(Protocol::kDefaultHost);
    qint32 m_port = Protocol::kDefaultPort;

    LineFramer m_framer {kMaxLineLength, LineFramer::OverLong::KeepHead};
    qint64 m_receivedBytes = 0;

    QTcpSocket *m_socket = nullptr;
    QTcpServer *m_server = nullptr;

    QSerialPort *m_serial = nullptr;
    QString m_devicePath;
    QString m_serialSettingsError;
    ModemLineReader m_modemLineReader;
    QTimer m_dsrTimer;
    QTimer m_readMoreTimer;
    bool m_dsr = false;
    // The open port's device went away; the port is closed on the next turn.
    bool m_serialLost = false;
};
