#pragma once

#include "isettingsstore.h"

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// INI-style sections and keys held in an XML file: the one class of the settings
// library. Each instance loads its file when FileName is set and works on its own
// copy of the document; every change is written back at once unless deferred.
//
// The file's tree: INISCHEMA / SECTIONLIST / SECTION (NAME, KEYLIST / KEY (NAME,
// VALUE)). Sections and keys are found by location paths built from the caller's
// names put between apostrophes, evaluated from the root element; the first match
// in document order counts. A name holding an apostrophe cannot be put in such a
// path: the operation fails with kFailureInvalidQuery.
//
// Failures come back as values: number (see ostrel::FailureNumber), source (the
// operation's name) and description (the failure's own text, CR LF, the
// operation's name). FileName reports its failure with its own text only, and
// leaves the instance without a root, so later operations fail with
// kFailureNoRoot. Before FileName is set at all, the operations do nothing.
class cSettingsStore final : public ostrel::ISettingsStore
{
public:
    cSettingsStore();
    ~cSettingsStore() override;

    ostrel::Result<ostrel::Nothing> Sync() override;
    ostrel::Result<bool> DeleteSetting(std::string sSection, std::string sKeyName, bool bSkipSave) override;
    ostrel::Result<bool> SaveSetting(
        std::string sSection, std::string sKeyName, std::string sValue, bool bSkipSave) override;
    ostrel::Result<std::string> GetSetting(
        std::string sSection, std::string sKeyName, std::string sDefaultValue) override;
    ostrel::Result<std::int16_t> GetSection(
        std::string sSection, std::vector<std::string> &sKeyArray, std::vector<std::string> &sValueArray) override;
    // True when a section was found and removed.
    ostrel::Result<bool> DeleteSection(std::string sSection, bool bSkipSave) override;
    ostrel::Result<ostrel::Nothing> FileName(std::string vData) override;
    std::string FileName() const override;
    ostrel::Result<bool> ConvertINIToXML(std::string sINIFile, std::string sXMLFile) override;

private:
    // The split entries of a section; empty (never given bounds) until a split.
    using EntryArray = std::optional<std::vector<std::u32string>>;
    static bool IsArrayEmpty(const EntryArray &array);

    // False before FileName is set; throws kFailureNoRoot after a failed FileName.
    bool hasDocument() const;
    // The first node the query finds from the root element, or an empty node.
    pugi::xml_node selectFirst(const std::string &query, const std::string &section, const std::string &key = {}) const;
    void save() const;
    // Writes the document now unless bSkipSave, when it changed or holds a
    // change deferred before; keeps a deferred change for the next write.
    void commit(bool changed, bool bSkipSave) const;

    std::string m_fileName;
    std::unique_ptr<pugi::xml_document> m_document;
    pugi::xml_node m_root;
    // A change made with bSkipSave that no write has carried to the file yet.
    mutable bool m_unsaved = false;
};
