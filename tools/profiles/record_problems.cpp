#include "tools/profiles/record_problems.h"

#include "formats/action_names.h"
#include "formats/mode_rules.h"
#include "formats/mouse_binding_choices.h"
#include "formats/run_keys.h"
#include "input/key_names.h"
#include "tools/profiles/aim_text.h"
#include "tools/profiles/layer_text.h"
#include "tools/profiles/mode_text.h"
#include "tools/profiles/profile_fields.h"
#include "tools/profiles/profile_text.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>

namespace qora {
namespace {

void addProblem(std::vector<RecordProblem>& problems, std::string message,
                ProblemKind kind = ProblemKind::noWord) {
    problems.push_back({kind, std::move(message)});
}

// What a key that a run takes for itself does; always, or only while calibration is on.
struct ReservedUse {
    const char* does;
    bool always;
};

std::optional<ReservedUse> reservedUse(std::uint8_t code, const SwitchKeyCodes& switchKeys) {
    if (code == run_key::stop) {
        return ReservedUse{"ends the capture run", true};
    }
    if (code == run_key::calibration::toggle) {
        return ReservedUse{"turns live calibration on and off", true};
    }
    if (isRunKey(code)) {
        return ReservedUse{"drives live calibration", false};
    }
    if (code != 0 && code == switchKeys.next) {
        return ReservedUse{"switches to the next profile", true};
    }
    if (code != 0 && code == switchKeys.previous) {
        return ReservedUse{"switches to the previous profile", true};
    }
    return std::nullopt;
}

// What becomes of a binding or a trigger on a reserved key, in the words of a message.
struct KeyRole {
    const char* what;  // "binding"
    const char* never; // "never fires"
    const char* until; // "does not fire while calibration is on"
};
constexpr KeyRole kBindingRole{"binding", "never fires", "does not fire"};
constexpr KeyRole kTriggerRole{"layer", "never turns on", "does not turn on"};
constexpr KeyRole kWalkRole{"walk key", "never walks", "does not walk"};
constexpr KeyRole kMacroRole{"macro", "never plays", "does not play"};

void checkReservedKey(std::uint8_t code, const std::string& where, const KeyRole& role,
                      const SwitchKeyCodes& switchKeys, std::vector<RecordProblem>& problems) {
    if (const std::optional<ReservedUse> use = reservedUse(code, switchKeys)) {
        addProblem(
            problems,
            where + ": " + keyName(code) + " " + use->does + ", so the " + role.what + " " +
                (use->always ? role.never : std::string(role.until) + " while calibration is on"),
            ProblemKind::runKey);
    }
}

void checkKey(std::uint8_t code, const std::string& where, const SwitchKeyCodes& switchKeys,
              std::vector<RecordProblem>& problems) {
    if (code != 0 && keyName(code)[0] == '\0') {
        addProblem(problems, where + ": key code " + hexText(code) + " has no name");
    } else {
        checkReservedKey(code, where, kBindingRole, switchKeys, problems);
    }
}

void checkListPosition(std::uint8_t position, std::span<const char* const> items,
                       const std::string& where, ConsoleMode console,
                       std::vector<RecordProblem>& problems) {
    if (position >= items.size()) {
        addProblem(problems, where + ": " + std::to_string(position) + " is not an item of the " +
                                 consoleTitle(console) + " list (0 to " +
                                 std::to_string(items.size() - 1) + ")");
    }
}

void checkZoom(const ProfileRecord& record, std::size_t offset, const char* setting,
               std::vector<RecordProblem>& problems) {
    const float scale = readZoomScale(record, offset);
    if (!zoomScaleInRange(scale)) {
        char text[64];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(scale));
        addProblem(problems, std::string(setting) + ": " + text + " is outside 0.5 to 5.0");
    }
}

// Every bit of the aim fields means something, and non-zero values in a classic profile
// are the precise settings kept for later; only values the rule cannot take are wrong.
void checkAim(const ProfileRecord& record, std::vector<RecordProblem>& problems) {
    const AimSettings aim = readAimSettings(record);
    if (aim.deadZoneHundredths > profile::kMaxDeadZoneHundredths) {
        addProblem(problems, std::string(kDeadZoneSetting) + ": " +
                                 deadZoneText(aim.deadZoneHundredths) + " is outside 0 to 90");
    }
    if (aim.exponentSteps < profile::kMinExponentSteps ||
        aim.exponentSteps > profile::kMaxExponentSteps) {
        addProblem(problems, std::string(kExponentSetting) + ": " +
                                 exponentText(aim.exponentSteps) + " is outside 0.25 to 4.0");
    }
}

void checkInvertBits(const ProfileRecord& record, std::vector<RecordProblem>& problems) {
    const std::uint8_t unknownBits = record.bytes[profile::invertFlags] & ~kKnownInvertBits;
    if (unknownBits != 0) {
        addProblem(problems,
                   std::string(kInvertSetting) + ": bits " + hexText(unknownBits) +
                       " are neither X (0x01) nor Y (0x02)",
                   ProblemKind::leftOut);
    }
}

// The problems of one change's field of record, the base's or a layer's values.
void checkChange(const ProfileRecord& record, unsigned change, ConsoleMode console,
                 const SwitchKeyCodes& switchKeys, std::vector<RecordProblem>& problems) {
    using namespace layer_change;
    if (change < firstMouseBinding) {
        const std::size_t action = change - firstAction;
        const char* name = actionNames(console)[action];
        checkKey(primaryKey(record, action), name, switchKeys, problems);
        checkKey(secondaryKey(record, action), std::string(name) + " (second key)", switchKeys,
                 problems);
    } else if (change < direction) {
        for (const MouseInput& input : kMouseInputs) {
            if (input.index == change - firstMouseBinding) {
                checkListPosition(mouseBinding(record, input.index), mouseActionItems(console),
                                  input.setting, console, problems);
            }
        }
    } else if (change == direction) {
        checkListPosition(record.bytes[profile::direction], directionItems(console),
                          kDirectionSetting, console, problems);
    } else if (change == invert) {
        checkInvertBits(record, problems);
    } else if (change == zoomX) {
        checkZoom(record, profile::xZoomScale, kZoomXSetting, problems);
    } else if (change == zoomY) {
        checkZoom(record, profile::yZoomScale, kZoomYSetting, problems);
    } else {
        checkAim(record, problems);
    }
}

// --- Layers ------------------------------------------------------------------------------

void checkLayerName(std::span<const LayerRecord> layers, std::size_t index,
                    std::vector<RecordProblem>& problems) {
    const std::string name = layerName(layers[index]);
    if (name.empty()) {
        addProblem(problems, std::string(kLayerSetting) + ": the name is empty");
    } else if (name.size() > kMaxLayerNameLength) {
        addProblem(problems, std::string(kLayerSetting) + ": no NUL within its " +
                                 std::to_string(kLayerNameSize) + " bytes; at most " +
                                 std::to_string(kMaxLayerNameLength) + " characters fit");
    }
    for (std::size_t other = 0; other < index; ++other) {
        if (!name.empty() && layerName(layers[other]) == name) {
            addProblem(problems, std::string(kLayerSetting) + ": layer " + std::to_string(other) +
                                     " has the same name");
            break;
        }
    }
}

void checkTrigger(const LayerRecord& layer, const SwitchKeyCodes& switchKeys,
                  std::vector<RecordProblem>& problems) {
    const std::string where = triggerSetting(layer.kind);
    const auto kind = static_cast<unsigned>(layer.kind);
    if (layer.kind != LayerKind::whileHeld && layer.kind != LayerKind::toggled) {
        addProblem(problems, where + ": kind " + std::to_string(kind) +
                                 " is neither WHILE (0) nor PRESS (1)");
    }
    const LayerTrigger& trigger = layer.trigger;
    switch (trigger.source) {
    case TriggerSource::none:
        return addProblem(problems, "no trigger: the layer has neither WHILE nor PRESS");
    case TriggerSource::key:
        if (keyName(trigger.code)[0] == '\0') {
            return addProblem(problems,
                              where + ": key code " + hexText(trigger.code) + " has no name");
        }
        return checkReservedKey(trigger.code, where, kTriggerRole, switchKeys, problems);
    case TriggerSource::mouseButton:
        if (trigger.code >= kMouseButtonTriggers) {
            addProblem(problems, where + ": mouse button " + std::to_string(trigger.code) +
                                     " is none of MOUSE LEFT ... MOUSE BUTTON7 (0 to 6)");
        }
        return;
    }
    addProblem(problems, where + ": trigger source " +
                             std::to_string(static_cast<unsigned>(trigger.source)) +
                             " is neither a key (1) nor a mouse button (2)");
}

void checkDelay(std::uint16_t delayMs, const char* setting, std::vector<RecordProblem>& problems) {
    if (delayMs > kMaxLayerDelayMs) {
        addProblem(problems, std::string(setting) + ": " + std::to_string(delayMs) +
                                 " is outside 0 to " + std::to_string(kMaxLayerDelayMs));
    }
}

std::vector<RecordProblem> oneLayerProblems(std::span<const LayerRecord> layers, std::size_t index,
                                            ConsoleMode console, const SwitchKeyCodes& switchKeys) {
    const LayerRecord& layer = layers[index];
    std::vector<RecordProblem> problems;
    checkLayerName(layers, index, problems);
    checkTrigger(layer, switchKeys, problems);
    checkDelay(layer.delayMs, kDelaySetting, problems);
    checkDelay(layer.releaseDelayMs, kReleaseDelaySetting, problems);
    for (unsigned change = 0; change < layer_change::count; ++change) {
        if ((layer.changes & layer_change::bit(change)) != 0) {
            checkChange(layer.values, change, console, switchKeys, problems);
        }
    }
    return problems;
}

// --- Binding modes -----------------------------------------------------------------------

void checkActionBits(ActionSet actions, const std::string& where,
                     std::vector<RecordProblem>& problems) {
    for (unsigned bit = action::last + 1; bit < 32; ++bit) {
        if ((actions >> bit & 1u) != 0) {
            addProblem(problems, where + ": bit " + std::to_string(bit) + " is no action");
        }
    }
}

void checkModeNumber(unsigned value, unsigned min, unsigned max, const char* setting,
                     const char* unit, std::vector<RecordProblem>& problems) {
    if (value < min || value > max) {
        addProblem(problems, std::string(setting) + ": " + std::to_string(value) + " is outside " +
                                 std::to_string(min) + " to " + std::to_string(max) + " " + unit);
    }
}

// A walk or macro key: one with a name, and not one a run keeps.
void checkModeKey(std::uint8_t code, const std::string& where, const KeyRole& role,
                  const SwitchKeyCodes& switchKeys, std::vector<RecordProblem>& problems) {
    if (keyName(code)[0] == '\0') {
        addProblem(problems, where + ": key code " + hexText(code) + " has no name");
    } else {
        checkReservedKey(code, where, role, switchKeys, problems);
    }
}

void checkMacro(const BindingModes& modes, std::size_t index, bool inLayer,
                const SwitchKeyCodes& switchKeys, std::vector<RecordProblem>& problems) {
    const Macro& macro = modes.macros[index];
    if (macro.key == 0) {
        return addProblem(problems, std::string(kMacroSetting) + ": a macro without a key");
    }
    const std::string where = macroSetting(macro.key);
    checkModeKey(macro.key, where, kMacroRole, switchKeys, problems);
    for (std::size_t other = 0; other < index; ++other) {
        if (modes.macros[other].key == macro.key) {
            return addProblem(problems, where + ": given twice");
        }
    }
    if (macro.steps.empty() && !inLayer) {
        addProblem(problems, where + ": no steps; only a layer's macro may be none");
    }
    if (macro.steps.size() > kMaxMacroSteps) {
        addProblem(problems, where + ": " + std::to_string(macro.steps.size()) +
                                 " steps; a macro holds at most " + std::to_string(kMaxMacroSteps));
    }
    for (std::size_t s = 0; s < macro.steps.size(); ++s) {
        const std::string step = where + ": step " + std::to_string(s + 1);
        checkActionBits(macro.steps[s].actions, step, problems);
        if (macro.steps[s].ms < kMinMacroStepMs || macro.steps[s].ms > kMaxMacroStepMs) {
            addProblem(problems, step + ": " + std::to_string(macro.steps[s].ms) + " is outside " +
                                     std::to_string(kMinMacroStepMs) + " to " +
                                     std::to_string(kMaxMacroStepMs) + " ms");
        }
    }
}

// The values of the modes a base sets (changes: mode_change::all) or a layer changes.
std::vector<RecordProblem> modeValueProblems(const BindingModes& modes, std::uint8_t changes,
                                             bool inLayer, const SwitchKeyCodes& switchKeys) {
    std::vector<RecordProblem> problems;
    if ((changes & mode_change::toggle) != 0) {
        checkActionBits(modes.toggle, kToggleSetting, problems);
    }
    if ((changes & mode_change::turbo) != 0) {
        checkActionBits(modes.turbo, kTurboSetting, problems);
        checkModeNumber(modes.turboPressMs, kMinTurboMs, kMaxTurboMs, kTurboPressSetting, "ms",
                        problems);
        checkModeNumber(modes.turboReleaseMs, kMinTurboMs, kMaxTurboMs, kTurboReleaseSetting, "ms",
                        problems);
    }
    if ((changes & mode_change::walk) != 0) {
        if (modes.walkKey != 0) {
            checkModeKey(modes.walkKey, kWalkSetting, kWalkRole, switchKeys, problems);
        }
        checkModeNumber(modes.walkPercent, kMinWalkPercent, kMaxWalkPercent, kWalkSpeedSetting, "%",
                        problems);
    }
    if (modes.macros.size() > kMaxMacros) {
        addProblem(problems, std::to_string(modes.macros.size()) +
                                 " macros; the profile and each layer hold at most " +
                                 std::to_string(kMaxMacros));
    }
    for (std::size_t m = 0; m < modes.macros.size(); ++m) {
        checkMacro(modes, m, inLayer, switchKeys, problems);
    }
    return problems;
}

void addRuleProblems(const std::vector<MacroKeyConflict>& conflicts, ActionSet both,
                     ConsoleMode console, std::vector<RecordProblem>& problems) {
    for (const MacroKeyConflict& conflict : conflicts) {
        addProblem(problems, macroConflictText(conflict, console), ProblemKind::conflict);
    }
    if (both != 0) {
        addProblem(problems, toggledAndRepeatedText(both, console), ProblemKind::conflict);
    }
}

} // namespace

std::vector<RecordProblem> recordProblems(const ProfileRecord& record, ConsoleMode console,
                                          const SwitchKeyCodes& switchKeys) {
    std::vector<RecordProblem> problems;
    if (profileName(record).size() == profile::nameSize) {
        addProblem(problems, std::string(kNameSetting) + ": no NUL within its 64 bytes");
    }
    for (unsigned change = 0; change < layer_change::count; ++change) {
        checkChange(record, change, console, switchKeys, problems);
    }
    return problems;
}

std::vector<RecordProblem> layerProblems(std::span<const LayerRecord> layers, ConsoleMode console,
                                         const SwitchKeyCodes& switchKeys) {
    std::vector<RecordProblem> problems;
    if (layers.size() > kMaxLayers) {
        addProblem(problems, std::to_string(layers.size()) + " layers; a profile holds at most " +
                                 std::to_string(kMaxLayers));
    }
    for (std::size_t index = 0; index < layers.size(); ++index) {
        const std::string where =
            "layer " + std::to_string(index) + " " + quoteName(layerName(layers[index])) + ": ";
        for (RecordProblem& problem : oneLayerProblems(layers, index, console, switchKeys)) {
            problem.message.insert(0, where);
            problems.push_back(std::move(problem));
        }
    }
    return problems;
}

std::vector<RecordProblem> modeProblems(const ProfileRecord& base, const BindingModes& baseModes,
                                        std::span<const LayerRecord> layers, ConsoleMode console,
                                        const SwitchKeyCodes& switchKeys) {
    std::vector<RecordProblem> problems =
        modeValueProblems(baseModes, mode_change::all, false, switchKeys);
    addRuleProblems(macroKeyConflicts(base, baseModes), toggledAndRepeated(baseModes), console,
                    problems);
    for (std::size_t index = 0; index < layers.size(); ++index) {
        const LayerRecord& layer = layers[index];
        std::vector<RecordProblem> ofLayer =
            modeValueProblems(layer.modes, layer.modes.changes, true, switchKeys);
        addRuleProblems(macroKeyConflicts(base, baseModes, layer),
                        toggledAndRepeated(baseModes, layer), console, ofLayer);
        const std::string where =
            "layer " + std::to_string(index) + " " + quoteName(layerName(layer)) + ": ";
        for (RecordProblem& problem : ofLayer) {
            problem.message.insert(0, where);
            problems.push_back(std::move(problem));
        }
    }
    return problems;
}

std::vector<RecordProblem> exportBlockers(const ProfileRecord& record, ConsoleMode console,
                                          std::span<const LayerRecord> layers,
                                          const BindingModes& baseModes) {
    std::vector<RecordProblem> problems = recordProblems(record, console);
    const std::vector<RecordProblem> ofLayers = layerProblems(layers, console);
    problems.insert(problems.end(), ofLayers.begin(), ofLayers.end());
    const std::vector<RecordProblem> ofModes = modeProblems(record, baseModes, layers, console);
    problems.insert(problems.end(), ofModes.begin(), ofModes.end());
    std::erase_if(problems, [](const RecordProblem& problem) {
        return problem.kind != ProblemKind::noWord && problem.kind != ProblemKind::conflict;
    });
    return problems;
}

} // namespace qora
