#pragma once
// The Modes dialog: the binding modes (formats/binding_modes.h) of what the Map dialog
// shows, its base or one layer, opened by the Map dialog's "Modes..." button. Its editing
// rules are profiles/modes_editing.h; here are its controls.
//
// - Toggle and Turbo: a check box per action, named as the console names it (the tilt
//   actions disabled on the Xbox 360, whose pad has no tilt). An action checked in one is
//   toggled or repeated; checking it in one clears it in the other. Turbo has its two
//   times in ms, Walk its key (captured as a key field) and speed in %: the numbers are
//   taken at OK and refused out of range with a message naming the field.
// - Macros: a list of "KEY = STEPS" lines, a key field, the steps field (written as the
//   profile text writes them, "A 60, 40, B+X 60") and Set macro, which adds or changes the
//   macro of the key and refuses bad steps with a message naming the step; choosing a
//   line puts its macro in the fields; Remove macro takes the chosen line's macro away.
// - With a layer edited, what the layer leaves to the base shows in grey (the dialog
//   procedure asks modesControlShowsBase and macroLineShowsBase): any edit of a part makes
//   it the layer's own, and its Use base button, enabled only on a part the layer owns,
//   gives it back. In the macro list a layer's "KEY = none" turns the base's macro off.
//
// The dialog reads the keyboard as the Map dialog does: a keyboard device of its own for its
// window, polled every 50 ms, lent to its text fields while they have the focus. Keys the
// run keeps and the switch keys are refused. OK writes the modes back to the ModesEdit it
// was given; Cancel leaves it as it was.

#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "input/mouse_record.h"
#include "platform/platform_types.h"
#include "platform/user_api.h"
#include "profiles/dialog_api.h"
#include "profiles/kept_keys.h"
#include "profiles/modes_editing.h"
#include "profiles/switch_keys.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qora {

// What the Map dialog hands the Modes dialog and takes back after OK.
struct ModesEdit {
    ModesInEdit modes;
    std::string layerName; // the layer edited; empty for the base
    ConsoleMode console = kConsoleXbox360;
    SwitchKeyCodes switchKeys;
};

// Results of the Modes dialog.
inline constexpr std::intptr_t kModesDialogConfirmed = 1;
inline constexpr std::intptr_t kModesDialogCancelled = 2;

// Runs the Modes dialog modally over owner (DialogBoxParamA with template 141 and the Modes
// dialog procedure); on OK edit holds the modes as edited.
struct ModesDialogOpener {
    virtual ~ModesDialogOpener() = default;

    virtual std::intptr_t openModesDialog(WindowHandle owner, ModesEdit& edit) = 0;
};

struct ModesDialogEnvironment {
    UserApi& user;
    DialogApi& dialogs;
    DirectInputApi& directInput;
    CaptureDevices& devices;
};

inline constexpr std::uintptr_t kModesCaptureTimerId = 0;
inline constexpr std::uint32_t kModesCapturePeriodMs = 50;
inline constexpr std::int32_t kStepsFieldLength = 1000;
inline constexpr const char* kModesCaption = "Warning";
inline constexpr const char* kTurboPressFieldName = "Turbo press";
inline constexpr const char* kTurboReleaseFieldName = "Turbo release";
inline constexpr const char* kWalkSpeedFieldName = "Walk speed";
inline constexpr const char* kNoMacroKeyText =
    "Press the key that plays the macro in its Key field first";

// One open Modes dialog, from WM_INITDIALOG to WM_DESTROY.
struct ModesDialogState {
    WindowHandle window = nullptr;
    ModesEdit* edit = nullptr; // written on OK only
    ModesInEdit modes;         // as edited so far
    // The macro list's lines, in the list's order.
    std::vector<MacroShown> listed;
    // The key in the macro's Key field; 0 for none.
    std::uint8_t macroKey = 0;
    KeptKeys keptKeys;
    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};
    // While a text field has the focus the keyboard is unacquired and not read.
    bool keyboardLent = false;
    // True while the dialog sets its controls itself: what they notify then is no edit.
    bool showing = false;
};

// WM_INITDIALOG: the check boxes named for edit.console, every field shown, a keyboard
// device of the dialog's own and its timer. Returns true: the dialog system sets the focus.
bool initModesDialog(ModesDialogState& state, ModesDialogEnvironment& env, WindowHandle dialog,
                     ModesEdit& edit);

// WM_TIMER: every key that is down goes, in ascending scan code, into the focused key field
// (the walk key's or the macro's), so the highest one that is down remains; a key the run
// keeps is refused instead.
void onModesTimer(ModesDialogState& state, ModesDialogEnvironment& env);

// WM_COMMAND. Command 1 with the focus in a key field is Enter to be bound, in the steps
// field Set macro, else OK; command 2 is Cancel. True when handled.
bool onModesCommand(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification);

// WM_DESTROY: the timer stopped and the keyboard released.
void destroyModesDialog(ModesDialogState& state, ModesDialogEnvironment& env);

// True when a layer is edited and controlId shows a part the layer leaves to the base.
bool modesControlShowsBase(const ModesDialogState& state, std::int32_t controlId);
// True when line of the macro list shows a macro of the base's.
bool macroLineShowsBase(const ModesDialogState& state, std::size_t line);

} // namespace qora
