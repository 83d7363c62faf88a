#pragma once

#include <QString>

#include <memory>

namespace ostrel {
class ISettingsStore;
}

// One settings file opened for the calls of one handler, the way the console
// uses the store: a fresh instance on the file, values read with an empty
// default, every change saved at once. A store that cannot be created or a file
// that cannot be loaded leaves the object closed: reads give empty texts and
// writes do nothing, and errorText() says why.
class SettingsFile final
{
public:
    explicit SettingsFile(const QString &path);
    ~SettingsFile();
    SettingsFile(const SettingsFile &) = delete;
    SettingsFile &operator=(const SettingsFile &) = delete;

    bool isOpen() const;
    QString errorText() const { return m_errorText; }
    QString path() const { return m_path; }

    // The stored value, or an empty text when there is none or the read failed.
    QString value(const QString &section, const QString &key);
    // Stores the value and rewrites the file; false when the store reported a failure.
    bool setValue(const QString &section, const QString &key, const QString &value);

    // The store itself, for the less common operations; null when closed.
    ostrel::ISettingsStore *store() const { return m_store.get(); }

private:
    QString m_path;
    QString m_errorText;
    std::unique_ptr<ostrel::ISettingsStore> m_store;
};
