#pragma once

#include "commandframer.h"
#include "commandinterpreter.h"
#include "simoptions.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QPointer>
#include <QTimer>

// One console's conversation with the simulated gateway over any open device:
// frames what arrives, answers through the interpreter with the line end and
// faults of the options, and says when the connection should end. The
// transports own the devices; this class only reads and writes them.
class SimulatedSession : public QObject
{
    Q_OBJECT

public:
    enum class End { Restart, Close, Drop };
    Q_ENUM(End)

    SimulatedSession(CommandInterpreter &interpreter, const SimOptions &options, QObject *parent = nullptr);

    // Starts a conversation on an open device: a fresh log-on state, empty
    // buffers, the line count of --drop-after from zero.
    void attach(QIODevice *device, const QString &peer);
    // Ends it: unsent answers are discarded and nothing more is read or written.
    void detach();
    bool isAttached() const { return m_device != nullptr; }

    // The nth unsolicited alarm or call-record line of --flood.
    static QByteArray floodLine(quint64 n);

signals:
    // The conversation asks for its connection to end (the transport decides how).
    void endWanted(SimulatedSession::End reason);
    // An accepted record changed the configuration.
    void configChanged();

private:
    struct Pending
    {
        qint64 dueMs;
        QList<QByteArray> lines;
        CommandInterpreter::After after;
    };

    void readAvailable();
    void handleLine(const CommandFramer::Line &line);
    void sendDue();
    void sendFlood();
    // Writes the lines and counts them; false when --drop-after ended the conversation.
    bool writeLines(const QList<QByteArray> &lines);
    void finish(End reason);
    void log(const char *direction, const QByteArray &line) const;

    CommandInterpreter &m_interpreter;
    const SimOptions m_options;
    CommandFramer m_framer;
    QPointer<QIODevice> m_device;
    QList<Pending> m_pending;
    QTimer m_answerTimer;
    QTimer m_floodTimer;
    QElapsedTimer m_clock;
    QElapsedTimer m_floodClock;
    quint64 m_floodSent = 0;
    quint64 m_floodCounter = 0;
    int m_linesSent = 0;
    bool m_ending = false;
    bool m_endQueued = false;
};
