#pragma once

#include "clitarget.h"

#include <gatewaysession.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

// One gateway's job in a program without a window: connects a gateway session
// to the target, logs on, waits for the whole configuration and, when given a
// write, then writes its records through the session's write queue. Questions
// about the connection and the log-on fail the job (Cancel, Abort, No: never wait
// for a person); a record the gateway refuses is answered by the write's policy.
// The session keeps its connection choices in settings of its own, so a script
// never changes the console's. finished() comes once, with the outcome.
class GatewayJob : public QObject, private IQueueQuestions
{
    Q_OBJECT

public:
    enum class Result {
        Done,
        NoGateway, // could not connect, log on or read the configuration
        Refused, // the write was refused, given up or left incomplete
    };

    // What a write does when the gateway refuses a record or does not confirm it.
    struct ErrorPolicy
    {
        enum class Kind { Abort, Skip, Retry };
        Kind kind = Kind::Abort;
        // Retry: how many times a record is sent again before the write gives up.
        int retries = 0;
        // Parses "abort", "skip" or "retry=N"; nothing for anything else.
        static std::optional<ErrorPolicy> parse(const QString &text);
    };

    struct Write
    {
        QList<QueueEntry> entries;
        ErrorPolicy onError;
        // How long the gateway has to confirm each record.
        std::chrono::milliseconds recordTimeOut = GatewaySession::kPageSaveStep;
        // The version the records were read from; a gateway reporting another one
        // is not written. Empty: any version.
        QString version;
    };

    GatewayJob(
        const CliTarget &target, const QString &password, std::chrono::milliseconds timeOut, QObject *parent = nullptr);
    ~GatewayJob() override;

    // Writes these records once the configuration is read; before start().
    void setWrite(const Write &write);
    void start();

    Result result() const { return m_result; }
    // Why the job failed, as the session or the link said it.
    QString error() const { return m_error; }
    // The gateway's configuration and its "VER" text, once Done.
    const ConfigurationValues &values() const { return m_session->gatewayValues(); }
    QString version() const { return m_session->version(); }
    // The descriptions of the records a write skipped or gave up on.
    const QStringList &failedRecords() const { return m_failedRecords; }
    const CliTarget &target() const { return m_target; }

signals:
    void finished();

private:
    QueueQuestion::Button ask(const QueueQuestion &question) override;
    void fail(const QString &error);
    void finish(Result result);
    void onReadEnded(WriteQueue::Outcome outcome);
    void startWrite();
    void onWriteEnded(WriteQueue::Outcome outcome);
    QueueQuestion::Button answerRefusal(const QueueQuestion &question);

    CliTarget m_target;
    QString m_password;
    QTemporaryDir m_settings;
    std::unique_ptr<GatewaySession> m_session;
    QTimer m_deadline;
    QTimer m_waitForGateway;
    Result m_result = Result::NoGateway;
    QString m_error;
    bool m_finished = false;
    std::optional<Write> m_write;
    bool m_writing = false;
    // The record being retried and how often it was sent again.
    int m_retryIndex = -1;
    int m_retried = 0;
    QStringList m_failedRecords;
};
