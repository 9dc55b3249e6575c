#include "profiles/modes_dialog_macros.h"

#include "formats/macro_steps.h"
#include "input/key_names.h"
#include "resources/resource_ids.h"

#include <optional>
#include <string>

namespace qora {
namespace {

constexpr const char* kTurnedOffText = "none";

std::string lineText(const MacroShown& macro, ConsoleMode console) {
    return std::string(keyName(macro.key)) + " = " +
           (macro.steps.empty() ? std::string(kTurnedOffText)
                                : formatMacroSteps(macro.steps, console));
}

std::optional<std::size_t> chosenLine(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::intptr_t line =
        env.dialogs.sendDlgItemMessage(state.window, IDC_MODES_MACRO_LIST, kLbGetCurSel, 0, 0);
    if (line < 0 || static_cast<std::size_t>(line) >= state.listed.size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(line);
}

// Remove macro acts on a line that plays; Use base on a line of the layer's own.
void enableLineButtons(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::optional<std::size_t> line = chosenLine(state, env);
    const MacroShown* chosen = line ? &state.listed[*line] : nullptr;
    enableModesControl(state, env, IDC_MODES_MACRO_REMOVE,
                       chosen != nullptr && !chosen->steps.empty());
    enableModesControl(state, env, IDC_MODES_MACRO_USE_BASE,
                       chosen != nullptr && layerOwnsMacro(state.modes, chosen->key));
}

void showMacroKey(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t key) {
    state.macroKey = key;
    showQuietly(state, [&] {
        env.dialogs.setDlgItemText(state.window, IDC_MODES_MACRO_KEY, key != 0 ? keyName(key) : "");
    });
}

// The chosen line's macro goes into the fields, to be changed and set again.
void onMacroLineChosen(ModesDialogState& state, ModesDialogEnvironment& env) {
    if (const std::optional<std::size_t> line = chosenLine(state, env)) {
        const MacroShown& macro = state.listed[*line];
        showMacroKey(state, env, macro.key);
        const std::string steps = formatMacroSteps(macro.steps, state.edit->console);
        env.dialogs.setDlgItemText(state.window, IDC_MODES_MACRO_STEPS, steps.c_str());
    }
    enableLineButtons(state, env);
}

std::string typedSteps(ModesDialogState& state, ModesDialogEnvironment& env) {
    std::string text(kStepsFieldLength + 1, '\0');
    const std::uint32_t length = env.dialogs.getDlgItemText(
        state.window, IDC_MODES_MACRO_STEPS, text.data(), static_cast<std::int32_t>(text.size()));
    text.resize(length);
    return text;
}

void onRemoveMacro(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::optional<std::size_t> line = chosenLine(state, env);
    if (!line) {
        return;
    }
    const std::uint8_t key = state.listed[*line].key;
    if (const std::optional<std::string> refusal = removeMacro(state.modes, key)) {
        tellModes(state, env, *refusal);
        return;
    }
    showMacroList(state, env, key);
}

void onMacroUseBase(ModesDialogState& state, ModesDialogEnvironment& env) {
    const std::optional<std::size_t> line = chosenLine(state, env);
    if (!line) {
        return;
    }
    const std::uint8_t key = state.listed[*line].key;
    useMacroOfBase(state.modes, key);
    showMacroList(state, env, key);
}

// Emptied by the player: no key for the next Set macro.
void onMacroKeyChanged(ModesDialogState& state, ModesDialogEnvironment& env) {
    char text[2] = {};
    env.dialogs.getDlgItemText(state.window, IDC_MODES_MACRO_KEY, text, sizeof text);
    if (text[0] == '\0') {
        state.macroKey = 0;
    }
}

} // namespace

void showMacroList(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t key) {
    state.listed = macrosShown(state.modes);
    env.dialogs.sendDlgItemMessage(state.window, IDC_MODES_MACRO_LIST, kLbResetContent, 0, 0);
    std::intptr_t chosen = -1;
    for (std::size_t line = 0; line < state.listed.size(); ++line) {
        const std::string text = lineText(state.listed[line], state.edit->console);
        env.dialogs.sendDlgItemMessage(state.window, IDC_MODES_MACRO_LIST, kLbAddString, 0,
                                       reinterpret_cast<std::intptr_t>(text.c_str()));
        if (key != 0 && state.listed[line].key == key) {
            chosen = static_cast<std::intptr_t>(line);
        }
    }
    env.dialogs.sendDlgItemMessage(state.window, IDC_MODES_MACRO_LIST, kLbSetCurSel,
                                   static_cast<std::uintptr_t>(chosen), 0);
    enableLineButtons(state, env);
}

void captureMacroKey(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t key) {
    showMacroKey(state, env, keyName(key)[0] != '\0' ? key : 0);
}

void onSetMacro(ModesDialogState& state, ModesDialogEnvironment& env) {
    if (state.macroKey == 0) {
        tellModes(state, env, kNoMacroKeyText);
        return;
    }
    const MacroStepsParse parse = parseMacroSteps(typedSteps(state, env), state.edit->console);
    if (parse.error) {
        tellModes(state, env, *parse.error);
        return;
    }
    if (const std::optional<std::string> refusal =
            setMacro(state.modes, {state.macroKey, parse.steps})) {
        tellModes(state, env, *refusal);
        return;
    }
    showMacroList(state, env, state.macroKey);
}

bool onMacroCommand(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification) {
    if (controlId == IDC_MODES_MACRO_LIST && notification == kLbnSelChange) {
        onMacroLineChosen(state, env);
        return true;
    }
    if (controlId == IDC_MODES_MACRO_KEY && notification == kEnChange && !state.showing) {
        onMacroKeyChanged(state, env);
        return true;
    }
    if (notification != kBnClicked) {
        return false;
    }
    switch (controlId) {
    case IDC_MODES_MACRO_SET:
        onSetMacro(state, env);
        return true;
    case IDC_MODES_MACRO_REMOVE:
        onRemoveMacro(state, env);
        return true;
    case IDC_MODES_MACRO_USE_BASE:
        onMacroUseBase(state, env);
        return true;
    default:
        return false;
    }
}

bool macroLineShowsBase(const ModesDialogState& state, std::size_t line) {
    return line < state.listed.size() && state.listed[line].fromBase;
}

} // namespace qora
