#pragma once
// A stand-in for the Windows profile-file functions on the host, with the behaviour the
// program relies on: case-insensitive section and key names, defaults for anything
// missing, integers read as GetPrivateProfileIntA reads them, strings cut to the buffer,
// lines ended by CR LF, LF or a lone CR, a UTF-8 byte-order mark skipped (and kept), and
// writes that create or change a key while keeping every other line.
//
// qora-profiles ships with it on Linux, so it also keeps the promises a store makes: a
// file that exists but cannot be read (a folder, or one longer than kMaxSettingIniBytes,
// such as a device) reads as missing (the platform's answer) and is never written, since
// what could not be read would go back as nothing; a file that may not be written is not
// replaced; and every write goes to "<file>.new" first, which then replaces the file in
// one step. A failed write returns false with errno telling why.

#include "platform/profile_file_api.h"

#include <cstddef>

namespace qora {

class HostProfileFile final : public ProfileFileApi {
public:
    std::uint32_t getPrivateProfileInt(const char* section, const char* key,
                                       std::int32_t defaultValue, const char* path) override;
    std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                          const char* defaultValue, char* buffer,
                                          std::uint32_t size, const char* path) override;
    bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* path) override;
};

// The integer conversion of GetPrivateProfileIntA: leading blanks and control characters,
// an optional sign, an optional base prefix "0x" (hexadecimal), "0o" (octal) or "0b"
// (binary), lower case only, then digits of that base up to the first other character
// ("12abc" gives 12, "0x10" 16, "010" 10, "abc" 0). Overflow wraps in 32 bits.
std::uint32_t parseProfileInt(const char* text);

// GetPrivateProfileIntA converts at most this many characters of the value.
inline constexpr std::size_t kProfileIntDigits = 29;

} // namespace qora
