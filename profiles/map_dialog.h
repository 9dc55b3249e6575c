#pragma once
// The Map dialog: edits one profile of the store, its base and its layers. A key is bound
// by focusing its field and pressing the key; the dialog holds the keyboard device and
// polls it every 50 ms. The whole store is read at open and written back on Confirm;
// Cancel discards every change. The edited profile goes back with its layers as edited,
// every other profile with the layers it had at open (profiles/layer_store.h): a store
// whose layers.bin cannot be read or is damaged is not edited. The Layer group chooses
// what the fields show and edit (profiles/map_dialog_layers.h).
//
// One function per message or command; the dialog procedure only translates messages.
// Setting the text of a key field makes the edit control send EN_CHANGE, which must reach
// onMapKeyFieldChanged (that is how empty-named keys end up unbound), so the procedure
// makes the state reachable before it calls initMapDialog.

#include "formats/layer_file.h"
#include "formats/profile_record.h"
#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "input/mouse_record.h"
#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "platform/user_api.h"
#include "profiles/dialog_api.h"
#include "profiles/kept_keys.h"
#include "profiles/modes_dialog.h"
#include "profiles/switch_keys.h"

#include <array>
#include <cstdint>
#include <vector>

namespace qora {

// Everything the Map dialog's rules reach; owned by the application.
struct MapDialogEnvironment {
    FileApi& files;
    ProfileFileApi& ini;
    UserApi& user;
    DialogApi& dialogs;
    DirectInputApi& directInput;
    CaptureDevices& devices;
    const ProgramPaths& paths;
    const ConsoleMode& consoleMode;
    ModesDialogOpener& modesDialogs;
};

inline constexpr std::uintptr_t kMapCaptureTimerId = 0;
inline constexpr std::uint32_t kMapCapturePeriodMs = 50;
// The clearing rule reads at most this many characters of a key field.
inline constexpr std::int32_t kKeyFieldReadLength = 15;
// The Map dialog opens the keyboard exclusive and foreground.
inline constexpr std::uint8_t kMapKeyboardBackgroundMode = 0;

// One open Map dialog, from WM_INITDIALOG to WM_DESTROY.
struct MapDialogState {
    WindowHandle window = nullptr;
    std::int32_t templateId = 0;
    std::int32_t profileIndex = -1;
    // The whole store as read at open: COUNT records.
    std::vector<std::uint8_t> store;
    // layers.bin as read at open: the layers each record of store goes back with.
    LayerFile layersAtOpen;
    // The profile being edited: its base and its layers. They go back into the store only
    // on Confirm, and only when profileIndex names a record of a store that could be read
    // at open.
    ProfileRecord record;
    ProfileLayers layers;
    bool recordInStore = false;
    // What the fields show and edit: -1 the base (record), else layer shownLayer of layers.
    std::int32_t shownLayer = -1;
    // While a layer is shown: record with that layer applied over it, as its fields show it.
    ProfileRecord layerView;
    // The field the player went to last (a control id; 0 for none): the one Use base gives
    // back to the base.
    std::int32_t lastField = 0;
    // True while the dialog sets its controls itself: what they notify then is no edit.
    bool showing = false;
    // The Map dialog's own key snapshot, so a tick allocates nothing.
    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};
    // The keys the key fields refuse (setting.ini's switch keys as read at open among them)
    // and the one refused last, refused once per press, not at every poll.
    KeptKeys keptKeys;
    // While a text field (the new layer's name, a delay) has the focus the keyboard is
    // unacquired and not read, so what is typed reaches the field: a keyboard held
    // exclusively keeps every key from the windows under Wine.
    bool keyboardLent = false;
};

// WM_INITDIALOG. Returns true: the dialog system sets the initial focus. A store that
// cannot be read, or whose layers.bin cannot be read or is damaged, is not edited: the
// user is told and the dialog ends at once.
bool initMapDialog(MapDialogState& state, MapDialogEnvironment& env, WindowHandle dialog,
                   std::int32_t templateId, std::int32_t profileIndex);

// WM_TIMER: every key that is down goes, in ascending scan code, into the focused key
// field, so the highest one that is down is what remains. A key the run keeps for itself
// is refused instead. Nothing is read while the keyboard is lent to a text field.
void onMapTimer(MapDialogState& state, MapDialogEnvironment& env);

// EN_CHANGE from a key field: an emptied field clears its binding; text typed into it
// changes nothing.
void onMapKeyFieldChanged(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId);

// WM_HSCROLL from a zoom scale bar or a bar of the Aim group, with the request code of the
// low word of wParam.
void onMapScroll(MapDialogState& state, MapDialogEnvironment& env, WindowHandle bar,
                 std::uint32_t request);

// Command 1: the lists and check boxes into the base (or the shown layer's delays, refused
// out of range), every layer checked for a trigger, the whole store written back: the
// edited record with its layers as edited, every other record with its layers as at open.
// When config.bin or layers.bin cannot be read or written, or the layer store refuses, the
// user is told which and why, and the dialog stays open with the edits.
void onMapConfirm(MapDialogState& state, MapDialogEnvironment& env);

// Command 2 (Cancel button, Esc, close box): nothing is written.
void onMapCancel(MapDialogState& state, MapDialogEnvironment& env);

// WM_COMMAND with the control id and notification code. Returns true when handled; all
// else is left to the default dialog handling. Command 1 while a key field (or the layer
// trigger's) has the focus is the Enter key pressed there to be bound, and does not
// confirm; in the new layer's name it is New layer.
bool onMapCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                  std::uint32_t notification);

// WM_DESTROY: stop the timer, release the keyboard, free the store.
void destroyMapDialog(MapDialogState& state, MapDialogEnvironment& env);

} // namespace qora
