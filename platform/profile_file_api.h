#pragma once
// The profile-file (ini) calls: GetPrivateProfileIntA, GetPrivateProfileStringA and
// WritePrivateProfileStringA, one method each, with the platform's arguments and results.

#include <cstdint>

namespace qora {

struct ProfileFileApi {
    virtual ~ProfileFileApi() = default;

    // The integer value of key in section, or defaultValue when the file, section or key
    // is missing. Negative values come back as their 32-bit pattern.
    virtual std::uint32_t getPrivateProfileInt(const char* section, const char* key,
                                               std::int32_t defaultValue, const char* path) = 0;

    // Copies the value (or defaultValue) into buffer, cut to size - 1 characters and
    // NUL-terminated; returns the number of characters copied.
    virtual std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                                  const char* defaultValue, char* buffer,
                                                  std::uint32_t size, const char* path) = 0;

    // Creates the file, section or key as needed, or replaces the value in place.
    virtual bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                           const char* path) = 0;
};

} // namespace qora
