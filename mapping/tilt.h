#pragma once
// Tilt emulation: the PS3 accelerometer readings (ControllerState bytes 20-25) from the
// four tilt actions and from mouse motion in the "TILT" direction.

#include "formats/action_codes.h"
#include "mapping/controller_state.h"

#include <cstdint>

namespace qora {

// Motion values the tilt rules write or test.
inline constexpr std::uint16_t kTiltFullLow = 0x0190;      // 512 - 112
inline constexpr std::uint16_t kTiltFullHigh = 0x0270;     // 512 + 112
inline constexpr std::uint16_t kTiltDiagonalLow = 0x0180;  // 512 - 128
inline constexpr std::uint16_t kTiltDiagonalHigh = 0x0260; // 512 + 96
inline constexpr std::uint16_t kTiltAccelZFull = 0x0200;
inline constexpr std::uint16_t kTiltAccelZDiagonal = 0x01D8;
inline constexpr std::int32_t kTiltMouseLimit = 112;

// Codes 25-28: one axis to its full value and accelZ to 0x0200 (without combineTilt).
void applyTiltAction(ControllerState& state, ActionCode code);

// Turns two full-tilt axes (accelZ exactly 0x0200) into the diagonal values.
void combineTilt(ControllerState& state);

// Mouse motion (each -127..127) as proportional tilt; writes bytes 20-25 only.
void tiltFromMouse(ControllerState& state, std::int32_t x, std::int32_t y,
                   std::uint8_t invertFlags);

} // namespace qora
