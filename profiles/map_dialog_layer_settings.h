#pragma once
// The shown layer's own settings in the Map dialog's Layer group: its trigger (a key in
// the trigger's key field, or a mouse button from the list beside it, whose first item
// "Key" stands for the key field), its kind (the Held and Toggled radio buttons) and its
// delays (two edits, in ms). Part of profiles/map_dialog_layers.h's rules.

#include "formats/layer_record.h"
#include "profiles/map_dialog.h"

#include <array>
#include <cstdint>

namespace qora {

// The trigger list: item 0 the key field, item 1 + b mouse button b (kMouseButtonTriggers).
inline constexpr std::array<const char*, kMouseButtonTriggers + 1> kTriggerSourceItems = {
    "Key", "Left", "Right", "Middle", "Backward", "Forward", "Button 6", "Button 7"};

// A delay field holds at most this many digits; a value over kMaxLayerDelayMs is refused.
inline constexpr std::int32_t kDelayFieldLength = 4;
inline constexpr const char* kDelayFieldName = "Delay";
inline constexpr const char* kReleaseDelayFieldName = "Release delay";

// WM_INITDIALOG: the trigger list's items and the delay fields' length.
void setUpLayerSettings(MapDialogState& state, MapDialogEnvironment& env);

// The shown layer's trigger, kind and delays; with the base shown, all empty.
void showLayerSettings(MapDialogState& state, MapDialogEnvironment& env);

// The delay fields into the shown layer. False, with a message naming the field, when one
// is not a whole number from 0 to kMaxLayerDelayMs; the layer then keeps both as they were.
bool takeLayerDelays(MapDialogState& state, MapDialogEnvironment& env);

// A key pressed while the trigger's key field has the focus: the trigger, unless the run
// keeps it (the player is told); a key without a name leaves no trigger.
void captureTriggerKey(MapDialogState& state, MapDialogEnvironment& env, std::uint8_t scanCode);

// WM_COMMAND from the trigger list, the trigger's key field and the kind's radio buttons.
// False for any other command.
bool onLayerSettingCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                           std::uint32_t notification);

} // namespace qora
