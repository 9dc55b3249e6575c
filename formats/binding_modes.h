#pragma once
// Binding modes: how the actions of a profile (its base, or a layer) behave beyond "pressed
// while a bound key is held". An action may toggle (each press of a key or button bound to
// it turns it on or off) or repeat (turbo: pressed for TURBO PRESS ms and released for TURBO
// RELEASE ms for as long as a bound key is held); a walk key scales the sticks' deflection
// that keys give to a percentage; and a key may play a macro, a few timed steps of actions
// held together or pauses. A layer lists only the modes it changes, each as a whole: its
// toggled actions, its turbo actions with their times, its walk key with its speed, and a
// macro per key (one without steps takes the base's macro of that key away).

#include "formats/action_codes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qora {

// One bit per ActionCode (bit k for code k).
using ActionSet = std::uint32_t;
inline constexpr ActionSet kAllActions = (ActionSet{1} << (action::last + 1)) - 1;
constexpr ActionSet actionBit(ActionCode code) {
    return ActionSet{1} << static_cast<unsigned>(code);
}

inline constexpr std::uint16_t kMinTurboMs = 10;
inline constexpr std::uint16_t kMaxTurboMs = 1000;
inline constexpr std::uint16_t kDefaultTurboMs = 30;
inline constexpr std::uint8_t kMinWalkPercent = 1;
inline constexpr std::uint8_t kMaxWalkPercent = 100;
inline constexpr std::uint8_t kDefaultWalkPercent = 50;
inline constexpr std::size_t kMaxMacroSteps = 32;
inline constexpr std::uint16_t kMinMacroStepMs = 1;
inline constexpr std::uint16_t kMaxMacroStepMs = 5000;
// Macros of one base or layer, and in effect at once.
inline constexpr std::size_t kMaxMacros = 16;

// A step holds its actions for ms; no actions make it a pause.
struct MacroStep {
    ActionSet actions = 0;
    std::uint16_t ms = 0;

    friend bool operator==(const MacroStep&, const MacroStep&) = default;
};

struct Macro {
    std::uint8_t key = 0;         // the scan code that plays it
    std::vector<MacroStep> steps; // 1 .. kMaxMacroSteps; none: takes the base's macro away

    friend bool operator==(const Macro&, const Macro&) = default;
};

// What a layer's modes change, one bit each; the base sets them all.
namespace mode_change {
inline constexpr std::uint8_t toggle = 0x01;
inline constexpr std::uint8_t turbo = 0x02; // the turbo actions and both times
inline constexpr std::uint8_t walk = 0x04;  // the walk key and its speed
inline constexpr std::uint8_t all = 0x07;   // macros go key by key
} // namespace mode_change

struct BindingModes {
    std::uint8_t changes = 0; // mode_change bits: what a layer changes (the base: all)
    ActionSet toggle = 0;
    ActionSet turbo = 0;
    std::uint16_t turboPressMs = kDefaultTurboMs;
    std::uint16_t turboReleaseMs = kDefaultTurboMs;
    std::uint8_t walkKey = 0; // 0: none
    std::uint8_t walkPercent = kDefaultWalkPercent;
    std::vector<Macro> macros; // at most kMaxMacros, at most one per key

    bool empty() const {
        return toggle == 0 && turbo == 0 && turboPressMs == kDefaultTurboMs &&
               turboReleaseMs == kDefaultTurboMs && walkKey == 0 &&
               walkPercent == kDefaultWalkPercent && macros.empty();
    }
    friend bool operator==(const BindingModes&, const BindingModes&) = default;
};

// True when every value lies in its range: turbo times 10 to 1000 ms, a walk speed of 1 to
// 100 %, at most kMaxMacros macros, none with more than kMaxMacroSteps steps, each step 1
// to 5000 ms, and no action beyond the last ActionCode.
bool modesInRange(const BindingModes& modes);

} // namespace qora
