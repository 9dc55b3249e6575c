#pragma once
// The Map dialog's "Modes..." button: the Modes dialog (profiles/modes_dialog.h) on the
// binding modes of what the fields show, the base's or the shown layer's over the base's.
// After OK they are the profile's as edited, kept with the rest until the Map dialog's
// Confirm writes them (the base's in ProfileLayers::modes, a layer's in its LayerRecord)
// or its Cancel forgets them.

#include "profiles/map_dialog.h"

namespace qora {

// The Modes dialog reads the keyboard for its own window, so meanwhile this dialog's
// keyboard device is released and its timer stopped; both come back when it closes.
void editShownModes(MapDialogState& state, MapDialogEnvironment& env);

} // namespace qora
