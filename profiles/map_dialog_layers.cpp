#include "profiles/map_dialog_layers.h"

#include "profiles/map_dialog_fields.h"
#include "profiles/map_dialog_layer_settings.h"
#include "profiles/map_dialog_modes.h"
#include "profiles/map_dialog_view.h"
#include "resources/resource_ids.h"

#include <algorithm>
#include <cctype>

namespace qora {
namespace {

// Meaningful only with a layer shown; the base shows them disabled and empty.
constexpr std::int32_t kLayerOnlyControls[] = {
    IDC_MAP_LAYER_DELETE,        IDC_MAP_LAYER_TRIGGER_SOURCE, IDC_MAP_LAYER_TRIGGER_KEY,
    IDC_MAP_LAYER_HELD,          IDC_MAP_LAYER_TOGGLED,        IDC_MAP_LAYER_DELAY,
    IDC_MAP_LAYER_RELEASE_DELAY,
};

constexpr const char* kLayerCaption = "Warning";
constexpr const char* kNoNameText = "Type a name for the new layer";
constexpr const char* kLongNameText = "A layer's name has at most 31 characters";
constexpr const char* kQuoteInNameText = "A layer's name cannot hold a double quote";
constexpr const char* kNinthLayerText = "A profile has at most 8 layers";

bool owns(const LayerRecord& layer, unsigned change) {
    return (layer.changes & layer_change::bit(change)) != 0;
}

std::optional<unsigned> shownChangeOf(const MapDialogState& state, std::int32_t controlId) {
    if (controlId == 0) {
        return std::nullopt;
    }
    return layerChangeOfControl(state.templateId, controlId);
}

void tell(MapDialogState& state, MapDialogEnvironment& env, const std::string& text) {
    env.user.messageBox(state.window, text.c_str(), kLayerCaption, kMbOk | kMbIconWarning);
}

void enableControl(MapDialogState& state, MapDialogEnvironment& env, std::int32_t id, bool enable) {
    env.dialogs.enableWindow(env.dialogs.getDlgItem(state.window, id), enable);
}

// Use base can act only on a field the shown layer owns.
void showUseBase(MapDialogState& state, MapDialogEnvironment& env) {
    const std::optional<unsigned> change = shownChangeOf(state, state.lastField);
    enableControl(state, env, IDC_MAP_LAYER_USE_BASE,
                  showsLayer(state) && change && owns(shownLayerRecord(state), *change));
}

// The controls of a field are drawn again, in grey or not (the dialog procedure asks
// controlShowsBase); every field's when change is nothing.
void redrawFields(MapDialogState& state, MapDialogEnvironment& env,
                  std::optional<unsigned> change) {
    for (const std::int32_t id : layerFieldControls(state.templateId)) {
        if (!change || layerChangeOfControl(state.templateId, id) == change) {
            env.user.invalidateRect(env.dialogs.getDlgItem(state.window, id), true);
        }
    }
}

void makeLayerView(MapDialogState& state) {
    if (showsLayer(state)) {
        state.layerView = state.record;
        applyLayer(state.layerView, shownLayerRecord(state));
    }
}

void showFieldsQuietly(MapDialogState& state, MapDialogEnvironment& env) {
    state.showing = true;
    showMapFields(state, env);
    showLayerSettings(state, env);
    state.showing = false;
}

void fillChoices(MapDialogState& state, MapDialogEnvironment& env) {
    env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_LIST, kCbResetContent, 0, 0);
    env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_LIST, kCbAddString, 0,
                                   reinterpret_cast<std::intptr_t>(kBaseChoice));
    for (const LayerRecord& layer : state.layers.layers) {
        const std::string name = layerName(layer);
        env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_LIST, kCbAddString, 0,
                                       reinterpret_cast<std::intptr_t>(name.c_str()));
    }
}

void selectShownChoice(MapDialogState& state, MapDialogEnvironment& env) {
    env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_LIST, kCbSetCurSel,
                                   static_cast<std::uintptr_t>(state.shownLayer + 1), 0);
}

// The fields show part (-1 the base, else a layer), as stored now.
void showPart(MapDialogState& state, MapDialogEnvironment& env, std::int32_t part) {
    state.shownLayer = part;
    state.lastField = 0;
    makeLayerView(state);
    showFieldsQuietly(state, env);
    for (const std::int32_t id : kLayerOnlyControls) {
        enableControl(state, env, id, showsLayer(state));
    }
    showUseBase(state, env);
    selectShownChoice(state, env);
    redrawFields(state, env, std::nullopt);
}

void onPartChosen(MapDialogState& state, MapDialogEnvironment& env) {
    const std::intptr_t choice =
        env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_LIST, kCbGetCurSel, 0, 0);
    const auto part = static_cast<std::int32_t>(choice - 1);
    const bool known = choice >= 0 && part < static_cast<std::int32_t>(state.layers.layers.size());
    if (!known || part == state.shownLayer || !leaveShownPart(state, env)) {
        selectShownChoice(state, env);
        return;
    }
    showPart(state, env, part);
}

void onDeleteLayer(MapDialogState& state, MapDialogEnvironment& env) {
    if (!showsLayer(state)) {
        return;
    }
    const std::string text = "Delete the layer \"" + layerName(shownLayerRecord(state)) + "\"?";
    if (env.user.messageBox(state.window, text.c_str(), kLayerCaption, kMbYesNo | kMbIconWarning) !=
        kIdYes) {
        return;
    }
    auto& layers = state.layers.layers;
    layers.erase(layers.begin() + state.shownLayer);
    fillChoices(state, env);
    showPart(state, env, -1);
}

void onUseBase(MapDialogState& state, MapDialogEnvironment& env) {
    const std::optional<unsigned> change = shownChangeOf(state, state.lastField);
    if (!showsLayer(state) || !change || !owns(shownLayerRecord(state), *change)) {
        return;
    }
    dropChange(shownLayerRecord(state), *change);
    makeLayerView(state);
    showFieldsQuietly(state, env);
    redrawFields(state, env, change);
    showUseBase(state, env);
}

std::string trimmed(const std::string& text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string typedLayerName(MapDialogState& state, MapDialogEnvironment& env) {
    char text[kLayerNameReadLength + 1] = {};
    env.dialogs.getDlgItemText(state.window, IDC_MAP_LAYER_NAME, text, sizeof text);
    return text;
}

// The fields a layer takes at once: a list choice, a check box.
bool onLiveFieldCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                        std::uint32_t notification) {
    if (!showsLayer(state) || state.showing) {
        return false;
    }
    const std::optional<unsigned> change = layerChangeOfControl(state.templateId, controlId);
    if (!change) {
        return false;
    }
    ProfileRecord& shown = shownRecord(state);
    if (notification == kCbnSelChange && *change >= layer_change::firstMouseBinding &&
        *change <= layer_change::direction) {
        shown.bytes[profile::mouseBindings + (*change - layer_change::firstMouseBinding)] =
            static_cast<std::uint8_t>(
                env.dialogs.sendDlgItemMessage(state.window, controlId, kCbGetCurSel, 0, 0));
    } else if (notification == kBnClicked && *change == layer_change::invert) {
        const std::uint8_t bit =
            controlId == IDC_MAP_INVERT_X ? profile::kInvertX : profile::kInvertY;
        const bool on = env.dialogs.isDlgButtonChecked(state.window, controlId) == kBstChecked;
        std::uint8_t& flags = shown.bytes[profile::invertFlags];
        flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
    } else {
        return false;
    }
    noteFieldVisited(state, env, controlId);
    takeShownChange(state, env, controlId);
    return true;
}

bool isFocusNotification(std::uint32_t notification) {
    return notification == kEnSetFocus || notification == kCbnSetFocus ||
           notification == kBnSetFocus;
}

} // namespace

std::optional<std::string> newLayerRefusal(const ProfileLayers& layers, const std::string& name) {
    const std::string wanted = trimmed(name);
    if (layers.layers.size() >= kMaxLayers) {
        return kNinthLayerText;
    }
    if (wanted.empty()) {
        return kNoNameText;
    }
    if (wanted.size() >= kLayerNameSize) {
        return kLongNameText;
    }
    if (wanted.find('"') != std::string::npos) {
        return kQuoteInNameText;
    }
    for (const LayerRecord& layer : layers.layers) {
        if (layerName(layer) == wanted) {
            return "The profile already has a layer named \"" + wanted + "\"";
        }
    }
    return std::nullopt;
}

ProfileRecord& shownRecord(MapDialogState& state) {
    return showsLayer(state) ? state.layerView : state.record;
}

bool showsLayer(const MapDialogState& state) {
    return state.shownLayer >= 0 &&
           static_cast<std::size_t>(state.shownLayer) < state.layers.layers.size();
}

LayerRecord& shownLayerRecord(MapDialogState& state) {
    return state.layers.layers[static_cast<std::size_t>(state.shownLayer)];
}

bool controlShowsBase(const MapDialogState& state, std::int32_t controlId) {
    if (!showsLayer(state)) {
        return false;
    }
    const std::optional<unsigned> change = shownChangeOf(state, controlId);
    return change &&
           !owns(state.layers.layers[static_cast<std::size_t>(state.shownLayer)], *change);
}

void takeShownChange(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId) {
    const std::optional<unsigned> change = shownChangeOf(state, controlId);
    if (!showsLayer(state) || !change) {
        return;
    }
    LayerRecord& layer = shownLayerRecord(state);
    const bool wasOwn = owns(layer, *change);
    takeChange(layer, *change, state.layerView);
    if (!wasOwn) {
        redrawFields(state, env, change);
        showUseBase(state, env);
    }
}

void noteFieldVisited(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId) {
    if (!showsLayer(state) || controlId == state.lastField || !shownChangeOf(state, controlId)) {
        return;
    }
    state.lastField = controlId;
    showUseBase(state, env);
}

void showLayerGroup(MapDialogState& state, MapDialogEnvironment& env) {
    env.dialogs.sendDlgItemMessage(state.window, IDC_MAP_LAYER_NAME, kEmLimitText,
                                   kLayerNameReadLength, 0);
    setUpLayerSettings(state, env);
    fillChoices(state, env);
    state.shownLayer = -1;
    showLayerSettings(state, env);
    for (const std::int32_t id : kLayerOnlyControls) {
        enableControl(state, env, id, false);
    }
    showUseBase(state, env);
    selectShownChoice(state, env);
}

bool leaveShownPart(MapDialogState& state, MapDialogEnvironment& env) {
    if (!showsLayer(state)) {
        takeBaseLists(state, env);
        return true;
    }
    return takeLayerDelays(state, env);
}

bool layersHaveTriggers(MapDialogState& state, MapDialogEnvironment& env) {
    for (const LayerRecord& layer : state.layers.layers) {
        if (layer.trigger.source == TriggerSource::none) {
            tell(state, env,
                 "The layer \"" + layerName(layer) + "\" has no trigger: choose a key or a " +
                     "mouse button");
            return false;
        }
    }
    return true;
}

bool focusIsOnLayerName(MapDialogState& state, MapDialogEnvironment& env) {
    const WindowHandle focus = env.dialogs.getFocus();
    return focus != nullptr && focus == env.dialogs.getDlgItem(state.window, IDC_MAP_LAYER_NAME);
}

void onNewLayer(MapDialogState& state, MapDialogEnvironment& env) {
    const std::string name = typedLayerName(state, env);
    if (const std::optional<std::string> refusal = newLayerRefusal(state.layers, name)) {
        tell(state, env, *refusal);
        return;
    }
    if (!leaveShownPart(state, env)) {
        return;
    }
    LayerRecord layer;
    setLayerName(layer, trimmed(name));
    state.layers.layers.push_back(layer);
    fillChoices(state, env);
    showPart(state, env, static_cast<std::int32_t>(state.layers.layers.size()) - 1);
    env.dialogs.setDlgItemText(state.window, IDC_MAP_LAYER_NAME, "");
}

bool onLayerCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                    std::uint32_t notification) {
    if (isFocusNotification(notification)) {
        noteFieldVisited(state, env, controlId);
        return false;
    }
    if (notification == kBnClicked) {
        switch (controlId) {
        case IDC_MAP_LAYER_NEW:
            onNewLayer(state, env);
            return true;
        case IDC_MAP_LAYER_DELETE:
            onDeleteLayer(state, env);
            return true;
        case IDC_MAP_LAYER_USE_BASE:
            onUseBase(state, env);
            return true;
        case IDC_MAP_LAYER_MODES:
            editShownModes(state, env);
            return true;
        default:
            break;
        }
    }
    if (controlId == IDC_MAP_LAYER_LIST && notification == kCbnSelChange) {
        onPartChosen(state, env);
        return true;
    }
    return onLayerSettingCommand(state, env, controlId, notification) ||
           onLiveFieldCommand(state, env, controlId, notification);
}

} // namespace qora
