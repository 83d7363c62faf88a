// The console's own start-up, timed: the splash, then the settings library check
// and the main window's start-up, as the program does them, from the launch to the
// main window's first paint. Prints the milliseconds to the splash's first
// paint and to the main window's, and quits there, without the exit question.
//
//   bench_startup <settings folder>     prints "splash_ms <ms>", "startup_ms <ms>"
//                                       and "rss_kb <kb>"
//
// The settings folder takes the place of the console's own, so that a run
// leaves no Setting.xml behind. The launch time is taken as startupprobe.h says.

#include "startupprobe.h"

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

using StartupProbe::FirstPaint;

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

    auto *splash = new frmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    FirstPaint splashPaint("splash", false);
    splash->installEventFilter(&splashPaint);
    FirstPaint firstPaint;
    QObject::connect(splash, &frmSplash::loadingStarted, &app, [splash, &options, &firstPaint] {
        // The program checks its settings here too, as the main window starts loading.
        if (SettingsFile settings(SettingsLocation::settingFile(options.settingsFolder)); !settings.isOpen()) {
            std::fprintf(stderr, "%s\n", qPrintable(settings.errorText()));
            std::exit(1);
        }
        auto *mainWindow = new FrmPRIGroups(options);
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        mainWindow->installEventFilter(&firstPaint);
        mainWindow->startUp(splash);
    });
    splash->show();
    return app.exec();
}
