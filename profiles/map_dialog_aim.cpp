#include "profiles/map_dialog_aim.h"

#include "resources/resource_ids.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace qora {
namespace {

// The controls that mean something in precise aim only; classic aim disables them.
constexpr std::int32_t kPreciseAimControls[] = {
    IDC_MAP_AIM_DEAD_ZONE_LABEL, IDC_MAP_AIM_DEAD_ZONE_VALUE, IDC_MAP_AIM_DEAD_ZONE,
    IDC_MAP_AIM_SHAPE_LABEL,     IDC_MAP_AIM_CIRCLE,          IDC_MAP_AIM_SQUARE,
    IDC_MAP_AIM_EXPONENT_LABEL,  IDC_MAP_AIM_EXPONENT_VALUE,  IDC_MAP_AIM_EXPONENT,
};

// The title over the zoom bars: in precise aim they are the sensitivities.
constexpr const char* kZoomTitle = "Zoom Scale";
constexpr const char* kSensitivityTitle = "Sensitivity";

std::int32_t storedDeadZone(const AimSettings& aim) {
    return aim.deadZoneHundredths;
}
void storeDeadZone(AimSettings& aim, std::int32_t hundredths) {
    aim.deadZoneHundredths = static_cast<std::uint16_t>(hundredths);
}
std::int32_t storedExponent(const AimSettings& aim) {
    return aim.exponentSteps;
}
void storeExponent(AimSettings& aim, std::int32_t steps) {
    aim.exponentSteps = static_cast<std::int8_t>(steps);
}

struct AimBar {
    std::int32_t barId;
    std::int32_t valueId;
    AimBarScale scale;
    std::int32_t (*stored)(const AimSettings&);
    void (*store)(AimSettings&, std::int32_t);
    AimLabel (*format)(std::int32_t);
};

constexpr AimBar kAimBars[] = {
    {IDC_MAP_AIM_DEAD_ZONE, IDC_MAP_AIM_DEAD_ZONE_VALUE, kDeadZoneBar, storedDeadZone,
     storeDeadZone, deadZoneLabel},
    {IDC_MAP_AIM_EXPONENT, IDC_MAP_AIM_EXPONENT_VALUE, kExponentBar, storedExponent, storeExponent,
     exponentLabel},
};

const AimBar* aimBarWithId(std::int32_t controlId) {
    for (const AimBar& bar : kAimBars) {
        if (bar.barId == controlId) {
            return &bar;
        }
    }
    return nullptr;
}

std::optional<std::int32_t> requestedAimValue(const AimBarScale& scale, std::int32_t value,
                                              const ScrollInfo& bar, std::uint32_t request) {
    switch (request) {
    case kSbLineLeft:
        return stepOnGrid(value, scale.grid, -1);
    case kSbLineRight:
        return stepOnGrid(value, scale.grid, 1);
    case kSbPageLeft:
        return stepOnGrid(value, scale.grid, -scale.pagePositions);
    case kSbPageRight:
        return stepOnGrid(value, scale.grid, scale.pagePositions);
    case kSbLeft:
        return scale.grid.min;
    case kSbRight:
        return scale.grid.max;
    case kSbThumbPosition:
    case kSbThumbTrack:
        // A thumb clicked and let go where it was leaves a value between grid points.
        if (bar.trackPos == bar.pos) {
            return std::nullopt;
        }
        return bar.trackPos * scale.grid.step;
    default:
        return std::nullopt;
    }
}

void checkRadioPair(MapDialogState& state, MapDialogEnvironment& env, std::int32_t firstId,
                    std::int32_t secondId, bool second) {
    env.dialogs.checkDlgButton(state.window, firstId, second ? kBstUnchecked : kBstChecked);
    env.dialogs.checkDlgButton(state.window, secondId, second ? kBstChecked : kBstUnchecked);
}

void showAimValue(MapDialogState& state, MapDialogEnvironment& env, const AimBar& bar,
                  std::int32_t value) {
    env.dialogs.setDlgItemText(state.window, bar.valueId, bar.format(value).data());
}

void setUpAimBar(MapDialogState& state, MapDialogEnvironment& env, const AimBar& bar,
                 std::int32_t value) {
    ScrollInfo info;
    info.mask = kSifRange | kSifPage | kSifPos | kSifTrackPos;
    info.min = bar.scale.minPosition();
    info.max = bar.scale.maxPosition();
    info.page = 0;
    info.pos = aimBarPosition(bar.scale, value);
    env.dialogs.setScrollInfo(env.dialogs.getDlgItem(state.window, bar.barId), kSbCtl, info, true);
}

void showAimMode(MapDialogState& state, MapDialogEnvironment& env, AimMode mode) {
    const bool precise = mode == AimMode::precise;
    for (const std::int32_t id : kPreciseAimControls) {
        env.dialogs.enableWindow(env.dialogs.getDlgItem(state.window, id), precise);
    }
    env.dialogs.setDlgItemText(state.window, IDC_MAP_ZOOM_TITLE,
                               precise ? kSensitivityTitle : kZoomTitle);
}

} // namespace

std::int32_t aimBarPosition(const AimBarScale& scale, std::int32_t value) {
    // The nearest grid point, halves up; stored values may be negative, so the division
    // rounds towards minus infinity.
    const std::int32_t step = scale.grid.step;
    const std::int32_t shifted = value + step / 2;
    return shifted >= 0 ? shifted / step : -((-shifted + step - 1) / step);
}

std::optional<std::int32_t> scrolledAimValue(const AimBarScale& scale, std::int32_t value,
                                             const ScrollInfo& bar, std::uint32_t request) {
    const std::optional<std::int32_t> requested = requestedAimValue(scale, value, bar, request);
    if (!requested) {
        return std::nullopt;
    }
    return std::clamp(*requested, scale.grid.min, scale.grid.max);
}

void showAimGroup(MapDialogState& state, MapDialogEnvironment& env) {
    const AimSettings aim = readAimSettings(state.record);
    checkRadioPair(state, env, IDC_MAP_AIM_CLASSIC, IDC_MAP_AIM_PRECISE,
                   aim.mode == AimMode::precise);
    checkRadioPair(state, env, IDC_MAP_AIM_CIRCLE, IDC_MAP_AIM_SQUARE,
                   aim.shape == AimShape::square);
    for (const AimBar& bar : kAimBars) {
        showAimValue(state, env, bar, bar.stored(aim));
        setUpAimBar(state, env, bar, bar.stored(aim));
    }
    showAimMode(state, env, aim.mode);
}

bool onAimScroll(MapDialogState& state, MapDialogEnvironment& env, WindowHandle bar,
                 std::uint32_t request) {
    const AimBar* aimBar = aimBarWithId(env.dialogs.getDlgCtrlID(bar));
    if (aimBar == nullptr) {
        return false;
    }
    ScrollInfo current;
    current.mask = kSifPos | kSifTrackPos;
    if (!env.dialogs.getScrollInfo(bar, kSbCtl, current)) {
        return true;
    }
    AimSettings aim = readAimSettings(state.record);
    const std::optional<std::int32_t> value =
        scrolledAimValue(aimBar->scale, aimBar->stored(aim), current, request);
    if (!value) {
        return true;
    }
    aimBar->store(aim, *value);
    writeAimSettings(state.record, aim);

    ScrollInfo moved;
    moved.mask = kSifPos;
    moved.pos = aimBarPosition(aimBar->scale, *value);
    env.dialogs.setScrollInfo(bar, kSbCtl, moved, true);
    showAimValue(state, env, *aimBar, *value);
    return true;
}

bool onAimCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                  std::uint32_t notification) {
    if (notification != kBnClicked) {
        return false;
    }
    // An automatic radio button has checked itself and cleared its partner; the record
    // follows the one clicked. Writing the settings back changes only the value clicked.
    AimSettings aim = readAimSettings(state.record);
    switch (controlId) {
    case IDC_MAP_AIM_CLASSIC:
        aim.mode = AimMode::classic;
        break;
    case IDC_MAP_AIM_PRECISE:
        aim.mode = AimMode::precise;
        break;
    case IDC_MAP_AIM_CIRCLE:
        aim.shape = AimShape::circle;
        break;
    case IDC_MAP_AIM_SQUARE:
        aim.shape = AimShape::square;
        break;
    default:
        return false;
    }
    writeAimSettings(state.record, aim);
    showAimMode(state, env, aim.mode);
    return true;
}

} // namespace qora
