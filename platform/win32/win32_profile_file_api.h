#pragma once
#include "platform/profile_file_api.h"

namespace qora {

class Win32ProfileFileApi final : public ProfileFileApi {
public:
    std::uint32_t getPrivateProfileInt(const char* section, const char* key,
                                       std::int32_t defaultValue, const char* path) override;
    std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                          const char* defaultValue, char* buffer,
                                          std::uint32_t size, const char* path) override;
    bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* path) override;
};

} // namespace qora
