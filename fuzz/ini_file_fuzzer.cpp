// The host ini stand-in over random setting.ini files: reads are cut and terminated as
// the platform's are, a written value reads back, a write keeps every other key, writing
// the same value twice leaves the file as it was, and an integer written as decimal text
// reads back as that integer (how COUNT and CURRENT travel).
//
// Input: a flags byte (bit 0: no file at all), then NUL-terminated texts: the file, the
// section, key and value to write; then a 32-bit integer; then (section, key) pairs to
// probe.

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "work_directory.h"

#include "platform/host/host_profile_file.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace qora::fuzzing {
namespace {

constexpr std::uint8_t kNoFile = 0x01;
constexpr std::size_t kMaxProbes = 8;
constexpr std::uint32_t kReadSize = 512;
constexpr std::uint32_t kMaxCutSize = 8;
constexpr const char* kMissing = "\x01missing";

struct Probe {
    std::string section;
    std::string key;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

bool isTrimmed(const std::string& text) {
    return !text.empty() && !isBlank(text.front()) && !isBlank(text.back());
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Names and values that a "[SECTION]" line and a "KEY=value" line carry unchanged: the
// file format trims blanks, ends a section name at "]" and a key at "=", and takes quotes
// around a value off.
bool isPlainSection(const std::string& section) {
    return isTrimmed(section) && !hasLineBreak(section) && section.find(']') == std::string::npos;
}

bool isPlainKey(const std::string& key) {
    return isTrimmed(key) && !hasLineBreak(key) && key.find('=') == std::string::npos &&
           key.front() != '[';
}

bool isPlainValue(const std::string& value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return isTrimmed(value) && !hasLineBreak(value) && !quoted;
}

std::string readValue(HostProfileFile& ini, const Probe& probe, const std::string& path) {
    char buffer[kReadSize];
    std::memset(buffer, 0x55, sizeof buffer);
    const std::uint32_t length = ini.getPrivateProfileString(
        probe.section.c_str(), probe.key.c_str(), kMissing, buffer, kReadSize, path.c_str());
    require(length < kReadSize, "a read stays inside its buffer");
    require(buffer[length] == '\0', "a read ends with a NUL");
    require(std::strlen(buffer) == length, "a read returns the length it copied");
    const std::string value(buffer, length);
    require(!hasLineBreak(value), "a value ends with its line");
    return value;
}

// A smaller buffer gets the start of the same value, cut to size - 1 characters, and a
// buffer of size 0 is not touched at all.
void checkCutRead(HostProfileFile& ini, const Probe& probe, const std::string& path,
                  const std::string& whole, std::uint32_t size) {
    char buffer[kMaxCutSize + 1];
    std::memset(buffer, 0x55, sizeof buffer);
    const std::uint32_t length = ini.getPrivateProfileString(
        probe.section.c_str(), probe.key.c_str(), kMissing, buffer, size, path.c_str());
    if (size == 0) {
        require(length == 0 && buffer[0] == 0x55, "a read into no room writes nothing");
        return;
    }
    const std::size_t expected = std::min<std::size_t>(whole.size(), size - 1);
    require(length == expected, "a cut read copies size - 1 characters at most");
    require(buffer[length] == '\0', "a cut read ends with a NUL");
    require(whole.compare(0, length, buffer, length) == 0, "a cut read is the value's start");
}

std::vector<std::string> readAll(HostProfileFile& ini, const std::vector<Probe>& probes,
                                 const std::string& path) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < probes.size(); ++i) {
        values.push_back(readValue(ini, probes[i], path));
        checkCutRead(ini, probes[i], path, values.back(),
                     static_cast<std::uint32_t>(i % (kMaxCutSize + 1)));
    }
    return values;
}

bool names(const Probe& probe, const Probe& written) {
    return equalIgnoringCase(probe.section, written.section) &&
           equalIgnoringCase(probe.key, written.key);
}

void write(HostProfileFile& ini, const Probe& where, const std::string& value,
           const std::string& path) {
    require(ini.writePrivateProfileString(where.section.c_str(), where.key.c_str(), value.c_str(),
                                          path.c_str()),
            "a write to a writable folder succeeds");
}

void checkIntegerRoundTrip(HostProfileFile& ini, const Probe& where, std::int32_t number,
                           const std::string& path) {
    char text[16];
    std::snprintf(text, sizeof text, "%" PRId32, number);
    write(ini, where, text, path);
    const std::uint32_t read =
        ini.getPrivateProfileInt(where.section.c_str(), where.key.c_str(), 0, path.c_str());
    if (read != static_cast<std::uint32_t>(number)) {
        fail(std::string("the integer ") + text + " read back as " + std::to_string(read));
    }
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const std::string content = input.text();
    const Probe written{input.text(), input.text()};
    const std::string value = input.text();
    const auto number = static_cast<std::int32_t>(input.u32());
    std::vector<Probe> probes;
    while (!input.empty() && probes.size() < kMaxProbes) {
        probes.push_back({input.text(), input.text()});
    }
    probes.push_back(written);

    const std::string path = workDirectory().file("setting.ini");
    removeFile(path);
    if ((flags & kNoFile) == 0) {
        workDirectory().write("setting.ini", content);
    }
    qora::HostProfileFile ini;

    const std::vector<std::string> before = readAll(ini, probes, path);
    write(ini, written, value, path);
    const std::vector<std::string> after = readAll(ini, probes, path);
    const bool plain =
        isPlainSection(written.section) && isPlainKey(written.key) && isPlainValue(value);
    for (std::size_t i = 0; i < probes.size(); ++i) {
        if (plain && names(probes[i], written)) {
            if (after[i] != value) {
                fail("wrote '" + value + "', read back '" + after[i] + "'");
            }
        } else if (plain && after[i] != before[i]) {
            fail("a write changed the key '" + probes[i].key + "' of [" + probes[i].section +
                 "] from '" + before[i] + "' to '" + after[i] + "'");
        }
    }

    if (plain) {
        const std::string once = workDirectory().read("setting.ini");
        write(ini, written, value, path);
        require(workDirectory().read("setting.ini") == once,
                "writing the same value again changes nothing");
    }

    if (isPlainSection(written.section) && isPlainKey(written.key)) {
        checkIntegerRoundTrip(ini, written, number, path);
    }
    return 0;
}
