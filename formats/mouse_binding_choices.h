#pragma once
// What a mouse button, a wheel direction and the mouse's motion may be bound to, in the
// order of the Map dialog's drop-down lists. A profile stores the position of the chosen
// item, so the order is part of the file format and must never change; the profile text
// writes the items by name.

#include "formats/console_mode.h"

#include <cstddef>
#include <span>

namespace qora {

// The actions a mouse button or a wheel direction can trigger: 23 items for the Xbox 360,
// 27 for the PS3 (the PS3 button names, then the four tilt items). Any console mode other
// than the PS3 gets the Xbox 360 list.
std::span<const char* const> mouseActionItems(ConsoleMode mode);

// What the mouse motion drives: the two sticks, and for the PS3 also the tilt sensors.
std::span<const char* const> directionItems(ConsoleMode mode);

} // namespace qora
