// The console's own start-up, timed: the settings library check, the splash and
// the main window's start-up, as the program does them, from the launch to the
// main window's first paint. Prints the milliseconds and quits there, without
// the exit question.
//
//   bench_startup <settings folder>     prints "startup_ms <ms>" and "rss_kb <kb>"
//
// The settings folder takes the place of the console's own, so that a run
// leaves no Setting.xml behind. The launch time is taken as in bench_barewindow.

#include <frmprigroups.h>
#include <frmsplash.h>
#include <programversion.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <QApplication>
#include <QEvent>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

double nowUs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

double msSinceLaunch()
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

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Reports at the first paint of the watched window and ends the program there.
class FirstPaint final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            std::printf("startup_ms %.1f\nrss_kb %ld\n", msSinceLaunch(), residentKb());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup <settings folder>\n");
        return 2;
    }
    QApplication::setApplicationName(ProgramVersion::kProductName);
    QApplication::setOrganizationName(ProgramVersion::kMakerName);
    QApplication::setApplicationVersion(ProgramVersion::kVersion);

    FrmPRIGroups::Options options;
    options.settingsFolder = QString::fromLocal8Bit(argv[1]);
    {
        SettingsFile settings(SettingsLocation::settingFile(options.settingsFolder));
        if (!settings.isOpen()) {
            std::fprintf(stderr, "%s\n", qPrintable(settings.errorText()));
            return 1;
        }
    }

    auto *splash = new frmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    FirstPaint firstPaint;
    QObject::connect(splash, &frmSplash::loadingStarted, &app, [splash, &options, &firstPaint] {
        auto *mainWindow = new FrmPRIGroups(options);
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        mainWindow->installEventFilter(&firstPaint);
        mainWindow->startUp(splash);
    });
    splash->show();
    return app.exec();
}
