#pragma once

#include <isettingsstore.h>

#include <QString>
#include <QStringList>

#include <memory>

// Loads the settings library at run time and creates settings store instances
// through its exported factory. The library is looked for in the program's own
// folder first; it stays loaded for the rest of the program's life, since every
// instance it created runs its code.
class SettingsLoader final
{
public:
    struct Created
    {
        std::unique_ptr<ostrel::ISettingsStore> store; // null on failure
        QString errorText;                             // why it failed, for the operator
    };

    // Creates an instance of the settings class.
    static Created create(const char *classId = ostrel::kSettingsStoreClassId,
                          const char *interfaceId = ostrel::kSettingsStoreInterfaceId);

    // The folders searched for the library, in order.
    static QStringList searchFolders();
};
