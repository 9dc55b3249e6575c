#include "profiles/setting_dialog.h"

#include "profiles/profile_record.h"
#include "profiles/store.h"
#include "resources/resource_ids.h"

#include <string>
#include <vector>

namespace qora {
namespace {

constexpr std::intptr_t kNoSelection = -1;

std::uint32_t storeLength(std::uint32_t records) {
    return records * static_cast<std::uint32_t>(kProfileRecordSize);
}

std::intptr_t sendToList(SettingDialogEnvironment& env, WindowHandle dialog, std::uint32_t message,
                         std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    return env.dialogs.sendDlgItemMessage(dialog, IDC_SETTING_LIST, message, wParam, lParam);
}

std::intptr_t appendEntry(SettingDialogEnvironment& env, WindowHandle dialog, const char* name) {
    return sendToList(env, dialog, kLbAddString, 0, reinterpret_cast<std::intptr_t>(name));
}

// -1 removes the selection.
void selectEntry(SettingDialogEnvironment& env, WindowHandle dialog, std::intptr_t index) {
    sendToList(env, dialog, kLbSetCurSel, static_cast<std::uintptr_t>(index));
}

std::intptr_t selectedEntry(SettingDialogEnvironment& env, WindowHandle dialog) {
    const std::intptr_t selected = sendToList(env, dialog, kLbGetCurSel);
    return selected < 0 ? kNoSelection : selected;
}

std::intptr_t entryCount(SettingDialogEnvironment& env, WindowHandle dialog) {
    const std::intptr_t count = sendToList(env, dialog, kLbGetCount);
    return count < 0 ? 0 : count;
}

void fillProfileList(SettingDialogEnvironment& env, WindowHandle dialog) {
    const std::int32_t current = readCurrentProfile(env.ini, env.paths);
    const std::uint32_t count = readProfileCount(env.ini, env.paths);
    std::vector<std::uint8_t> store(storeLength(count), 0);
    readStore(env.files, env.paths, store.data(), storeLength(count));
    for (std::uint32_t i = 0; i < count; ++i) {
        appendEntry(env, dialog, profileName(loadRecord(store.data(), i)).c_str());
        if (static_cast<std::int64_t>(i) == current) {
            selectEntry(env, dialog, static_cast<std::intptr_t>(i));
        }
    }
}

// Record index of a store of index + 1 records, read from config.bin, gets the name and
// both zoom scales; every other byte keeps what the file holds at that position.
StoreWrite appendProfile(SettingDialogEnvironment& env, std::uint32_t index, const char* name) {
    const std::uint32_t records = index + 1;
    std::vector<std::uint8_t> store(storeLength(records), 0);
    readStore(env.files, env.paths, store.data(), storeLength(records));
    ProfileRecord record = loadRecord(store.data(), index);
    setProfileName(record, name);
    writeZoomScale(record, profile::xZoomScale, kNewProfileZoomScale);
    writeZoomScale(record, profile::yZoomScale, kNewProfileZoomScale);
    storeRecord(store.data(), index, record);
    return writeStore(env.files, env.paths, store.data(), storeLength(records));
}

bool userConfirmsDelete(SettingDialogEnvironment& env, WindowHandle dialog) {
    return env.user.messageBox(dialog, kDeleteConfirmationText, kDeleteConfirmationCaption,
                               kMbYesNo) == kIdYes;
}

// The template for the console mode; 0 when the mode names neither console.
std::int32_t mapTemplateFor(ConsoleMode mode) {
    if (mode == kConsolePs3) {
        return IDD_MAP_PS3;
    }
    if (mode == kConsoleXbox360) {
        return IDD_MAP_360;
    }
    return 0;
}

} // namespace

bool initSettingDialog(SettingDialogEnvironment& env, WindowHandle dialog) {
    env.dialogs.sendDlgItemMessage(dialog, IDC_SETTING_NAME, kEmLimitText, kProfileNameLength, 0);
    env.dialogs.setDlgItemText(dialog, IDC_SETTING_NAME, kNewProfileNameText);
    fillProfileList(env, dialog);
    return true;
}

void onSettingNew(SettingDialogEnvironment& env, WindowHandle dialog) {
    // COUNT could not say more than this; a longer list would disagree with it.
    if (entryCount(env, dialog) >= static_cast<std::intptr_t>(kMaxProfileCount)) {
        return;
    }
    char name[kProfileNameLength + 1] = {};
    env.dialogs.getDlgItemText(dialog, IDC_SETTING_NAME, name, sizeof name);

    const std::intptr_t previous = selectedEntry(env, dialog);
    const std::intptr_t index = appendEntry(env, dialog, name);
    if (index < 0) {
        return;
    }
    selectEntry(env, dialog, index);

    const auto record = static_cast<std::uint32_t>(index);
    if (!appendProfile(env, record, name).replaced) {
        // The store kept its old records: take the entry back so the list still matches it.
        sendToList(env, dialog, kLbDeleteString, static_cast<std::uintptr_t>(index));
        selectEntry(env, dialog, previous);
        return;
    }
    writeProfileCount(env.ini, env.paths, record + 1);
}

void onSettingDel(SettingDialogEnvironment& env, WindowHandle dialog) {
    const std::intptr_t selected = selectedEntry(env, dialog);
    if (selected == kNoSelection) {
        return;
    }
    if (!userConfirmsDelete(env, dialog)) {
        return;
    }
    const std::intptr_t count = entryCount(env, dialog);
    const StoreWrite deleted = deleteRecord(env.files, env.paths, static_cast<std::uint32_t>(count),
                                            static_cast<std::uint32_t>(selected));
    if (!deleted.replaced) {
        // The store still holds the record, so the list, COUNT and CURRENT keep it too.
        return;
    }
    sendToList(env, dialog, kLbDeleteString, static_cast<std::uintptr_t>(selected));
    const std::intptr_t remaining = count - 1;
    if (remaining > 0) {
        // The entry after the deleted one moved up into its place; after the last one,
        // the one before it is taken.
        const std::intptr_t next = selected == remaining ? selected - 1 : selected;
        selectEntry(env, dialog, next);
        writeCurrentProfile(env.ini, env.paths, static_cast<std::int32_t>(next));
    }
    writeProfileCount(env.ini, env.paths, static_cast<std::uint32_t>(remaining));
}

void onSettingMap(SettingDialogEnvironment& env, WindowHandle dialog) {
    const std::intptr_t selected = selectedEntry(env, dialog);
    if (selected == kNoSelection) {
        return;
    }
    // An entry the store does not hold (the list and COUNT disagree) has nothing to edit.
    if (static_cast<std::uint64_t>(selected) >= readProfileCount(env.ini, env.paths)) {
        return;
    }
    const std::int32_t templateId = mapTemplateFor(env.consoleMode);
    if (templateId == 0) {
        return;
    }
    env.mapDialogs.openMapDialog(dialog, templateId, static_cast<std::int32_t>(selected));
}

void onSettingConfirm(SettingDialogEnvironment& env, WindowHandle dialog) {
    writeCurrentProfile(env.ini, env.paths, static_cast<std::int32_t>(selectedEntry(env, dialog)));
    env.dialogs.endDialog(dialog, kSettingDialogConfirmed);
}

void onSettingCancel(SettingDialogEnvironment& env, WindowHandle dialog) {
    env.dialogs.endDialog(dialog, kSettingDialogCancelled);
}

bool onSettingCommand(SettingDialogEnvironment& env, WindowHandle dialog, std::int32_t controlId,
                      std::uint32_t notification) {
    switch (controlId) {
    case IDC_SETTING_NEW:
        onSettingNew(env, dialog);
        return true;
    case IDC_SETTING_DEL:
        onSettingDel(env, dialog);
        return true;
    case IDC_SETTING_MAP:
        onSettingMap(env, dialog);
        return true;
    case IDC_SETTING_LIST:
        if (notification != kLbnDblClk) {
            return false;
        }
        onSettingMap(env, dialog);
        return true;
    case IDC_CONFIRM:
        onSettingConfirm(env, dialog);
        return true;
    case IDC_CANCEL:
        onSettingCancel(env, dialog);
        return true;
    default:
        return false;
    }
}

} // namespace qora
