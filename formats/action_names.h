#pragma once
// One name per ActionCode, as the Map dialog shows that action and the profile text
// writes it: the Button group's labels for the buttons ("RT", "SELECT"), and for the pad,
// stick and tilt directions the short names of the mouse-action list ("DU", "LAL", "TR"),
// which have no one-word label of their own in the dialog. The PS3 names differ from the Xbox 360
// ones only for buttons.

#include "formats/console_mode.h"

#include <span>

namespace qora {

// Indexed by ActionCode, 29 names. Tilt names are in both lists: a tilt key works in either
// console mode even though only the PS3 dialog shows its field. Any console mode other
// than the PS3 gets the Xbox 360 names, as with the lists.
std::span<const char* const> actionNames(ConsoleMode mode);

} // namespace qora
