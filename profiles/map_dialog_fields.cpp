#include "profiles/map_dialog_fields.h"

#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "resources/resource_ids.h"

namespace qora {
namespace {

// The controls besides the key fields and mouse lists that show one change each.
struct ControlChange {
    std::int32_t controlId;
    unsigned change;
};

constexpr ControlChange kSettingControls[] = {
    {IDC_MAP_INVERT_X, layer_change::invert}, {IDC_MAP_INVERT_Y, layer_change::invert},
    {IDC_MAP_ZOOM_X, layer_change::zoomX},    {IDC_MAP_ZOOM_X_VALUE, layer_change::zoomX},
    {IDC_MAP_ZOOM_Y, layer_change::zoomY},    {IDC_MAP_ZOOM_Y_VALUE, layer_change::zoomY},
};

// Mouse bindings 5 and 6 (the sixth and seventh buttons) have no list.
bool mouseBindingHasList(std::size_t binding) {
    return binding != 5 && binding != 6;
}

std::optional<unsigned> mouseListChange(std::int32_t controlId) {
    if (controlId < IDC_MAP_MOUSE_FIRST || controlId > IDC_MAP_MOUSE_DIRECTION) {
        return std::nullopt;
    }
    const auto binding = static_cast<std::size_t>(controlId - IDC_MAP_MOUSE_FIRST);
    if (!mouseBindingHasList(binding)) {
        return std::nullopt;
    }
    return layer_change::firstMouseBinding + static_cast<unsigned>(binding);
}

// Both keys of an action are one change.
std::optional<unsigned> keyFieldChange(std::int32_t templateId, std::int32_t controlId) {
    const std::optional<std::size_t> offset = keyFieldOffset(templateId, controlId);
    if (!offset) {
        return std::nullopt;
    }
    const std::size_t action = *offset < profile::secondaryKeys ? *offset - profile::primaryKeys
                                                                : *offset - profile::secondaryKeys;
    return layer_change::firstAction + static_cast<unsigned>(action);
}

} // namespace

static_assert(layer_change::firstMouseBinding + profile::kMouseBindingDirection ==
                  layer_change::direction,
              "the Direction list is mouse binding 9, and its change the one after binding 8");

static_assert(IDC_MAP_PRIMARY_LAST - IDC_MAP_PRIMARY_FIRST + 1 == kActionCount);
static_assert(IDC_MAP_SECONDARY_FIRST == IDC_MAP_SECONDARY_BASE + kFirstSecondaryKeyAction);
static_assert(IDC_MAP_SECONDARY_LAST == IDC_MAP_SECONDARY_BASE + kLastSecondaryKeyAction);
static_assert(IDC_MAP_GUIDE == IDC_MAP_PRIMARY_FIRST + kLastXbox360KeyAction);

bool templateHasTiltFields(std::int32_t templateId) {
    return templateId == IDD_MAP_PS3;
}

std::size_t primaryKeyFieldCount(std::int32_t templateId) {
    return templateHasTiltFields(templateId) ? kActionCount : kLastXbox360KeyAction + 1;
}

std::int32_t primaryKeyFieldId(std::size_t action) {
    return IDC_MAP_PRIMARY_FIRST + static_cast<std::int32_t>(action);
}

std::int32_t secondaryKeyFieldId(std::size_t action) {
    return IDC_MAP_SECONDARY_BASE + static_cast<std::int32_t>(action);
}

std::optional<std::size_t> keyFieldOffset(std::int32_t templateId, std::int32_t controlId) {
    const std::int32_t primaryEnd =
        IDC_MAP_PRIMARY_FIRST + static_cast<std::int32_t>(primaryKeyFieldCount(templateId));
    if (controlId >= IDC_MAP_PRIMARY_FIRST && controlId < primaryEnd) {
        return profile::primaryKeys + static_cast<std::size_t>(controlId - IDC_MAP_PRIMARY_FIRST);
    }
    if (controlId >= IDC_MAP_SECONDARY_FIRST && controlId <= IDC_MAP_SECONDARY_LAST) {
        return profile::secondaryKeys +
               static_cast<std::size_t>(controlId - IDC_MAP_SECONDARY_BASE);
    }
    return std::nullopt;
}

std::optional<unsigned> layerChangeOfControl(std::int32_t templateId, std::int32_t controlId) {
    if (const std::optional<unsigned> change = keyFieldChange(templateId, controlId)) {
        return change;
    }
    if (const std::optional<unsigned> change = mouseListChange(controlId)) {
        return change;
    }
    for (const ControlChange& setting : kSettingControls) {
        if (setting.controlId == controlId) {
            return setting.change;
        }
    }
    if (controlId >= IDC_MAP_AIM_CLASSIC && controlId <= IDC_MAP_AIM_EXPONENT) {
        return layer_change::aim;
    }
    return std::nullopt;
}

std::vector<std::int32_t> layerFieldControls(std::int32_t templateId) {
    std::vector<std::int32_t> controls;
    const auto addShowingAChange = [&](std::int32_t first, std::int32_t last) {
        for (std::int32_t id = first; id <= last; ++id) {
            if (layerChangeOfControl(templateId, id)) {
                controls.push_back(id);
            }
        }
    };
    addShowingAChange(IDC_MAP_PRIMARY_FIRST, IDC_MAP_AIM_EXPONENT);
    addShowingAChange(IDC_MAP_SECONDARY_FIRST, IDC_MAP_SECONDARY_LAST);
    return controls;
}

} // namespace qora
