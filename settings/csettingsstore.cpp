#include "csettingsstore.h"

#include "atomicfile.h"
#include "inisectionreader.h"
#include "storeerror.h"

#include <limits>
#include <new>
#include <utility>

using ostrel::Failure;
using ostrel::Nothing;
using ostrel::Result;

namespace {

// Line ends inside values are kept as written (no end-of-line normalising), and a
// value of blanks alone survives a reload; blanks between elements do not count.
constexpr unsigned kParseOptions = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;
constexpr unsigned kSaveFormat = pugi::format_raw | pugi::format_no_declaration;

Failure makeFailure(std::int32_t number, const char *source, const std::string &description, bool appendSource) noexcept
{
    Failure failure;
    failure.number = number;
    try {
        failure.source = source;
        failure.description = appendSource ? description + "\r\n" + source : description;
    } catch (...) {
        // Out of memory while describing the failure: the number still tells it.
    }
    return failure;
}

// Runs an operation's body and turns whatever it throws into a failure value, so
// that no exception ever leaves the library.
template<typename T, typename Body> Result<T> guarded(const char *operation, bool appendSource, Body &&body) noexcept
{
    Result<T> result;
    try {
        result.value = body();
    } catch (const StoreError &error) {
        result.failure = makeFailure(error.number, operation, error.description, appendSource);
    } catch (const std::bad_alloc &) {
        result.failure = makeFailure(ostrel::kFailureOutOfMemory, operation, "Out of memory", appendSource);
    } catch (const std::exception &error) {
        result.failure = makeFailure(ostrel::kFailureUnexpected, operation, error.what(), appendSource);
    } catch (...) {
        result.failure = makeFailure(ostrel::kFailureUnexpected, operation, "Unexpected failure", appendSource);
    }
    return result;
}

// The text of an element: all its text below it, joined. The walk is a loop, not
// a recursion, so that a deeply nested file cannot exhaust the stack.
std::string textOf(pugi::xml_node element)
{
    pugi::xml_node node = element.first_child();
    if (!node)
        return {};
    if ((node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) && !node.next_sibling())
        return node.value();
    std::string text;
    while (node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            text += node.value();
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != element && !node.next_sibling())
            node = node.parent();
        if (node == element)
            break;
        node = node.next_sibling();
    }
    return text;
}

void setTextOf(pugi::xml_node element, const std::string &text)
{
    while (pugi::xml_node child = element.first_child())
        element.remove_child(child);
    if (!text.empty())
        element.append_child(pugi::node_pcdata).set_value(text.c_str());
}

// Whether element holds text as a store would have written it: one plain text
// child, or nothing for an empty text.
bool holdsText(pugi::xml_node element, const std::string &text)
{
    const pugi::xml_node child = element.first_child();
    if (!child)
        return text.empty();
    return !child.next_sibling() && child.type() == pugi::node_pcdata && text == child.value();
}

pugi::xml_node appendElement(pugi::xml_node parent, const char *name, const std::string *text = nullptr)
{
    pugi::xml_node element = parent.append_child(name);
    if (text)
        setTextOf(element, *text);
    return element;
}

void buildSkeleton(pugi::xml_document &document)
{
    appendElement(document.append_child("INISCHEMA"), "SECTIONLIST");
}

std::string serialized(const pugi::xml_document &document)
{
    struct StringWriter final : pugi::xml_writer
    {
        std::string bytes;
        void write(const void *data, size_t size) override { bytes.append(static_cast<const char *>(data), size); }
    } writer;
    document.save(writer, "", kSaveFormat, pugi::encoding_utf8);
    return std::move(writer.bytes);
}

bool onlyBlanks(const std::string &bytes)
{
    return bytes.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string valueQuery(const std::string &section, const std::string &key)
{
    return "//SECTION[NAME = '" + section + "']/KEYLIST/KEY[NAME = '" + key + "']/VALUE";
}

std::string keyQuery(const std::string &section, const std::string &key)
{
    return "//SECTION[NAME = '" + section + "']/KEYLIST/KEY[NAME = '" + key + "']";
}

std::string keyListQuery(const std::string &section)
{
    return "//SECTION[NAME = '" + section + "']/KEYLIST";
}

std::string sectionQuery(const std::string &section)
{
    return "//SECTION[NAME = '" + section + "']";
}

constexpr char kSectionListQuery[] = "/INISCHEMA/SECTIONLIST";

} // namespace

cSettingsStore::cSettingsStore() = default;
cSettingsStore::~cSettingsStore() = default;

bool cSettingsStore::IsArrayEmpty(const EntryArray &array)
{
    return !array.has_value();
}

bool cSettingsStore::hasDocument() const
{
    if (!m_document)
        return false;
    if (!m_root)
        throw StoreError {ostrel::kFailureNoRoot, "The settings file " + m_fileName + " is not loaded"};
    return true;
}

pugi::xml_node cSettingsStore::selectFirst(
    const std::string &query, const std::string &section, const std::string &key) const
{
    std::optional<pugi::xpath_query> compiled;
    try {
        compiled.emplace(query.c_str());
    } catch (const pugi::xpath_exception &error) {
        throw StoreError {
            ostrel::kFailureInvalidQuery, "Invalid location path " + query + ": " + error.result().description()};
    }
    if (!compiled->result())
        throw StoreError {
            ostrel::kFailureInvalidQuery, "Invalid location path " + query + ": " + compiled->result().description()};
    // Two apostrophes in a name can close and reopen the quoted text and still
    // give a valid path that matches some other section or key (and a save
    // would then overwrite that one), so any apostrophe fails like one alone.
    if (section.find('\'') != std::string::npos || key.find('\'') != std::string::npos)
        throw StoreError {
            ostrel::kFailureInvalidQuery, "Invalid location path " + query + ": a name may not contain an apostrophe"};
    return m_root.select_node(*compiled).node();
}

void cSettingsStore::save() const
{
    atomicfile::write(m_fileName, serialized(*m_document));
    m_unsaved = false;
}

void cSettingsStore::commit(bool changed, bool bSkipSave) const
{
    // A value set to what it already was is no change, so the file (and its
    // time) is left alone, unless a change deferred before is still unwritten.
    if (bSkipSave)
        m_unsaved = m_unsaved || changed;
    else if (changed || m_unsaved)
        save();
}

Result<Nothing> cSettingsStore::Sync()
{
    return guarded<Nothing>("Sync", true, [&] {
        if (hasDocument())
            save();
        return Nothing {};
    });
}

Result<bool> cSettingsStore::DeleteSetting(std::string sSection, std::string sKeyName, bool bSkipSave)
{
    return guarded<bool>("DeleteSetting", true, [&] {
        if (!hasDocument())
            return false;
        pugi::xml_node key = selectFirst(keyQuery(sSection, sKeyName), sSection, sKeyName);
        if (!key)
            return false;
        key.parent().remove_child(key);
        commit(true, bSkipSave);
        return true;
    });
}

Result<bool> cSettingsStore::SaveSetting(std::string sSection, std::string sKeyName, std::string sValue, bool bSkipSave)
{
    return guarded<bool>("SaveSetting", true, [&] {
        if (!hasDocument())
            return false;
        bool replaced = false;
        bool changed = true;
        if (pugi::xml_node value = selectFirst(valueQuery(sSection, sKeyName), sSection, sKeyName)) {
            changed = !holdsText(value, sValue);
            if (changed)
                setTextOf(value, sValue);
            replaced = true;
        } else {
            pugi::xml_node keyList = selectFirst(keyListQuery(sSection), sSection);
            if (!keyList) {
                pugi::xml_node sectionList = m_root.select_node(kSectionListQuery).node();
                if (!sectionList)
                    throw StoreError {ostrel::kFailureNoSectionList,
                        "The settings file " + m_fileName + " has no section list to add " + sSection + " to"};
                pugi::xml_node section = appendElement(sectionList, "SECTION");
                appendElement(section, "NAME", &sSection);
                keyList = appendElement(section, "KEYLIST");
            }
            pugi::xml_node key = appendElement(keyList, "KEY");
            appendElement(key, "NAME", &sKeyName);
            appendElement(key, "VALUE", &sValue);
        }
        commit(changed, bSkipSave);
        return replaced;
    });
}

Result<std::string> cSettingsStore::GetSetting(std::string sSection, std::string sKeyName, std::string sDefaultValue)
{
    return guarded<std::string>("GetSetting", true, [&]() -> std::string {
        if (!hasDocument())
            return {};
        const pugi::xml_node value = selectFirst(valueQuery(sSection, sKeyName), sSection, sKeyName);
        if (!value)
            return std::move(sDefaultValue);
        return textOf(value);
    });
}

Result<std::int16_t> cSettingsStore::GetSection(
    std::string sSection, std::vector<std::string> &sKeyArray, std::vector<std::string> &sValueArray)
{
    return guarded<std::int16_t>("GetSection", true, [&]() -> std::int16_t {
        if (!hasDocument())
            return 0;
        const pugi::xml_node keyList = selectFirst(keyListQuery(sSection), sSection);
        if (!keyList)
            return 0;
        sKeyArray.assign(1, std::string());
        sValueArray.assign(1, std::string());
        std::int16_t count = 0;
        for (const pugi::xml_node key : keyList.children("KEY")) {
            const pugi::xml_node name = key.child("NAME");
            if (!name)
                continue;
            if (count == std::numeric_limits<std::int16_t>::max())
                throw StoreError {
                    ostrel::kFailureOverflow, "Overflow: the section " + sSection + " holds more than 32767 keys"};
            sKeyArray.resize(std::size_t(count) + 1);
            sValueArray.resize(std::size_t(count) + 1);
            sKeyArray[count] = textOf(name);
            sValueArray[count] = textOf(key.child("VALUE"));
            ++count;
        }
        return count;
    });
}

Result<bool> cSettingsStore::DeleteSection(std::string sSection, bool bSkipSave)
{
    return guarded<bool>("DeleteSection", true, [&] {
        if (!hasDocument())
            return false;
        pugi::xml_node section = selectFirst(sectionQuery(sSection), sSection);
        if (!section)
            return false;
        section.parent().remove_child(section);
        // A file whose root element is itself the section loses its root.
        m_root = m_document->document_element();
        commit(true, bSkipSave);
        return true;
    });
}

Result<Nothing> cSettingsStore::FileName(std::string vData)
{
    return guarded<Nothing>("FileName", false, [&] {
        m_root = pugi::xml_node();
        m_document.reset();
        m_unsaved = false;
        m_fileName = std::move(vData);
        m_document = std::make_unique<pugi::xml_document>();
        // A file that exists but cannot be read is reported, not replaced: its
        // content may be fine and only out of reach for now.
        const std::optional<std::string> bytes = atomicfile::read(m_fileName);
        bool loaded = false;
        if (bytes) {
            const pugi::xml_parse_result parsed = m_document->load_buffer(bytes->data(), bytes->size(), kParseOptions);
            // A parse error can leave part of a tree behind; it is not used.
            loaded = parsed && m_document->document_element();
        }
        if (!loaded) {
            // Unreadable settings are replaced by an empty file, but first kept
            // beside it, so that nothing the operator had is lost for good.
            if (bytes && !onlyBlanks(*bytes))
                atomicfile::write(m_fileName + ".bad", *bytes);
            m_document->reset();
            buildSkeleton(*m_document);
            save();
        }
        m_root = m_document->document_element();
        return Nothing {};
    });
}

std::string cSettingsStore::FileName() const
{
    try {
        return m_fileName;
    } catch (...) {
        return {};
    }
}

Result<bool> cSettingsStore::ConvertINIToXML(std::string sINIFile, std::string sXMLFile)
{
    return guarded<bool>("ConvertINIToXML", true, [&] {
        pugi::xml_document document;
        buildSkeleton(document);
        pugi::xml_node sectionList = document.document_element().child("SECTIONLIST");

        const auto first = sINIFile.find_first_not_of(' ');
        const std::string trimmedPath = first == std::string::npos
            ? std::string()
            : sINIFile.substr(first, sINIFile.find_last_not_of(' ') - first + 1);
        const std::optional<std::string> bytes = atomicfile::read(trimmedPath);
        if (!bytes)
            return false;

        // The reader is given the path as the caller wrote it, blanks included.
        IniSectionReader reader(sINIFile);
        for (const std::u32string &line : IniSectionReader::lines(IniSectionReader::decode(*bytes))) {
            const std::u32string text = IniSectionReader::trimmed(line);
            if (text.size() < 2 || text.front() != U'[' || text.back() != U']')
                continue;
            const std::u32string name = text.substr(1, text.size() - 2);
            pugi::xml_node section = appendElement(sectionList, "SECTION");
            const std::string sectionName = IniSectionReader::toUtf8(name);
            appendElement(section, "NAME", &sectionName);

            const std::u32string stored = reader.section(name);
            EntryArray entries;
            entries.emplace();
            std::size_t start = 0;
            for (std::size_t i = 0; i <= stored.size(); ++i) {
                if (i == stored.size() || stored[i] == U'\0') {
                    entries->push_back(stored.substr(start, i - start));
                    start = i + 1;
                }
            }
            if (IsArrayEmpty(entries))
                continue;
            pugi::xml_node keyList = appendElement(section, "KEYLIST");
            for (const std::u32string &entry : *entries) {
                if (entry.empty())
                    continue;
                const auto equals = entry.find(U'=');
                const std::string keyName = IniSectionReader::toUtf8(entry.substr(0, equals));
                const std::string value = equals == std::u32string::npos
                    ? std::string()
                    : IniSectionReader::toUtf8(entry.substr(equals + 1));
                pugi::xml_node key = appendElement(keyList, "KEY");
                appendElement(key, "NAME", &keyName);
                appendElement(key, "VALUE", &value);
            }
        }
        atomicfile::write(sXMLFile, serialized(document));
        return true;
    });
}
