#pragma once
// The Modes dialog's macro list and the fields that edit a macro (profiles/modes_dialog.h).
// Implemented in profiles/modes_dialog_macros.cpp; what the two halves of the dialog share.

#include "profiles/modes_dialog.h"

#include <cstdint>

namespace qora {

// The list filled from the modes as edited, the line of key chosen when it has one, and
// Remove macro and Use base enabled for the chosen line.
void showMacroList(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t key);

// WM_COMMAND from the macro list, the macro's key field and its buttons. False for any
// other command.
bool onMacroCommand(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification);

// A key pressed while the macro's key field has the focus: the key of the next Set macro.
void captureMacroKey(ModesDialogState& state, ModesDialogEnvironment& env, std::uint8_t key);

// Set macro: the key field's key plays the steps field's steps. Refused, with a message,
// without a key, with steps that do not read (the message names the step) or with one
// macro too many.
void onSetMacro(ModesDialogState& state, ModesDialogEnvironment& env);

// The dialog's own setting of a control: what it notifies is no edit.
template <typename Show>
void showQuietly(ModesDialogState& state, Show show) {
    const bool wasShowing = state.showing;
    state.showing = true;
    show();
    state.showing = wasShowing;
}

// Tells the player why an edit was refused.
void tellModes(ModesDialogState& state, ModesDialogEnvironment& env, const std::string& text);

// Enables or disables a control of the dialog.
void enableModesControl(ModesDialogState& state, ModesDialogEnvironment& env, std::int32_t id,
                        bool enable);

} // namespace qora
