#pragma once

#include <QByteArray>
#include <QList>

class ConfigStore;

// The gateway's side of the line protocol, without any I/O: takes one received
// line and gives the answer lines and what the connection must do afterwards.
// Log-on state belongs to one connection (startSession); the "OK" counter of the
// fault injection runs for the life of the interpreter.
class CommandInterpreter
{
public:
    enum class After { Nothing, Restart, Close };

    struct Reply
    {
        QList<QByteArray> lines;
        After after = After::Nothing;
        bool configChanged = false;
    };

    static constexpr const char *kDefaultPassword = "5823";
    static constexpr const char *kDefaultVersion = "GW-3200 v3.12 build 0617";

    explicit CommandInterpreter(
        ConfigStore &store, QByteArray password = kDefaultPassword, QByteArray version = kDefaultVersion);

    // Every Nth answer that would be "OK" becomes "ERR" and the command is not
    // carried out; 0 turns this off.
    void setErrEvery(int every) { m_errEvery = every; }

    // A new connection: nobody is logged on.
    void startSession() { m_loggedOn = false; }
    bool isLoggedOn() const { return m_loggedOn; }

    Reply handle(const QByteArray &line);
    // The answer to a line that was too long to keep.
    Reply handleOverlong();

    // Why the last record was refused, for the traffic log; empty otherwise.
    QByteArray lastProblem() const { return m_lastProblem; }

private:
    // True when this "OK" is the one the fault injection turns into "ERR".
    bool faultThisOk();

    ConfigStore &m_store;
    QByteArray m_password;
    QByteArray m_version;
    QByteArray m_lastProblem;
    int m_errEvery = 0;
    int m_okCount = 0;
    bool m_loggedOn = false;
};
