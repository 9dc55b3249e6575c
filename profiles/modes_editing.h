#pragma once
// The editing rules of binding modes (formats/binding_modes.h) in the Modes dialog, on the
// modes alone: the base's, or one layer's shown over the base's.
//
// A layer's modes come in parts, each the layer's own or the base's: the toggled actions,
// the turbo actions with both times, the walk key with its speed, and each macro by its
// key. An edit of a part the layer leaves to the base first makes it the layer's own with
// the values it showed, then changes it; Use base gives it back (its values return to
// their defaults, so only what the layer changes is stored). With the base edited, every
// part is the base's own.
//
// An action is normal, toggled or repeated (turbo): making it one of the two takes it out
// of the other. Turning a mode off touches only that mode's part. A text may still give an
// action both; the dialog shows that as it is.

#include "formats/binding_modes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qora {

// What the Modes dialog edits: the base's modes, or a layer's with the base's beside them.
struct ModesInEdit {
    BindingModes base;
    std::optional<BindingModes> layer; // the layer edited; the base is then only shown

    friend bool operator==(const ModesInEdit&, const ModesInEdit&) = default;
};

inline constexpr const char* kTooManyMacrosText =
    "A profile plays at most 16 macros at once: remove one first";

// The modes as the dialog shows them: the base's, or the layer's own parts over the base's
// (macros key by key: a layer's macro without steps shows, and turns the base's off).
BindingModes shownModes(const ModesInEdit& edit);

// True when a layer is edited and part (a mode_change bit) is the base's.
bool partShowsBase(const ModesInEdit& edit, std::uint8_t part);

// The part becomes the layer's own with the values it shows; nothing for the base, or a
// part the layer owns already.
void takePart(ModesInEdit& edit, std::uint8_t part);
// A layer's part goes back to the base.
void usePartOfBase(ModesInEdit& edit, std::uint8_t part);

// An action toggled, or repeated, or neither: on takes it out of the other mode.
void setToggled(ModesInEdit& edit, ActionCode code, bool on);
void setRepeated(ModesInEdit& edit, ActionCode code, bool on);

// Values the dialog has checked: times 10 to 1000 ms, a speed of 1 to 100 %. Each takes
// its part.
void setTurboTimes(ModesInEdit& edit, std::uint16_t pressMs, std::uint16_t releaseMs);
void setWalkKey(ModesInEdit& edit, std::uint8_t key);
void setWalkPercent(ModesInEdit& edit, std::uint8_t percent);

// A line of the macro list: in the base's order, a layer's macros in its place, then the
// layer's other keys in the layer's order.
struct MacroShown {
    std::uint8_t key = 0;
    std::vector<MacroStep> steps; // empty: the layer turns the base's macro of key off
    bool fromBase = false;

    friend bool operator==(const MacroShown&, const MacroShown&) = default;
};
std::vector<MacroShown> macrosShown(const ModesInEdit& edit);

// The macro of macro.key (with steps) added or changed. Refused (kTooManyMacrosText) when
// the base or the layer would hold more than kMaxMacros, or the layer would show more
// than kMaxMacros that play.
std::optional<std::string> setMacro(ModesInEdit& edit, const Macro& macro);
// The base loses its macro of key. A layer turns the base's macro of key off, or loses its
// own when the base has none; refused as setMacro when the layer would hold too many.
std::optional<std::string> removeMacro(ModesInEdit& edit, std::uint8_t key);
// A layer's macro of key goes: the base's shows again.
void useMacroOfBase(ModesInEdit& edit, std::uint8_t key);
bool layerOwnsMacro(const ModesInEdit& edit, std::uint8_t key);

// What the base's changes say once edited: every part when it has any mode, none when it
// has none, so a profile without modes stays equal to one that never had them.
void settleBaseChanges(BindingModes& base);

} // namespace qora
