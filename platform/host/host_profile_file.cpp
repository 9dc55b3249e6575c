#include "platform/host/host_profile_file.h"

#include "formats/setting_ini.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qora {
namespace {

constexpr const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

struct IniText {
    std::vector<std::string> lines; // without their line ends
    std::string lineEnd = "\r\n";
    bool byteOrderMark = false;
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

// A file descriptor closed when it goes out of scope; errno survives the close.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) {
            const int error = errno;
            ::close(descriptor_);
            errno = error;
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    bool open() const { return descriptor_ >= 0; }
    // Closes now, as the last step of a write: a failed close may be a failed write.
    bool close() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return ::close(descriptor) == 0;
    }

private:
    int descriptor_;
};

enum class FileState { read, missing, unreadable };

// The whole file; errno tells why when it is unreadable. A file longer than any
// setting.ini (a device, an endless file: neither tells its length) is read no further.
FileState readWholeFile(const char* path, std::string& text) {
    Descriptor file(::open(path, O_RDONLY | O_CLOEXEC));
    if (!file.open()) {
        return errno == ENOENT ? FileState::missing : FileState::unreadable;
    }
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            return FileState::unreadable;
        }
        if (got == 0) {
            return FileState::read;
        }
        text.append(chunk, static_cast<std::size_t>(got));
        if (text.size() > kMaxSettingIniBytes) {
            errno = EFBIG;
            return FileState::unreadable;
        }
    }
}

IniText parseIni(const std::string& text) {
    IniText ini;
    ini.byteOrderMark = text.starts_with(kUtf8ByteOrderMark);
    // A file of LF lines keeps them; any other is written back with CR LF, as the
    // platform writes every file.
    const bool lineFeedsOnly =
        text.find('\n') != std::string::npos && text.find('\r') == std::string::npos;
    ini.lineEnd = lineFeedsOnly ? "\n" : "\r\n";
    std::size_t start = ini.byteOrderMark ? std::strlen(kUtf8ByteOrderMark) : 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        ini.lines.push_back(text.substr(start, end - start));
        const bool crLf = text.compare(end, 2, "\r\n") == 0;
        start = end + (crLf ? 2 : 1);
    }
    return ini;
}

// The file's lines; an empty file when it is missing, nothing when it cannot be read.
std::optional<IniText> loadIni(const char* path, FileState& state) {
    std::string text;
    state = readWholeFile(path, text);
    if (state == FileState::unreadable) {
        return std::nullopt;
    }
    return parseIni(text);
}

std::string iniText(const IniText& ini) {
    std::string text = ini.byteOrderMark ? kUtf8ByteOrderMark : "";
    for (const auto& line : ini.lines) {
        text += line;
        text += ini.lineEnd;
    }
    return text;
}

bool writeAll(int descriptor, const std::string& text) {
    std::size_t total = 0;
    while (total < text.size()) {
        const ssize_t put = ::write(descriptor, text.data() + total, text.size() - total);
        if (put <= 0) {
            if (put == 0) {
                errno = ENOSPC; // nothing more fits
            }
            return false;
        }
        total += static_cast<std::size_t>(put);
    }
    return true;
}

// The permission bits a replacement takes: those of the file it replaces, or the usual
// ones of a new file.
mode_t replacementMode(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 ? (status.st_mode & 07777) : 0644;
}

// Only a file that may be written is replaced: the rename would go through a read-only
// one, since it needs no more than the folder. A file that nobody may write is read-only
// even for root, as the platform's read-only attribute is for every user.
bool mayWrite(const char* path, FileState state) {
    if (state == FileState::missing) {
        return true;
    }
    struct stat status {};
    if (::stat(path, &status) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    const Descriptor file(::open(path, O_WRONLY | O_CLOEXEC));
    return file.open();
}

// The text goes to a temporary file that then replaces the file in one step, so a crash
// or a full disk never leaves half a file. errno tells why it failed.
bool replaceFile(const char* path, const std::string& text) {
    const std::string temporary = std::string(path) + kTemporaryFileSuffix;
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!file.open()) {
        return false;
    }
    const bool written = ::fchmod(file.get(), replacementMode(path)) == 0 &&
                         writeAll(file.get(), text) && ::fsync(file.get()) == 0 && file.close() &&
                         std::rename(temporary.c_str(), path) == 0;
    if (!written) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
    }
    return written;
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

// The base a "0x", "0o" or "0b" prefix names by its second character; 10 for none.
std::uint32_t baseOfPrefix(unsigned char letter) {
    switch (letter) {
    case 'x':
        return 16;
    case 'o':
        return 8;
    case 'b':
        return 2;
    default:
        return 10;
    }
}

// 0 to 35 for a digit or letter; anything else is beyond every base.
std::uint32_t digitValue(unsigned char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10u;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10u;
    }
    return 36;
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
    while (*p != '\0' && *p <= ' ') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t base = 10;
    if (p[0] == '0' && p[1] != '\0') {
        base = baseOfPrefix(p[1]);
        p += base == 10 ? 0 : 2;
    }
    std::uint32_t value = 0;
    for (std::uint32_t digit = digitValue(*p); digit < base; digit = digitValue(*++p)) {
        value = value * base + digit;
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
    FileState state = FileState::missing;
    const auto ini = loadIni(path, state);
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
    char text[kProfileIntDigits + 1];
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
    // What could not be read is never written back as if it were empty.
    FileState state = FileState::missing;
    std::optional<IniText> loaded = loadIni(path, state);
    if (!loaded || !mayWrite(path, state)) {
        return false;
    }
    IniText& ini = *loaded;
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
    return replaceFile(path, iniText(ini));
}

} // namespace qora
