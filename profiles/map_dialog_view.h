#pragma once
// The Map dialog's fields as a whole, for the Layer group that switches what they show
// (profiles/map_dialog_layers.h). Implemented beside the rules of each field in
// profiles/map_dialog.cpp.

#include "profiles/map_dialog.h"

#include <cstdint>

namespace qora {

// Every field (key fields, mouse lists, Direction, inversion, zoom scales, the Aim group)
// shows the shown record. Setting a key field's text sends EN_CHANGE, as at open.
void showMapFields(MapDialogState& state, MapDialogEnvironment& env);

// What the base's lists and invert check boxes hold goes into the base, as Confirm takes
// them: a list without a selection stores 255, the sixth and seventh buttons 0, the other
// six bits of the invert byte keep theirs. Only while the base is shown.
void takeBaseLists(MapDialogState& state, MapDialogEnvironment& env);

// A key the run keeps for itself, or a switch key of setting.ini: true, and the player is
// told once per press. False for any other key.
bool refuseKeptKey(MapDialogState& state, MapDialogEnvironment& env, std::uint8_t scanCode);

} // namespace qora
