#include "gatewayjob.h"

#include <serialportmap.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <QPointer>

#include <algorithm>
#include <limits>

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
    // A job's choices are its target's; writing them at every connection would
    // cost each gateway several synchronous file writes.
    options.keepChoices = false;
    m_session = std::make_unique<GatewaySession>(static_cast<IQueueQuestions &>(*this), options);
    connect(m_session.get(), &GatewaySession::readEnded, this, &GatewayJob::onReadEnded);
    connect(m_session.get(), &GatewaySession::writeEnded, this, &GatewayJob::onWriteEnded);

    m_deadline.setSingleShot(true);
    m_deadline.setInterval(timeOut);
    connect(&m_deadline, &QTimer::timeout, this,
        [this] { fail(QStringLiteral("no answer within %1 s").arg(m_deadline.interval() / 1000.0)); });
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
    // "COM n" names the device the console's own map gives it; the job's
    // settings then map its one port to that device, as for a device path.
    if (m_target.kind == CliTarget::Kind::Serial && m_target.device.isEmpty()) {
        m_target.device = SerialPortMap::load(SettingsLocation::settingFile(SettingsLocation::defaultFolder()))
                              .devicePath(m_target.portNumber);
    }
    if (m_target.kind == CliTarget::Kind::Serial) {
        const QString file = SettingsLocation::settingFile(m_settings.path());
        SettingsFile settings(file);
        if (!settings.setValue(QLatin1String(SerialPortMap::kSection),
                SerialPortMap::settingKey(CliTarget::kDevicePort), m_target.device)) {
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

void GatewayJob::setWrite(const Write &write)
{
    m_write = write;
}

QueueQuestion::Button GatewayJob::ask(const QueueQuestion &question)
{
    if (m_writing && !m_finished) {
        // A record the gateway refused or did not confirm in its time.
        if (m_session->queue().isAsking())
            return answerRefusal(question);
        // The write's closing notice: its outcome follows in writeEnded.
        if (question.buttons == QueueQuestion::Ok)
            return QueueQuestion::Ok;
    }
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

QueueQuestion::Button GatewayJob::answerRefusal(const QueueQuestion &question)
{
    // The last record of a write offers Retry and Cancel only: skipping it ends the write.
    const QueueQuestion::Button giveUp
        = question.buttons.testFlag(QueueQuestion::Abort) ? QueueQuestion::Abort : QueueQuestion::Cancel;
    switch (m_write->onError.kind) {
    case ErrorPolicy::Kind::Abort:
        return giveUp;
    case ErrorPolicy::Kind::Skip:
        return question.buttons.testFlag(QueueQuestion::Ignore) ? QueueQuestion::Ignore : giveUp;
    case ErrorPolicy::Kind::Retry: {
        const int index = m_session->queue().g_QueueIndex;
        if (index != m_retryIndex) {
            m_retryIndex = index;
            m_retried = 0;
        }
        if (m_retried < m_write->onError.retries) {
            ++m_retried;
            return QueueQuestion::Retry;
        }
        return giveUp;
    }
    }
    return giveUp;
}

void GatewayJob::onReadEnded(WriteQueue::Outcome outcome)
{
    if (outcome != WriteQueue::Outcome::Complete) {
        fail(m_error.isEmpty() ? QStringLiteral("the gateway did not confirm the log-on") : m_error);
        return;
    }
    if (!m_write) {
        finish(Result::Done);
        return;
    }
    // The queue ends the log-on's operation after this signal; the write starts
    // once it has.
    QTimer::singleShot(0, this, &GatewayJob::startWrite);
}

void GatewayJob::startWrite()
{
    if (m_finished || m_writing)
        return;
    const QString version = m_session->version();
    if (!m_write->version.isEmpty() && m_write->version != version) {
        m_error = QStringLiteral("the file was read from a gateway reporting \"%1\"; this one reports \"%2\" "
                                 "(--any-version writes it anyway)")
                      .arg(m_write->version, version);
        finish(Result::Refused);
        return;
    }
    m_writing = true;
    if (!m_session->write(m_write->entries, QStringLiteral("write"), m_write->recordTimeOut)) {
        m_error = QStringLiteral("the write could not start");
        finish(Result::Refused);
        return;
    }
    // Every record's own time-out bounds the write; the deadline only catches a
    // write that never ends, as when the link goes away under it.
    const auto tries = static_cast<qint64>(m_write->entries.size()) * (m_write->onError.retries + 1);
    const std::chrono::milliseconds bound
        = m_write->recordTimeOut * (tries + 1) + std::chrono::milliseconds(m_deadline.interval());
    m_deadline.setInterval(std::min(bound, std::chrono::milliseconds(std::numeric_limits<int>::max())));
    m_deadline.start();
}

void GatewayJob::onWriteEnded(WriteQueue::Outcome outcome)
{
    if (!m_writing || m_finished)
        return;
    const QStringList failed = m_session->queue().g_FailedList.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    m_failedRecords = failed;
    switch (outcome) {
    case WriteQueue::Outcome::Complete:
        finish(Result::Done);
        return;
    case WriteQueue::Outcome::Incomplete:
        m_error = QStringLiteral("the gateway refused %1: %2")
                      .arg(failed.size() == 1 ? QStringLiteral("one record")
                                              : QStringLiteral("%1 records").arg(failed.size()),
                          failed.join(QStringLiteral(", ")));
        break;
    case WriteQueue::Outcome::GivenUp:
        m_error = QStringLiteral("the write was given up at %1").arg(failed.isEmpty() ? QString() : failed.last());
        if (failed.size() > 1)
            m_error
                += QStringLiteral(", after skipping ") + failed.mid(0, failed.size() - 1).join(QStringLiteral(", "));
        break;
    }
    finish(Result::Refused);
}

std::optional<GatewayJob::ErrorPolicy> GatewayJob::ErrorPolicy::parse(const QString &text)
{
    if (text == QLatin1String("abort"))
        return ErrorPolicy {Kind::Abort, 0};
    if (text == QLatin1String("skip"))
        return ErrorPolicy {Kind::Skip, 0};
    if (text.startsWith(QLatin1String("retry="))) {
        bool ok = false;
        const int retries = text.mid(6).toInt(&ok);
        if (ok && retries >= 0 && retries <= 100)
            return ErrorPolicy {Kind::Retry, retries};
    }
    return std::nullopt;
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
