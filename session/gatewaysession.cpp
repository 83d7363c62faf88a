#include "gatewaysession.h"

#include "progressqueueadapter.h"
#include "configurationdiff.h"
#include "spoolingqueuelink.h"

#include <protocol.h>

#include <QPointer>

#include <algorithm>
#include <utility>

GatewaySession::GatewaySession(IQueueQuestions &questions, const Options &options, QObject *parent)
    : QObject(parent)
    , m_clock(options.timing)
{
    // The configuration starts as fresh pages do at start-up.
    m_configuration.prepareForStartup();
    m_gatewayValues.prepareForStartup();

    m_queueLink = std::make_unique<SpoolingQueueLink>(m_link);
    m_queueProgress = std::make_unique<ProgressQueueAdapter>(m_clock);
    m_queue = std::make_unique<WriteQueue>(*m_queueLink, *m_queueProgress, questions);
    connect(&m_link, &CSpooling::WriteResult, m_queue.get(), &WriteQueue::objSpool_WriteResult);
    connect(&m_clock, &OperationClock::writeOperationStarted, m_queue.get(), &WriteQueue::clearFailedList);
    connect(m_queue.get(), &WriteQueue::writeEnded, this, &GatewaySession::onWriteEnded);

    // The flow handles the link's action codes and the clock's steps and
    // time-outs itself, passing the write steps on to the queue.
    ConnectionFlow::Options flowOptions;
    flowOptions.settingsFolder = options.settingsFolder;
    flowOptions.chooseConnection = options.chooseConnection;
    flowOptions.keepChoices = options.keepChoices;
    // The log-on read fills both tables again from empty; a held configuration
    // keeps its own.
    flowOptions.clearTables = [this] {
        if (!m_holding)
            m_configuration.clearTables();
        m_gatewayValues.clearTables();
        emit configurationReadStarted();
    };
    m_flow = std::make_unique<ConnectionFlow>(m_link, m_clock, *m_queue, questions, flowOptions);
    connect(m_flow.get(), &ConnectionFlow::buttonCaptionChanged, this, &GatewaySession::buttonCaptionChanged);
    connect(m_flow.get(), &ConnectionFlow::buttonEnabledChanged, this, &GatewaySession::buttonEnabledChanged);

    setTrafficViews(nullptr, nullptr);
}

GatewaySession::~GatewaySession()
{
    // The link dies after this body and closes its transport then; nothing it
    // reports meanwhile may reach the flow or the queue, which go first.
    m_link.setServices({});
    m_link.disconnect(this);
    m_link.disconnect(m_queue.get());
    m_link.disconnect(m_flow.get());
    m_clock.disconnect(m_queue.get());
    m_clock.disconnect(m_flow.get());
}

void GatewaySession::setTrafficViews(ILinkMonitor *monitor, ILinkRelay *relay)
{
    m_monitor = monitor;
    m_relay = relay;
    CSpooling::Services services;
    services.owner = m_flow.get();
    services.progress = m_flow.get();
    services.toolbar = m_flow.get();
    services.replies = this;
    services.monitor = m_monitor;
    services.relay = m_relay;
    m_link.setServices(services);
}

void GatewaySession::connectChange(const QString &sKey, bool fShowDialog)
{
    m_flow->ConnectChange(sKey, fShowDialog);
}

bool GatewaySession::connectWith(const ConnectionChoice &choice)
{
    return m_flow->connectWith(choice);
}

QList<int> GatewaySession::changedPages() const
{
    QList<int> pages;
    for (const ConfigurationDiff::Difference &difference :
        ConfigurationDiff::differences(m_configuration.values(), m_gatewayValues)) {
        if (!pages.contains(difference.page))
            pages << difference.page;
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

bool GatewaySession::write(const QList<QueueEntry> &entries, const QString &sKey, std::chrono::milliseconds timeOut)
{
    return m_queue->start(entries, sKey, static_cast<qint32>(timeOut.count()));
}

void GatewaySession::refresh()
{
    m_holding = false;
    m_queue->sendRefresh(m_flow->g_Pass);
}

bool GatewaySession::restartGateway()
{
    return m_queue->restartGateway();
}

void GatewaySession::holdConfiguration(bool hold)
{
    m_holding = hold;
}

bool GatewaySession::readGateway()
{
    if (!isConnected() || m_queue->isWriting())
        return false;
    if (!m_holdAfterRead)
        m_holdAfterRead = m_holding;
    m_holding = true;
    m_flow->RecievingChange();
    if (!m_queue->isWriting()) {
        m_holding = *std::exchange(m_holdAfterRead, std::nullopt);
        return false;
    }
    return true;
}

void GatewaySession::applyRecord(const QString &code, const FieldCodecs::SplitResult &fields)
{
    if (!m_holding)
        m_configuration.applyRecord(code, fields);
    m_gatewayValues.applyRecord(code, fields);
    emit recordReceived(code, fields);
}

void GatewaySession::onWriteEnded(WriteQueue::Outcome outcome)
{
    // The log-on is a write of its one command; the records come before its answer.
    const bool isRead = m_queue->g_Queue.size() == 1 && m_queue->g_Queue.first().Cmd.startsWith(Protocol::kLogOn);
    if (isRead && m_holdAfterRead)
        m_holding = *std::exchange(m_holdAfterRead, std::nullopt);
    const QPointer<GatewaySession> self(this);
    emit writeEnded(outcome);
    if (self && isRead)
        emit readEnded(outcome);
}

void GatewaySession::setVersion(const QString &text)
{
    m_version = text;
    emit versionChanged(text);
}

void GatewaySession::setWriteOK(bool isOK)
{
    // The queue's WriteResult handler has set the flag already; the analysis sets
    // it again after the handler, to the same value.
    m_queue->g_WriteOK = isOK;
}
