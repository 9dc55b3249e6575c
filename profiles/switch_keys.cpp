#include "profiles/switch_keys.h"

#include "formats/setting_ini.h"
#include "input/key_names.h"

namespace qora {
namespace {

std::uint8_t keyNamedIn(ProfileFileApi& ini, const ProgramPaths& paths, const char* key) {
    KeyNameSlot name{};
    ini.getPrivateProfileString(kSwitchSection, key, "", name.data(),
                                static_cast<std::uint32_t>(name.size()), paths.settingIni.c_str());
    return scanCodeNamed(name.data());
}

} // namespace

SwitchKeyCodes readSwitchKeyCodes(ProfileFileApi& ini, const ProgramPaths& paths) {
    return {keyNamedIn(ini, paths, kSwitchNextKey), keyNamedIn(ini, paths, kSwitchPreviousKey)};
}

} // namespace qora
