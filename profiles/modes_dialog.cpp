#include "profiles/modes_dialog.h"

#include "formats/action_names.h"
#include "input/key_names.h"
#include "input/keyboard_device.h"
#include "profiles/dialog_fields.h"
#include "profiles/modes_dialog_macros.h"
#include "resources/resource_ids.h"

#include <optional>
#include <string>

namespace qora {
namespace {

constexpr std::uint8_t kKeyboardForegroundMode = 0;
constexpr std::uint8_t kParts[] = {mode_change::toggle, mode_change::turbo, mode_change::walk};

// A number the dialog takes at OK, when its part is the one edited.
struct NumberField {
    std::int32_t id;
    const char* name;
    std::uint8_t part;
    std::uint16_t min;
    std::uint16_t max;
    const char* unit;
    std::int32_t length; // digits
};

constexpr NumberField kTurboPressField{IDC_MODES_TURBO_PRESS,
                                       kTurboPressFieldName,
                                       mode_change::turbo,
                                       kMinTurboMs,
                                       kMaxTurboMs,
                                       "ms",
                                       4};
constexpr NumberField kTurboReleaseField{IDC_MODES_TURBO_RELEASE,
                                         kTurboReleaseFieldName,
                                         mode_change::turbo,
                                         kMinTurboMs,
                                         kMaxTurboMs,
                                         "ms",
                                         4};
constexpr NumberField kWalkSpeedField{IDC_MODES_WALK_SPEED,
                                      kWalkSpeedFieldName,
                                      mode_change::walk,
                                      kMinWalkPercent,
                                      kMaxWalkPercent,
                                      "%",
                                      3};
constexpr NumberField kNumberFields[] = {kTurboPressField, kTurboReleaseField, kWalkSpeedField};

struct UseBaseButton {
    std::int32_t id;
    std::uint8_t part;
};

constexpr UseBaseButton kUseBaseButtons[] = {
    {IDC_MODES_TOGGLE_USE_BASE, mode_change::toggle},
    {IDC_MODES_TURBO_USE_BASE, mode_change::turbo},
    {IDC_MODES_WALK_USE_BASE, mode_change::walk},
};

std::int32_t toggleBoxId(ActionCode code) {
    return IDC_MODES_TOGGLE_FIRST + code;
}

std::int32_t turboBoxId(ActionCode code) {
    return IDC_MODES_TURBO_FIRST + code;
}

bool isToggleBox(std::int32_t id) {
    return id >= IDC_MODES_TOGGLE_FIRST && id <= IDC_MODES_TOGGLE_LAST;
}

bool isTurboBox(std::int32_t id) {
    return id >= IDC_MODES_TURBO_FIRST && id <= IDC_MODES_TURBO_LAST;
}

bool isKeyField(std::int32_t id) {
    return id == IDC_MODES_WALK_KEY || id == IDC_MODES_MACRO_KEY;
}

bool isTextField(std::int32_t id) {
    return id == IDC_MODES_TURBO_PRESS || id == IDC_MODES_TURBO_RELEASE ||
           id == IDC_MODES_WALK_SPEED || id == IDC_MODES_MACRO_STEPS;
}

const NumberField* numberFieldWithId(std::int32_t id) {
    for (const NumberField& field : kNumberFields) {
        if (field.id == id) {
            return &field;
        }
    }
    return nullptr;
}

// The part a control shows; nothing for the macros and every other control.
std::optional<std::uint8_t> partOfControl(std::int32_t id) {
    if (isToggleBox(id)) {
        return mode_change::toggle;
    }
    if (isTurboBox(id)) {
        return mode_change::turbo;
    }
    if (id == IDC_MODES_WALK_KEY) {
        return mode_change::walk;
    }
    if (const NumberField* field = numberFieldWithId(id)) {
        return field->part;
    }
    return std::nullopt;
}

bool isActionShown(ConsoleMode console, ActionCode code) {
    return console == kConsolePs3 || static_cast<std::size_t>(code) <= kLastXbox360KeyAction;
}

std::optional<std::int32_t> focusedControlId(ModesDialogState& state, ModesDialogEnvironment& env) {
    const WindowHandle focus = env.dialogs.getFocus();
    if (focus == nullptr || !env.dialogs.isChild(state.window, focus)) {
        return std::nullopt;
    }
    return env.dialogs.getDlgCtrlID(focus);
}

std::string editingText(const ModesEdit& edit) {
    if (!edit.modes.layer) {
        return "The base's modes";
    }
    return "The layer \"" + edit.layerName +
           "\": its own parts in black, the base's in grey until you change them";
}

void nameActionBoxes(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::span<const char* const> names = actionNames(state.edit->console);
    for (ActionCode code = action::first; code <= action::last; ++code) {
        const bool shown = isActionShown(state.edit->console, code);
        for (const std::int32_t id : {toggleBoxId(code), turboBoxId(code)}) {
            env.dialogs.setDlgItemText(state.window, id, names[static_cast<std::size_t>(code)]);
            enableModesControl(state, env, id, shown);
        }
    }
}

std::uint32_t checkOf(ActionSet set, ActionCode code) {
    return (set & actionBit(code)) != 0 ? kBstChecked : kBstUnchecked;
}

void showActionBoxes(ModesDialogState& state, ModesDialogEnvironment& env) {
    const BindingModes shown = shownModes(state.modes);
    for (ActionCode code = action::first; code <= action::last; ++code) {
        env.dialogs.checkDlgButton(state.window, toggleBoxId(code), checkOf(shown.toggle, code));
        env.dialogs.checkDlgButton(state.window, turboBoxId(code), checkOf(shown.turbo, code));
    }
}

std::uint16_t shownNumber(const BindingModes& shown, const NumberField& field) {
    if (field.id == IDC_MODES_TURBO_PRESS) {
        return shown.turboPressMs;
    }
    return field.id == IDC_MODES_TURBO_RELEASE ? shown.turboReleaseMs : shown.walkPercent;
}

void showNumbers(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t part) {
    const BindingModes shown = shownModes(state.modes);
    showQuietly(state, [&] {
        for (const NumberField& field : kNumberFields) {
            if (field.part == part) {
                env.dialogs.setDlgItemText(state.window, field.id,
                                           std::to_string(shownNumber(shown, field)).c_str());
            }
        }
    });
}

void showWalkKey(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::uint8_t key = shownModes(state.modes).walkKey;
    showQuietly(state, [&] {
        env.dialogs.setDlgItemText(state.window, IDC_MODES_WALK_KEY, key != 0 ? keyName(key) : "");
    });
}

void showUseBaseButtons(ModesDialogState& state, ModesDialogEnvironment& env) {
    for (const UseBaseButton& button : kUseBaseButtons) {
        enableModesControl(state, env, button.id,
                           state.modes.layer && !partShowsBase(state.modes, button.part));
    }
}

// The controls of the parts whose owner changed are drawn again, in grey or not (the
// dialog procedure asks modesControlShowsBase).
void redrawParts(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t parts) {
    for (std::int32_t id = IDC_MODES_EDITING; id <= IDC_MODES_TURBO_LAST; ++id) {
        const std::optional<std::uint8_t> part = partOfControl(id);
        if (part && (*part & parts) != 0) {
            env.user.invalidateRect(env.dialogs.getDlgItem(state.window, id), true);
        }
    }
}

std::uint8_t ownedParts(const ModesInEdit& modes) {
    return modes.layer ? modes.layer->changes : mode_change::all;
}

// After an edit: the check boxes as the modes now say, and what changed owner drawn again.
void showEdited(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t ownedBefore) {
    showActionBoxes(state, env);
    showUseBaseButtons(state, env);
    redrawParts(state, env, static_cast<std::uint8_t>(ownedBefore ^ ownedParts(state.modes)));
}

void showAll(ModesDialogState& state, ModesDialogEnvironment& env) {
    showActionBoxes(state, env);
    for (const std::uint8_t part : kParts) {
        showNumbers(state, env, part);
    }
    showWalkKey(state, env);
    showUseBaseButtons(state, env);
    showMacroList(state, env, 0);
}

void onActionBoxClicked(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t id) {
    const std::uint8_t before = ownedParts(state.modes);
    const bool on = env.dialogs.isDlgButtonChecked(state.window, id) == kBstChecked;
    if (isToggleBox(id)) {
        setToggled(state.modes, id - IDC_MODES_TOGGLE_FIRST, on);
    } else {
        setRepeated(state.modes, id - IDC_MODES_TURBO_FIRST, on);
    }
    showEdited(state, env, before);
}

// Typed into a number field: its part is the layer's own from now; the number is taken at OK.
void onNumberTyped(ModesDialogState& state, ModesDialogEnvironment& env, const NumberField& field) {
    const std::uint8_t before = ownedParts(state.modes);
    takePart(state.modes, field.part);
    showEdited(state, env, before);
}

void onUseBase(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t part) {
    const std::uint8_t before = ownedParts(state.modes);
    usePartOfBase(state.modes, part);
    showNumbers(state, env, part);
    if (part == mode_change::walk) {
        showWalkKey(state, env);
    }
    showEdited(state, env, before);
}

void takeWalkKey(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t key) {
    const std::uint8_t before = ownedParts(state.modes);
    setWalkKey(state.modes, key);
    showWalkKey(state, env);
    showEdited(state, env, before);
}

// Emptied by the player: no walk key.
void onWalkKeyChanged(ModesDialogState& state, ModesDialogEnvironment& env) {
    char text[2] = {};
    env.dialogs.getDlgItemText(state.window, IDC_MODES_WALK_KEY, text, sizeof text);
    if (text[0] == '\0' && shownModes(state.modes).walkKey != 0) {
        takeWalkKey(state, env, 0);
    }
}

// A key without a name cannot be shown, so it is taken as none, as the Map dialog's fields
// take it.
void captureKey(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t fieldId,
                std::uint8_t scanCode) {
    if (refuseKeptKey(state.keptKeys, env.user, state.window, scanCode)) {
        return;
    }
    if (fieldId == IDC_MODES_MACRO_KEY) {
        captureMacroKey(state, env, scanCode);
    } else {
        takeWalkKey(state, env, keyName(scanCode)[0] != '\0' ? scanCode : 0);
    }
}

std::optional<std::uint16_t> readNumber(ModesDialogState& state, ModesDialogEnvironment& env,
                                        const NumberField& field) {
    char text[8] = {};
    env.dialogs.getDlgItemText(state.window, field.id, text, sizeof text);
    const std::optional<std::uint16_t> value = parseWholeNumber(text, field.min, field.max);
    if (!value) {
        std::string refusal = field.name;
        refusal += " must be a whole number from ";
        refusal += std::to_string(field.min);
        refusal += " to ";
        refusal += std::to_string(field.max);
        refusal += ' ';
        refusal += field.unit;
        tellModes(state, env, refusal);
    }
    return value;
}

// The numbers of the parts edited go into the modes; false when one is refused (the player
// is told), and the modes keep what they had.
bool takeNumbers(ModesDialogState& state, ModesDialogEnvironment& env) {
    std::uint16_t values[std::size(kNumberFields)] = {};
    for (std::size_t i = 0; i < std::size(kNumberFields); ++i) {
        if (partShowsBase(state.modes, kNumberFields[i].part)) {
            values[i] = shownNumber(shownModes(state.modes), kNumberFields[i]);
            continue;
        }
        const std::optional<std::uint16_t> value = readNumber(state, env, kNumberFields[i]);
        if (!value) {
            return false;
        }
        values[i] = *value;
    }
    if (!partShowsBase(state.modes, mode_change::turbo)) {
        setTurboTimes(state.modes, values[0], values[1]);
    }
    if (!partShowsBase(state.modes, mode_change::walk)) {
        setWalkPercent(state.modes, static_cast<std::uint8_t>(values[2]));
    }
    return true;
}

void onModesConfirm(ModesDialogState& state, ModesDialogEnvironment& env) {
    if (!takeNumbers(state, env)) {
        return;
    }
    if (!state.modes.layer) {
        settleBaseChanges(state.modes.base);
    }
    state.edit->modes = state.modes;
    env.dialogs.endDialog(state.window, kModesDialogConfirmed);
}

// A text field's focus: typing needs the keys the keyboard device would hold.
void followTextFieldFocus(ModesDialogState& state, ModesDialogEnvironment& env,
                          std::int32_t controlId, std::uint32_t notification) {
    if (isTextField(controlId)) {
        lendKeyboardForTyping(env.directInput, env.devices, notification, state.keyboardLent);
    }
}

void onEnter(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::optional<std::int32_t> focused = focusedControlId(state, env);
    if (focused && *focused == IDC_MODES_MACRO_STEPS) {
        onSetMacro(state, env);
    } else if (!focused || !isKeyField(*focused)) {
        onModesConfirm(state, env);
    }
}

bool onFieldCommand(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification) {
    if (state.showing) {
        return false;
    }
    if (notification == kBnClicked && (isToggleBox(controlId) || isTurboBox(controlId))) {
        onActionBoxClicked(state, env, controlId);
        return true;
    }
    if (notification == kEnChange && controlId == IDC_MODES_WALK_KEY) {
        onWalkKeyChanged(state, env);
        return true;
    }
    if (const NumberField* field = numberFieldWithId(controlId);
        field != nullptr && notification == kEnChange) {
        onNumberTyped(state, env, *field);
        return true;
    }
    for (const UseBaseButton& button : kUseBaseButtons) {
        if (controlId == button.id && notification == kBnClicked) {
            onUseBase(state, env, button.part);
            return true;
        }
    }
    return false;
}

} // namespace

void tellModes(ModesDialogState& state, ModesDialogEnvironment& env, const std::string& text) {
    env.user.messageBox(state.window, text.c_str(), kModesCaption, kMbOk | kMbIconWarning);
}

void enableModesControl(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t id,
                        bool enable) {
    env.dialogs.enableWindow(env.dialogs.getDlgItem(state.window, id), enable);
}

bool initModesDialog(ModesDialogState& state, ModesDialogEnvironment& env, WindowHandle dialog,
                     ModesEdit& edit) {
    state.window = dialog;
    state.edit = &edit;
    state.modes = edit.modes;
    state.keptKeys.switchKeys = edit.switchKeys;
    env.dialogs.setDlgItemText(dialog, IDC_MODES_EDITING, editingText(edit).c_str());
    nameActionBoxes(state, env);
    for (const NumberField& field : kNumberFields) {
        env.dialogs.sendDlgItemMessage(dialog, field.id, kEmLimitText,
                                       static_cast<std::uintptr_t>(field.length), 0);
    }
    env.dialogs.sendDlgItemMessage(dialog, IDC_MODES_MACRO_STEPS, kEmLimitText,
                                   static_cast<std::uintptr_t>(kStepsFieldLength), 0);
    showAll(state, env);
    // The keyboard is read for this window while the dialog is open; without one the
    // dialog still opens and captures no key.
    releaseKeyboard(env.directInput, env.devices);
    openOrCloseKeyboard(env.directInput, env.user, env.devices, dialog, kKeyboardForegroundMode);
    env.user.setTimer(dialog, kModesCaptureTimerId, kModesCapturePeriodMs);
    return true;
}

void onModesTimer(ModesDialogState& state, ModesDialogEnvironment& env) {
    if (!pollCapturedKeyboard(env.directInput, env.user, env.devices, state.keyboardLent,
                              state.snapshot, state.keptKeys)) {
        return;
    }
    const std::optional<std::int32_t> focused = focusedControlId(state, env);
    if (!focused || !isKeyField(*focused)) {
        return;
    }
    for (std::size_t code = 0; code < kKeyboardSnapshotSize; ++code) {
        if ((state.snapshot[code] & kKeyDown) != 0) {
            captureKey(state, env, *focused, static_cast<std::uint8_t>(code));
        }
    }
}

bool onModesCommand(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification) {
    if (controlId == IDC_CONFIRM) {
        // Enter comes as command 1 from any control, a click on OK after moving the focus.
        onEnter(state, env);
        return true;
    }
    if (controlId == IDC_CANCEL) {
        env.dialogs.endDialog(state.window, kModesDialogCancelled);
        return true;
    }
    followTextFieldFocus(state, env, controlId, notification);
    return onFieldCommand(state, env, controlId, notification) ||
           onMacroCommand(state, env, controlId, notification);
}

void destroyModesDialog(ModesDialogState& state, ModesDialogEnvironment& env) {
    env.user.killTimer(state.window, kModesCaptureTimerId);
    releaseKeyboard(env.directInput, env.devices);
    state.keyboardLent = false;
    state.listed.clear();
    state.edit = nullptr;
}

bool modesControlShowsBase(const ModesDialogState& state, std::int32_t controlId) {
    const std::optional<std::uint8_t> part = partOfControl(controlId);
    return part && partShowsBase(state.modes, *part);
}

} // namespace qora
