#pragma once

#include <connectionchoice.h>

#include <QProcess>
#include <QString>
#include <QStringList>

// The gateway simulator run as a process of its own for a test, keeping its
// configuration in configFile; stopped (terminated, or killed when it does not
// end) when the object goes.
class GatewaySimulatorProcess final
{
public:
    explicit GatewaySimulatorProcess(const QString &configFile);
    ~GatewaySimulatorProcess();
    GatewaySimulatorProcess(const GatewaySimulatorProcess &) = delete;
    GatewaySimulatorProcess &operator=(const GatewaySimulatorProcess &) = delete;

    // Starts varlisk-gwsim from the test program's folder with the arguments
    // after its --config option.
    bool start(const QStringList &arguments);
    // Waits until a simulator started with --listen on port 0 says which port it
    // got; 0 when it does not within waitMs.
    quint16 listenPort(int waitMs);
    // Waits until the simulator's status output holds text (such as "serial
    // device ... open"); false when it does not within waitMs.
    bool waitForStatus(const QString &text, int waitMs);
    // The record lines of the configuration file as the simulator last wrote it.
    QStringList configLines() const;

private:
    QString m_configFile;
    QProcess m_process;
    QByteArray m_status;
};

// The dialog's answer for a TCP client connection to 127.0.0.1:port with the
// simulator's default password.
ConnectionChoice tcpClientChoice(quint16 port);
