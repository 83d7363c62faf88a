#pragma once

#include "configuration.h"
#include "connectionflow.h"
#include "iqueuequestions.h"
#include "queueentry.h"
#include "writequeue.h"

#include <connectionstate.h>
#include <cspooling.h>
#include <ireplysink.h>
#include <operationclock.h>

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class ILinkMonitor;
class ILinkRelay;
class ProgressQueueAdapter;
class SpoolingQueueLink;

// One console's conversation with one gateway, without widgets: the link, the
// operation clock, the write queue, the connection flow and the gateway's
// configuration as the session last heard it. It is driven by calls and reports
// by signals; questions to the operator go through the questions interface it
// is given (message boxes in the window, a policy in a program without one). It
// runs under QCoreApplication. The main window creates one and is a view of it:
// the strip draws the clock, the toolbar shows the flow's captions, the pages
// show the configuration.
class GatewaySession : public QObject, private IReplySink, public ConnectionState
{
    Q_OBJECT

public:
    // How long a page's record may take before the queue asks: a "Save Data" step.
    static constexpr std::chrono::milliseconds kPageSaveStep {5000};

    struct Options
    {
        // Folder of Setting.xml; empty means the console's settings folder.
        QString settingsFolder;
        // Asks how to reach the gateway; empty means every connection with the
        // dialog is cancelled (connectWith still connects).
        ConnectionFlow::DialogRunner chooseConnection;
        // The clock's intervals; only tests and impatient programs change them.
        OperationClock::Timing timing;
        // Whether a connection's choices are written to Setting.xml (see
        // ConnectionFlow::Options::keepChoices).
        bool keepChoices = true;
    };

    // questions is not owned and must outlive the session.
    GatewaySession(IQueueQuestions &questions, const Options &options, QObject *parent = nullptr);
    ~GatewaySession() override;

    CSpooling &link() { return m_link; }
    OperationClock &clock() { return m_clock; }
    WriteQueue &queue() { return *m_queue; }
    ConnectionFlow &flow() { return *m_flow; }
    Configuration &configuration() { return m_configuration; }
    const Configuration &configuration() const { return m_configuration; }
    // The gateway's configuration as the session last heard it: every record it
    // sent, and every record it confirmed in a write. What the configuration
    // holds beyond it is edited and not yet written.
    const ConfigurationValues &gatewayValues() const { return m_gatewayValues; }
    // The pages (Pages::Index, ascending) whose values differ from the gateway's.
    QList<int> changedPages() const;

    // The views of the link's traffic: the monitor log and the relay to a peer
    // console; null for none (no monitor means every line is analysed).
    void setTrafficViews(ILinkMonitor *monitor, ILinkRelay *relay);

    // Connects or disconnects: "connect", "disconnect", or empty to toggle; with
    // or without asking how (see ConnectionFlow::ConnectChange).
    void connectChange(const QString &sKey = QString(), bool fShowDialog = true);
    // Connects with these choices, without asking; false when nothing was opened.
    bool connectWith(const ConnectionChoice &choice);
    void disconnectFromGateway() { connectChange(ConnectionFlow::kDisconnectKey, true); }
    bool isConnected() const override { return m_link.isConnected(); }
    // True from the moment a connection is requested until the session disconnects.
    bool isActive() const { return m_flow->fLinkActive; }

    // Starts writing entries through the queue as operation sKey with one step of
    // timeOut per entry; false when nothing started (see WriteQueue::start).
    bool write(const QList<QueueEntry> &entries, const QString &sKey, std::chrono::milliseconds timeOut);
    // "Refresh": logs on again at once, which makes the gateway send its whole
    // configuration; an explicit read shows the gateway, so it releases a hold first.
    void refresh();

    // Holds the configuration: while held, the gateway's records (a log-on read,
    // a confirmed write) update gatewayValues() only, and a read empties only its
    // tables, so values opened from a file stay on the pages and show against
    // the gateway's until they are written or the gateway is read on request.
    void holdConfiguration(bool hold);
    bool isHoldingConfiguration() const { return m_holding; }
    // Reads the gateway's whole configuration into gatewayValues() only, leaving
    // the configuration as it is (to compare the pages with the gateway as it is
    // now); readEnded tells when it is in. False when not connected or a write
    // is running.
    bool readGateway();
    // "Restart gateway": asks, and sends the restart only on Yes. True when sent.
    bool restartGateway();

    // The text of the gateway's last "VER" line.
    QString version() const { return m_version; }

signals:
    // The log-on read begins: both tables of the configuration were emptied for
    // the records that follow.
    void configurationReadStarted();
    // A record from the gateway (or one it confirmed), after the gateway values
    // and, unless the configuration is held, the configuration have taken it.
    void recordReceived(const QString &code, const FieldCodecs::SplitResult &fields);
    // A log-on read ended: Complete once the gateway has confirmed the log-on
    // and sent its configuration, GivenUp when it did not answer.
    void readEnded(WriteQueue::Outcome outcome);
    // The gateway's "VER" text.
    void versionChanged(const QString &text);
    // A toolbar button's caption or state, as the connection flow sets them.
    void buttonCaptionChanged(const QString &key, const QString &caption);
    void buttonEnabledChanged(const QString &key, bool enabled);
    // A write ended; see WriteQueue::writeEnded.
    void writeEnded(WriteQueue::Outcome outcome);

private:
    // IReplySink
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields) override;
    void setVersion(const QString &text) override;
    void setWriteOK(bool isOK) override;
    void onWriteEnded(WriteQueue::Outcome outcome);

    Configuration m_configuration;
    ConfigurationValues m_gatewayValues;
    OperationClock m_clock;
    CSpooling m_link;
    std::unique_ptr<SpoolingQueueLink> m_queueLink;
    std::unique_ptr<ProgressQueueAdapter> m_queueProgress;
    std::unique_ptr<WriteQueue> m_queue;
    std::unique_ptr<ConnectionFlow> m_flow;
    ILinkMonitor *m_monitor = nullptr;
    ILinkRelay *m_relay = nullptr;
    QString m_version;
    bool m_holding = false;
    // Set while readGateway's read runs: the hold to go back to once it ends.
    std::optional<bool> m_holdAfterRead;
};
