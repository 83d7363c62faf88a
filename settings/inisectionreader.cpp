#include "inisectionreader.h"

#include "atomicfile.h"

#include <optional>
#include <utility>

namespace {

bool sameNameIgnoringCase(const std::u32string &a, const std::u32string &b)
{
    if (a.size() != b.size())
        return false;
    const auto lower = [](char32_t c) { return (c >= U'A' && c <= U'Z') ? c - U'A' + U'a' : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The code points of valid UTF-8, or nothing when the bytes are not valid UTF-8
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::optional<std::u32string> decodeUtf8(const std::string &bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        i = 3;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (extra > 0 && i + extra >= bytes.size())
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        text += cp;
        i += std::size_t(extra) + 1;
    }
    return text;
}

} // namespace

IniSectionReader::IniSectionReader(std::string path)
    : m_path(std::move(path))
{ }

std::u32string IniSectionReader::decode(const std::string &bytes)
{
    if (auto text = decodeUtf8(bytes))
        return std::move(*text);
    std::u32string latin1;
    latin1.reserve(bytes.size());
    for (const char byte : bytes)
        latin1 += char32_t(static_cast<unsigned char>(byte));
    return latin1;
}

std::string IniSectionReader::toUtf8(const std::u32string &text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t cp : text) {
        if (cp < 0x80) {
            bytes += char(cp);
        } else if (cp < 0x800) {
            bytes += char(0xC0 | (cp >> 6));
            bytes += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            bytes += char(0xE0 | (cp >> 12));
            bytes += char(0x80 | ((cp >> 6) & 0x3F));
            bytes += char(0x80 | (cp & 0x3F));
        } else {
            bytes += char(0xF0 | (cp >> 18));
            bytes += char(0x80 | ((cp >> 12) & 0x3F));
            bytes += char(0x80 | ((cp >> 6) & 0x3F));
            bytes += char(0x80 | (cp & 0x3F));
        }
    }
    return bytes;
}

std::vector<std::u32string> IniSectionReader::lines(const std::u32string &text)
{
    std::vector<std::u32string> result;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != U'\r' && text[i] != U'\n')
            continue;
        result.push_back(text.substr(start, i - start));
        if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        result.push_back(text.substr(start));
    return result;
}

std::u32string IniSectionReader::trimmed(const std::u32string &text)
{
    const auto blank = [](char32_t c) { return c == U' ' || c == U'\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

void IniSectionReader::load()
{
    m_loaded = true;
    std::optional<std::string> bytes;
    try {
        bytes = atomicfile::read(m_path);
    } catch (...) {
        // Like a profile reader, a file it cannot open simply has no sections.
    }
    if (!bytes)
        return;
    bool inSection = false;
    for (const auto &line : lines(decode(*bytes))) {
        const std::u32string text = trimmed(line);
        if (text.empty() || text.front() == U';')
            continue;
        if (text.front() == U'[') {
            const auto close = text.rfind(U']');
            const auto nameEnd = close == std::u32string::npos ? text.size() : close;
            m_sections.push_back({trimmed(text.substr(1, nameEnd - 1)), {}});
            inSection = true;
            continue;
        }
        if (inSection)
            m_sections.back().entries.push_back(text);
    }
}

std::u32string IniSectionReader::section(const std::u32string &name, std::size_t bufferSize)
{
    if (!m_loaded)
        load();
    const std::u32string wanted = trimmed(name);
    for (const auto &section : m_sections) {
        if (!sameNameIgnoringCase(section.name, wanted))
            continue;
        std::u32string stored;
        for (const auto &entry : section.entries) {
            if (stored.size() >= bufferSize)
                break;
            stored += entry;
            stored += U'\0';
        }
        // The buffer must also hold the list's final NUL.
        if (stored.size() + 1 > bufferSize)
            stored.resize(bufferSize >= 2 ? bufferSize - 2 : 0);
        return stored;
    }
    return {};
}
