// Linked into every test program. Qt's raster painting hands work to the global
// thread pool, whose threads are detached: joining the pool returns once a
// thread has finished its run, while the thread itself may still be tearing
// down its thread-local data. A leak check at exit that comes in that moment
// takes the thread's data for leaked. So as the application object goes away,
// the pool is joined and then its threads are waited for until the system no
// longer lists them.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QThreadPool>

namespace {

// Qt names the pool's threads so; the system keeps the first 15 characters.
constexpr char kPooledThreadName[] = "Thread (pooled)";

bool pooledThreadsListed()
{
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile name(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == kPooledThreadName)
            return true;
    }
    return false;
}

void joinPooledThreads()
{
    QThreadPool::globalInstance()->waitForDone();
    QDeadlineTimer deadline(2000);
    while (pooledThreadsListed() && !deadline.hasExpired())
        QThread::msleep(1);
}

void registerJoin()
{
    qAddPostRoutine(joinPooledThreads);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(registerJoin)
