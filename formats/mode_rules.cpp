#include "formats/mode_rules.h"

#include <algorithm>

namespace qora {
namespace {

struct MacroKey {
    std::uint8_t key;
    bool layers; // the layer's own macro
};

// The keys that play a macro where these modes are in effect, in ascending order: the
// base's, with a layer's over them (a layer's macro without steps takes one away).
std::vector<MacroKey> macroKeys(const BindingModes& baseModes, const BindingModes* layerModes) {
    std::vector<MacroKey> keys;
    for (const Macro& macro : baseModes.macros) {
        if (!macro.steps.empty()) {
            keys.push_back({macro.key, false});
        }
    }
    if (layerModes != nullptr) {
        for (const Macro& macro : layerModes->macros) {
            std::erase_if(keys, [&](const MacroKey& k) { return k.key == macro.key; });
            if (!macro.steps.empty()) {
                keys.push_back({macro.key, true});
            }
        }
    }
    std::sort(keys.begin(), keys.end(),
              [](const MacroKey& a, const MacroKey& b) { return a.key < b.key; });
    return keys;
}

std::vector<MacroKeyConflict> conflictsIn(const ProfileRecord& bindings,
                                          const std::vector<MacroKey>& keys,
                                          const LayerRecord* layer) {
    std::vector<MacroKeyConflict> conflicts;
    for (const MacroKey& macro : keys) {
        for (std::size_t action = 0; action < kActionCount; ++action) {
            if (primaryKey(bindings, action) != macro.key &&
                secondaryKey(bindings, action) != macro.key) {
                continue;
            }
            const bool layerBinding =
                layer != nullptr && (layer->changes & layer_change::action(action)) != 0;
            if (layer == nullptr || macro.layers || layerBinding) {
                conflicts.push_back(
                    {macro.key, static_cast<ActionCode>(action), macro.layers, layerBinding});
            }
        }
    }
    return conflicts;
}

} // namespace

std::vector<MacroKeyConflict> macroKeyConflicts(const ProfileRecord& base,
                                                const BindingModes& baseModes) {
    return conflictsIn(base, macroKeys(baseModes, nullptr), nullptr);
}

std::vector<MacroKeyConflict> macroKeyConflicts(const ProfileRecord& base,
                                                const BindingModes& baseModes,
                                                const LayerRecord& layer) {
    ProfileRecord bindings = base;
    applyLayer(bindings, layer);
    return conflictsIn(bindings, macroKeys(baseModes, &layer.modes), &layer);
}

ActionSet toggledAndRepeated(const BindingModes& baseModes) {
    return baseModes.toggle & baseModes.turbo;
}

ActionSet toggledAndRepeated(const BindingModes& baseModes, const LayerRecord& layer) {
    const BindingModes& modes = layer.modes;
    const bool toggle = (modes.changes & mode_change::toggle) != 0;
    const bool turbo = (modes.changes & mode_change::turbo) != 0;
    if (!toggle && !turbo) {
        return 0;
    }
    return (toggle ? modes.toggle : baseModes.toggle) & (turbo ? modes.turbo : baseModes.turbo);
}

} // namespace qora
