#pragma once

#include <QString>

// The product's identity and version, shown by the splash and About windows and
// in the main window's caption.
namespace ProgramVersion {

inline const QString kProductName = QStringLiteral("Varlisk");
inline const QString kMakerName = QStringLiteral("Ombrel");
inline const QString kVersion = QStringLiteral("4.9");
inline const QString kBuildType = QStringLiteral("beta");
inline const QString kBuildNumber = QStringLiteral("13");

// "4.9 beta 13"
inline QString fullVersion()
{
    return kVersion + QLatin1Char(' ') + kBuildType + QLatin1Char(' ') + kBuildNumber;
}

// "Varlisk 4.9", the main window's caption.
inline QString windowCaption()
{
    return kProductName + QLatin1Char(' ') + kVersion;
}

} // namespace ProgramVersion
