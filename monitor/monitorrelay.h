#pragma once

#include <cspooling.h>
#include <ilinkrelay.h>
#include <lineframer.h>

#include <QAbstractSocket>
#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class CSpooling;
class MessageBoxService;
class QTcpServer;
class QTcpSocket;
class QWidget;

// The relay that shares the gateway link with one other console over TCP
// (sckNetForward): as a server it listens on a port and serves one peer at a
// time, as a client it connects to another console's relay. Lines from the
// gateway go to the peer; each CR-ended line from the peer is sent on the own
// link as a remote command. Holds the two buttons' role states and the lamp;
// the monitor page draws them.
class MonitorRelay : public QObject, public ILinkRelay
{
    Q_OBJECT

public:
    struct Intervals
    {
        std::chrono::milliseconds blink {300}; // tmrDBGLED(0)
        std::chrono::milliseconds clientCheck {10000}; // tmrDBGLED(1), after Connect
    };

    // Where the relay reads the operator's inputs and commits the host history.
    struct Inputs
    {
        std::function<QString()> listenPort; // txtDBGPort(0)
        std::function<QString()> clientHost; // txtDBGNetC
        std::function<QString()> clientPort; // txtDBGPort(1)
        std::function<void()> commitClientHost; // txtDBGNetC.WriteToReg
    };

    static constexpr char kStateActive[] = "stop";
    static constexpr char kStateEnded[] = "start";
    // The longest peer line passed on; a longer one is dropped whole.
    static constexpr qsizetype kMaxLineLength = 64 * 1024;
    // The most left unsent to a peer; one that has not taken this much is let go.
    static constexpr qint64 kMaxPeerBacklog = 8 * 1024 * 1024;
    // The monitor lines the relay adds about its peer.
    static constexpr char kLineDroppedNotice[] = "relay: line over 64 KiB dropped";
    static constexpr char kStalledPeerNotice[] = "relay: peer stopped reading, disconnected";
    static const QColor kLampColour;

    MonitorRelay(CSpooling *link, MessageBoxService &messages, Intervals intervals, QObject *parent = nullptr);
    explicit MonitorRelay(CSpooling *link, MessageBoxService &messages, QObject *parent = nullptr);
    ~MonitorRelay() override;

    void setInputs(Inputs inputs) { m_inputs = std::move(inputs); }
    // The parent of the relay's message boxes.
    void setMessageParent(QWidget *parent) { m_messageParent = parent; }
    // The window's background, which the blinking lamp shows every other tick.
    void setBackgroundColour(const QColor &colour) { m_background = colour; }
    void setLink(CSpooling *link) { m_link = link; }

    // The operator's commands.
    void cmdDBGListenStart_Click();
    void cmdDBGConnect_Click();

    // ILinkRelay: the gateway's lines on their way to the peer.
    bool isConnected() const override;
    void send(const QByteArray &data) override;

    // Role states ("", "stop" or "start") and captions of the two buttons.
    QString serverState() const { return m_serverState; }
    QString clientState() const { return m_clientState; }
    QString serverCaption() const { return m_serverCaption; }
    QString clientCaption() const { return m_clientCaption; }
    bool isServerActive() const { return m_serverState == QLatin1String(kStateActive); }
    bool isClientActive() const { return m_clientState == QLatin1String(kStateActive); }
    bool isListening() const;
    // The port the server listens on (useful when the operator chose port 0 in a test).
    quint16 listenPort() const;

    bool isLampVisible() const { return m_lampVisible; }
    QColor lampColour() const { return m_lampColour; }
    bool isBlinking() const { return m_blinkTimer->isActive(); }
    bool isCheckPending() const { return m_checkTimer->isActive(); }
    // Characters of the peer line held until its CR.
    qsizetype receiveBufferLength() const { return m_framer.bufferedLength(); }

    // "- DUZ Irizeviriz aridud,  Version: 4.9 ready at " + date and time + CR.
    static QByteArray greeting();

signals:
    // The buttons' states, captions or the lamp changed.
    void stateChanged();
    // Something the operator should read in the monitor log happened to the peer.
    void noticeRaised(const QString &text);

private:
    void tmrClientCheck_Timer();
    void tmrBlink_Timer();
    void onNewConnection();
    void onReadyRead();
    void onPeerGone();
    void dropStalledPeer();

    void adoptSocket(QTcpSocket *socket);
    void closeSocket();
    bool startListening(const QString &portText);
    void showInvalidPort();
    void showFailure(int number, const QString &description);
    void showInfo(const QString &text, const QString &title);
    void rememberLamp();
    void restoreLamp();
    void setLampVisible(bool visible);
    void receive(const QByteArray &data);

    QPointer<CSpooling> m_link;
    MessageBoxService &m_messages;
    QPointer<QWidget> m_messageParent;
    Inputs m_inputs;

    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;

    QString m_serverState;
    QString m_clientState;
    QString m_serverCaption = QStringLiteral("Start");
    QString m_clientCaption = QStringLiteral("Connect");

    bool m_lampVisible = false;
    QColor m_lampColour = kLampColour;
    std::optional<QColor> m_rememberedLamp;
    QColor m_background = Qt::lightGray;

    QTimer *m_blinkTimer = nullptr; // tmrDBGLED_0
    QTimer *m_checkTimer = nullptr; // tmrDBGLED_1
    std::chrono::milliseconds m_clientCheckInterval;

    // A line longer than kMaxLineLength is dropped whole, never sent cut short.
    LineFramer m_framer {kMaxLineLength, LineFramer::OverLong::DropWhole};
};
