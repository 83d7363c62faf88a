#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Reads the entries of one section of an INI file the way the console's INI
// conversion expects of a system profile reader. The file is read once, on the
// first request, and decoded as UTF-8, or as Latin-1 when it is not valid UTF-8
// (INI files written in an 8-bit code page).
//
// Its rules:
// - lines end with LF, CR LF or CR; each line is trimmed of blanks (spaces, tabs);
// - empty lines and lines starting with ';' (comments) are skipped;
// - a line starting with '[' is a section header; the name runs to the last ']'
//   of the line (to its end when there is none) and is trimmed of blanks;
// - section names match without regard to the case of ASCII letters, after both
//   are trimmed; when a name is repeated, only the first such section is read;
// - every other line after the header, up to the next header, is an entry, given
//   as its trimmed text ("key=value" or a bare text).
// A file that cannot be read has no sections.
class IniSectionReader
{
public:
    static constexpr std::size_t kDefaultBufferSize = 1024;

    explicit IniSectionReader(std::string path);

    // The section's entries in file order, each followed by a NUL, as a reader
    // would store them into a buffer of bufferSize characters; the size of the
    // text is the count of characters stored. When all entries and their
    // separators do not fit with the buffer's final NUL, the text is cut after
    // bufferSize - 2 characters (the reader's buffer then ends with two NULs), so
    // the last entry kept may be cut short and later ones are lost. A missing
    // section gives an empty text.
    std::u32string section(const std::u32string &name, std::size_t bufferSize = kDefaultBufferSize);

    // The file's bytes decoded as UTF-8 (a leading byte-order mark dropped), or as
    // Latin-1 when they are not valid UTF-8.
    static std::u32string decode(const std::string &bytes);
    static std::string toUtf8(const std::u32string &text);
    // The text split into lines at LF, CR LF or CR.
    static std::vector<std::u32string> lines(const std::u32string &text);
    // The text without leading and trailing spaces and tabs.
    static std::u32string trimmed(const std::u32string &text);

private:
    struct Section
    {
        std::u32string name;
        std::vector<std::u32string> entries;
    };

    void load();

    std::string m_path;
    bool m_loaded = false;
    std::vector<Section> m_sections;
};
