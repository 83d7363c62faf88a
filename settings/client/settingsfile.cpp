#include "settingsfile.h"

#include "settingsloader.h"

namespace {

QString failureText(const ostrel::Failure &failure)
{
    return QString::fromStdString(failure.description);
}

} // namespace

SettingsFile::SettingsFile(const QString &path)
    : m_path(path)
{
    auto created = SettingsLoader::create();
    if (!created.store) {
        m_errorText = created.errorText;
        return;
    }
    const auto loaded = created.store->FileName(path.toStdString());
    if (!loaded.ok()) {
        m_errorText = failureText(*loaded.failure);
        return;
    }
    m_store = std::move(created.store);
}

SettingsFile::~SettingsFile() = default;

bool SettingsFile::isOpen() const
{
    return m_store != nullptr;
}

QString SettingsFile::value(const QString &section, const QString &key)
{
    if (!m_store)
        return {};
    const auto result = m_store->GetSetting(section.toStdString(), key.toStdString(), std::string());
    if (!result.ok()) {
        m_errorText = failureText(*result.failure);
        return {};
    }
    return QString::fromStdString(result.value);
}

bool SettingsFile::setValue(const QString &section, const QString &key, const QString &value)
{
    if (!m_store)
        return false;
    const auto result = m_store->SaveSetting(section.toStdString(), key.toStdString(), value.toStdString(), false);
    if (!result.ok()) {
        m_errorText = failureText(*result.failure);
        return false;
    }
    return true;
}
