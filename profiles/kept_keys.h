#pragma once
// The keys a key field refuses: those a capture run keeps for itself (formats/run_keys.h)
// and setting.ini's switch keys. The player is told once per press, not at every poll of
// the keyboard while the key stays down. Shared by the Map dialog and its Modes dialog.

#include "platform/platform_types.h"
#include "platform/user_api.h"
#include "profiles/switch_keys.h"

#include <cstdint>

namespace qora {

inline constexpr const char* kRunKeyCaption = "Warning";
inline constexpr const char* kRunKeyTextEnd = " is kept for the capture run and cannot be bound";

// A key the fields refuse, and the one refused last while it is still down.
struct KeptKeys {
    SwitchKeyCodes switchKeys;
    std::uint8_t refusedKey = 0;
};

// True for a key the fields refuse; the player is told, unless it is still the key refused
// last. False for any other key.
bool refuseKeptKey(KeptKeys& kept, UserApi& user, WindowHandle owner, std::uint8_t scanCode);

// After each read of the keyboard: once the key refused last is up, its next press is told
// again.
void forgetReleasedKeptKey(KeptKeys& kept, const std::uint8_t* snapshot);

} // namespace qora
