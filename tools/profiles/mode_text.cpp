#include "tools/profiles/mode_text.h"

#include "formats/macro_steps.h"

#include "formats/action_names.h"
#include "input/key_names.h"
#include "tools/profiles/profile_fields.h"

#include <algorithm>
#include <optional>
#include <span>

namespace qora {
namespace {

constexpr char kBlanks[] = " \t";
constexpr char kStepSeparator = ',';
// More digits than this cannot be in range: the reading stops before it could overflow.
constexpr std::size_t kMaxDigits = 9;

constexpr const char* kMacroPrefix = "MACRO ";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Appended piece by piece: "\"" + std::string(text) trips GCC 12's -Wrestrict at -O2.
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.append(1, '"').append(text).append(1, '"');
    return result;
}

ModeValueReading refused(std::string error) {
    return {false, std::move(error)};
}

ModeValueReading accepted() {
    return {true, {}};
}

bool isNone(std::string_view text) {
    return text.empty() || text == kNoneWord;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(separator);
        parts.push_back(trimmed(text.substr(0, at)));
        if (at == std::string_view::npos) {
            return parts;
        }
        text = text.substr(at + 1);
    }
}

enum class NumberReading { ok, notNumber, outside };

NumberReading readWholeNumber(std::string_view text, std::uint32_t min, std::uint32_t max,
                              std::uint32_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return NumberReading::notNumber;
    }
    const std::string_view significant =
        text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
    if (significant.size() > kMaxDigits) {
        return NumberReading::outside;
    }
    const auto number = static_cast<std::uint32_t>(std::stoul(std::string(significant)));
    if (number < min || number > max) {
        return NumberReading::outside;
    }
    value = number;
    return NumberReading::ok;
}

std::string range(std::uint32_t min, std::uint32_t max) {
    return std::to_string(min) + " to " + std::to_string(max);
}

std::optional<ActionCode> actionNamed(std::string_view name, ConsoleMode console) {
    const std::span<const char* const> names = actionNames(console);
    for (std::size_t action = 0; action < names.size(); ++action) {
        if (name == names[action]) {
            return static_cast<ActionCode>(action);
        }
    }
    return std::nullopt;
}

std::string keyText(std::uint8_t key) {
    if (key == 0) {
        return kNoneWord;
    }
    return keyName(key)[0] != '\0' ? keyName(key) : hexText(key);
}

// "X+B" or "X, B": the actions in their order, joined.
std::string joinedActions(ActionSet actions, ConsoleMode console, std::string_view join) {
    std::string text;
    const std::span<const char* const> names = actionNames(console);
    for (std::size_t action = 0; action < 32; ++action) {
        if ((actions >> action & 1u) == 0) {
            continue;
        }
        if (!text.empty()) {
            text += join;
        }
        text += action < names.size() ? names[action] : hexText(static_cast<std::uint8_t>(action));
    }
    return text;
}

void addLine(TextLines& lines, const char* setting, std::string value) {
    lines.emplace_back(setting, std::move(value));
}

void addMacroLines(TextLines& lines, const BindingModes& modes, ConsoleMode console) {
    for (const Macro& macro : modes.macros) {
        lines.emplace_back(macroSetting(macro.key), macroStepsText(macro.steps, console));
    }
}

} // namespace

bool isModeSetting(std::string_view setting) {
    for (const char* known :
         {kToggleSetting, kTurboSetting, kTurboPressSetting, kTurboReleaseSetting, kWalkSetting,
          kWalkSpeedSetting, kMacroSetting}) {
        if (setting == known) {
            return true;
        }
    }
    return setting.starts_with(kMacroPrefix);
}

std::string macroSetting(std::uint8_t key) {
    return kMacroPrefix + keyText(key);
}

TextLines baseModeLines(const BindingModes& modes, ConsoleMode console) {
    const BindingModes defaults;
    TextLines lines;
    if (modes.toggle != defaults.toggle) {
        addLine(lines, kToggleSetting, actionListText(modes.toggle, console));
    }
    if (modes.turbo != defaults.turbo) {
        addLine(lines, kTurboSetting, actionListText(modes.turbo, console));
    }
    if (modes.turboPressMs != defaults.turboPressMs) {
        addLine(lines, kTurboPressSetting, std::to_string(modes.turboPressMs));
    }
    if (modes.turboReleaseMs != defaults.turboReleaseMs) {
        addLine(lines, kTurboReleaseSetting, std::to_string(modes.turboReleaseMs));
    }
    if (modes.walkKey != defaults.walkKey) {
        addLine(lines, kWalkSetting, keyText(modes.walkKey));
    }
    if (modes.walkPercent != defaults.walkPercent) {
        addLine(lines, kWalkSpeedSetting, std::to_string(modes.walkPercent));
    }
    addMacroLines(lines, modes, console);
    return lines;
}

TextLines layerModeLines(const BindingModes& modes, ConsoleMode console) {
    TextLines lines;
    if ((modes.changes & mode_change::toggle) != 0) {
        addLine(lines, kToggleSetting, actionListText(modes.toggle, console));
    }
    if ((modes.changes & mode_change::turbo) != 0) {
        addLine(lines, kTurboSetting, actionListText(modes.turbo, console));
        addLine(lines, kTurboPressSetting, std::to_string(modes.turboPressMs));
        addLine(lines, kTurboReleaseSetting, std::to_string(modes.turboReleaseMs));
    }
    if ((modes.changes & mode_change::walk) != 0) {
        addLine(lines, kWalkSetting, keyText(modes.walkKey));
        addLine(lines, kWalkSpeedSetting, std::to_string(modes.walkPercent));
    }
    addMacroLines(lines, modes, console);
    return lines;
}

std::string actionListText(ActionSet actions, ConsoleMode console) {
    if (actions == 0) {
        return kNoneWord;
    }
    return joinedActions(actions, console, ", ");
}

std::string macroStepsText(const std::vector<MacroStep>& steps, ConsoleMode console) {
    return steps.empty() ? kNoneWord : formatMacroSteps(steps, console);
}

ModeValueReading readActionList(std::string_view text, ConsoleMode console, ActionSet& read) {
    ActionSet actions = 0;
    if (isNone(text)) {
        read = actions;
        return accepted();
    }
    for (const std::string_view name : split(text, kStepSeparator)) {
        const std::optional<ActionCode> action = actionNamed(name, console);
        if (!action) {
            return refused("unknown action " + quoted(name) +
                           "; list actions as the text names them, as in RT, A");
        }
        if ((actions & actionBit(*action)) != 0) {
            return refused(std::string(name) + " is given twice");
        }
        actions |= actionBit(*action);
    }
    read = actions;
    return accepted();
}

ModeValueReading readTurboTime(std::string_view text, std::uint16_t& ms) {
    std::uint32_t value = 0;
    switch (readWholeNumber(text, kMinTurboMs, kMaxTurboMs, value)) {
    case NumberReading::notNumber:
        return refused(quoted(text) + " is not a time: write whole milliseconds, " +
                       range(kMinTurboMs, kMaxTurboMs));
    case NumberReading::outside:
        return refused(std::string(text) + " is outside " + range(kMinTurboMs, kMaxTurboMs) +
                       " ms");
    case NumberReading::ok:
        break;
    }
    ms = static_cast<std::uint16_t>(value);
    return accepted();
}

ModeValueReading readWalkKey(std::string_view text, std::uint8_t& key) {
    if (isNone(text)) {
        key = 0;
        return accepted();
    }
    const std::uint8_t code = scanCodeNamed(text);
    if (code == 0) {
        return refused("unknown key " + quoted(text) +
                       "; write a key as the Map dialog shows it (L ALT, CAPS)");
    }
    key = code;
    return accepted();
}

ModeValueReading readWalkSpeed(std::string_view text, std::uint8_t& percent) {
    std::uint32_t value = 0;
    switch (readWholeNumber(text, kMinWalkPercent, kMaxWalkPercent, value)) {
    case NumberReading::notNumber:
        return refused(quoted(text) + " is not a speed: write a whole percentage, " +
                       range(kMinWalkPercent, kMaxWalkPercent));
    case NumberReading::outside:
        return refused(std::string(text) + " is outside " +
                       range(kMinWalkPercent, kMaxWalkPercent) + " %");
    case NumberReading::ok:
        break;
    }
    percent = static_cast<std::uint8_t>(value);
    return accepted();
}

ModeValueReading readMacroSteps(std::string_view text, ConsoleMode console,
                                std::vector<MacroStep>& steps) {
    steps.clear();
    if (isNone(text)) {
        return accepted();
    }
    MacroStepsParse parse = parseMacroSteps(text, console);
    if (parse.error) {
        return refused(*parse.error);
    }
    steps = std::move(parse.steps);
    return accepted();
}

bool macroConflictShownAtMacro(const MacroKeyConflict& conflict) {
    return conflict.layerMacro || !conflict.layerBinding;
}

std::string macroConflictText(const MacroKeyConflict& conflict, ConsoleMode console) {
    const std::string key = keyText(conflict.key);
    const std::string action = actionNames(console)[static_cast<std::size_t>(conflict.action)];
    const std::string rule = "; a key that plays a macro has no other binding";
    if (!macroConflictShownAtMacro(conflict)) {
        return action + ": " + key + " plays the base's " + macroSetting(conflict.key) + rule;
    }
    const bool baseBinding = conflict.layerMacro && !conflict.layerBinding;
    return macroSetting(conflict.key) + ": " + key + " is also bound to " + action +
           (baseBinding ? " by the base" : "") + rule;
}

std::string toggledAndRepeatedText(ActionSet actions, ConsoleMode console) {
    const bool one = (actions & (actions - 1)) == 0;
    return std::string(kTurboSetting) + ": " + actionListText(actions, console) + " also " +
           (one ? "toggles" : "toggle") + "; an action toggles or repeats, not both";
}

MacroLineReading readMacroLine(std::string_view setting, std::string_view value) {
    MacroLineReading line;
    std::string_view keyWord = trimmed(setting.substr(std::string_view(kMacroSetting).size()));
    std::string_view steps = value;
    if (keyWord.empty() && value.starts_with('=')) {
        keyWord = "=";
        steps = trimmed(value.substr(1));
    }
    line.steps = std::string(steps);
    if (keyWord.empty()) {
        line.reading = refused("a macro needs its key, as in MACRO F = A 60, 40, B+X 60");
        return line;
    }
    line.key = scanCodeNamed(keyWord);
    line.reading = line.key != 0 ? accepted()
                                 : refused("unknown key " + quoted(keyWord) +
                                           "; write a key as the Map dialog shows it (F, L ALT)");
    return line;
}

} // namespace qora
