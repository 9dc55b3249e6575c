#include "platform/host/host_profile_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qora {
namespace {

struct IniText {
    std::vector<std::string> lines; // without their line ends
    std::string lineEnd = "\r\n";
};

bool equalsIgnoringCase(const std::string& a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (a.size() != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string trim(const std::string& text) {
    const auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// A line ends at "\r\n", at "\n" or at a carriage return alone, as the platform reads
// it; a carriage return kept inside a line would be eaten one by one by later rewrites.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::optional<IniText> loadIni(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();

    IniText ini;
    ini.lineEnd = text.find("\r\n") != std::string::npos || text.empty() ? "\r\n" : "\n";
    ini.lines = splitLines(text);
    return ini;
}

bool saveIni(const IniText& ini, const char* path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    for (const auto& line : ini.lines) {
        file << line << ini.lineEnd;
    }
    return static_cast<bool>(file.flush());
}

// The section name of a "[NAME]" line.
std::optional<std::string> sectionNameOf(const std::string& line) {
    const std::string text = trim(line);
    if (text.empty() || text.front() != '[') {
        return std::nullopt;
    }
    const auto close = text.find(']');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    return trim(text.substr(1, close - 1));
}

// The key name of a "KEY=value" line.
std::optional<std::string> keyNameOf(const std::string& line) {
    const auto equals = line.find('=');
    if (equals == std::string::npos || sectionNameOf(line)) {
        return std::nullopt;
    }
    return trim(line.substr(0, equals));
}

std::string valueOf(const std::string& line) {
    std::string value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

struct KeyPlace {
    std::optional<std::size_t> sectionLine;
    std::optional<std::size_t> keyLine;
    std::size_t sectionEnd = 0; // one past the last non-blank line of the section
};

KeyPlace findKey(const IniText& ini, const char* section, const char* key) {
    KeyPlace place;
    bool inSection = false;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        const auto& line = ini.lines[i];
        if (const auto name = sectionNameOf(line)) {
            if (inSection) {
                break;
            }
            inSection = equalsIgnoringCase(*name, section);
            if (inSection) {
                place.sectionLine = i;
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trim(line).empty()) {
            place.sectionEnd = i + 1;
        }
        const auto name = keyNameOf(line);
        if (name && !place.keyLine && equalsIgnoringCase(*name, key)) {
            place.keyLine = i;
        }
    }
    return place;
}

std::uint32_t copyCut(const std::string& text, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return length;
}

} // namespace

std::uint32_t parseProfileInt(const char* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
        ++p;
    }
    return negative ? 0u - value : value;
}

std::uint32_t HostProfileFile::getPrivateProfileString(const char* section, const char* key,
                                                       const char* defaultValue, char* buffer,
                                                       std::uint32_t size, const char* path) {
    // Trailing blanks of the default are dropped, as the platform does.
    std::string fallback = defaultValue != nullptr ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.pop_back();
    }
    if (section == nullptr || key == nullptr) {
        return copyCut(fallback, buffer, size);
    }
    const auto ini = loadIni(path);
    if (!ini) {
        return copyCut(fallback, buffer, size);
    }
    const KeyPlace place = findKey(*ini, section, key);
    if (!place.keyLine) {
        return copyCut(fallback, buffer, size);
    }
    return copyCut(valueOf(ini->lines[*place.keyLine]), buffer, size);
}

std::uint32_t HostProfileFile::getPrivateProfileInt(const char* section, const char* key,
                                                    std::int32_t defaultValue, const char* path) {
    char text[256];
    if (getPrivateProfileString(section, key, "", text, sizeof text, path) == 0) {
        return static_cast<std::uint32_t>(defaultValue);
    }
    return parseProfileInt(text);
}

bool HostProfileFile::writePrivateProfileString(const char* section, const char* key,
                                                const char* value, const char* path) {
    if (section == nullptr || key == nullptr || value == nullptr) {
        return false;
    }
    IniText ini = loadIni(path).value_or(IniText{});
    const std::string line = std::string(key) + "=" + value;
    const KeyPlace place = findKey(ini, section, key);
    if (place.keyLine) {
        ini.lines[*place.keyLine] = line;
    } else if (place.sectionLine) {
        ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), line);
    } else {
        if (!ini.lines.empty() && !trim(ini.lines.back()).empty()) {
            ini.lines.emplace_back();
        }
        ini.lines.push_back(std::string("[") + section + "]");
        ini.lines.push_back(line);
    }
    return saveIni(ini, path);
}

} // namespace qora
