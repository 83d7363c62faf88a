#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class ConfigStore;

// The simulator's configuration file: plain 8-bit text, one record line per line
// in the order the gateway reports them. Lines that are empty or begin with "#"
// are ignored when loading.
class ConfigFile
{
public:
    explicit ConfigFile(const QString &path);

    // Fills the store from the file. A missing file leaves the store as it is and
    // succeeds. Lines that are not valid records are skipped and listed in
    // problems(); the records around them are still loaded. False when the file
    // exists but cannot be read (errorText() says why).
    bool load(ConfigStore &store);
    // Writes the store atomically: the old file stays whole until the new one is complete.
    bool save(const ConfigStore &store);

    // Keeps a copy of the file as loaded beside it (path + ".orig"), so that lines
    // a save would drop are not lost.
    bool keepOriginal();

    QString path() const { return m_path; }
    QString errorText() const { return m_errorText; }
    QList<QByteArray> problems() const { return m_problems; }

private:
    QString m_path;
    QString m_errorText;
    QList<QByteArray> m_problems;
};
