#include "serialportmap.h"

#include "settingsfile.h"

SerialPortMap SerialPortMap::fromSettings(SettingsFile &file)
{
    SerialPortMap map;
    const QString section = QString::fromLatin1(kSection);
    for (int nPort = kFirstPort; nPort <= kLastPort; ++nPort)
        map.setDevicePath(nPort, file.value(section, settingKey(nPort)));
    return map;
}

SerialPortMap SerialPortMap::load(const QString &settingFile, QString *errorText)
{
    SettingsFile file(settingFile);
    if (!file.isOpen()) {
        if (errorText)
            *errorText = file.errorText();
        return {};
    }
    return fromSettings(file);
}

void SerialPortMap::setDevicePath(int nPort, const QString &path)
{
    // Blanks around a path typed into the file by hand are never part of a device name.
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        m_paths.remove(nPort);
    else
        m_paths.insert(nPort, trimmed);
}

QString SerialPortMap::devicePath(int nPort) const
{
    return m_paths.value(nPort, defaultDevicePath(nPort));
}

QString SerialPortMap::defaultDevicePath(int nPort)
{
    if (nPort < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(nPort);
#else
    return QStringLiteral("/dev/ttyS%1").arg(nPort - 1);
#endif
}

QString SerialPortMap::settingKey(int nPort)
{
    return QStringLiteral("COM%1").arg(nPort);
}
