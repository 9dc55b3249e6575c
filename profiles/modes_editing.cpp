#include "profiles/modes_editing.h"

#include <algorithm>

namespace qora {
namespace {

bool inSet(ActionSet set, ActionCode code) {
    return (set & actionBit(code)) != 0;
}

bool owns(const BindingModes& layer, std::uint8_t part) {
    return (layer.changes & part) != 0;
}

// Copies one part's values.
void copyPart(BindingModes& to, const BindingModes& from, std::uint8_t part) {
    if (part == mode_change::toggle) {
        to.toggle = from.toggle;
    } else if (part == mode_change::turbo) {
        to.turbo = from.turbo;
        to.turboPressMs = from.turboPressMs;
        to.turboReleaseMs = from.turboReleaseMs;
    } else if (part == mode_change::walk) {
        to.walkKey = from.walkKey;
        to.walkPercent = from.walkPercent;
    }
}

// The modes an edit changes: the base's, or the layer's.
BindingModes& edited(ModesInEdit& edit) {
    return edit.layer ? *edit.layer : edit.base;
}

// The part the caller is about to change, the layer's own from now.
BindingModes& partForEdit(ModesInEdit& edit, std::uint8_t part) {
    takePart(edit, part);
    return edited(edit);
}

std::vector<Macro>::iterator macroOf(std::vector<Macro>& macros, std::uint8_t key) {
    return std::find_if(macros.begin(), macros.end(),
                        [key](const Macro& macro) { return macro.key == key; });
}

const Macro* findMacro(const std::vector<Macro>& macros, std::uint8_t key) {
    const auto found = std::find_if(macros.begin(), macros.end(),
                                    [key](const Macro& macro) { return macro.key == key; });
    return found == macros.end() ? nullptr : &*found;
}

void putMacro(std::vector<Macro>& macros, const Macro& macro) {
    const auto found = macroOf(macros, macro.key);
    if (found != macros.end()) {
        found->steps = macro.steps;
    } else {
        macros.push_back(macro);
    }
}

void eraseMacro(std::vector<Macro>& macros, std::uint8_t key) {
    const auto found = macroOf(macros, key);
    if (found != macros.end()) {
        macros.erase(found);
    }
}

std::size_t playingMacros(const ModesInEdit& edit) {
    const std::vector<MacroShown> shown = macrosShown(edit);
    return static_cast<std::size_t>(std::count_if(
        shown.begin(), shown.end(), [](const MacroShown& macro) { return !macro.steps.empty(); }));
}

bool withinMacroLimits(const ModesInEdit& edit) {
    return edit.base.macros.size() <= kMaxMacros &&
           (!edit.layer || edit.layer->macros.size() <= kMaxMacros) &&
           playingMacros(edit) <= kMaxMacros;
}

// Applies change to a copy and keeps it only within the limits.
template <typename Change>
std::optional<std::string> changeMacros(ModesInEdit& edit, Change change) {
    ModesInEdit changed = edit;
    change(changed);
    if (!withinMacroLimits(changed)) {
        return std::string(kTooManyMacrosText);
    }
    edit = std::move(changed);
    return std::nullopt;
}

} // namespace

BindingModes shownModes(const ModesInEdit& edit) {
    if (!edit.layer) {
        return edit.base;
    }
    BindingModes shown = edit.base;
    for (const std::uint8_t part : {mode_change::toggle, mode_change::turbo, mode_change::walk}) {
        if (owns(*edit.layer, part)) {
            copyPart(shown, *edit.layer, part);
        }
    }
    shown.macros.clear();
    for (const MacroShown& macro : macrosShown(edit)) {
        shown.macros.push_back({macro.key, macro.steps});
    }
    return shown;
}

bool partShowsBase(const ModesInEdit& edit, std::uint8_t part) {
    return edit.layer && !owns(*edit.layer, part);
}

void takePart(ModesInEdit& edit, std::uint8_t part) {
    if (!partShowsBase(edit, part)) {
        return;
    }
    edit.layer->changes |= part;
    copyPart(*edit.layer, edit.base, part);
}

void usePartOfBase(ModesInEdit& edit, std::uint8_t part) {
    if (!edit.layer) {
        return;
    }
    edit.layer->changes &= static_cast<std::uint8_t>(~part);
    copyPart(*edit.layer, BindingModes{}, part);
}

void setToggled(ModesInEdit& edit, ActionCode code, bool on) {
    const BindingModes shown = shownModes(edit);
    if (inSet(shown.toggle, code) != on) {
        partForEdit(edit, mode_change::toggle).toggle ^= actionBit(code);
    }
    if (on && inSet(shown.turbo, code)) {
        partForEdit(edit, mode_change::turbo).turbo &= ~actionBit(code);
    }
}

void setRepeated(ModesInEdit& edit, ActionCode code, bool on) {
    const BindingModes shown = shownModes(edit);
    if (inSet(shown.turbo, code) != on) {
        partForEdit(edit, mode_change::turbo).turbo ^= actionBit(code);
    }
    if (on && inSet(shown.toggle, code)) {
        partForEdit(edit, mode_change::toggle).toggle &= ~actionBit(code);
    }
}

void setTurboTimes(ModesInEdit& edit, std::uint16_t pressMs, std::uint16_t releaseMs) {
    BindingModes& modes = partForEdit(edit, mode_change::turbo);
    modes.turboPressMs = pressMs;
    modes.turboReleaseMs = releaseMs;
}

void setWalkKey(ModesInEdit& edit, std::uint8_t key) {
    partForEdit(edit, mode_change::walk).walkKey = key;
}

void setWalkPercent(ModesInEdit& edit, std::uint8_t percent) {
    partForEdit(edit, mode_change::walk).walkPercent = percent;
}

std::vector<MacroShown> macrosShown(const ModesInEdit& edit) {
    std::vector<MacroShown> shown;
    for (const Macro& macro : edit.base.macros) {
        const Macro* own = edit.layer ? findMacro(edit.layer->macros, macro.key) : nullptr;
        shown.push_back(own != nullptr
                            ? MacroShown{own->key, own->steps, false}
                            : MacroShown{macro.key, macro.steps, edit.layer.has_value()});
    }
    if (edit.layer) {
        for (const Macro& macro : edit.layer->macros) {
            if (findMacro(edit.base.macros, macro.key) == nullptr) {
                shown.push_back({macro.key, macro.steps, false});
            }
        }
    }
    return shown;
}

std::optional<std::string> setMacro(ModesInEdit& edit, const Macro& macro) {
    return changeMacros(
        edit, [&macro](ModesInEdit& changed) { putMacro(edited(changed).macros, macro); });
}

std::optional<std::string> removeMacro(ModesInEdit& edit, std::uint8_t key) {
    return changeMacros(edit, [key](ModesInEdit& changed) {
        if (changed.layer && findMacro(changed.base.macros, key) != nullptr) {
            putMacro(changed.layer->macros, {key, {}});
        } else {
            eraseMacro(edited(changed).macros, key);
        }
    });
}

void useMacroOfBase(ModesInEdit& edit, std::uint8_t key) {
    if (edit.layer) {
        eraseMacro(edit.layer->macros, key);
    }
}

bool layerOwnsMacro(const ModesInEdit& edit, std::uint8_t key) {
    return edit.layer && findMacro(edit.layer->macros, key) != nullptr;
}

void settleBaseChanges(BindingModes& base) {
    base.changes = base.empty() ? 0 : mode_change::all;
}

} // namespace qora
