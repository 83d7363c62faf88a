#pragma once

// The one interface through which the console talks to the settings library
// Ostrel. The program never links against the library: it loads it at run time
// and asks its exported factory for the settings class by identifier. Only plain
// standard-library types cross the boundary, and failures cross it as values.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

// Identifier of the settings class, and of the interface it is used through.
inline constexpr char kSettingsStoreClassId[] = "{C0853B23-3D7F-4C46-BBCA-04A7091934CF}";
inline constexpr char kSettingsStoreInterfaceId[] = "{38F4C455-AEC8-43BE-A5DC-D9B296E7E09E}";

// A failure reported by an operation: its number, the operation that reported it
// (the source), and a description that ends with CR LF and the operation's name.
struct Failure
{
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

// The numbers a Failure of the settings store carries.
enum FailureNumber : std::int32_t {
    kFailureInvalidQuery = 1001,  // a section or key name the location path cannot hold (an apostrophe)
    kFailureOverflow = 1002,      // GetSection: more keys than its 16-bit count can hold
    kFailureWrite = 1003,         // a file could not be written (temporary file, flush or rename)
    kFailureRead = 1004,          // a file exists but could not be read
    kFailureNoRoot = 1005,        // the instance has no usable root element, since FileName failed
    kFailureNoSectionList = 1006, // a new section is needed but there is no /INISCHEMA/SECTIONLIST
    kFailureOutOfMemory = 1007,
    kFailureUnexpected = 1099,
};

// What an operation gives back: its value, or the failure that stopped it.
template<typename T>
struct Result
{
    T value{};
    std::optional<Failure> failure;

    bool ok() const { return !failure.has_value(); }
};

// The value of an operation that has nothing to give back but its success.
struct Nothing
{};

// INI-style sections and keys kept in an XML file. All texts are UTF-8.
// The operations are declared in the order of the interface's slots.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    // Writes the loaded document to the file name.
    virtual Result<Nothing> Sync() = 0;
    // True when the key was found and removed.
    virtual Result<bool> DeleteSetting(std::string sSection, std::string sKeyName, bool bSkipSave) = 0;
    // True when an existing value was replaced, false when the key was added.
    virtual Result<bool> SaveSetting(std::string sSection, std::string sKeyName, std::string sValue,
                                     bool bSkipSave) = 0;
    virtual Result<std::string> GetSetting(std::string sSection, std::string sKeyName,
                                           std::string sDefaultValue) = 0;
    // Fills the two caller-owned arrays with the section's keys and values, in
    // file order, and gives their count.
    virtual Result<std::int16_t> GetSection(std::string sSection, std::vector<std::string> &sKeyArray,
                                            std::vector<std::string> &sValueArray) = 0;
    virtual Result<bool> DeleteSection(std::string sSection, bool bSkipSave) = 0;
    // Points the instance at a file and loads it; a missing, empty or malformed
    // file is replaced by an empty skeleton at once.
    virtual Result<Nothing> FileName(std::string vData) = 0;
    // The path last set, or empty.
    virtual std::string FileName() const = 0;
    // Converts an INI file into a new XML settings file; true when it was written.
    virtual Result<bool> ConvertINIToXML(std::string sINIFile, std::string sXMLFile) = 0;
};

// Status codes of the factory.
enum class FactoryStatus : int {
    Ok = 0,
    ClassNotAvailable = 1, // no class of that identifier in this library
    NoInterface = 2,       // the class does not offer that interface
    OutOfMemory = 3,
};

// The factory the library exports under kFactorySymbol, with C linkage. On
// success *instance holds a new object the caller owns (delete it through the
// interface); on failure it is set to null.
using FactoryFunction = int (*)(const char *classId, const char *interfaceId, ISettingsStore **instance);
inline constexpr char kFactorySymbol[] = "OstrelCreateInstance";

} // namespace ostrel
