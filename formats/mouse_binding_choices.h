#pragma once
// What a mouse button, a wheel direction and the mouse's motion may be bound to, in the
// order of the Map dialog's drop-down lists. A profile stores the position of the chosen
// item, so the order is part of the file format and must never change; the profile text
// writes the items by name.

#include "formats/console_mode.h"
#include "formats/profile_record.h"

#include <cstddef>
#include <iterator>
#include <span>

namespace qora {

// The actions a mouse button or a wheel direction can trigger: 23 items for the Xbox 360,
// 27 for the PS3 (the PS3 button names, then the four tilt items). Any console mode other
// than the PS3 gets the Xbox 360 list.
std::span<const char* const> mouseActionItems(ConsoleMode mode);

// What the mouse motion drives: the two sticks, and for the PS3 also the tilt sensors.
std::span<const char* const> directionItems(ConsoleMode mode);

// The mouse's buttons and wheel directions as the profile text names them, in the order of
// the record's mouse bindings; the Direction (binding 9) is a setting of its own.
struct MouseInput {
    std::size_t index; // into the record's mouse bindings
    const char* setting;
    bool inDialog; // the sixth and seventh buttons have no list in the Map dialog
};

inline constexpr MouseInput kMouseInputs[] = {
    {0, "MOUSE LEFT", true},     {1, "MOUSE RIGHT", true},   {2, "MOUSE MIDDLE", true},
    {3, "MOUSE BACKWARD", true}, {4, "MOUSE FORWARD", true}, {5, "MOUSE BUTTON6", false},
    {6, "MOUSE BUTTON7", false}, {7, "MOUSE ROLL UP", true}, {8, "MOUSE ROLL DOWN", true},
};
static_assert(std::size(kMouseInputs) == profile::kMouseBindingDirection);

} // namespace qora
