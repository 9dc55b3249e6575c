#include "profiles/setting_dialog.h"

#include "formats/profile_record.h"
#include "platform/file_failure.h"
#include "profiles/layer_store.h"
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

void showFailure(SettingDialogEnvironment& env, WindowHandle dialog, const std::string& text) {
    showFileFailure(env.user, dialog, text);
}

// Filling tens of thousands of entries one by one, with the list looked up, redrawn and
// its storage grown at each, took seconds: the storage is reserved once, the list found
// once and redrawn once.
void appendEntries(SettingDialogEnvironment& env, WindowHandle dialog,
                   const std::vector<std::string>& names) {
    std::size_t textBytes = 0;
    for (const std::string& name : names) {
        textBytes += name.size() + 1;
    }
    const WindowHandle list = env.dialogs.getDlgItem(dialog, IDC_SETTING_LIST);
    env.dialogs.sendMessage(list, kWmSetRedraw, 0, 0);
    env.dialogs.sendMessage(list, kLbInitStorage, names.size(),
                            static_cast<std::intptr_t>(textBytes));
    for (const std::string& name : names) {
        env.dialogs.sendMessage(list, kLbAddString, 0,
                                reinterpret_cast<std::intptr_t>(name.c_str()));
    }
    env.dialogs.sendMessage(list, kWmSetRedraw, 1, 0);
    env.user.invalidateRect(list, true);
}

// The list shows what could be read (empty names past it) and says once when the store
// could not be read; every change is refused then, so the empty names never reach the file.
void fillProfileList(SettingDialogEnvironment& env, WindowHandle dialog) {
    const std::int32_t current = readCurrentProfile(env.ini, env.paths);
    const std::uint32_t count = readProfileCount(env.ini, env.paths);
    std::vector<std::uint8_t> store(storeLength(count), 0);
    const StoreRead read = readStore(env.files, env.paths, store.data(), storeLength(count));
    std::vector<std::string> names;
    names.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        names.push_back(profileName(loadRecord(store.data(), i)));
    }
    appendEntries(env, dialog, names);
    if (current >= 0 && static_cast<std::uint32_t>(current) < count) {
        selectEntry(env, dialog, current);
    }
    if (!read.readable()) {
        showFailure(env, dialog, describeFailure(read.failure));
    }
}

void makeNewProfile(ProfileRecord& record, const char* name) {
    setProfileName(record, name);
    writeZoomScale(record, profile::xZoomScale, kNewProfileZoomScale);
    writeZoomScale(record, profile::yZoomScale, kNewProfileZoomScale);
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
    char name[kProfileNameLength + 1] = {};
    env.dialogs.getDlgItemText(dialog, IDC_SETTING_NAME, name, sizeof name);

    const std::intptr_t previous = selectedEntry(env, dialog);
    const std::intptr_t index = appendEntry(env, dialog, name);
    if (index < 0) {
        return;
    }
    selectEntry(env, dialog, index);

    // Record index of config.bin keeps every byte the file holds there but the name and
    // both zoom scales. It has no layers, even should another profile be the same bytes.
    const StoreChange change = appendLayeredProfile(
        env.files, env.ini, env.paths, static_cast<std::uint32_t>(index),
        [&name](ProfileRecord& record) { makeNewProfile(record, name); }, ProfileLayers{});
    if (!change.done) {
        // The store and COUNT kept their old records: take the entry back to match them.
        sendToList(env, dialog, kLbDeleteString, static_cast<std::uintptr_t>(index));
        selectEntry(env, dialog, previous);
        showFailure(env, dialog, describeChange(change));
    }
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
    // The other profiles keep their layers; the deleted one's go with it.
    const StoreChange change =
        removeLayeredProfile(env.files, env.ini, env.paths, static_cast<std::uint32_t>(count),
                             static_cast<std::uint32_t>(selected));
    if (!change.done) {
        // The store and COUNT still hold the record, so the list and CURRENT keep it too.
        showFailure(env, dialog, describeChange(change));
        return;
    }
    sendToList(env, dialog, kLbDeleteString, static_cast<std::uintptr_t>(selected));
    const std::intptr_t remaining = count - 1;
    if (remaining == 0) {
        return;
    }
    // The entry after the deleted one moved up into its place; after the last one, the
    // one before it is taken.
    const std::intptr_t next = selected == remaining ? selected - 1 : selected;
    selectEntry(env, dialog, next);
    if (const auto failure =
            writeCurrentProfile(env.ini, env.files, env.paths, static_cast<std::int32_t>(next))) {
        showFailure(env, dialog, describeFailure(*failure));
    }
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
    // The Map dialog would show zeros for what it cannot read, and write them back; it
    // could not keep the profile's layers with it.
    const StoreRead probe = readStore(env.files, env.paths, nullptr, 0);
    if (!probe.readable()) {
        showFailure(env, dialog, describeFailure(probe.failure));
        return;
    }
    const LayersRead layers = readLayers(env.files, env.paths);
    if (!layers.usable()) {
        showFailure(env, dialog, describeFailure(layers.failure));
        return;
    }
    env.mapDialogs.openMapDialog(dialog, templateId, static_cast<std::int32_t>(selected));
}

// A selection that cannot be recorded keeps the dialog open: the user can retry or cancel.
void onSettingConfirm(SettingDialogEnvironment& env, WindowHandle dialog) {
    const auto selected = static_cast<std::int32_t>(selectedEntry(env, dialog));
    if (const auto failure = writeCurrentProfile(env.ini, env.files, env.paths, selected)) {
        showFailure(env, dialog, describeFailure(*failure));
        return;
    }
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
