#pragma once
// A stand-in for the Windows profile-file functions on the host, with the behaviour the
// program relies on: case-insensitive section and key names, defaults for anything
// missing, integers read as GetPrivateProfileIntA reads them, strings cut to the buffer,
// and writes that create or replace in place while keeping every other line.

#include "platform/profile_file_api.h"

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

// The integer conversion of GetPrivateProfileIntA: leading blanks, an optional sign, then
// decimal digits up to the first other character ("12abc" gives 12, "abc" gives 0).
// Overflow wraps in 32 bits.
std::uint32_t parseProfileInt(const char* text);

} // namespace qora
