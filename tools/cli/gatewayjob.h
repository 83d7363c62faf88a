#pragma once

#include "clitarget.h"

#include <gatewaysession.h>

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <memory>

// One gateway's read in a program without a window: connects a gateway session
// to the target, logs on, and waits for the whole configuration, answering the
// session's questions by policy (Cancel, Abort, No: never wait for a person).
// The session keeps its connection choices in settings of its own, so a script
// never changes the console's. finished() comes once, with the outcome.
class GatewayJob : public QObject, private IQueueQuestions
{
    Q_OBJECT

public:
    enum class Result { Done, NoGateway };

    GatewayJob(const CliTarget &target, const QString &password, std::chrono::milliseconds timeOut,
        QObject *parent = nullptr);
    ~GatewayJob() override;

    void start();

    Result result() const { return m_result; }
    // Why the job failed, as the session or the link said it.
    QString error() const { return m_error; }
    // The gateway's configuration and its "VER" text, once Done.
    const ConfigurationValues &values() const { return m_session->gatewayValues(); }
    QString version() const { return m_session->version(); }
    const CliTarget &target() const { return m_target; }

signals:
    void finished();

private:
    QueueQuestion::Button ask(const QueueQuestion &question) override;
    void fail(const QString &error);
    void finish(Result result);
    void onReadEnded(WriteQueue::Outcome outcome);

    CliTarget m_target;
    QString m_password;
    QTemporaryDir m_settings;
    std::unique_ptr<GatewaySession> m_session;
    QTimer m_deadline;
    QTimer m_waitForGateway;
    Result m_result = Result::NoGateway;
    QString m_error;
    bool m_finished = false;
};
