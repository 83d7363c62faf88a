#pragma once

#include <QHash>
#include <QString>

class SettingsFile;

// Which device stands for each serial port "COM n" the operator chooses. By
// default COM n is /dev/ttyS<n-1> (COMn on Windows); the section "COMPorts" of
// Setting.xml may map any number to any path with the keys "COM1" to "COM20"
// (a key named "COM3" with the value "/dev/ttyUSB0"), without rebuilding.
class SerialPortMap
{
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;
    static constexpr char kSection[] = "COMPorts";

    SerialPortMap() = default;

    // Reads the mapped ports from a settings file; keys that are missing or empty
    // keep the default path.
    static SerialPortMap fromSettings(SettingsFile &file);
    // The same for the file at settingFile. A file that cannot be opened gives
    // the defaults; errorText, when given, then says why.
    static SerialPortMap load(const QString &settingFile, QString *errorText = nullptr);

    // Maps nPort to path; an empty path restores the default.
    void setDevicePath(int nPort, const QString &path);
    // The device path of "COM nPort"; empty for a number below 1, which names no port.
    QString devicePath(int nPort) const;
    bool isMapped(int nPort) const { return m_paths.contains(nPort); }

    static QString defaultDevicePath(int nPort);
    static QString settingKey(int nPort);

private:
    QHash<int, QString> m_paths;
};
