#pragma once
// The Map dialog: edits one profile of the store. A key is bound by focusing its field and
// pressing the key; the dialog holds the keyboard device and polls it every 50 ms. The
// whole store is read at open and written back on Confirm; Cancel discards every change.
// Each profile keeps the layers it had at open (profiles/layer_store.h): a store whose
// layers.bin cannot be read or is damaged is not edited.
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
    // The profile being edited. It goes back into the store only on Confirm, and only
    // when profileIndex names a record of a store that could be read at open.
    ProfileRecord record;
    bool recordInStore = false;
    // The Map dialog's own key snapshot, so a tick allocates nothing.
    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};
    // A key the run keeps for itself that was refused and is still down: refused once per
    // press, not at every poll.
    std::uint8_t refusedRunKey = 0;
    // setting.ini's switch keys as read at open: a run keeps them too.
    SwitchKeyCodes switchKeys;
};

// A key the run keeps for itself (formats/run_keys.h) pressed in a key field: the field
// keeps its binding and the player is told, once per press.
inline constexpr const char* kRunKeyCaption = "Warning";
inline constexpr const char* kRunKeyTextEnd = " is kept for the capture run and cannot be bound";

// WM_INITDIALOG. Returns true: the dialog system sets the initial focus. A store that
// cannot be read, or whose layers.bin cannot be read or is damaged, is not edited: the
// user is told and the dialog ends at once.
bool initMapDialog(MapDialogState& state, MapDialogEnvironment& env, WindowHandle dialog,
                   std::int32_t templateId, std::int32_t profileIndex);

// WM_TIMER: every key that is down goes, in ascending scan code, into the focused key
// field, so the highest one that is down is what remains. A key the run keeps for itself
// is refused instead.
void onMapTimer(MapDialogState& state, MapDialogEnvironment& env);

// EN_CHANGE from a key field: an emptied field clears its binding; text typed into it
// changes nothing.
void onMapKeyFieldChanged(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId);

// WM_HSCROLL from a zoom scale bar or a bar of the Aim group, with the request code of the
// low word of wParam.
void onMapScroll(MapDialogState& state, MapDialogEnvironment& env, WindowHandle bar,
                 std::uint32_t request);

// Command 1: the lists and check boxes into the record, the whole store written back, each
// record with its layers as at open. When config.bin or layers.bin cannot be read or
// written the user is told which and why, and the dialog stays open with the edits.
void onMapConfirm(MapDialogState& state, MapDialogEnvironment& env);

// Command 2 (Cancel button, Esc, close box): nothing is written.
void onMapCancel(MapDialogState& state, MapDialogEnvironment& env);

// WM_COMMAND with the control id and notification code. Returns true when handled; all
// else is left to the default dialog handling. Command 1 while a key field has the focus
// is the Enter key pressed there to be bound, and does not confirm.
bool onMapCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                  std::uint32_t notification);

// WM_DESTROY: stop the timer, release the keyboard, free the store.
void destroyMapDialog(MapDialogState& state, MapDialogEnvironment& env);

} // namespace qora
