#pragma once
// The binding modes at work, moment by moment: which toggled actions are on, where each
// turbo action is in its cycle, which macros play and at which step, and how the walk key
// scales the sticks. Pure state and arithmetic on fixed-size records, so a run allocates
// nothing: the caller tells what is held and pressed and when, builds the state with
// applyModes after the plain bindings, and asks when the next edge falls due (the run's
// scheduler wakes then).

#include "formats/binding_modes.h"
#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "mapping/controller_state.h"
#include "mapping/mouse_state.h"
#include "platform/platform_types.h"
#include "platform/precise_time.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <span>

namespace qora {

// The base's macros and each layer's, all keys apart: every macro can be in effect at once.
inline constexpr std::size_t kMaxMacrosInEffect = kMaxMacros * (kMaxLayers + 1);

struct MacroInEffect {
    std::uint8_t key = 0;
    std::uint8_t stepCount = 0;
    std::array<MacroStep, kMaxMacroSteps> steps{};

    friend bool operator==(const MacroInEffect&, const MacroInEffect&) = default;
};

// The modes of the base with those of the layers in effect over it, the later winning.
struct ModesInEffect {
    ActionSet toggle = 0;
    ActionSet turbo = 0;
    std::uint16_t turboPressMs = kDefaultTurboMs;
    std::uint16_t turboReleaseMs = kDefaultTurboMs;
    std::uint8_t walkKey = 0;
    std::uint8_t walkPercent = kDefaultWalkPercent;
    std::size_t macroCount = 0;
    std::array<MacroInEffect, kMaxMacrosInEffect> macros{};

    friend bool operator==(const ModesInEffect&, const ModesInEffect&) = default;
};

// Makes them without allocating: the base's modes whole (whatever its changes say), then
// what each of layerModes changes, the modes of the layers in effect in list order.
void makeModesInEffect(ModesInEffect& inEffect, const BindingModes& base,
                       std::span<const BindingModes* const> layerModes);

// A macro that plays: the key that started it (its steps are those of the macro in effect
// for that key) and when; key 0: none.
struct MacroPlay {
    std::uint8_t key = 0;
    std::int64_t startUs = 0;

    friend bool operator==(const MacroPlay&, const MacroPlay&) = default;
};

struct ModeActivity {
    // What was held at the last look, so a press is seen once.
    std::bitset<256> keysDown;
    std::uint8_t buttonsDown = 0;
    ActionSet toggledOn = 0;
    // Since when each turbo action has been held; kNeverUs when it is not.
    std::array<std::int64_t, kActionCount> turboSinceUs{};
    std::array<MacroPlay, kMaxMacrosInEffect> macros{};
    bool walking = false;

    ModeActivity() { turboSinceUs.fill(kNeverUs); }
    friend bool operator==(const ModeActivity&, const ModeActivity&) = default;
};

// What the player holds as of one look: the keyboard snapshot (bit 0x80 down), the mouse's
// button flags, and the buttons pressed within the records read since the last look.
struct HeldInputs {
    const std::uint8_t* snapshot;
    const MouseState& mouse;
    std::uint8_t buttonsPressed;
};

// Follows the inputs as of nowUs through the profile in effect: a press of a key or button
// bound to a toggled action flips it, a turbo action held starts its cycle now and one let
// go stops it, a macro's key pressed while it does not play starts it, and the walk key is
// held or not. Toggles of actions that no longer toggle are dropped.
void followModes(ModeActivity& activity, const ModesInEffect& modes, const ProfileRecord& profile,
                 const HeldInputs& inputs, std::int64_t nowUs);

// Takes what is held now as held from before: at the start of a profile nothing held then
// is a press.
void takeHeldAsBefore(ModeActivity& activity, const std::uint8_t* snapshot,
                      const MouseState& mouse);

// Ends macros whose last step has passed by nowUs; true when one ended.
bool endFinishedMacros(ModeActivity& activity, const ModesInEffect& modes, std::int64_t nowUs);

// The actions the plain bindings must leave out: those that toggle or repeat.
ActionSet actionsWithModes(const ModesInEffect& modes);

// The percentage key-driven stick deflection is scaled to now: the walk speed while the walk
// key is held, else 100.
std::int32_t keyStickPercent(const ModeActivity& activity, const ModesInEffect& modes);

// After the plain bindings: the toggled actions that are on, the turbo actions in the
// pressed part of their cycle as of nowUs (triggers full; sticks at the walk key's share
// while it is held, as the plain bindings' are), and the actions of every macro step under
// way, whose sticks and triggers take precedence over what the player holds.
void applyModes(ControllerState& state, ConsoleMode mode, const ModeActivity& activity,
                const ModesInEffect& modes, std::int64_t nowUs);

// The earliest moment after nowUs at which applyModes may give another state without new
// input: a turbo edge, a macro step's end; kNeverUs when none.
std::int64_t nextModeChange(const ModeActivity& activity, const ModesInEffect& modes,
                            std::int64_t nowUs);

} // namespace qora
