#pragma once
// The keys of setting.ini's [SWITCH]: during a capture run NEXT and PREVIOUS switch to the
// next or previous profile and reach no binding, so, like the keys a run always keeps for
// itself (formats/run_keys.h), the Map dialog does not bind them. Written by the names the
// Map dialog shows ("PAGE UP"); a missing, empty or unknown name is no key.

#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <cstdint>

namespace qora {

struct SwitchKeyCodes {
    std::uint8_t next = 0; // scan codes; 0 for none
    std::uint8_t previous = 0;
};

SwitchKeyCodes readSwitchKeyCodes(ProfileFileApi& ini, const ProgramPaths& paths);

inline bool isSwitchKey(const SwitchKeyCodes& keys, std::uint8_t code) {
    return code != 0 && (code == keys.next || code == keys.previous);
}

} // namespace qora
