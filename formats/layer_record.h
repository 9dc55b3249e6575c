#pragma once
// A layer of a profile: a named set of changes to the profile's base (today's record) that
// holds while its trigger is held (WHILE) or between two presses of it (PRESS), after an
// optional delay. It lists only what it changes: the keys of an action, what a mouse
// button or wheel direction does, the mouse's Direction, the inversion, each sensitivity
// (zoom scale), and the whole precise-aim set (mode, shape, dead zone, exponent). Where
// several active layers change the same thing, the one listed later wins. A profile has
// at most kMaxLayers of them; a profile without layers is just its record.

#include "formats/profile_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qora {

inline constexpr std::size_t kMaxLayers = 8;
// A layer's name: at most 31 characters, NUL-terminated.
inline constexpr std::size_t kLayerNameSize = 32;
inline constexpr std::uint16_t kMaxLayerDelayMs = 2000;

enum class LayerKind : std::uint8_t {
    whileHeld = 0, // WHILE: active while the trigger is held
    toggled = 1    // PRESS: each press turns it on or off
};

// What triggers a layer: a key (a scan code) or a mouse button (0 left, 1 right, 2 middle,
// 3 backward, 4 forward, 5 and 6 the sixth and seventh buttons: the order of the record's
// mouse bindings and of the mouse flags).
enum class TriggerSource : std::uint8_t { none = 0, key = 1, mouseButton = 2 };
inline constexpr std::uint8_t kMouseButtonTriggers = 7;

struct LayerTrigger {
    TriggerSource source = TriggerSource::none;
    std::uint8_t code = 0;

    friend bool operator==(const LayerTrigger&, const LayerTrigger&) = default;
};

// What a layer changes, one bit each in LayerRecord::changes.
namespace layer_change {
inline constexpr unsigned firstAction = 0;        // bits 0 .. 28: both keys of action k
inline constexpr unsigned firstMouseBinding = 29; // bits 29 .. 37: mouse binding 0 .. 8
inline constexpr unsigned direction = 38;
inline constexpr unsigned invert = 39; // the X and Y bits
inline constexpr unsigned zoomX = 40;
inline constexpr unsigned zoomY = 41;
inline constexpr unsigned aim = 42; // the aim word and the exponent
inline constexpr unsigned count = 43;

constexpr std::uint64_t bit(unsigned change) {
    return std::uint64_t{1} << change;
}
constexpr std::uint64_t action(std::size_t code) {
    return bit(firstAction + static_cast<unsigned>(code));
}
constexpr std::uint64_t mouseBinding(std::size_t input) {
    return bit(firstMouseBinding + static_cast<unsigned>(input));
}
inline constexpr std::uint64_t all = (std::uint64_t{1} << count) - 1;
} // namespace layer_change

struct LayerRecord {
    std::array<char, kLayerNameSize> name{};
    LayerKind kind = LayerKind::whileHeld;
    LayerTrigger trigger;
    std::uint16_t delayMs = 0;        // takes effect this long after the trigger
    std::uint16_t releaseDelayMs = 0; // ends this long after the release (or second press)
    std::uint64_t changes = 0;        // layer_change bits
    // The values of what it changes, at their places in a record; every other byte is 0.
    ProfileRecord values;

    friend bool operator==(const LayerRecord&, const LayerRecord&) = default;
};

// The name up to its NUL (never beyond the field), and back (cut to 31 characters).
std::string layerName(const LayerRecord& layer);
void setLayerName(LayerRecord& layer, const std::string& name);

// Copies what the layer changes from its values over the profile.
void applyLayer(ProfileRecord& profile, const LayerRecord& layer);

// Sets a change from a record: the change's bit, and its bytes copied from that record.
void takeChange(LayerRecord& layer, unsigned change, const ProfileRecord& from);
// Drops a change: the bit cleared and its bytes back to 0, so the base shows through.
void dropChange(LayerRecord& layer, unsigned change);

} // namespace qora
