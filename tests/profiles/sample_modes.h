#pragma once
// The binding modes the Modes dialog's tests and its editing rules' tests start from.

#include "formats/binding_modes.h"

#include <cstdint>
#include <vector>

namespace qora::testing::sample_modes {

constexpr std::uint8_t kKeyF = 0x21;
constexpr std::uint8_t kKeyG = 0x22;
constexpr std::uint8_t kKeyH = 0x23;
constexpr std::uint8_t kLeftAlt = 0x38;
constexpr std::uint8_t kLeftCtrl = 0x1D;

constexpr ActionCode kA = action::buttonA;
constexpr ActionCode kB = action::buttonB;
constexpr ActionCode kRt = action::rightFirstRow;

inline const std::vector<MacroStep> kJump{{actionBit(kA), 60}};

// B toggles, RT repeats at 50/70 ms, L ALT walks at 40 %, F jumps.
inline BindingModes baseModes() {
    BindingModes base;
    base.changes = mode_change::all;
    base.toggle = actionBit(kB);
    base.turbo = actionBit(kRt);
    base.turboPressMs = 50;
    base.turboReleaseMs = 70;
    base.walkKey = kLeftAlt;
    base.walkPercent = 40;
    base.macros = {{kKeyF, kJump}};
    return base;
}

} // namespace qora::testing::sample_modes
