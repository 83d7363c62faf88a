#include <frmprigroups.h>
#include <frmsplash.h>
#include <programversion.h>
#include <settingsfile.h>
#include <settingsloader.h>
#include <settingslocation.h>

#include <QApplication>
#include <QDir>
#include <QPointer>

#include <cstdio>

namespace {

// The console runs on its defaults when its settings cannot be kept, as every
// preference fails on its own and silently. One line on standard error says
// what failed and why, for an operator who started it from a terminal.
void reportUnkeptSettings()
{
    const QString path = SettingsLocation::settingFile(SettingsLocation::defaultFolder());
    QString problem;
    if (const SettingsLoader::Created created = SettingsLoader::create(); !created.store) {
        problem = QStringLiteral("settings library: ") + created.errorText;
    } else if (SettingsFile settings(path); !settings.isOpen()) {
        problem = QDir::toNativeSeparators(path) + QStringLiteral(": ") + settings.errorText();
    }
    if (problem.isEmpty())
        return;
    const QString line = QStringLiteral("varlisk: preferences are not kept, using the defaults: ") + problem.simplified();
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(ProgramVersion::kProductName);
    QApplication::setOrganizationName(ProgramVersion::kMakerName);
    QApplication::setApplicationVersion(ProgramVersion::kVersion);

    auto *splash = new frmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<FrmPRIGroups> mainWindow;
    QObject::connect(splash, &frmSplash::loadingStarted, &app, [splash, &mainWindow] {
        // Checked as the main window starts loading, which reads the settings
        // next, rather than before the splash, which would show that much later.
        reportUnkeptSettings();
        mainWindow = new FrmPRIGroups;
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        mainWindow->startUp(splash);
    });
    splash->show();
    const int result = app.exec();
    // A window still open when the event loop ends goes with the program.
    delete mainWindow;
    return result;
}
