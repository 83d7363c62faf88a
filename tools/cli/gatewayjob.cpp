#include "gatewayjob.h"

#include <settingsfile.h>
#include <settingslocation.h>

#include <QPointer>

namespace {

// How often a listening job looks whether the gateway has connected in.
constexpr std::chrono::milliseconds kListenPoll {50};

} // namespace

GatewayJob::GatewayJob(
    const CliTarget &target, const QString &password, std::chrono::milliseconds timeOut, QObject *parent)
    : QObject(parent)
    , m_target(target)
    , m_password(password)
{
    GatewaySession::Options options;
    options.settingsFolder = m_settings.path();
    m_session = std::make_unique<GatewaySession>(static_cast<IQueueQuestions &>(*this), options);
    connect(m_session.get(), &GatewaySession::readEnded, this, &GatewayJob::onReadEnded);

    m_deadline.setSingleShot(true);
    m_deadline.setInterval(timeOut);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("no answer within %1 s").arg(m_deadline.interval() / 1000.0));
    });
    m_waitForGateway.setInterval(kListenPoll);
    connect(&m_waitForGateway, &QTimer::timeout, this, [this] {
        // A gateway that connects in is not logged on by itself: the job reads it.
        if (m_session->isConnected() && m_session->readGateway())
            m_waitForGateway.stop();
    });
}

GatewayJob::~GatewayJob()
{
    m_session.reset();
}

void GatewayJob::start()
{
    if (!m_settings.isValid()) {
        fail(QStringLiteral("cannot make a settings folder: %1").arg(m_settings.errorString()));
        return;
    }
    if (m_target.kind == CliTarget::Kind::Serial && !m_target.device.isEmpty()) {
        const QString file = SettingsLocation::settingFile(m_settings.path());
        SettingsFile settings(file);
        if (!settings.setValue(QStringLiteral("COMPorts"), QStringLiteral("COM%1").arg(CliTarget::kDevicePort),
                m_target.device)) {
            fail(QStringLiteral("cannot keep the serial device in %1").arg(file));
            return;
        }
    }
    m_deadline.start();
    const QPointer<GatewayJob> self(this);
    const bool opened = m_session->connectWith(m_target.choice(m_password));
    if (!self || m_finished)
        return;
    if (!opened) {
        fail(m_error.isEmpty() ? QStringLiteral("the connection could not be opened") : m_error);
        return;
    }
    if (m_target.kind == CliTarget::Kind::Listen)
        m_waitForGateway.start();
}

QueueQuestion::Button GatewayJob::ask(const QueueQuestion &question)
{
    // Every question is a failure of the job; the session's own answer is the
    // one that gives up at once.
    if (m_error.isEmpty())
        m_error = QString(question.text).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    fail(m_error);
    for (const QueueQuestion::Button giveUp : {QueueQuestion::Cancel, QueueQuestion::Abort, QueueQuestion::No}) {
        if (question.buttons.testFlag(giveUp))
            return giveUp;
    }
    return QueueQuestion::Ok;
}

void GatewayJob::onReadEnded(WriteQueue::Outcome outcome)
{
    if (outcome == WriteQueue::Outcome::Complete)
        finish(Result::Done);
    else
        fail(m_error.isEmpty() ? QStringLiteral("the gateway did not confirm the log-on") : m_error);
}

void GatewayJob::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
    finish(Result::NoGateway);
}

void GatewayJob::finish(Result result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result = result;
    m_deadline.stop();
    m_waitForGateway.stop();
    // Finished on the next turn: the session may be inside its own signal now.
    QTimer::singleShot(0, this, [this] {
        if (m_session->isActive())
            m_session->disconnectFromGateway();
        emit finished();
    });
}
