#pragma once
// Opens the Map dialog: DialogBoxParamA with template 139 or 140 and a dialog procedure
// that hands every message to the Map dialog's rules.

#include "profiles/dialog_api.h"
#include "profiles/map_dialog.h"
#include "profiles/win32/win32_modes_dialog.h"

#include <windows.h>

namespace qora {

class Win32MapDialogOpener final : public MapDialogOpener {
public:
    Win32MapDialogOpener(HINSTANCE instance, FileApi& files, ProfileFileApi& ini, UserApi& user,
                         DialogApi& dialogs, DirectInputApi& directInput, CaptureDevices& devices,
                         const ProgramPaths& paths, const ConsoleMode& consoleMode)
        : instance_(instance), modesDialogs_(instance, user, dialogs, directInput, devices),
          environment_{files,   ini,   user,        dialogs,      directInput,
                       devices, paths, consoleMode, modesDialogs_} {}

    // Runs modally; 1 after Confirm, 2 after Cancel, -1 when the dialog cannot be created.
    std::intptr_t openMapDialog(WindowHandle owner, std::int32_t templateId,
                                std::int32_t profileIndex) override;

private:
    HINSTANCE instance_;
    // The Map dialog's "Modes..." button opens it.
    Win32ModesDialogOpener modesDialogs_;
    MapDialogEnvironment environment_;
};

} // namespace qora
