#include <settingsfile.h>
#include <settingslocation.h>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varlisk"));
    QApplication::setOrganizationName(QStringLiteral("Ombrel"));
    QApplication::setApplicationVersion(QStringLiteral("4.9"));

    // The console cannot keep any preference without its settings library: say
    // so at once instead of failing later in every handler.
    SettingsFile settings(SettingsLocation::settingFile(SettingsLocation::defaultFolder()));
    if (!settings.isOpen()) {
        QMessageBox::critical(nullptr, QStringLiteral("Varlisk"), settings.errorText());
        return 1;
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Varlisk 4.9"));
    window.resize(760, 640);
    window.show();
    return app.exec();
}
