#pragma once

#include "isettingsstore.h"

// Placeholder until the store is implemented.
class cSettingsStore final : public ostrel::ISettingsStore
{
public:
    ostrel::Result<ostrel::Nothing> Sync() override { return {}; }
    ostrel::Result<bool> DeleteSetting(std::string, std::string, bool) override { return {}; }
    ostrel::Result<bool> SaveSetting(std::string, std::string, std::string, bool) override { return {}; }
    ostrel::Result<std::string> GetSetting(std::string, std::string, std::string) override { return {}; }
    ostrel::Result<std::int16_t> GetSection(std::string, std::vector<std::string> &,
                                            std::vector<std::string> &) override { return {}; }
    ostrel::Result<bool> DeleteSection(std::string, bool) override { return {}; }
    ostrel::Result<ostrel::Nothing> FileName(std::string vData) override { m_fileName = vData; return {}; }
    std::string FileName() const override { return m_fileName; }
    ostrel::Result<bool> ConvertINIToXML(std::string, std::string) override { return {}; }

private:
    std::string m_fileName;
};
