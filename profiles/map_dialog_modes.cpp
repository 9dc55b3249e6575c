#include "profiles/map_dialog_modes.h"

#include "formats/layer_record.h"
#include "input/keyboard_device.h"
#include "profiles/map_dialog_layers.h"

namespace qora {
namespace {

ModesEdit modesOfShownPart(MapDialogState& state, MapDialogEnvironment& env) {
    ModesEdit edit;
    edit.modes.base = state.layers.modes;
    if (showsLayer(state)) {
        edit.modes.layer = shownLayerRecord(state).modes;
        edit.layerName = layerName(shownLayerRecord(state));
    }
    edit.console = env.consoleMode;
    edit.switchKeys = state.keptKeys.switchKeys;
    return edit;
}

void keepEditedModes(MapDialogState& state, const ModesEdit& edit) {
    if (showsLayer(state) && edit.modes.layer) {
        shownLayerRecord(state).modes = *edit.modes.layer;
    } else if (!showsLayer(state)) {
        state.layers.modes = edit.modes.base;
    }
}

} // namespace

void editShownModes(MapDialogState& state, MapDialogEnvironment& env) {
    ModesEdit edit = modesOfShownPart(state, env);
    const bool hadKeyboard = keyboardExists(env.devices);
    env.user.killTimer(state.window, kMapCaptureTimerId);
    releaseKeyboard(env.directInput, env.devices);
    const std::intptr_t result = env.modesDialogs.openModesDialog(state.window, edit);
    releaseKeyboard(env.directInput, env.devices);
    if (hadKeyboard) {
        openOrCloseKeyboard(env.directInput, env.user, env.devices, state.window,
                            kMapKeyboardBackgroundMode);
    }
    state.keyboardLent = false;
    env.user.setTimer(state.window, kMapCaptureTimerId, kMapCapturePeriodMs);
    if (result == kModesDialogConfirmed) {
        keepEditedModes(state, edit);
    }
}

} // namespace qora
