#include "platform/win32/win32_profile_file_api.h"

#include <windows.h>

namespace qora {

std::uint32_t Win32ProfileFileApi::getPrivateProfileInt(const char* section, const char* key,
                                                        std::int32_t defaultValue,
                                                        const char* path) {
    return GetPrivateProfileIntA(section, key, defaultValue, path);
}

std::uint32_t Win32ProfileFileApi::getPrivateProfileString(const char* section, const char* key,
                                                           const char* defaultValue, char* buffer,
                                                           std::uint32_t size, const char* path) {
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path);
}

bool Win32ProfileFileApi::writePrivateProfileString(const char* section, const char* key,
                                                    const char* value, const char* path) {
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

} // namespace qora
