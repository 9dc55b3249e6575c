#pragma once
// The mouse processor: once per tick, the buffered mouse records become a stick
// deflection (or tilt, in the "TILT" direction) and the actions bound to the mouse
// buttons and wheel.

#include "formats/profile_record.h"
#include "input/mouse_record.h"
#include "mapping/controller_state.h"
#include "mapping/mouse_state.h"
#include "platform/platform_types.h"
#include "platform/user_api.h"

#include <cstdint>

namespace qora {

// Record pass, drain, step gain, diagonal damping and smoothing, then the stick bytes (or
// tiltFromMouse) and the bound actions of every set mouse flag. Runs also with count 0,
// so a deflection dies away over the smoothing depth. count above 256 reads 256.
// Actions in leaveOut are left to the binding modes.
void processMouse(MouseState& mouse, ControllerState& state, ConsoleMode mode,
                  const ProfileRecord& profile, const MouseRecord* records, std::uint32_t count,
                  UserApi& debugOutput, std::uint32_t leaveOut = 0);

// True when processMouse without records would leave mouse as it is and write what its
// last call wrote: fewer than two samples pending (the drain takes none from a lone one),
// no smoothing history, a zero output, no wheel flag and a depth already clamped to 1-4.
// Held buttons do not matter: their actions are the same at every call.
bool mouseAtRest(const MouseState& mouse);

// The stick bytes of processMouse alone: writes (x, y) in 16-bit stick units (-32767..32767,
// larger values are limited to it) to the profile's Direction. TILT takes them on its
// -127..127 scale, divided by 256 and rounded, which is exact for classic aim's whole high
// bytes.
void writeMouseDeflection(ControllerState& state, const ProfileRecord& profile, MotionPair units);

// The mouse actions of processMouse alone: applies the binding of every set flag, in
// ascending flag order.
void applyMouseFlagActions(const MouseState& mouse, ControllerState& state, ConsoleMode mode,
                           const ProfileRecord& profile, std::uint32_t leaveOut = 0);

} // namespace qora
