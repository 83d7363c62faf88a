#pragma once

// What the start-up and memory benchmarks measure, shared by the programs that
// report them: milliseconds since the launch, printed at a window's first
// paint, and the resident memory at the last one.
//
// The launch time comes from BENCH_LAUNCH_US (microseconds since the epoch, set
// by the launcher just before it starts the program); without it, from the
// process start time the kernel keeps, which is only good to 10 ms.

#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QList>
#include <QObject>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace StartupProbe {

inline double nowUs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

inline double msSinceLaunch()
{
    const QByteArray launch = qgetenv("BENCH_LAUNCH_US");
    if (!launch.isEmpty())
        return (nowUs(CLOCK_REALTIME) - launch.toDouble()) / 1e3;
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The command name may hold blanks; the fields count from after its ")".
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startJiffies = fields.value(19).toDouble();
    return nowUs(CLOCK_BOOTTIME) / 1e3 - startJiffies * 1e3 / double(sysconf(_SC_CLK_TCK));
}

// The resident memory of this process in KiB, or -1. With BENCH_SMAPS set to a
// file name, the process's mappings (/proc/self/smaps) are copied there as well,
// to see which libraries and heaps the memory is in.
inline long residentKb()
{
    if (const QByteArray copy = qgetenv("BENCH_SMAPS"); !copy.isEmpty()) {
        QFile smaps(QStringLiteral("/proc/self/smaps"));
        QFile target(QString::fromLocal8Bit(copy));
        if (smaps.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly))
            target.write(smaps.readAll());
    }
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Reports at the first paint of each watched window: "<key>_ms" with the
// milliseconds since the launch, and for the last window of the start-up (quit
// true) the resident memory as "rss_kb", ending the program there.
class FirstPaint final : public QObject
{
public:
    explicit FirstPaint(const char *key = "startup", bool quit = true, QObject *parent = nullptr)
        : QObject(parent)
        , m_key(key)
        , m_quit(quit)
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            std::printf("%s_ms %.1f\n", m_key, msSinceLaunch());
            if (m_quit)
                std::printf("rss_kb %ld\n", residentKb());
            std::fflush(stdout);
            if (m_quit)
                std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const char *m_key;
    bool m_quit;
    bool m_reported = false;
};

} // namespace StartupProbe
