#pragma once

#include <QString>

// Where the console keeps Setting.xml, Data.xml and the Styles folder: the
// program's own folder, or the per-user configuration folder when the program
// folder cannot be written (an installed console).
namespace SettingsLocation {

QString defaultFolder();

inline QString settingFile(const QString &folder)
{
    return folder + QStringLiteral("/Setting.xml");
}

inline QString dataFile(const QString &folder)
{
    return folder + QStringLiteral("/Data.xml");
}

} // namespace SettingsLocation
