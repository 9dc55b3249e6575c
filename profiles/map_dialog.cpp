#include "profiles/map_dialog.h"

#include "formats/mouse_binding_choices.h"
#include "input/key_names.h"
#include "input/keyboard_device.h"
#include "platform/file_failure.h"
#include "profiles/dialog_fields.h"
#include "profiles/layer_store.h"
#include "profiles/map_dialog_aim.h"
#include "profiles/map_dialog_fields.h"
#include "profiles/map_dialog_layer_settings.h"
#include "profiles/map_dialog_layers.h"
#include "profiles/map_dialog_view.h"
#include "profiles/map_dialog_zoom.h"
#include "profiles/store.h"
#include "resources/resource_ids.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

namespace qora {
namespace {

// The mouse bindings that have a list: list IDC_MAP_MOUSE_FIRST + i shows binding i.
// Bindings 5 and 6 (the sixth and seventh buttons) have none; Direction has a list of
// its own items.
constexpr std::size_t kMouseActionBindings[] = {0, 1, 2, 3, 4, 7, 8};
constexpr std::size_t kUnlistedMouseBindings[] = {5, 6};

static_assert(IDC_MAP_MOUSE_DIRECTION == IDC_MAP_MOUSE_FIRST + profile::kMouseBindingDirection);
static_assert(IDC_MAP_MOUSE_ROLL_UP == IDC_MAP_MOUSE_FIRST + 7);
static_assert(IDC_MAP_MOUSE_ROLL_DOWN == IDC_MAP_MOUSE_FIRST + 8);

std::int32_t mouseListId(std::size_t binding) {
    return IDC_MAP_MOUSE_FIRST + static_cast<std::int32_t>(binding);
}

struct ZoomBar {
    std::int32_t barId;
    std::int32_t labelId;
    std::size_t offset;
};

constexpr ZoomBar kZoomBars[] = {
    {IDC_MAP_ZOOM_X, IDC_MAP_ZOOM_X_VALUE, profile::xZoomScale},
    {IDC_MAP_ZOOM_Y, IDC_MAP_ZOOM_Y_VALUE, profile::yZoomScale},
};

std::optional<ZoomBar> zoomBarWithId(std::int32_t controlId) {
    for (const ZoomBar& bar : kZoomBars) {
        if (bar.barId == controlId) {
            return bar;
        }
    }
    return std::nullopt;
}

std::uint32_t storeLength(std::size_t records) {
    return static_cast<std::uint32_t>(records * kProfileRecordSize);
}

// Reads COUNT records into a zero-filled buffer (missing records stay zeros) and their
// layers, the edited profile's for the dialog to edit. Nothing when either file can be
// used; else its failure.
std::optional<FileFailure> loadStore(MapDialogState& state, MapDialogEnvironment& env) {
    const std::uint32_t count = readProfileCount(env.ini, env.paths);
    state.store.assign(storeLength(count), 0);
    const StoreRead read = readStore(env.files, env.paths, state.store.data(), storeLength(count));
    LayersRead layers = readLayers(env.files, env.paths);
    // A store that could not be read holds zeros here, which must never be written back;
    // without its layers, a profile could not keep them.
    state.recordInStore = read.readable() && layers.usable() && state.profileIndex >= 0 &&
                          static_cast<std::uint32_t>(state.profileIndex) < count;
    state.record = state.recordInStore ? loadRecord(state.store.data(),
                                                    static_cast<std::size_t>(state.profileIndex))
                                       : ProfileRecord{};
    state.layers = state.recordInStore ? layersOf(layers.file, state.record) : ProfileLayers{};
    state.layersAtOpen = std::move(layers.file);
    if (!read.readable()) {
        return read.failure;
    }
    if (!layers.usable()) {
        return layers.failure;
    }
    return std::nullopt;
}

// Setting the text makes the field send EN_CHANGE, which clears the binding when the
// key has no name.
void showKeyName(MapDialogState& state, MapDialogEnvironment& env, std::int32_t fieldId,
                 std::uint8_t scanCode) {
    env.dialogs.setDlgItemText(state.window, fieldId, keyName(scanCode));
}

void showKeyFields(MapDialogState& state, MapDialogEnvironment& env) {
    const ProfileRecord& shown = shownRecord(state);
    const std::size_t primaryFields = primaryKeyFieldCount(state.templateId);
    for (std::size_t k = 0; k < primaryFields; ++k) {
        showKeyName(state, env, primaryKeyFieldId(k), primaryKey(shown, k));
    }
    for (std::size_t k = kFirstSecondaryKeyAction; k <= kLastSecondaryKeyAction; ++k) {
        showKeyName(state, env, secondaryKeyFieldId(k), secondaryKey(shown, k));
    }
}

void fillList(MapDialogState& state, MapDialogEnvironment& env, std::int32_t listId,
              std::span<const char* const> items) {
    for (const char* item : items) {
        env.dialogs.sendDlgItemMessage(state.window, listId, kCbAddString, 0,
                                       reinterpret_cast<std::intptr_t>(item));
    }
}

void fillMouseLists(MapDialogState& state, MapDialogEnvironment& env) {
    for (const std::size_t binding : kMouseActionBindings) {
        fillList(state, env, mouseListId(binding), mouseActionItems(env.consoleMode));
    }
    fillList(state, env, IDC_MAP_MOUSE_DIRECTION, directionItems(env.consoleMode));
}

// A stored position the list does not have leaves it without a selection.
void selectListItem(MapDialogState& state, MapDialogEnvironment& env, std::int32_t listId,
                    std::uint8_t selected) {
    env.dialogs.sendDlgItemMessage(state.window, listId, kCbSetCurSel, selected, 0);
}

void showMouseLists(MapDialogState& state, MapDialogEnvironment& env) {
    const ProfileRecord& shown = shownRecord(state);
    for (const std::size_t binding : kMouseActionBindings) {
        selectListItem(state, env, mouseListId(binding), mouseBinding(shown, binding));
    }
    selectListItem(state, env, IDC_MAP_MOUSE_DIRECTION, shown.bytes[profile::direction]);
}

std::uint32_t checkOf(std::uint8_t flags, std::uint8_t bit) {
    return (flags & bit) != 0 ? kBstChecked : kBstUnchecked;
}

void showInvertFlags(MapDialogState& state, MapDialogEnvironment& env) {
    const std::uint8_t flags = shownRecord(state).bytes[profile::invertFlags];
    env.dialogs.checkDlgButton(state.window, IDC_MAP_INVERT_X, checkOf(flags, profile::kInvertX));
    env.dialogs.checkDlgButton(state.window, IDC_MAP_INVERT_Y, checkOf(flags, profile::kInvertY));
}

void showZoomLabel(MapDialogState& state, MapDialogEnvironment& env, const ZoomBar& bar,
                   float scale) {
    env.dialogs.setDlgItemText(state.window, bar.labelId, formatZoomScale(scale).data());
}

// The label shows the scale as stored, even one outside the bar's range; the bar itself
// sits at the nearer end then.
void showZoomScales(MapDialogState& state, MapDialogEnvironment& env) {
    const ProfileRecord& shown = shownRecord(state);
    for (const ZoomBar& bar : kZoomBars) {
        showZoomLabel(state, env, bar, readZoomScale(shown, bar.offset));
    }
    for (const ZoomBar& bar : kZoomBars) {
        ScrollInfo info;
        info.mask = kSifRange | kSifPage | kSifPos | kSifTrackPos;
        info.min = kZoomMinPosition;
        info.max = kZoomMaxPosition;
        info.page = kZoomPage;
        info.pos = zoomPositionOf(readZoomScale(shown, bar.offset));
        env.dialogs.setScrollInfo(env.dialogs.getDlgItem(state.window, bar.barId), kSbCtl, info,
                                  true);
    }
}

// The id of the control with the keyboard focus, when it is one of this dialog's.
std::optional<std::int32_t> focusedControlId(MapDialogState& state, MapDialogEnvironment& env) {
    const WindowHandle focus = env.dialogs.getFocus();
    if (focus == nullptr || !env.dialogs.isChild(state.window, focus)) {
        return std::nullopt;
    }
    return env.dialogs.getDlgCtrlID(focus);
}

// A key field, or the layer trigger's key field: a key pressed there is captured.
bool focusIsOnKeyField(MapDialogState& state, MapDialogEnvironment& env) {
    const std::optional<std::int32_t> focused = focusedControlId(state, env);
    return focused &&
           (keyFieldOffset(state.templateId, *focused) || *focused == IDC_MAP_LAYER_TRIGGER_KEY);
}

// The byte first, then the text: the text's EN_CHANGE then clears a key with no name.
void captureKey(MapDialogState& state, MapDialogEnvironment& env, std::int32_t fieldId,
                std::uint8_t scanCode) {
    if (fieldId == IDC_MAP_LAYER_TRIGGER_KEY) {
        captureTriggerKey(state, env, scanCode);
        return;
    }
    const std::optional<std::size_t> offset = keyFieldOffset(state.templateId, fieldId);
    if (!offset || refuseKeptKey(state, env, scanCode)) {
        return;
    }
    shownRecord(state).bytes[*offset] = scanCode;
    takeShownChange(state, env, fieldId);
    showKeyName(state, env, fieldId, scanCode);
}

// No selection is -1, which one byte holds as 255.
std::uint8_t selectedPosition(MapDialogState& state, MapDialogEnvironment& env,
                              std::int32_t listId) {
    return static_cast<std::uint8_t>(
        env.dialogs.sendDlgItemMessage(state.window, listId, kCbGetCurSel, 0, 0));
}

bool isTextField(std::int32_t controlId) {
    return controlId == IDC_MAP_LAYER_NAME || controlId == IDC_MAP_LAYER_DELAY ||
           controlId == IDC_MAP_LAYER_RELEASE_DELAY;
}

// A text field's focus: typing needs the keys the keyboard device would hold.
void followTextFieldFocus(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                          std::uint32_t notification) {
    if (isTextField(controlId)) {
        lendKeyboardForTyping(env.directInput, env.devices, notification, state.keyboardLent);
    }
}

void takeMouseLists(MapDialogState& state, MapDialogEnvironment& env) {
    for (const std::size_t binding : kMouseActionBindings) {
        state.record.bytes[profile::mouseBindings + binding] =
            selectedPosition(state, env, mouseListId(binding));
    }
    for (const std::size_t binding : kUnlistedMouseBindings) {
        state.record.bytes[profile::mouseBindings + binding] = 0;
    }
    state.record.bytes[profile::direction] = selectedPosition(state, env, IDC_MAP_MOUSE_DIRECTION);
}

void setFlag(std::uint8_t& flags, std::uint8_t bit, bool on) {
    flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
}

// Only the two invert bits belong to the check boxes; the other six keep their values.
void takeInvertFlags(MapDialogState& state, MapDialogEnvironment& env) {
    std::uint8_t& flags = state.record.bytes[profile::invertFlags];
    setFlag(flags, profile::kInvertX,
            env.dialogs.isDlgButtonChecked(state.window, IDC_MAP_INVERT_X) == kBstChecked);
    setFlag(flags, profile::kInvertY,
            env.dialogs.isDlgButtonChecked(state.window, IDC_MAP_INVERT_Y) == kBstChecked);
}

// COUNT is read again for the write, and the store with it: every record but the edited
// one is written as read at open, and should COUNT have grown since, the records beyond
// the buffer as the file holds them now. The edited record goes back with its layers as
// edited, every other record read at open with its layers as at open; those beyond keep
// theirs. A store that cannot be read now is not written.
std::optional<StoreChange> writeBackStore(MapDialogState& state, MapDialogEnvironment& env) {
    const std::uint32_t count = readProfileCount(env.ini, env.paths);
    std::vector<std::uint8_t> store(storeLength(count), 0);
    const StoreRead read = readStore(env.files, env.paths, store.data(), storeLength(count));
    if (!read.readable()) {
        return StoreChange{false, read.failure, std::nullopt};
    }
    const std::size_t kept = std::min(state.store.size(), store.size());
    std::copy_n(state.store.begin(), kept, store.begin());
    std::vector<ProfileLayers> layers =
        layersOfRecords(state.layersAtOpen, state.store.data(),
                        static_cast<std::uint32_t>(kept / kProfileRecordSize));
    const auto edited = static_cast<std::size_t>(state.profileIndex);
    if (edited < count) {
        storeRecord(store.data(), edited, state.record);
    }
    if (edited < layers.size()) {
        layers[edited] = state.layers;
    }
    const StoreChange written = writeLayeredStore(env.files, env.paths, store, layers);
    if (!written.done) {
        return written;
    }
    return std::nullopt;
}

} // namespace

bool refuseKeptKey(MapDialogState& state, MapDialogEnvironment& env, std::uint8_t scanCode) {
    return qora::refuseKeptKey(state.keptKeys, env.user, state.window, scanCode);
}

void showMapFields(MapDialogState& state, MapDialogEnvironment& env) {
    showKeyFields(state, env);
    showMouseLists(state, env);
    showInvertFlags(state, env);
    showZoomScales(state, env);
    showAimGroup(state, env);
}

void takeBaseLists(MapDialogState& state, MapDialogEnvironment& env) {
    if (showsLayer(state)) {
        return;
    }
    takeMouseLists(state, env);
    takeInvertFlags(state, env);
}

bool initMapDialog(MapDialogState& state, MapDialogEnvironment& env, WindowHandle dialog,
                   std::int32_t templateId, std::int32_t profileIndex) {
    state.window = dialog;
    state.templateId = templateId;
    state.profileIndex = profileIndex;
    state.keptKeys.switchKeys = readSwitchKeyCodes(env.ini, env.paths);
    if (const std::optional<FileFailure> failure = loadStore(state, env)) {
        // What could not be read would show as zeros and be written back as zeros.
        showFileFailure(env.user, dialog, describeFailure(*failure));
        env.dialogs.endDialog(dialog, kMapDialogCancelled);
        return true;
    }
    // Without a keyboard device the dialog still opens; it just captures no key.
    openOrCloseKeyboard(env.directInput, env.user, env.devices, dialog, kMapKeyboardBackgroundMode);
    env.user.setTimer(dialog, kMapCaptureTimerId, kMapCapturePeriodMs);
    fillMouseLists(state, env);
    showMapFields(state, env);
    showLayerGroup(state, env);
    return true;
}

void onMapTimer(MapDialogState& state, MapDialogEnvironment& env) {
    if (!pollCapturedKeyboard(env.directInput, env.user, env.devices, state.keyboardLent,
                              state.snapshot, state.keptKeys)) {
        return;
    }
    const std::optional<std::int32_t> focused = focusedControlId(state, env);
    if (!focused) {
        return;
    }
    // A bar or check box reached with the keyboard notifies nothing: Use base learns of
    // it here.
    noteFieldVisited(state, env, *focused);
    for (std::size_t code = 0; code < kKeyboardSnapshotSize; ++code) {
        if ((state.snapshot[code] & kKeyDown) != 0) {
            captureKey(state, env, *focused, static_cast<std::uint8_t>(code));
        }
    }
}

void onMapKeyFieldChanged(MapDialogState& state, MapDialogEnvironment& env,
                          std::int32_t controlId) {
    const std::optional<std::size_t> offset = keyFieldOffset(state.templateId, controlId);
    if (!offset) {
        return;
    }
    char text[kKeyFieldReadLength + 1] = {};
    env.dialogs.getDlgItemText(state.window, controlId, text, sizeof text);
    if (text[0] != '\0') {
        return;
    }
    // The base's key a layer leaves alone, shown by the dialog, even one without a name.
    if (state.showing && controlShowsBase(state, controlId)) {
        return;
    }
    shownRecord(state).bytes[*offset] = 0;
    takeShownChange(state, env, controlId);
}

void onMapScroll(MapDialogState& state, MapDialogEnvironment& env, WindowHandle bar,
                 std::uint32_t request) {
    if (onAimScroll(state, env, bar, request)) {
        return;
    }
    const std::optional<ZoomBar> zoom = zoomBarWithId(env.dialogs.getDlgCtrlID(bar));
    // The end of a scroll follows every action on the bar and asks for nothing.
    if (!zoom || request == kSbEndScroll) {
        return;
    }
    noteFieldVisited(state, env, zoom->barId);
    ScrollInfo current;
    current.mask = kSifRange | kSifPage | kSifPos | kSifTrackPos;
    if (!env.dialogs.getScrollInfo(bar, kSbCtl, current)) {
        return;
    }
    ScrollInfo moved;
    moved.mask = kSifPos;
    moved.pos = scrolledPosition(current, request);
    env.dialogs.setScrollInfo(bar, kSbCtl, moved, true);

    // The bar has kept the position within its range; what it holds now is the scale.
    ScrollInfo settled;
    settled.mask = kSifPos;
    env.dialogs.getScrollInfo(bar, kSbCtl, settled);
    const float scale = zoomScaleAt(settled.pos);
    writeZoomScale(shownRecord(state), zoom->offset, scale);
    takeShownChange(state, env, zoom->barId);
    showZoomLabel(state, env, *zoom, scale);
}

void onMapConfirm(MapDialogState& state, MapDialogEnvironment& env) {
    if (!leaveShownPart(state, env)) {
        return;
    }
    if (!state.recordInStore) {
        // Opened on a profile the store does not have: there is nothing to write back.
        env.dialogs.endDialog(state.window, kMapDialogCancelled);
        return;
    }
    if (!layersHaveTriggers(state, env)) {
        return;
    }
    // A store that could not be written keeps the dialog open with the edits, so the user
    // can retry or cancel.
    if (const std::optional<StoreChange> failed = writeBackStore(state, env)) {
        showFileFailure(env.user, state.window, describeChange(*failed));
        return;
    }
    env.dialogs.endDialog(state.window, kMapDialogConfirmed);
}

void onMapCancel(MapDialogState& state, MapDialogEnvironment& env) {
    env.dialogs.endDialog(state.window, kMapDialogCancelled);
}

bool onMapCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                  std::uint32_t notification) {
    if (controlId == IDC_CONFIRM) {
        // The dialog system turns Enter into command 1 even without a default button.
        // Pressed in a key field it is a key to bind, not a click on Confirm (a click
        // moves the focus to the button first); in the new layer's name it makes the layer.
        if (focusIsOnLayerName(state, env)) {
            onNewLayer(state, env);
        } else if (!focusIsOnKeyField(state, env)) {
            onMapConfirm(state, env);
        }
        return true;
    }
    if (controlId == IDC_CANCEL) {
        onMapCancel(state, env);
        return true;
    }
    followTextFieldFocus(state, env, controlId, notification);
    if (onLayerCommand(state, env, controlId, notification) ||
        onAimCommand(state, env, controlId, notification)) {
        return true;
    }
    if (notification == kEnChange && keyFieldOffset(state.templateId, controlId)) {
        onMapKeyFieldChanged(state, env, controlId);
        return true;
    }
    return false;
}

void destroyMapDialog(MapDialogState& state, MapDialogEnvironment& env) {
    env.user.killTimer(state.window, kMapCaptureTimerId);
    releaseKeyboard(env.directInput, env.devices);
    std::vector<std::uint8_t>().swap(state.store);
    state.layersAtOpen = LayerFile{};
    state.layers = ProfileLayers{};
    state.shownLayer = -1;
    state.keyboardLent = false;
    state.recordInStore = false;
}

} // namespace qora
