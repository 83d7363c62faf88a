#include "autocompletehistory.h"

#include <settingsfile.h>
#include <settingslocation.h>

#include <array>

AutoCompleteHistory::AutoCompleteHistory(const QString &folder)
{
    setFolder(folder);
}

void AutoCompleteHistory::setFolder(const QString &folder)
{
    m_folder = folder.isEmpty() ? SettingsLocation::defaultFolder() : folder;
}

QString AutoCompleteHistory::dataFile() const
{
    return SettingsLocation::dataFile(m_folder);
}

bool AutoCompleteHistory::load(const QString &name)
{
    m_name = name;
    m_entries.clear();
    m_errorText.clear();

    SettingsFile file(dataFile());
    if (!file.isOpen()) {
        m_errorText = file.errorText();
        return false;
    }
    for (int index = 0; index < kSize; ++index) {
        const QString entry = file.value(m_name, entryKey(index));
        // SettingsFile gives an empty text for a failed read too; its error text
        // is what tells the two apart.
        if (!file.errorText().isEmpty()) {
            m_errorText = file.errorText();
            return false;
        }
        if (entry.isEmpty())
            break;
        m_entries.append(entry);
    }
    if (!file.setValue(m_name, indexKey(), QString::number(m_entries.size()))) {
        m_errorText = file.errorText();
        return false;
    }
    return true;
}

bool AutoCompleteHistory::commit(const QString &value)
{
    if (value.isEmpty())
        return false;

    SettingsFile file(dataFile());
    if (!file.isOpen()) {
        m_errorText = file.errorText();
        return false;
    }
    std::array<QString, kSize> stored;
    for (int index = 0; index < kSize; ++index) {
        stored[index] = file.value(m_name, entryKey(index));
        // A history that cannot be read is left alone rather than half rewritten.
        if (!file.errorText().isEmpty()) {
            m_errorText = file.errorText();
            return false;
        }
    }

    const auto fail = [&] {
        m_errorText = file.errorText();
        return false;
    };
    for (int index = 0; index < kSize; ++index) {
        if (stored[index].compare(value, Qt::CaseInsensitive) == 0) {
            if (!file.setValue(m_name, entryKey(index), stored[0]))
                return fail();
            if (!file.setValue(m_name, entryKey(0), value))
                return fail();
            return true;
        }
    }
    for (int index = kSize - 1; index > 0; --index) {
        if (!file.setValue(m_name, entryKey(index), stored[index - 1]))
            return fail();
    }
    if (!file.setValue(m_name, entryKey(0), value))
        return fail();
    return true;
}

bool AutoCompleteHistory::append(const QString &value)
{
    if (value.isEmpty() || m_entries.size() >= kSize)
        return false;
    m_entries.append(value);
    return true;
}

QStringList AutoCompleteHistory::matches(const QString &prefix) const
{
    QStringList found;
    for (const QString &entry : m_entries) {
        if (entry.startsWith(prefix, Qt::CaseInsensitive))
            found.append(entry);
    }
    return found;
}
