#pragma once
// Opens the Modes dialog: DialogBoxParamA with template 141 and a dialog procedure that
// hands every message to the Modes dialog's rules and draws the macro list's lines, those
// of the base's in grey.

#include "profiles/modes_dialog.h"

#include <windows.h>

namespace qora {

class Win32ModesDialogOpener final : public ModesDialogOpener {
public:
    Win32ModesDialogOpener(HINSTANCE instance, UserApi& user, DialogApi& dialogs,
                           DirectInputApi& directInput, CaptureDevices& devices)
        : instance_(instance), environment_{user, dialogs, directInput, devices} {}

    // Runs modally; 1 after OK, 2 after Cancel, -1 when the dialog cannot be created.
    std::intptr_t openModesDialog(WindowHandle owner, ModesEdit& edit) override;

private:
    HINSTANCE instance_;
    ModesDialogEnvironment environment_;
};

} // namespace qora
