#include "profiles/map_dialog_layer_settings.h"

#include "input/key_names.h"
#include "profiles/dialog_fields.h"
#include "profiles/map_dialog_layers.h"
#include "profiles/map_dialog_view.h"
#include "resources/resource_ids.h"

#include <optional>
#include <string>

namespace qora {
namespace {

constexpr std::intptr_t kKeyItem = 0;
constexpr std::intptr_t kNoItem = -1;

struct DelayField {
    std::int32_t id;
    const char* name;
    std::uint16_t LayerRecord::*value;
};

constexpr DelayField kDelayFields[] = {
    {IDC_MAP_LAYER_DELAY, kDelayFieldName, &LayerRecord::delayMs},
    {IDC_MAP_LAYER_RELEASE_DELAY, kReleaseDelayFieldName, &LayerRecord::releaseDelayMs},
};

constexpr const char* kDelayRefusalEnd = " must be a whole number of ms from 0 to 2000";

// The dialog's own setting of a control: its notifications are no edits.
template <typename Show>
void showQuietly(MapDialogState& state, Show show) {
    const bool wasShowing = state.showing;
    state.showing = true;
    show();
    state.showing = wasShowing;
}

void selectTriggerItem(MapDialogState& state, MapDialogEnvironment& env, std::intptr_t item) {
    env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_TRIGGER_SOURCE, kCbSetCurSel,
                                   static_cast<std::uintptr_t>(item), 0);
}

void showTriggerKeyText(MapDialogState& state, MapDialogEnvironment& env, const char* text) {
    showQuietly(state,
                [&] { env.dialogs.setDlgItemText(state.window, IDC_MAP_LAYER_TRIGGER_KEY, text); });
}

void showTrigger(MapDialogState& state, MapDialogEnvironment& env, const LayerTrigger& trigger) {
    if (trigger.source == TriggerSource::mouseButton) {
        selectTriggerItem(state, env, kKeyItem + 1 + trigger.code);
        showTriggerKeyText(state, env, "");
        return;
    }
    selectTriggerItem(state, env, kKeyItem);
    showTriggerKeyText(state, env,
                       trigger.source == TriggerSource::key ? keyName(trigger.code) : "");
}

void checkKind(MapDialogState& state, MapDialogEnvironment& env, std::uint32_t held,
               std::uint32_t toggled) {
    env.dialogs.checkDlgButton(state.window, IDC_MAP_LAYER_HELD, held);
    env.dialogs.checkDlgButton(state.window, IDC_MAP_LAYER_TOGGLED, toggled);
}

void showDelays(MapDialogState& state, MapDialogEnvironment& env, const LayerRecord* layer) {
    for (const DelayField& field : kDelayFields) {
        const std::string text = layer != nullptr ? std::to_string(layer->*field.value) : "";
        env.dialogs.setDlgItemText(state.window, field.id, text.c_str());
    }
}

std::optional<std::uint16_t> readDelay(MapDialogState& state, MapDialogEnvironment& env,
                                       const DelayField& field) {
    char text[kDelayFieldLength + 2] = {};
    env.dialogs.getDlgItemText(state.window, field.id, text, sizeof text);
    return parseWholeNumber(text, 0, kMaxLayerDelayMs);
}

void refuseDelay(MapDialogState& state, MapDialogEnvironment& env, const DelayField& field) {
    const std::string text = std::string(field.name) + kDelayRefusalEnd;
    env.user.messageBox(state.window, text.c_str(), kRunKeyCaption, kMbOk | kMbIconWarning);
}

void onTriggerItemChosen(MapDialogState& state, MapDialogEnvironment& env) {
    const std::intptr_t item = env.dialogs.sendDlgItemMessage(
        state.window, IDC_MAP_LAYER_TRIGGER_SOURCE, kCbGetCurSel, 0, 0);
    LayerTrigger& trigger = shownLayerRecord(state).trigger;
    if (item > kKeyItem && item <= static_cast<std::intptr_t>(kMouseButtonTriggers)) {
        trigger = {TriggerSource::mouseButton, static_cast<std::uint8_t>(item - 1)};
        showTriggerKeyText(state, env, "");
    } else if (item == kKeyItem && trigger.source == TriggerSource::mouseButton) {
        // The key field is empty: the next key pressed there is the trigger.
        trigger = {};
    }
}

// Emptied by the player: a key trigger is gone; a mouse button's empty field is as shown.
void onTriggerKeyChanged(MapDialogState& state, MapDialogEnvironment& env) {
    char text[kKeyFieldReadLength + 1] = {};
    env.dialogs.getDlgItemText(state.window, IDC_MAP_LAYER_TRIGGER_KEY, text, sizeof text);
    LayerTrigger& trigger = shownLayerRecord(state).trigger;
    if (text[0] == '\0' && trigger.source == TriggerSource::key) {
        trigger = {};
    }
}

} // namespace

void setUpLayerSettings(MapDialogState& state, MapDialogEnvironment& env) {
    for (const char* item : kTriggerSourceItems) {
        env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_TRIGGER_SOURCE, kCbAddString, 0,
                                       reinterpret_cast<std::intptr_t>(item));
    }
    for (const DelayField& field : kDelayFields) {
        env.dialogs.sendDlgItemMessage(state.window, field.id, kEmLimitText, kDelayFieldLength, 0);
    }
}

void showLayerSettings(MapDialogState& state, MapDialogEnvironment& env) {
    if (!showsLayer(state)) {
        selectTriggerItem(state, env, kNoItem);
        showTriggerKeyText(state, env, "");
        checkKind(state, env, kBstUnchecked, kBstUnchecked);
        showDelays(state, env, nullptr);
        return;
    }
    const LayerRecord& layer = shownLayerRecord(state);
    showTrigger(state, env, layer.trigger);
    const bool toggled = layer.kind == LayerKind::toggled;
    checkKind(state, env, toggled ? kBstUnchecked : kBstChecked,
              toggled ? kBstChecked : kBstUnchecked);
    showDelays(state, env, &layer);
}

bool takeLayerDelays(MapDialogState& state, MapDialogEnvironment& env) {
    std::uint16_t values[std::size(kDelayFields)] = {};
    for (std::size_t i = 0; i < std::size(kDelayFields); ++i) {
        const std::optional<std::uint16_t> value = readDelay(state, env, kDelayFields[i]);
        if (!value) {
            refuseDelay(state, env, kDelayFields[i]);
            return false;
        }
        values[i] = *value;
    }
    LayerRecord& layer = shownLayerRecord(state);
    for (std::size_t i = 0; i < std::size(kDelayFields); ++i) {
        layer.*kDelayFields[i].value = values[i];
    }
    return true;
}

void captureTriggerKey(MapDialogState& state, MapDialogEnvironment& env, std::uint8_t scanCode) {
    if (!showsLayer(state) || refuseKeptKey(state, env, scanCode)) {
        return;
    }
    // A key without a name cannot be shown, so it is no trigger: the field empties, as a
    // key field does for such a key.
    const bool named = keyName(scanCode)[0] != '\0';
    shownLayerRecord(state).trigger =
        named ? LayerTrigger{TriggerSource::key, scanCode} : LayerTrigger{};
    selectTriggerItem(state, env, kKeyItem);
    showTriggerKeyText(state, env, keyName(scanCode));
}

bool onLayerSettingCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                           std::uint32_t notification) {
    if (!showsLayer(state) || state.showing) {
        return false;
    }
    if (controlId == IDC_MAP_LAYER_TRIGGER_SOURCE && notification == kCbnSelChange) {
        onTriggerItemChosen(state, env);
        return true;
    }
    if (controlId == IDC_MAP_LAYER_TRIGGER_KEY && notification == kEnChange) {
        onTriggerKeyChanged(state, env);
        return true;
    }
    if (notification == kBnClicked &&
        (controlId == IDC_MAP_LAYER_HELD || controlId == IDC_MAP_LAYER_TOGGLED)) {
        shownLayerRecord(state).kind =
            controlId == IDC_MAP_LAYER_TOGGLED ? LayerKind::toggled : LayerKind::whileHeld;
        return true;
    }
    return false;
}

} // namespace qora
