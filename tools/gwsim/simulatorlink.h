#pragma once

#include "simoptions.h"
#include "simulatedsession.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QSerialPort;
class QTcpServer;
class QTcpSocket;

// The transports of the simulator: listening for one console at a time,
// connecting out to a console in server mode, or a serial device. It opens and
// closes connections and hands each one to the session.
class SimulatorLink : public QObject
{
    Q_OBJECT

public:
    SimulatorLink(SimulatedSession &session, const SimOptions &options, QObject *parent = nullptr);
    ~SimulatorLink() override;

    // Starts the chosen transport; false (with errorText()) when it cannot even begin.
    bool start();
    QString errorText() const { return m_errorText; }

private:
    bool startListening();
    void acceptPending();
    void connectOut();
    void openSerial();
    void connectionLost();
    void endConnection(SimulatedSession::End reason);
    void status(const QString &text) const;

    SimulatedSession &m_session;
    const SimOptions m_options;
    QString m_errorText;
    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_socket;
    QSerialPort *m_serial = nullptr;
    QTimer m_retryTimer;
    bool m_reportedUnreachable = false;
};
