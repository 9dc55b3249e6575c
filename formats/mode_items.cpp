#include "formats/mode_items.h"

#include "formats/byte_io.h"

#include <algorithm>

namespace qora {
namespace {

constexpr std::size_t kValuesSize = 4 + 4 + 2 + 2 + 1 + 1 + 1;
constexpr std::size_t kLayerPrefixSize = kLayerNameSize + 1;
constexpr std::size_t kMacroHeaderSize = 2;
constexpr std::size_t kStepSize = 6;

std::size_t valuesSize(const BindingModes& modes) {
    std::size_t size = kValuesSize;
    for (const Macro& macro : modes.macros) {
        size += kMacroHeaderSize + macro.steps.size() * kStepSize;
    }
    return size;
}

void putHeader(std::vector<std::uint8_t>& out, std::uint16_t type, std::size_t length) {
    putNumber(out, type, 2);
    putNumber(out, length, 4);
}

void putValues(std::vector<std::uint8_t>& out, const BindingModes& modes) {
    putNumber(out, modes.toggle, 4);
    putNumber(out, modes.turbo, 4);
    putNumber(out, modes.turboPressMs, 2);
    putNumber(out, modes.turboReleaseMs, 2);
    putNumber(out, modes.walkKey, 1);
    putNumber(out, modes.walkPercent, 1);
    putNumber(out, modes.macros.size(), 1);
    for (const Macro& macro : modes.macros) {
        putNumber(out, macro.key, 1);
        putNumber(out, macro.steps.size(), 1);
        for (const MacroStep& step : macro.steps) {
            putNumber(out, step.actions, 4);
            putNumber(out, step.ms, 2);
        }
    }
}

// The macros, each within its bound before anything is allocated for it.
LayerFileFault takeMacros(ByteReader& reader, std::size_t count, BindingModes& modes) {
    if (count > kMaxMacros) {
        return LayerFileFault::outOfRange;
    }
    modes.macros.resize(count);
    for (Macro& macro : modes.macros) {
        if (!reader.has(kMacroHeaderSize)) {
            return LayerFileFault::badLayout;
        }
        macro.key = reader.u8();
        const std::size_t steps = reader.u8();
        if (steps > kMaxMacroSteps) {
            return LayerFileFault::outOfRange;
        }
        if (!reader.has(steps * kStepSize)) {
            return LayerFileFault::badLayout;
        }
        macro.steps.resize(steps);
        for (MacroStep& step : macro.steps) {
            step.actions = reader.u32();
            step.ms = reader.u16();
        }
    }
    return LayerFileFault::none;
}

LayerFileFault takeValues(ByteReader& reader, BindingModes& modes) {
    if (!reader.has(kValuesSize)) {
        return LayerFileFault::badLayout;
    }
    modes.toggle = reader.u32();
    modes.turbo = reader.u32();
    modes.turboPressMs = reader.u16();
    modes.turboReleaseMs = reader.u16();
    modes.walkKey = reader.u8();
    modes.walkPercent = reader.u8();
    if (const LayerFileFault fault = takeMacros(reader, reader.u8(), modes);
        fault != LayerFileFault::none) {
        return fault;
    }
    return reader.remaining() == 0 ? LayerFileFault::none : LayerFileFault::badLayout;
}

bool macroKeysUnique(const BindingModes& modes) {
    for (std::size_t i = 0; i < modes.macros.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (modes.macros[i].key == modes.macros[j].key) {
                return false;
            }
        }
    }
    return true;
}

// The modes a layer does not change hold their defaults.
bool unchangedAtDefaults(const BindingModes& modes) {
    const BindingModes defaults;
    const bool toggle = (modes.changes & mode_change::toggle) != 0 || modes.toggle == 0;
    const bool turbo = (modes.changes & mode_change::turbo) != 0 ||
                       (modes.turbo == 0 && modes.turboPressMs == defaults.turboPressMs &&
                        modes.turboReleaseMs == defaults.turboReleaseMs);
    const bool walk = (modes.changes & mode_change::walk) != 0 ||
                      (modes.walkKey == 0 && modes.walkPercent == defaults.walkPercent);
    return toggle && turbo && walk;
}

} // namespace

LayerFileFault baseModesFault(const BindingModes& modes) {
    if (modes.empty()) {
        return LayerFileFault::badLayout;
    }
    BindingModes values = modes;
    values.changes = 0; // not the base's
    const bool stepsEverywhere = std::none_of(modes.macros.begin(), modes.macros.end(),
                                              [](const Macro& m) { return m.steps.empty(); });
    return modesInRange(values) && stepsEverywhere && macroKeysUnique(modes)
               ? LayerFileFault::none
               : LayerFileFault::outOfRange;
}

LayerFileFault layerModesFault(const BindingModes& modes) {
    if (modes.changes == 0 && modes.macros.empty() && unchangedAtDefaults(modes)) {
        return LayerFileFault::badLayout;
    }
    return modesInRange(modes) && unchangedAtDefaults(modes) && macroKeysUnique(modes)
               ? LayerFileFault::none
               : LayerFileFault::outOfRange;
}

bool hasModes(const LayerRecord& layer) {
    return layer.modes != BindingModes{};
}

std::size_t baseModesItemSize(const BindingModes& modes) {
    return kLayerItemHeaderSize + valuesSize(modes);
}

std::size_t layerModesItemSize(const BindingModes& modes) {
    return kLayerItemHeaderSize + kLayerPrefixSize + valuesSize(modes);
}

void putBaseModesItem(std::vector<std::uint8_t>& out, const BindingModes& modes) {
    putHeader(out, kBaseModesItemType, valuesSize(modes));
    putValues(out, modes);
}

void putLayerModesItem(std::vector<std::uint8_t>& out, const LayerRecord& layer) {
    putHeader(out, kLayerModesItemType, kLayerPrefixSize + valuesSize(layer.modes));
    out.insert(out.end(), layer.name.begin(), layer.name.end());
    putNumber(out, layer.modes.changes, 1);
    putValues(out, layer.modes);
}

ModesItem readBaseModesItem(const std::uint8_t* payload, std::size_t length) {
    ModesItem item;
    ByteReader reader(payload, length);
    item.fault = takeValues(reader, item.modes);
    if (item.fault == LayerFileFault::none) {
        item.fault = baseModesFault(item.modes);
    }
    return item;
}

ModesItem readLayerModesItem(const std::uint8_t* payload, std::size_t length) {
    ModesItem item;
    ByteReader reader(payload, length);
    if (!reader.has(kLayerPrefixSize)) {
        item.fault = LayerFileFault::badLayout;
        return item;
    }
    std::copy_n(reader.take(kLayerNameSize), kLayerNameSize, item.layerName.begin());
    item.modes.changes = reader.u8();
    item.fault = takeValues(reader, item.modes);
    if (item.fault == LayerFileFault::none) {
        item.fault = layerModesFault(item.modes);
    }
    return item;
}

} // namespace qora
