#include <frmprigroups.h>
#include <frmsplash.h>
#include <programversion.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(ProgramVersion::kProductName);
    QApplication::setOrganizationName(ProgramVersion::kMakerName);
    QApplication::setApplicationVersion(ProgramVersion::kVersion);

    // The console cannot keep any preference without its settings library: say
    // so at once instead of failing later in every handler.
    {
        SettingsFile settings(SettingsLocation::settingFile(SettingsLocation::defaultFolder()));
        if (!settings.isOpen()) {
            QMessageBox::critical(nullptr, ProgramVersion::kProductName, settings.errorText());
            return 1;
        }
    }

    auto *splash = new frmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<FrmPRIGroups> mainWindow;
    QObject::connect(splash, &frmSplash::loadingStarted, &app, [splash, &mainWindow] {
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
