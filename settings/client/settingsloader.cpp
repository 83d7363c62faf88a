#include "settingsloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

struct LoadedLibrary
{
    ostrel::FactoryFunction factory = nullptr;
    QString errorText;
};

LoadedLibrary loadLibrary()
{
    LoadedLibrary loaded;
    QStringList tried;
    for (const QString &folder : SettingsLoader::searchFolders()) {
        const QString path = QDir(folder).filePath(QStringLiteral("libOstrel.so"));
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        // Never unloaded (a QLibrary leaves the library loaded when it goes): the
        // instances created by the library run its code.
        QLibrary library(path);
        if (!library.load()) {
            loaded.errorText = QStringLiteral("The settings library %1 could not be loaded: %2")
                                   .arg(path, library.errorString());
            return loaded;
        }
        loaded.factory = reinterpret_cast<ostrel::FactoryFunction>(library.resolve(ostrel::kFactorySymbol));
        if (!loaded.factory)
            loaded.errorText = QStringLiteral("The settings library %1 has no factory %2.")
                                   .arg(path, QLatin1String(ostrel::kFactorySymbol));
        return loaded;
    }
    loaded.errorText = QStringLiteral("The settings library was not found. Looked for:\n%1").arg(tried.join('\n'));
    return loaded;
}

} // namespace

QStringList SettingsLoader::searchFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, QDir(programFolder).filePath(QStringLiteral("../lib/varlisk"))};
}

SettingsLoader::Created SettingsLoader::create(const char *classId, const char *interfaceId)
{
    static const LoadedLibrary library = loadLibrary();
    Created created;
    if (!library.factory) {
        created.errorText = library.errorText;
        return created;
    }
    ostrel::ISettingsStore *instance = nullptr;
    const auto status = static_cast<ostrel::FactoryStatus>(library.factory(classId, interfaceId, &instance));
    switch (status) {
    case ostrel::FactoryStatus::Ok:
        if (instance)
            created.store.reset(instance);
        else
            created.errorText = QStringLiteral("The settings library gave no instance.");
        break;
    case ostrel::FactoryStatus::ClassNotAvailable:
        created.errorText = QStringLiteral("The settings library has no class %1.").arg(QLatin1String(classId));
        break;
    case ostrel::FactoryStatus::NoInterface:
        created.errorText =
            QStringLiteral("The settings class does not offer the interface %1.").arg(QLatin1String(interfaceId));
        break;
    case ostrel::FactoryStatus::OutOfMemory:
        created.errorText = QStringLiteral("The settings library ran out of memory.");
        break;
    default:
        created.errorText = QStringLiteral("The settings library failed with status %1.").arg(int(status));
        break;
    }
    return created;
}
