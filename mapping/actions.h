#pragma once
// What each ActionCode does to the ControllerState, how a pressed key finds its actions
// through the current profile, and how a mouse binding becomes an ActionCode.

#include "formats/action_codes.h"
#include "formats/profile_record.h"
#include "mapping/controller_state.h"
#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// Performs the effect of code in the given console mode, then combineTilt. Codes outside
// 0-28 change nothing themselves; combineTilt still runs.
void applyAction(ControllerState& state, ConsoleMode mode, ActionCode code);

// Applies, in ascending ActionCode order, every action whose primary or secondary key is
// scanCode; an action bound twice to the key applies once. Actions in leaveOut are left to
// the binding modes; stick directions go to stickPercent of full deflection (the walk key).
void dispatchKey(ControllerState& state, ConsoleMode mode, const ProfileRecord& profile,
                 std::uint8_t scanCode, std::uint32_t leaveOut = 0,
                 std::int32_t stickPercent = 100);

// applyAction with a stick direction at stickPercent of full deflection (1 to 100).
void applyScaledAction(ControllerState& state, ConsoleMode mode, ActionCode code,
                       std::int32_t stickPercent);

inline constexpr std::uint32_t kMouseActionCountXbox360 = 23;
inline constexpr std::uint32_t kMouseActionCountPs3 = 27;

// The ActionCode at a position of the mouse-action list; only the low 8 bits of index
// count, and anything outside 1-26 gives action::noAction.
ActionCode mouseBindingAction(std::uint32_t index);

} // namespace qora
