#pragma once
// The keys a capture run keeps for itself: F11 ends the run, Scroll Lock turns live
// calibration on and off, and F4 to F10 drive calibration while it is on. A binding on one
// of them could never fire when it matters (or would end the run), so the Map dialog
// refuses them and `qora-profiles check` flags them; a stored profile that binds one still
// loads and runs.

#include <cstdint>

namespace qora {

// DirectInput scan codes (DIK_ values).
namespace run_key {
inline constexpr std::uint8_t stop = 0x57; // F11

namespace calibration {
inline constexpr std::uint8_t toggle = 0x46;       // Scroll Lock (DIK_SCROLL)
inline constexpr std::uint8_t save = 0x3E;         // F4
inline constexpr std::uint8_t deadZone = 0x3F;     // F5
inline constexpr std::uint8_t sensitivityX = 0x40; // F6
inline constexpr std::uint8_t sensitivityY = 0x41; // F7
inline constexpr std::uint8_t exponent = 0x42;     // F8
inline constexpr std::uint8_t testRight = 0x43;    // F9
inline constexpr std::uint8_t testUp = 0x44;       // F10
} // namespace calibration
} // namespace run_key

// True for a key a run keeps for itself.
constexpr bool isRunKey(std::uint8_t code) {
    return code == run_key::stop || code == run_key::calibration::toggle ||
           (code >= run_key::calibration::save && code <= run_key::calibration::testUp);
}

} // namespace qora
