#include "connectionflow.h"

#include "writequeue.h"

#include <connectionsettings.h>
#include <cspooling.h>
#include <fieldcodecs.h>
#include <operationclock.h>
#include <protocol.h>
#include <serialportmap.h>
#include <settingslocation.h>

#include <QPointer>

namespace {

const QString kProductTitle = QStringLiteral("Varlisk");

const QString kCaptionConnect = QStringLiteral("Connect");
const QString kCaptionDisconnect = QStringLiteral("Disconnect");

const QString kOperationConnecting = QStringLiteral("connecting");
const QString kOperationConnected = QStringLiteral("connected");
const QString kOperationDisconnect = QStringLiteral("disconnect");
const QString kOperationLogon = QStringLiteral("start");

const QString kTimeOutText = QStringLiteral("Error: Time out, unable to connect to the gateway!!");
const QString kConnectErrorText = QStringLiteral("Error: can't connect to the gateway ,please check your connection");

// The clock's g_FILE_LOAD while the log-on ("start") runs.
constexpr qint16 kFileLoadLogon = 6;

bool isFlagSet(const QString &flag)
{
    return FieldCodecs::numericValue(flag) == 1;
}

} // namespace

ConnectionFlow::ConnectionFlow(CSpooling &link, OperationClock &progress, WriteQueue &queue,
    IQueueQuestions &questions, const Options &options, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_progress(progress)
    , m_queue(queue)
    , m_questions(questions)
    , m_settingsFolder(options.settingsFolder.isEmpty() ? SettingsLocation::defaultFolder() : options.settingsFolder)
    , m_chooseConnection(options.chooseConnection)
    , m_clearTables(options.clearTables)
    , m_keepChoices(options.keepChoices)
{
    if (!m_chooseConnection) {
        m_chooseConnection = [] {
            ConnectionChoice cancelled;
            cancelled.g_Mode = Protocol::kModeCancelled;
            return cancelled;
        };
    }

    connect(&m_link, &CSpooling::onSplAction, this, &ConnectionFlow::objSpool_onSplAction);
    connect(&m_progress, &OperationClock::progressTime, this, &ConnectionFlow::ucProgress_progressTime);
    connect(&m_progress, &OperationClock::progressTimeEnd, this, &ConnectionFlow::ucProgress_progressTimeEnd);
}

QString ConnectionFlow::settingFile() const
{
    return SettingsLocation::settingFile(m_settingsFolder);
}

void ConnectionFlow::ConnectChange(const QString &sKey, bool fShowDialog)
{
    if (sKey == kConnectKey)
        fLinkActive = false;
    else if (sKey == kDisconnectKey)
        fLinkActive = true;

    if (fLinkActive) {
        disconnectLink();
        return;
    }

    if (fShowDialog) {
        if (m_choosing)
            return;
        m_choosing = true;
        const QPointer<ConnectionFlow> self(this);
        const ConnectionChoice choice = m_chooseConnection();
        if (!self)
            return;
        m_choosing = false;
        if (!takeOverChoice(choice))
            return;
    }
    openLink();
}

bool ConnectionFlow::connectWith(const ConnectionChoice &choice)
{
    if (fLinkActive || m_choosing)
        return false;
    if (!takeOverChoice(choice))
        return false;
    const QPointer<ConnectionFlow> self(this);
    openLink();
    return self && fLinkActive;
}

void ConnectionFlow::openLink()
{
    // A server shows its listening state itself once the link listens.
    if (!isServerMode()) {
        m_progress.StartProgress(kOperationConnecting);
        emit buttonCaptionChanged(kConnectKey, kCaptionDisconnect);
    }
    fLinkActive = true;
    const QPointer<ConnectionFlow> self(this);
    m_link.FillBuffer();
    // A server that cannot listen reports it in a box and raises no code; left
    // active it would show "Connect" with a button that only disconnects.
    if (self && fLinkActive && isServerMode() && !m_link.isListening() && !m_link.isConnected())
        disconnectLink();
}

bool ConnectionFlow::takeOverChoice(const ConnectionChoice &choice)
{
    ConnectionSettings settings(settingFile());
    const auto keep = [this](const std::function<void()> &store) {
        if (m_keepChoices)
            store();
    };
    keep([&] { settings.storeReceiveMode(choice.g_receiving_mode); });
    g_Pass = choice.g_Pass;
    connMode = choice.g_Mode;
    g_Login = QStringLiteral("0");
    g_Server = QStringLiteral("0");

    const auto prepareSerial = [&] {
        // Read at every connection, so a port mapped meanwhile counts.
        m_link.setSerialPortMap(SerialPortMap::load(settingFile()));
        m_link.InitCOM(choice.g_Rate + Protocol::kSerialFraming, choice.g_com, kSerialInBuffer, kSerialOutBuffer);
    };

    if (connMode == Protocol::kModeSerial) {
        keep([&] { settings.storeSerial(choice.g_Rate_index, choice.g_com); });
        if (settings.failure().isEmpty())
            prepareSerial();
    } else if (connMode == Protocol::kModeModem) {
        g_OPT_MDM = choice.g_OPT_MDM;
        keep([&] { settings.storeModem(choice.g_Rate_index, choice.g_com, choice.g_Phone); });
        if (settings.failure().isEmpty())
            prepareSerial();
    } else if (connMode == Protocol::kModeNet) {
        g_Login = choice.g_Login;
        g_Server = choice.g_Server;
        g_UnitID = choice.g_UnitID;
        // A server never logs on by itself: the gateway that connects in may be
        // another console's, and the operator decides (Refresh).
        if (isServerMode())
            g_Login = QStringLiteral("1");
        keep([&] { settings.storeNet(choice.g_port, g_Server, g_Login, g_UnitID); });
        if (settings.failure().isEmpty())
            m_link.InitNET(choice.g_ip, choice.g_port);
    } else {
        // Cancelled ("ERR"), or a mode no link knows: nothing is opened.
        return false;
    }

    if (settings.failure().isEmpty())
        return true;
    // Nothing is opened with choices that could not be kept.
    const QPointer<ConnectionFlow> self(this);
    reportSettingsFailure(settings.failure());
    if (self)
        disconnectLink();
    return false;
}

void ConnectionFlow::disconnectLink()
{
    m_progress.g_FILE_LOAD = 0;
    m_progress.EndProgress(OperationClock::kWriteTimer);
    m_progress.StartProgress(kOperationDisconnect);
    fLinkActive = false;
    emit buttonCaptionChanged(kConnectKey, kCaptionConnect);
    m_link.Disconnect();
}

void ConnectionFlow::RecievingChange()
{
    if (!fLinkActive)
        return;
    // The log-on's one entry times out after the clock's default write step.
    m_queue.start({QueueEntry {Protocol::kLogOn + g_Pass, QStringLiteral("Login")}}, kOperationLogon,
        m_progress.defaultWriteStep());
}

void ConnectionFlow::ucProgress_progressTime(qint16 tCode, qint16 pIndex)
{
    if (tCode == OperationClock::kConnectTimer) {
        // In modem and "Login to Master PC" modes the steps leave the link alone;
        // the time-out shows it connected.
        if (!m_link.isConnected() || isFlagSet(g_Login) || connMode == Protocol::kModeModem
            || m_progress.g_FILE_LOAD == kFileLoadLogon)
            return;
        m_progress.EndProgress(OperationClock::kConnectTimer);
        if (m_clearTables)
            m_clearTables();
        m_progress.StartProgress(kOperationConnected);
        RecievingChange();
    } else if (tCode == WriteQueue::kWriteMode) {
        m_queue.onProgressTime(tCode, pIndex);
    }
}

void ConnectionFlow::ucProgress_progressTimeEnd(qint32 tCode)
{
    if (tCode != OperationClock::kConnectTimer)
        return;

    if (m_link.isConnected()) {
        m_progress.StartProgress(kOperationConnected);
        emit buttonCaptionChanged(kConnectKey, kCaptionDisconnect);
        emit buttonEnabledChanged(kConnectKey, true);
        if (connMode != Protocol::kModeModem && FieldCodecs::numericValue(g_Login) == 0)
            RecievingChange();
        return;
    }

    if (m_askingRetry)
        return;
    const QPointer<ConnectionFlow> self(this);
    const Answer answer = askRetry(kTimeOutText);
    if (!self)
        return;
    if (answer == Answer::Retry) {
        retryConnecting();
        return;
    }
    // "disconnect" rather than a toggle: whatever happened while the box was open,
    // Cancel ends disconnected and never opens the dialog.
    ConnectChange(kDisconnectKey, true);
    m_progress.setPanelText(QStringLiteral("Connection failed"));
}

void ConnectionFlow::objSpool_onSplAction(qint32 splCode)
{
    switch (splCode) {
    case CSpooling::splPeerClosed:
        if (!fLinkActive)
            break;
        // The reason first; the disconnect then leaves the disconnected display.
        m_progress.setPanelText(QStringLiteral("NET Disconnected"));
        ConnectChange(kDisconnectKey, true);
        break;
    case CSpooling::splNetError:
    case CSpooling::splComError: {
        m_link.Disconnect();
        // The question already open decides what comes next.
        if (m_askingRetry)
            return;
        ConnectChange(kDisconnectKey, true);
        m_progress.setPanelText(QStringLiteral("Connection error"));
        const QPointer<ConnectionFlow> self(this);
        const Answer answer = askRetry(kConnectErrorText);
        if (!self)
            return;
        if (answer == Answer::Retry) {
            retryConnecting();
            return;
        }
        m_progress.StartProgress(kOperationDisconnect);
        m_progress.setPanelText(QStringLiteral("Connection failed"));
        break;
    }
    case CSpooling::splLineChange:
        if (fLinkActive)
            ConnectChange(kDisconnectKey, true);
        break;
    default:
        break;
    }
}

void ConnectionFlow::retryConnecting()
{
    m_link.Disconnect();
    const QPointer<ConnectionFlow> self(this);
    ConnectChange(kConnectKey, false);
    // Opening may have failed at once and been answered already.
    if (self && fLinkActive)
        m_progress.setPanelText(QStringLiteral("Retrying Connecting..."));
}

ConnectionFlow::Answer ConnectionFlow::askRetry(const QString &text)
{
    QueueQuestion question;
    question.text = text;
    question.title = QStringLiteral("Error");
    question.icon = QueueQuestion::Icon::Critical;
    question.buttons = QueueQuestion::Retry | QueueQuestion::Cancel;
    question.fixedOrder = false;
    m_askingRetry = true;
    const QPointer<ConnectionFlow> self(this);
    const QueueQuestion::Button button = m_questions.ask(question);
    if (self)
        m_askingRetry = false;
    return button == QueueQuestion::Retry ? Answer::Retry : Answer::Cancel;
}

void ConnectionFlow::tell(const QString &text, const QString &title, QueueQuestion::Icon icon)
{
    QueueQuestion message;
    message.text = text;
    message.title = title;
    message.icon = icon;
    message.fixedOrder = false;
    m_questions.ask(message);
}

void ConnectionFlow::reportSettingsFailure(const QString &errorText)
{
    tell(QStringLiteral("Error: can't save the connection settings, the connection was not opened.\r\n") + errorText,
        QStringLiteral("Error"), QueueQuestion::Icon::Critical);
}

bool ConnectionFlow::isServerMode() const
{
    return isFlagSet(g_Server);
}

void ConnectionFlow::showOpenError(const QString &description)
{
    tell(description, kProductTitle, QueueQuestion::Icon::None);
}

void ConnectionFlow::setPanelText(const QString &sText)
{
    m_progress.setPanelText(sText);
}

void ConnectionFlow::StartServer()
{
    m_progress.StartServer();
}

void ConnectionFlow::StartProgress(const QString &sKey)
{
    m_progress.StartProgress(sKey);
}

void ConnectionFlow::setButtonCaption(const QString &key, const QString &sCaption)
{
    emit buttonCaptionChanged(key, sCaption);
}
