#include "simulatedsession.h"

#include <QAbstractSocket>
#include <QIODevice>

#include <array>
#include <chrono>
#include <cstdio>

namespace {

constexpr std::chrono::milliseconds kFloodTick {20};
// Upper bound of flood lines per tick, so a huge --flood cannot starve the
// event loop; the rate is then simply lower than asked.
constexpr quint64 kMaxFloodPerTick = 500;
// Unsolicited lines wait while this much is still unsent to a slow reader.
constexpr qint64 kFloodBacklog = 64 * 1024;
// A console that leaves this much unread is not reading at all: it is dropped
// rather than letting the unsent answers grow without bound.
constexpr qint64 kMaxUnsent = 4 * 1024 * 1024;

QByteArray printable(const QByteArray &line)
{
    QByteArray text;
    for (const char c : line) {
        const auto byte = uchar(c);
        if (byte < 0x20 || byte == 0x7f)
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else if (c == '\\')
            text += "\\\\";
        else
            text += c;
    }
    return text;
}

} // namespace

SimulatedSession::SimulatedSession(CommandInterpreter &interpreter, const SimOptions &options, QObject *parent)
    : QObject(parent)
    , m_interpreter(interpreter)
    , m_options(options)
{
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &SimulatedSession::sendDue);
    m_floodTimer.setInterval(kFloodTick);
    connect(&m_floodTimer, &QTimer::timeout, this, &SimulatedSession::sendFlood);
    m_clock.start();
}

void SimulatedSession::attach(QIODevice *device, const QString &peer)
{
    detach();
    m_device = device;
    m_framer.reset();
    m_interpreter.startSession();
    m_linesSent = 0;
    m_ending = false;
    m_endQueued = false;
    connect(device, &QIODevice::readyRead, this, &SimulatedSession::readAvailable);
    if (m_options.log)
        std::fprintf(stderr, "-- session with %s\n", qPrintable(peer));
    if (m_options.flood > 0) {
        m_floodSent = 0;
        m_floodClock.start();
        m_floodTimer.start();
    }
    if (device->bytesAvailable() > 0)
        readAvailable();
}

void SimulatedSession::detach()
{
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    m_device = nullptr;
    m_pending.clear();
    m_answerTimer.stop();
    m_floodTimer.stop();
    m_framer.reset();
}

QByteArray SimulatedSession::floodLine(quint64 n)
{
    static const std::array<const char *, 4> kAlarms {
        "SIM1 low signal", "SIM2 not registered", "FXO line down", "SIM1 credit low"};
    const auto minutes = QByteArray::number(n % 60).rightJustified(2, '0');
    const auto seconds = QByteArray::number((n * 7) % 60).rightJustified(2, '0');
    const auto subscriber = QByteArray::number(1000000 + (n * 7919) % 9000000);
    switch (n % 3) {
    case 0:
        return "I_ALR" + QByteArray::number(n % 4 + 1).rightJustified(2, '0') + "," + QByteArray::number(5 + n % 27)
            + "," + kAlarms[n % 4];
    case 1:
        return "A_CDR,0912" + subscriber + ",00:" + minutes + ":" + seconds;
    default:
        return "C_CDR,0935" + subscriber + ",00:" + minutes + ":" + seconds;
    }
}

void SimulatedSession::readAvailable()
{
    if (!m_device)
        return;
    const QByteArray chunk = m_device->readAll();
    if (m_ending || m_endQueued)
        return;
    for (const CommandFramer::Line &line : m_framer.feed(chunk)) {
        handleLine(line);
        // Nothing after a restart or close is carried out, even while a delayed
        // answer still holds the connection open.
        if (m_ending || m_endQueued || !m_device)
            return;
    }
}

void SimulatedSession::handleLine(const CommandFramer::Line &line)
{
    log("<< ", line.overlong ? QByteArray("(over-long line discarded)") : line.text);
    const CommandInterpreter::Reply reply
        = line.overlong ? m_interpreter.handleOverlong() : m_interpreter.handle(line.text);
    if (m_options.log && !m_interpreter.lastProblem().isEmpty())
        std::fprintf(stderr, "-- refused: %s\n", m_interpreter.lastProblem().constData());
    if (reply.configChanged)
        emit configChanged();
    Pending pending {
        m_clock.elapsed() + m_options.delay.count(), m_options.mute ? QList<QByteArray>() : reply.lines, reply.after};
    if (pending.lines.isEmpty() && pending.after == CommandInterpreter::After::Nothing)
        return;
    if (pending.after != CommandInterpreter::After::Nothing)
        m_endQueued = true;
    m_pending.append(pending);
    if (m_options.delay.count() == 0)
        sendDue();
    else if (!m_answerTimer.isActive())
        m_answerTimer.start(m_options.delay);
}

void SimulatedSession::sendDue()
{
    while (!m_pending.isEmpty() && m_device && !m_ending) {
        const qint64 wait = m_pending.first().dueMs - m_clock.elapsed();
        if (wait > 0) {
            m_answerTimer.start(std::chrono::milliseconds(wait));
            return;
        }
        const Pending pending = m_pending.takeFirst();
        if (!writeLines(pending.lines))
            return;
        if (pending.after == CommandInterpreter::After::Restart)
            finish(End::Restart);
        else if (pending.after == CommandInterpreter::After::Close)
            finish(End::Close);
    }
}

void SimulatedSession::sendFlood()
{
    if (!m_device || m_ending)
        return;
    const auto due = quint64(m_floodClock.elapsed()) * quint64(m_options.flood) / 1000;
    if (m_device->bytesToWrite() > kFloodBacklog) {
        m_floodSent = due;
        return;
    }
    QList<QByteArray> lines;
    while (m_floodSent < due && quint64(lines.size()) < kMaxFloodPerTick) {
        lines.append(floodLine(m_floodCounter++));
        ++m_floodSent;
    }
    // Behind by more than a tick's worth: forget the backlog rather than burst.
    m_floodSent = qMax(m_floodSent, due);
    writeLines(lines);
}

bool SimulatedSession::writeLines(const QList<QByteArray> &lines)
{
    const QByteArray end = m_options.lineEndBytes();
    QByteArray data;
    bool dropped = false;
    for (const QByteArray &line : lines) {
        data += line + end;
        log(">> ", line);
        ++m_linesSent;
        if (m_options.dropAfter > 0 && m_linesSent >= m_options.dropAfter) {
            dropped = true;
            break;
        }
    }
    if (!data.isEmpty() && m_device) {
        m_device->write(data);
        // Hand the answer to the system at once: a client that half-closes after
        // its command (nc, socat) makes the socket close before the next loop turn.
        if (auto *socket = qobject_cast<QAbstractSocket *>(m_device.data()))
            socket->flush();
    }
    if (m_device && m_device->bytesToWrite() > kMaxUnsent) {
        if (m_options.log)
            std::fprintf(stderr, "-- the console reads nothing; %lld bytes unsent\n", m_device->bytesToWrite());
        dropped = true;
    }
    if (dropped) {
        finish(End::Drop);
        return false;
    }
    return true;
}

void SimulatedSession::finish(End reason)
{
    m_ending = true;
    m_pending.clear();
    m_answerTimer.stop();
    m_floodTimer.stop();
    if (m_options.log)
        std::fprintf(stderr, "-- ending the connection (%s)\n",
            reason == End::Restart     ? "restart"
                : reason == End::Close ? "close"
                                       : "drop");
    emit endWanted(reason);
}

void SimulatedSession::log(const char *direction, const QByteArray &line) const
{
    if (!m_options.log)
        return;
    std::fprintf(stderr, "%s%s\n", direction, printable(line).constData());
}
