#pragma once
// The Map dialog's Layer group: what the fields show and edit, the profile's base or one of
// its layers (formats/layer_record.h), chosen in a list of "Base" and the layers by name.
//
// With the base chosen the dialog is the base's editor and nothing else: the layer's own
// controls (trigger, kind, delays, Delete layer, Use base) are disabled and empty.
//
// With a layer chosen every field shows the profile as the layer makes it: the layer's own
// value where it changes the field, the base's where it does not. The dialog procedure
// draws the latter in grey (controlShowsBase). Any edit of a field (a key pressed or its
// field emptied, a list choice, a check box or radio button, a bar) makes the field the
// layer's own, with the value the dialog then shows: an emptied key field is a key the
// layer unbinds. Use base gives the last field the player went to (focus, a click, a bar)
// back to the base. Both keys of an action, both invert boxes and the whole Aim group are
// one field each, as a layer changes them.
//
// A layer shows its trigger (a key captured as in a key field, never one the run keeps or
// a switch key, or a mouse button from a list), its kind (held or toggled) and its delays
// in ms, which are taken when the player leaves the layer (another choice, New layer,
// Confirm) and refused outside 0 to 2000 with a message naming the field. New layer adds
// a layer named after the name field (refused when empty, over 31 characters, holding a
// double quote, already a layer's name, or a ninth layer) and shows it; Delete layer asks,
// then removes the shown layer and shows the base. Confirm refuses while a layer has no
// trigger.

#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "profiles/map_dialog.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qora {

inline constexpr const char* kBaseChoice = "Base";
inline constexpr std::int32_t kLayerNameReadLength = 64;

// The message that refuses a new layer of this name (cut of surrounding blanks), or
// nothing when the profile may have it.
std::optional<std::string> newLayerRefusal(const ProfileLayers& layers, const std::string& name);

// What the fields show and edit: the base, or the shown layer's view of the profile.
ProfileRecord& shownRecord(MapDialogState& state);
bool showsLayer(const MapDialogState& state);
// The shown layer; only while showsLayer.
LayerRecord& shownLayerRecord(MapDialogState& state);

// True when a layer is shown and controlId shows a value it leaves to the base: the dialog
// procedure draws those in grey.
bool controlShowsBase(const MapDialogState& state, std::int32_t controlId);

// The shown record's value of controlId's field was edited: in a layer the field becomes
// the layer's own with that value. Nothing while the base is shown.
void takeShownChange(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId);

// The player went to controlId (focus, a click, a bar): Use base acts on it when it shows
// a field.
void noteFieldVisited(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId);

// WM_INITDIALOG: the choices filled in, the base chosen and the layer's controls disabled.
void showLayerGroup(MapDialogState& state, MapDialogEnvironment& env);

// The player leaves what the fields show: the base's lists and check boxes go into the
// base, a layer's delays into the layer. False when a delay is refused (the player is told).
bool leaveShownPart(MapDialogState& state, MapDialogEnvironment& env);

// Confirm's check: true when every layer has a trigger; else the player is told which one
// has none.
bool layersHaveTriggers(MapDialogState& state, MapDialogEnvironment& env);

// WM_COMMAND from the Layer group, and from the fields a layer takes at once (the mouse
// lists, the invert check boxes) and every focus notification. False when not handled.
bool onLayerCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification);

// Command 1 with the focus in the new layer's name: New layer.
bool focusIsOnLayerName(MapDialogState& state, MapDialogEnvironment& env);
void onNewLayer(MapDialogState& state, MapDialogEnvironment& env);

} // namespace qora
