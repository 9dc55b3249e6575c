#pragma once
// The Setting dialog for the main window's command 32779: DialogBoxParamA with template
// 136 and a dialog procedure that hands every message to the Setting dialog's rules. The
// Map dialog opens from it through the environment's MapDialogOpener.

#include "profiles/setting_dialog.h"
#include "profiles/win32/win32_dialog_api.h"
#include "profiles/win32/win32_map_dialog.h"

#include <cstdint>

#include <windows.h>

namespace qora {

// Runs modally; 1 after Confirm, 2 after a cancel, -1 when the dialog cannot be created.
std::intptr_t openSettingDialog(HINSTANCE instance, WindowHandle owner,
                                SettingDialogEnvironment& environment);

} // namespace qora
