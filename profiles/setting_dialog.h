#pragma once
// The Setting dialog: lists the profiles of the store, creates one under a typed name,
// deletes the selected one after a confirmation, opens the Map dialog on it and records
// which one the next capture run uses.
//
// The list box is the dialog's only state: entry i is the name of record i, and the number
// of entries equals COUNT. New and Del keep it so: they change config.bin and COUNT whole
// or not at all, and when they fail the list stays as it was and a message names the file.
// A store that cannot be read is never written: New, Del and Map refuse. Every profile
// keeps its layers (profiles/layer_store.h): Del and Map refuse while layers.bin cannot be
// read or is damaged; New, which adds a profile without layers, goes on.

#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "platform/user_api.h"
#include "profiles/dialog_api.h"

#include <cstdint>

namespace qora {

// Everything the Setting dialog's rules reach; owned by the application. The Map dialog
// is opened only through mapDialogs, which the application may wrap (see MapDialogOpener).
struct SettingDialogEnvironment {
    FileApi& files;
    ProfileFileApi& ini;
    UserApi& user;
    DialogApi& dialogs;
    const ProgramPaths& paths;
    const ConsoleMode& consoleMode;
    MapDialogOpener& mapDialogs;
};

inline constexpr std::int32_t kProfileNameLength = 32;
inline constexpr const char* kNewProfileNameText = "new configuration name";
inline constexpr const char* kDeleteConfirmationText = "Delete this configuatin?";
inline constexpr const char* kDeleteConfirmationCaption = "Warning";

// Results of the Setting dialog.
inline constexpr std::intptr_t kSettingDialogConfirmed = 1;
inline constexpr std::intptr_t kSettingDialogCancelled = 2;

// WM_INITDIALOG. Returns true: the dialog system sets the initial focus.
bool initSettingDialog(SettingDialogEnvironment& env, WindowHandle dialog);

// Command 1038: a new profile named after the edit field, appended to the store.
void onSettingNew(SettingDialogEnvironment& env, WindowHandle dialog);

// Command 1039: the selected profile deleted after the user said Yes.
void onSettingDel(SettingDialogEnvironment& env, WindowHandle dialog);

// Command 32775 and a double-click in the list: the Map dialog on the selected profile,
// template 139 for the PS3 and 140 for the Xbox 360; nothing for any other console mode,
// nothing when the selection is not a record of the store, and only a message when
// config.bin or layers.bin cannot be read, or layers.bin is damaged.
void onSettingMap(SettingDialogEnvironment& env, WindowHandle dialog);

// Command 1: CURRENT = the selection (-1 for none), then the dialog ends with 1. When
// setting.ini cannot be written the dialog says so and stays open.
void onSettingConfirm(SettingDialogEnvironment& env, WindowHandle dialog);

// Command 2 (Esc, close box): the dialog ends with 2; nothing is written.
void onSettingCancel(SettingDialogEnvironment& env, WindowHandle dialog);

// WM_COMMAND with the control id and notification code. Returns true when handled; every
// other command and notification is ignored.
bool onSettingCommand(SettingDialogEnvironment& env, WindowHandle dialog, std::int32_t controlId,
                      std::uint32_t notification);

} // namespace qora
