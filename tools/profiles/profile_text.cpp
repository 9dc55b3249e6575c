#include "tools/profiles/profile_text.h"

#include "formats/action_codes.h"
#include "formats/action_names.h"
#include "formats/aim_values.h"
#include "formats/mode_rules.h"
#include "formats/mouse_binding_choices.h"
#include "input/key_names.h"
#include "tools/profiles/aim_text.h"
#include "tools/profiles/layer_text.h"
#include "tools/profiles/mode_text.h"
#include "tools/profiles/profile_fields.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <span>

namespace qora {
namespace {

constexpr char kCommentMarks[] = ";#";
constexpr char kBlanks[] = " \t";
constexpr char kEscape = '\\';
constexpr char kQuote = '"';
constexpr std::size_t kHexEscapeLength = 4; // \xNN
constexpr std::size_t kMaxGridDigits = 6;   // integer digits read as whole hundredths

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string quotedWord(std::string_view word) {
    std::string quoted;
    quoted.reserve(word.size() + 2);
    quoted.append(1, kQuote).append(word).append(1, kQuote);
    return quoted;
}

// --- Writing -------------------------------------------------------------------------

// Values without a word (see exportBlockers) come out as numbers, which no reading accepts.
std::string keyText(std::uint8_t code) {
    if (code == 0) {
        return kNoneWord;
    }
    return keyName(code)[0] != '\0' ? keyName(code) : hexText(code);
}

std::string itemText(std::span<const char* const> items, std::uint8_t position) {
    return position < items.size() ? items[position] : hexText(position);
}

std::string keysText(std::uint8_t primary, std::uint8_t secondary) {
    if (secondary == 0) {
        return keyText(primary);
    }
    return keyText(primary) + ", " + keyText(secondary);
}

std::string invertText(std::uint8_t flags) {
    const bool x = (flags & profile::kInvertX) != 0;
    const bool y = (flags & profile::kInvertY) != 0;
    if (x && y) {
        return std::string(kInvertXWord) + ", " + kInvertYWord;
    }
    return x ? kInvertXWord : (y ? kInvertYWord : kNoneWord);
}

void writeLine(std::string& text, std::string_view setting, std::string_view value) {
    text.append(setting).append(" = ").append(value).append("\n");
}

void writeHeader(std::string& text, ConsoleMode console) {
    text += "; qora profile: keys, actions and mouse actions as the ";
    text += consoleTitle(console);
    text += " Map dialog names them.\n"
            "; ACTION = KEY or ACTION = KEY, KEY2; none leaves it unbound.\n"
            "; DU DD DL DR: D-pad. LAU LAD LAL LAR, RAU RAD RAL RAR: left and right stick.\n"
            "; TU TD TL TR: tilt (the PS3 motion sensors).\n";
    writeLine(text, kConsoleSetting, consoleWord(console));
}

const MouseInput& mouseInputAt(std::size_t index) {
    for (const MouseInput& input : kMouseInputs) {
        if (input.index == index) {
            return input;
        }
    }
    return kMouseInputs[0];
}

// The line of one change (the four lines of the aim set) with the values of record.
void writeChange(std::string& text, const ProfileRecord& record, unsigned change,
                 ConsoleMode console) {
    using namespace layer_change;
    if (change < firstMouseBinding) {
        const std::size_t action = change - firstAction;
        writeLine(text, actionNames(console)[action],
                  keysText(primaryKey(record, action), secondaryKey(record, action)));
    } else if (change < direction) {
        const MouseInput& input = mouseInputAt(change - firstMouseBinding);
        writeLine(text, input.setting,
                  itemText(mouseActionItems(console), mouseBinding(record, input.index)));
    } else if (change == direction) {
        writeLine(text, kDirectionSetting,
                  itemText(directionItems(console), record.bytes[profile::direction]));
    } else if (change == invert) {
        writeLine(text, kInvertSetting, invertText(record.bytes[profile::invertFlags]));
    } else if (change == zoomX) {
        writeLine(text, kZoomXSetting, zoomScaleText(readZoomScale(record, profile::xZoomScale)));
    } else if (change == zoomY) {
        writeLine(text, kZoomYSetting, zoomScaleText(readZoomScale(record, profile::yZoomScale)));
    } else {
        const AimSettings aim = readAimSettings(record);
        writeLine(text, kAimSetting, aimModeWord(aim.mode));
        writeLine(text, kDeadZoneSetting, deadZoneText(aim.deadZoneHundredths));
        writeLine(text, kShapeSetting, aimShapeWord(aim.shape));
        writeLine(text, kExponentSetting, exponentText(aim.exponentSteps));
    }
}

// Which lines the base writes. The Xbox 360 dialog has no tilt fields: tilt keys show only
// when there are any; the sixth and seventh mouse buttons, which no dialog shows, only when
// set. A classic profile without precise settings, all three aim bytes 0, has no aim
// lines, so its text is what it was before precise aim.
bool baseWrites(const ProfileRecord& record, unsigned change, ConsoleMode console) {
    using namespace layer_change;
    if (change < firstMouseBinding) {
        const std::size_t action = change - firstAction;
        return action <= kLastXbox360KeyAction || console == kConsolePs3 ||
               primaryKey(record, action) != 0 || secondaryKey(record, action) != 0;
    }
    if (change < direction) {
        const MouseInput& input = mouseInputAt(change - firstMouseBinding);
        return input.inDialog || mouseBinding(record, input.index) != 0;
    }
    return change != aim || readAimSettings(record) != AimSettings{};
}

// The lines of binding modes, after a comment that explains them before the first ones.
void writeModeLines(std::string& text, const TextLines& lines, bool& explained) {
    if (lines.empty()) {
        return;
    }
    if (!explained) {
        text += "; TOGGLE, TURBO: actions that toggle, or repeat while held (TURBO PRESS and\n"
                "; TURBO RELEASE: ms, 10 to 1000). WALK = KEY: the sticks that keys move go to\n"
                "; WALK SPEED % (1 to 100) while it is held. MACRO KEY = steps: ACTION+ACTION MS,\n"
                "; or a pause MS (1 to 5000 ms), at most 32.\n";
        explained = true;
    }
    for (const auto& [setting, value] : lines) {
        writeLine(text, setting, value);
    }
}

void writeBase(std::string& text, const ProfileRecord& record, ConsoleMode console) {
    writeHeader(text, console);
    writeLine(text, kNameSetting, quoteName(profileName(record)));
    for (unsigned change = 0; change < layer_change::count; ++change) {
        if (change == layer_change::firstAction || change == layer_change::firstMouseBinding) {
            text += "\n";
        }
        if (!baseWrites(record, change, console)) {
            continue;
        }
        if (change == layer_change::aim) {
            text += "; AIM classic or precise. DEADZONE: the game's dead zone in percent, 0 to "
                    "90.\n"
                    "; SHAPE circle or square. EXPONENT 0.25 to 4.0, 1.0 for a linear response.\n";
        }
        writeChange(text, record, change, console);
    }
}

// A layer has its name, its trigger and both delays, then the lines of what it changes, in
// the base's order. The aim set is all four lines or none.
void writeLayer(std::string& text, const LayerRecord& layer, ConsoleMode console,
                bool& modesExplained) {
    writeLine(text, kLayerSetting, quoteName(layerName(layer)));
    if (layer.trigger.source != TriggerSource::none) {
        writeLine(text, triggerSetting(layer.kind), triggerText(layer.trigger));
    }
    writeLine(text, kDelaySetting, std::to_string(layer.delayMs));
    writeLine(text, kReleaseDelaySetting, std::to_string(layer.releaseDelayMs));
    for (unsigned change = 0; change < layer_change::count; ++change) {
        if ((layer.changes & layer_change::bit(change)) != 0) {
            writeChange(text, layer.values, change, console);
        }
    }
    writeModeLines(text, layerModeLines(layer.modes, console), modesExplained);
}

void writeLayers(std::string& text, std::span<const LayerRecord> layers, ConsoleMode console,
                 bool& modesExplained) {
    for (std::size_t i = 0; i < layers.size(); ++i) {
        text += "\n";
        if (i == 0) {
            text +=
                "; LAYER = \"NAME\" starts a layer: the lines up to the next LAYER belong to it\n"
                "; and list only what it changes; the rest comes from the lines above the first\n"
                "; LAYER. WHILE = KEY (or a MOUSE button): on while it is held; PRESS = KEY: each\n"
                "; press turns it on or off. DELAY, RELEASE DELAY: ms (0 to 2000) before it takes\n"
                "; effect and before it ends.\n";
        }
        writeLayer(text, layers[i], console, modesExplained);
    }
}

// --- Reading -------------------------------------------------------------------------

struct AimLine {
    const char* setting;
    AimReading (*read)(std::string_view text, AimSettings& aim);
};

constexpr AimLine kAimLines[] = {{kAimSetting, readAimMode},
                                 {kDeadZoneSetting, readDeadZone},
                                 {kShapeSetting, readAimShape},
                                 {kExponentSetting, readExponent}};

struct TextLine {
    std::size_t number;
    std::string setting;
    std::string value;
};

// The base, then one block per layer: the lines from its LAYER line to the next one.
struct TextBlock {
    std::optional<TextLine> layer; // the LAYER line; none for the base
    std::vector<TextLine> lines;
};

// What the mode lines of a block (the base or a layer) gave: the values, which modes they
// change, and the first line of each mode and the line of each macro, for the rules judged
// once the block is read.
struct ModeBlock {
    BindingModes modes;
    std::uint8_t changes = 0;
    std::map<std::uint8_t, std::size_t> groupLines; // mode_change bit: its first line
    std::map<std::uint8_t, std::size_t> macroLines; // key: its MACRO line
};

// A layer's modes: what its lines change, the rest at the defaults.
BindingModes layerModesOf(const ModeBlock& block) {
    BindingModes modes;
    modes.changes = block.changes;
    if ((block.changes & mode_change::toggle) != 0) {
        modes.toggle = block.modes.toggle;
    }
    if ((block.changes & mode_change::turbo) != 0) {
        modes.turbo = block.modes.turbo;
        modes.turboPressMs = block.modes.turboPressMs;
        modes.turboReleaseMs = block.modes.turboReleaseMs;
    }
    if ((block.changes & mode_change::walk) != 0) {
        modes.walkKey = block.modes.walkKey;
        modes.walkPercent = block.modes.walkPercent;
    }
    modes.macros = block.modes.macros;
    return modes;
}

bool isLayerOnly(std::string_view setting) {
    return setting == kWhileSetting || setting == kPressSetting || setting == kDelaySetting ||
           setting == kReleaseDelaySetting;
}

class Reader {
public:
    explicit Reader(ProfileTextReading& reading) : reading_(reading) {}

    void error(std::size_t line, std::string message) {
        reading_.errors.push_back({line, std::move(message)});
    }

    // Splits the text into the base and its layers; malformed lines, and lines given twice
    // in one block, are errors.
    std::vector<TextBlock> textBlocks(std::string_view text) {
        std::vector<TextBlock> blocks(1);
        std::map<std::string, std::size_t> firstLine;
        std::size_t number = 0;
        while (!text.empty()) {
            ++number;
            const std::size_t end = text.find('\n');
            std::string_view raw = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            if (!raw.empty() && raw.back() == '\r') {
                raw.remove_suffix(1);
            }
            const std::string_view line = trimmed(raw);
            if (line.empty() ||
                std::string_view(kCommentMarks).find(line[0]) != std::string_view::npos) {
                continue;
            }
            const std::size_t equals = line.find('=');
            const std::string_view setting = equals == std::string_view::npos
                                                 ? std::string_view{}
                                                 : trimmed(line.substr(0, equals));
            if (setting.empty()) {
                error(number, "expected SETTING = VALUE, found " + quotedWord(line));
                continue;
            }
            TextLine parsed{number, std::string(setting),
                            std::string(trimmed(line.substr(equals + 1)))};
            if (setting == kLayerSetting) {
                blocks.push_back({std::move(parsed), {}});
                firstLine.clear();
                continue;
            }
            const auto [first, inserted] = firstLine.emplace(parsed.setting, number);
            if (!inserted) {
                error(number, parsed.setting + " is given twice (first on line " +
                                  std::to_string(first->second) + ")");
                continue;
            }
            blocks.back().lines.push_back(std::move(parsed));
        }
        return blocks;
    }

    void chooseConsole(const std::vector<TextLine>& lines, std::optional<ConsoleMode> requested,
                       ConsoleMode fallback) {
        reading_.console = requested.value_or(fallback);
        for (const TextLine& line : lines) {
            if (line.setting != kConsoleSetting) {
                continue;
            }
            const std::optional<ConsoleMode> named = consoleNamed(line.value);
            if (!named) {
                error(line.number,
                      "unknown console " + quotedWord(line.value) + ": use xbox360 or ps3");
            } else if (requested && *requested != *named) {
                error(line.number, std::string("the text is written for ") + consoleWord(*named) +
                                       ", not for --console " + consoleWord(*requested));
            } else {
                reading_.console = *named;
            }
        }
    }

    void readBaseLine(const TextLine& line) {
        if (line.setting == kConsoleSetting) {
            return;
        }
        if (line.setting == kNameSetting) {
            if (std::optional<std::string> name = readQuoted(line, kMaxProfileNameLength)) {
                reading_.name = std::move(*name);
            }
            return;
        }
        if (isLayerOnly(line.setting)) {
            return error(line.number, line.setting + " belongs to a layer: start one above it "
                                                     "with LAYER = \"NAME\"");
        }
        if (isModeSetting(line.setting)) {
            return readModeLine(line, baseModes_, false);
        }
        readChange(line, reading_.record);
    }

    // The base's modes once all its lines are read, and the rules they keep with its
    // bindings.
    void finishBase() {
        reading_.modes = baseModes_.modes;
        for (const MacroKeyConflict& conflict :
             macroKeyConflicts(reading_.record, reading_.modes)) {
            error(baseModes_.macroLines.at(conflict.key),
                  macroConflictText(conflict, reading_.console));
        }
        if (const ActionSet both = toggledAndRepeated(reading_.modes); both != 0) {
            error(baseModes_.groupLines.at(mode_change::turbo),
                  toggledAndRepeatedText(both, reading_.console));
        }
    }

    // A layer: its name, trigger and delays, and what it changes over the base as read so
    // far. The aim lines it leaves out take the base's values: any aim line makes the layer
    // hold the whole set.
    void readLayer(const TextBlock& block) {
        const TextLine& start = *block.layer;
        LayerRecord layer;
        readLayerName(start, layer);
        if (reading_.layers.size() == kMaxLayers) {
            error(start.number, "a profile holds at most " + std::to_string(kMaxLayers) +
                                    " layers; this is one more");
        }
        ProfileRecord values = reading_.record;
        std::uint64_t changes = 0;
        ModeBlock modes;
        modes.modes = reading_.modes;
        modes.modes.macros.clear();
        const TextLine* trigger = nullptr;
        for (const TextLine& line : block.lines) {
            if (isModeSetting(line.setting)) {
                readModeLine(line, modes, true);
            } else if (line.setting == kWhileSetting || line.setting == kPressSetting) {
                readTriggerLine(line, trigger, layer);
            } else if (line.setting == kDelaySetting) {
                readDelayLine(line, layer.delayMs);
            } else if (line.setting == kReleaseDelaySetting) {
                readDelayLine(line, layer.releaseDelayMs);
            } else if (line.setting == kNameSetting || line.setting == kConsoleSetting) {
                error(line.number, line.setting + " belongs to the profile, before the first "
                                                  "LAYER; a layer's name is on its LAYER line");
            } else if (const std::optional<unsigned> change = readChange(line, values)) {
                changes |= layer_change::bit(*change);
            }
        }
        if (trigger == nullptr) {
            error(start.number, "the layer has no trigger: give it WHILE = KEY or PRESS = KEY");
        }
        for (unsigned change = 0; change < layer_change::count; ++change) {
            if ((changes & layer_change::bit(change)) != 0) {
                takeChange(layer, change, values);
            }
        }
        layer.modes = layerModesOf(modes);
        checkLayerRules(block, modes, layer);
        reading_.layers.push_back(layer);
    }

private:
    // A line of a binding mode into block. A layer's MACRO may be none; the base leaves out
    // a macro it does not have.
    void readModeLine(const TextLine& line, ModeBlock& block, bool inLayer) {
        const auto took = [&](std::uint8_t mode, const ModeValueReading& read) {
            if (!read.ok) {
                return error(line.number, line.setting + ": " + read.error);
            }
            block.changes |= mode;
            block.groupLines.emplace(mode, line.number);
        };
        BindingModes& modes = block.modes;
        const ConsoleMode console = reading_.console;
        if (line.setting == kToggleSetting) {
            return took(mode_change::toggle, readActionList(line.value, console, modes.toggle));
        }
        if (line.setting == kTurboSetting) {
            return took(mode_change::turbo, readActionList(line.value, console, modes.turbo));
        }
        if (line.setting == kTurboPressSetting) {
            return took(mode_change::turbo, readTurboTime(line.value, modes.turboPressMs));
        }
        if (line.setting == kTurboReleaseSetting) {
            return took(mode_change::turbo, readTurboTime(line.value, modes.turboReleaseMs));
        }
        if (line.setting == kWalkSetting) {
            return took(mode_change::walk, readWalkKey(line.value, modes.walkKey));
        }
        if (line.setting == kWalkSpeedSetting) {
            return took(mode_change::walk, readWalkSpeed(line.value, modes.walkPercent));
        }
        readMacro(line, block, inLayer);
    }

    void readMacro(const TextLine& line, ModeBlock& block, bool inLayer) {
        const MacroLineReading macro = readMacroLine(line.setting, line.value);
        if (!macro.reading.ok) {
            return error(line.number, line.setting + ": " + macro.reading.error);
        }
        const std::string setting = macroSetting(macro.key);
        const auto [first, inserted] = block.macroLines.emplace(macro.key, line.number);
        if (!inserted) {
            return error(line.number, setting + " is given twice (first on line " +
                                          std::to_string(first->second) + ")");
        }
        if (block.modes.macros.size() == kMaxMacros) {
            return error(line.number, setting + ": the profile and each layer hold at most " +
                                          std::to_string(kMaxMacros) + " macros; this is one more");
        }
        Macro read{macro.key, {}};
        const ModeValueReading steps = readMacroSteps(macro.steps, reading_.console, read.steps);
        if (!steps.ok) {
            return error(line.number, setting + ": " + steps.error);
        }
        if (read.steps.empty() && !inLayer) {
            return error(line.number, setting + ": none belongs to a layer, where it takes the "
                                                "base's macro away; leave the line out");
        }
        block.modes.macros.push_back(std::move(read));
    }

    // The rules a layer keeps where it has a part in them, each told at the layer's line.
    void checkLayerRules(const TextBlock& block, const ModeBlock& modes, const LayerRecord& layer) {
        const ConsoleMode console = reading_.console;
        for (const MacroKeyConflict& conflict :
             macroKeyConflicts(reading_.record, reading_.modes, layer)) {
            const std::size_t line =
                macroConflictShownAtMacro(conflict)
                    ? modes.macroLines.at(conflict.key)
                    : lineOf(block,
                             actionNames(console)[static_cast<std::size_t>(conflict.action)]);
            error(line, macroConflictText(conflict, console));
        }
        if (const ActionSet both = toggledAndRepeated(reading_.modes, layer); both != 0) {
            const auto turbo = modes.groupLines.find(mode_change::turbo);
            error(turbo != modes.groupLines.end() ? turbo->second
                                                  : modes.groupLines.at(mode_change::toggle),
                  toggledAndRepeatedText(both, console));
        }
    }

    static std::size_t lineOf(const TextBlock& block, std::string_view setting) {
        for (const TextLine& line : block.lines) {
            if (line.setting == setting) {
                return line.number;
            }
        }
        return block.layer->number;
    }

    // Reads a line of what a layer may change into target; the change it made, or none for
    // an error.
    std::optional<unsigned> readChange(const TextLine& line, ProfileRecord& target) {
        if (line.setting == kDirectionSetting) {
            return readListItem(line, directionItems(reading_.console), profile::direction,
                                "direction", target, layer_change::direction);
        }
        if (line.setting == kInvertSetting) {
            return readInvert(line, target);
        }
        if (line.setting == kZoomXSetting) {
            return readZoom(line, profile::xZoomScale, target, layer_change::zoomX);
        }
        if (line.setting == kZoomYSetting) {
            return readZoom(line, profile::yZoomScale, target, layer_change::zoomY);
        }
        for (const AimLine& aimLine : kAimLines) {
            if (line.setting == aimLine.setting) {
                return readAim(line, aimLine, target);
            }
        }
        for (const MouseInput& input : kMouseInputs) {
            if (line.setting == input.setting) {
                return readListItem(line, mouseActionItems(reading_.console),
                                    profile::mouseBindings + input.index, "mouse action", target,
                                    layer_change::firstMouseBinding +
                                        static_cast<unsigned>(input.index));
            }
        }
        const std::span<const char* const> names = actionNames(reading_.console);
        for (std::size_t action = 0; action < names.size(); ++action) {
            if (line.setting == names[action]) {
                return readKeys(line, action, target);
            }
        }
        error(line.number, "unknown setting or action " + quotedWord(line.setting) +
                               otherConsoleHint(line.setting));
        return std::nullopt;
    }

    // Why a word that is not an action here may still be one: the other console's name.
    std::string otherConsoleHint(std::string_view word) const {
        const ConsoleMode other = reading_.console == kConsolePs3 ? kConsoleXbox360 : kConsolePs3;
        for (const char* name : actionNames(other)) {
            if (word == name) {
                return std::string(" (a ") + consoleTitle(other) +
                       " name; this text is read with " + consoleTitle(reading_.console) +
                       " names)";
            }
        }
        return {};
    }

    // A name in double quotes (NAME, LAYER), with its escapes.
    std::optional<std::string> readQuoted(const TextLine& line, std::size_t maxLength) {
        std::string_view value = line.value;
        if (value.size() < 2 || value.front() != kQuote || value.back() != kQuote) {
            error(line.number,
                  line.setting + " must be in double quotes, as in " + line.setting +
                      (line.setting == kNameSetting ? " = \"Shooter\"" : " = \"ADS\""));
            return std::nullopt;
        }
        value = value.substr(1, value.size() - 2);
        std::string name;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\0') {
                // A name ends at its first NUL: what follows it would be lost.
                error(line.number, line.setting + " cannot hold a NUL byte");
                return std::nullopt;
            }
            if (value[i] != kEscape) {
                name += value[i];
            } else if (value.substr(i, 2) == "\\\\") {
                name += kEscape;
                ++i;
            } else if (const std::optional<char> byte = hexEscape(value.substr(i))) {
                name += *byte;
                i += kHexEscapeLength - 1;
            } else {
                error(line.number, line.setting + ": write a backslash as \\\\ and a byte as "
                                                  "\\xNN (01 to FF)");
                return std::nullopt;
            }
        }
        if (name.size() > maxLength) {
            error(line.number, line.setting + " has " + std::to_string(name.size()) +
                                   " characters; at most " + std::to_string(maxLength) + " fit");
            return std::nullopt;
        }
        return name;
    }

    // A layer's name is not empty and names no other layer of the profile.
    void readLayerName(const TextLine& line, LayerRecord& layer) {
        const std::optional<std::string> name = readQuoted(line, kMaxLayerNameLength);
        if (!name) {
            return;
        }
        if (name->empty()) {
            return error(line.number, "LAYER needs a name, as in LAYER = \"ADS\"");
        }
        const auto [first, inserted] = layerLines_.emplace(*name, line.number);
        if (!inserted) {
            return error(line.number, "layer " + quoteName(*name) +
                                          " is given twice (first on line " +
                                          std::to_string(first->second) + ")");
        }
        setLayerName(layer, *name);
    }

    // WHILE or PRESS, once: the kind and the trigger.
    void readTriggerLine(const TextLine& line, const TextLine*& trigger, LayerRecord& layer) {
        if (trigger != nullptr) {
            return error(line.number, line.setting + ": the layer has its trigger on line " +
                                          std::to_string(trigger->number) + " (" +
                                          trigger->setting + "); a layer has one");
        }
        trigger = &line;
        layer.kind = line.setting == kPressSetting ? LayerKind::toggled : LayerKind::whileHeld;
        const LayerValueReading read = readTrigger(line.value, layer.trigger);
        if (!read.ok) {
            error(line.number, line.setting + ": " + read.error);
        }
    }

    void readDelayLine(const TextLine& line, std::uint16_t& delayMs) {
        const LayerValueReading read = readDelay(line.value, delayMs);
        if (!read.ok) {
            error(line.number, line.setting + ": " + read.error);
        }
    }

    // "\\xNN" at the start of text: the byte NN, never 00.
    static std::optional<char> hexEscape(std::string_view text) {
        if (text.size() < kHexEscapeLength || text[1] != 'x' ||
            !std::isxdigit(static_cast<unsigned char>(text[2])) ||
            !std::isxdigit(static_cast<unsigned char>(text[3]))) {
            return std::nullopt;
        }
        const auto value = std::stoi(std::string(text.substr(2, 2)), nullptr, 16);
        if (value == 0) {
            return std::nullopt;
        }
        return static_cast<char>(value);
    }

    std::optional<unsigned> readListItem(const TextLine& line, std::span<const char* const> items,
                                         std::size_t offset, const char* what,
                                         ProfileRecord& target, unsigned change) {
        for (std::size_t position = 0; position < items.size(); ++position) {
            if (line.value == items[position]) {
                target.bytes[offset] = static_cast<std::uint8_t>(position);
                return change;
            }
        }
        error(line.number, line.setting + ": unknown " + what + " " + quotedWord(line.value) +
                               " for the " + consoleTitle(reading_.console));
        return std::nullopt;
    }

    std::optional<unsigned> readInvert(const TextLine& line, ProfileRecord& target) {
        std::uint8_t flags = 0;
        if (line.value != kNoneWord && !line.value.empty()) {
            std::string_view rest = line.value;
            while (true) {
                const std::size_t comma = rest.find(',');
                const std::string_view word = trimmed(rest.substr(0, comma));
                const std::uint8_t bit = word == kInvertXWord   ? profile::kInvertX
                                         : word == kInvertYWord ? profile::kInvertY
                                                                : 0;
                if (bit == 0 || (flags & bit) != 0) {
                    error(line.number,
                          "INVERT takes none, X, Y or X, Y; found " + quotedWord(line.value));
                    return std::nullopt;
                }
                flags |= bit;
                if (comma == std::string_view::npos) {
                    break;
                }
                rest = rest.substr(comma + 1);
            }
        }
        target.bytes[profile::invertFlags] = flags;
        return layer_change::invert;
    }

    std::optional<unsigned> readZoom(const TextLine& line, std::size_t offset,
                                     ProfileRecord& target, unsigned change) {
        const std::optional<float> scale = readZoomText(line.value);
        if (!scale) {
            error(line.number, line.setting + ": " + quotedWord(line.value) +
                                   " is not a decimal number such as 1.0");
            return std::nullopt;
        }
        if (!zoomScaleInRange(*scale)) {
            error(line.number, line.setting + ": " + line.value + " is outside 0.5 to 5.0");
            return std::nullopt;
        }
        writeZoomScale(target, offset, *scale);
        return change;
    }

    // Each line changes its own field of the three aim bytes; the others stay as they are.
    std::optional<unsigned> readAim(const TextLine& line, const AimLine& aimLine,
                                    ProfileRecord& target) {
        AimSettings aim = readAimSettings(target);
        const AimReading read = aimLine.read(line.value, aim);
        if (!read.ok) {
            error(line.number, line.setting + ": " + read.error);
            return std::nullopt;
        }
        writeAimSettings(target, aim);
        return layer_change::aim;
    }

    static std::optional<std::uint8_t> keyCode(std::string_view word) {
        if (word.empty() || word == kNoneWord) {
            return 0;
        }
        const std::uint8_t code = scanCodeNamed(word);
        return code != 0 ? std::optional<std::uint8_t>(code) : std::nullopt;
    }

    // One key, or two split at a comma. The comma key "," is a name of its own, so every
    // comma is tried as the split until both sides are names.
    std::optional<unsigned> readKeys(const TextLine& line, std::size_t action,
                                     ProfileRecord& target) {
        std::optional<std::uint8_t> primary = keyCode(line.value);
        std::optional<std::uint8_t> secondary = 0;
        for (std::size_t comma = line.value.find(','); !primary && comma != std::string::npos;
             comma = line.value.find(',', comma + 1)) {
            const std::string_view left = trimmed(std::string_view(line.value).substr(0, comma));
            const std::string_view right = trimmed(std::string_view(line.value).substr(comma + 1));
            if (!left.empty() && !right.empty() && keyCode(left) && keyCode(right)) {
                primary = keyCode(left);
                secondary = keyCode(right);
            }
        }
        if (!primary) {
            error(line.number, line.setting + ": unknown key " + quotedWord(line.value) +
                                   "; write KEY or KEY, KEY2 with the names the Map "
                                   "dialog shows (W, L SHIFT, NUM 8, SPACE)");
            return std::nullopt;
        }
        target.bytes[profile::primaryKeys + action] = *primary;
        target.bytes[profile::secondaryKeys + action] = *secondary;
        return layer_change::firstAction + static_cast<unsigned>(action);
    }

    ProfileTextReading& reading_;
    std::map<std::string, std::size_t> layerLines_; // each layer's name and its LAYER line
    ModeBlock baseModes_;
};

} // namespace

std::optional<float> readZoomText(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view number = negative ? text.substr(1) : text;
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : number.substr(point + 1);
    const auto allDigits = [](std::string_view digits) {
        return digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction) ||
        (point != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    const bool hundredths =
        fraction.size() <= 2 || fraction.substr(2).find_first_not_of('0') == std::string_view::npos;
    if (hundredths && whole.size() <= kMaxGridDigits) {
        const std::string cents = (std::string(fraction.substr(0, 2)) + "00").substr(0, 2);
        const float scale =
            zoomScaleOf(std::atoi(std::string(whole).c_str()) * 100 + std::atoi(cents.c_str()));
        return negative ? -scale : scale;
    }
    return std::strtof(std::string(text).c_str(), nullptr);
}

std::string quoteName(std::string_view name) {
    std::string quoted(1, kQuote);
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == kEscape) {
            quoted += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[kHexEscapeLength + 1];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + kQuote;
}

std::string formatProfileText(const ProfileRecord& record, const BindingModes& modes,
                              std::span<const LayerRecord> layers, ConsoleMode console) {
    std::string text;
    writeBase(text, record, console);
    bool modesExplained = false;
    const TextLines modeLines = baseModeLines(modes, console);
    if (!modeLines.empty()) {
        text += "\n";
    }
    writeModeLines(text, modeLines, modesExplained);
    writeLayers(text, layers, console, modesExplained);
    return text;
}

std::string formatProfileText(const ProfileRecord& record, std::span<const LayerRecord> layers,
                              ConsoleMode console) {
    return formatProfileText(record, BindingModes{}, layers, console);
}

std::string formatProfileText(const ProfileRecord& record, ConsoleMode console) {
    return formatProfileText(record, {}, console);
}

ProfileTextReading readProfileText(std::string_view text, std::optional<ConsoleMode> requested,
                                   ConsoleMode fallback) {
    ProfileTextReading reading;
    writeZoomScale(reading.record, profile::xZoomScale, kNewProfileZoomScale);
    writeZoomScale(reading.record, profile::yZoomScale, kNewProfileZoomScale);
    Reader reader(reading);
    const std::vector<TextBlock> blocks = reader.textBlocks(text);
    reader.chooseConsole(blocks.front().lines, requested, fallback);
    for (const TextLine& line : blocks.front().lines) {
        reader.readBaseLine(line);
    }
    reader.finishBase();
    for (auto block = blocks.begin() + 1; block != blocks.end(); ++block) {
        reader.readLayer(*block);
    }
    std::stable_sort(
        reading.errors.begin(), reading.errors.end(),
        [](const ProfileTextError& a, const ProfileTextError& b) { return a.line < b.line; });
    return reading;
}

} // namespace qora
