#include "tools/profiles/profile_text.h"

#include "formats/action_codes.h"
#include "formats/action_names.h"
#include "formats/aim_values.h"
#include "formats/mouse_binding_choices.h"
#include "input/key_names.h"
#include "tools/profiles/aim_text.h"
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

void writeKeys(std::string& text, const ProfileRecord& record, ConsoleMode console) {
    const std::span<const char* const> names = actionNames(console);
    for (std::size_t action = 0; action < kActionCount; ++action) {
        const std::uint8_t primary = primaryKey(record, action);
        const std::uint8_t secondary = secondaryKey(record, action);
        // The Xbox 360 dialog has no tilt fields: show tilt keys only when there are any.
        const bool tilt = action > kLastXbox360KeyAction;
        if (tilt && console != kConsolePs3 && primary == 0 && secondary == 0) {
            continue;
        }
        writeLine(text, names[action], keysText(primary, secondary));
    }
}

void writeMouse(std::string& text, const ProfileRecord& record, ConsoleMode console) {
    const std::span<const char* const> items = mouseActionItems(console);
    for (const MouseInput& input : kMouseInputs) {
        const std::uint8_t position = mouseBinding(record, input.index);
        if (input.inDialog || position != 0) {
            writeLine(text, input.setting, itemText(items, position));
        }
    }
    writeLine(text, kDirectionSetting,
              itemText(directionItems(console), record.bytes[profile::direction]));
    writeLine(text, kInvertSetting, invertText(record.bytes[profile::invertFlags]));
    writeLine(text, kZoomXSetting, zoomScaleText(readZoomScale(record, profile::xZoomScale)));
    writeLine(text, kZoomYSetting, zoomScaleText(readZoomScale(record, profile::yZoomScale)));
}

// A classic profile without precise settings, all three bytes 0, has no aim lines, so its
// text is what it was before precise aim. Any other has all four, so that reading them
// back gives the same bytes.
void writeAim(std::string& text, const ProfileRecord& record) {
    const AimSettings aim = readAimSettings(record);
    if (aim == AimSettings{}) {
        return;
    }
    text += "; AIM classic or precise. DEADZONE: the game's dead zone in percent, 0 to 90.\n"
            "; SHAPE circle or square. EXPONENT 0.25 to 4.0, 1.0 for a linear response.\n";
    writeLine(text, kAimSetting, aimModeWord(aim.mode));
    writeLine(text, kDeadZoneSetting, deadZoneText(aim.deadZoneHundredths));
    writeLine(text, kShapeSetting, aimShapeWord(aim.shape));
    writeLine(text, kExponentSetting, exponentText(aim.exponentSteps));
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

class Reader {
public:
    explicit Reader(ProfileTextReading& reading) : reading_(reading) {}

    void error(std::size_t line, std::string message) {
        reading_.errors.push_back({line, std::move(message)});
    }

    // Splits the text into its setting lines; malformed and repeated lines are errors.
    std::vector<TextLine> settingLines(std::string_view text) {
        std::vector<TextLine> lines;
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
            const auto [first, inserted] = firstLine.emplace(std::string(setting), number);
            if (!inserted) {
                error(number, std::string(setting) + " is given twice (first on line " +
                                  std::to_string(first->second) + ")");
                continue;
            }
            lines.push_back(
                {number, std::string(setting), std::string(trimmed(line.substr(equals + 1)))});
        }
        return lines;
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

    void readLine(const TextLine& line) {
        if (line.setting == kConsoleSetting) {
            return;
        }
        if (line.setting == kNameSetting) {
            return readName(line);
        }
        if (line.setting == kDirectionSetting) {
            return readListItem(line, directionItems(reading_.console), profile::direction,
                                "direction");
        }
        if (line.setting == kInvertSetting) {
            return readInvert(line);
        }
        if (line.setting == kZoomXSetting) {
            return readZoom(line, profile::xZoomScale);
        }
        if (line.setting == kZoomYSetting) {
            return readZoom(line, profile::yZoomScale);
        }
        for (const AimLine& aimLine : kAimLines) {
            if (line.setting == aimLine.setting) {
                return readAim(line, aimLine);
            }
        }
        for (const MouseInput& input : kMouseInputs) {
            if (line.setting == input.setting) {
                return readListItem(line, mouseActionItems(reading_.console),
                                    profile::mouseBindings + input.index, "mouse action");
            }
        }
        const std::span<const char* const> names = actionNames(reading_.console);
        for (std::size_t action = 0; action < names.size(); ++action) {
            if (line.setting == names[action]) {
                return readKeys(line, action);
            }
        }
        error(line.number, "unknown setting or action " + quotedWord(line.setting) +
                               otherConsoleHint(line.setting));
    }

private:
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

    void readName(const TextLine& line) {
        std::string_view value = line.value;
        if (value.size() < 2 || value.front() != kQuote || value.back() != kQuote) {
            return error(line.number, "NAME must be in double quotes, as in NAME = \"Shooter\"");
        }
        value = value.substr(1, value.size() - 2);
        std::string name;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\0') {
                // The record's name ends at its first NUL: what follows it would be lost.
                return error(line.number, "NAME cannot hold a NUL byte");
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
                return error(line.number, "NAME: write a backslash as \\\\ and a byte as \\xNN "
                                          "(01 to FF)");
            }
        }
        if (name.size() > kMaxProfileNameLength) {
            return error(line.number, "NAME has " + std::to_string(name.size()) +
                                          " characters; at most " +
                                          std::to_string(kMaxProfileNameLength) + " fit");
        }
        reading_.name = name;
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

    void readListItem(const TextLine& line, std::span<const char* const> items, std::size_t offset,
                      const char* what) {
        for (std::size_t position = 0; position < items.size(); ++position) {
            if (line.value == items[position]) {
                reading_.record.bytes[offset] = static_cast<std::uint8_t>(position);
                return;
            }
        }
        error(line.number, line.setting + ": unknown " + what + " " + quotedWord(line.value) +
                               " for the " + consoleTitle(reading_.console));
    }

    void readInvert(const TextLine& line) {
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
                    return error(line.number, "INVERT takes none, X, Y or X, Y; found " +
                                                  quotedWord(line.value));
                }
                flags |= bit;
                if (comma == std::string_view::npos) {
                    break;
                }
                rest = rest.substr(comma + 1);
            }
        }
        reading_.record.bytes[profile::invertFlags] = flags;
    }

    void readZoom(const TextLine& line, std::size_t offset) {
        const std::optional<float> scale = readZoomText(line.value);
        if (!scale) {
            return error(line.number, line.setting + ": " + quotedWord(line.value) +
                                          " is not a decimal number such as 1.0");
        }
        if (!zoomScaleInRange(*scale)) {
            return error(line.number, line.setting + ": " + line.value + " is outside 0.5 to 5.0");
        }
        writeZoomScale(reading_.record, offset, *scale);
    }

    // Each line changes its own field of the three aim bytes; absent ones stay 0.
    void readAim(const TextLine& line, const AimLine& aimLine) {
        AimSettings aim = readAimSettings(reading_.record);
        const AimReading read = aimLine.read(line.value, aim);
        if (!read.ok) {
            return error(line.number, line.setting + ": " + read.error);
        }
        writeAimSettings(reading_.record, aim);
    }

    static std::optional<std::uint8_t> keyCode(std::string_view word) {
        if (word.empty() || word == kNoneWord) {
            return 0;
        }
        for (std::size_t code = 1; code < kKeyNameCount; ++code) {
            if (word == keyName(static_cast<std::uint8_t>(code))) {
                return static_cast<std::uint8_t>(code);
            }
        }
        return std::nullopt;
    }

    // One key, or two split at a comma. The comma key "," is a name of its own, so every
    // comma is tried as the split until both sides are names.
    void readKeys(const TextLine& line, std::size_t action) {
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
            return error(line.number, line.setting + ": unknown key " + quotedWord(line.value) +
                                          "; write KEY or KEY, KEY2 with the names the Map "
                                          "dialog shows (W, L SHIFT, NUM 8, SPACE)");
        }
        reading_.record.bytes[profile::primaryKeys + action] = *primary;
        reading_.record.bytes[profile::secondaryKeys + action] = *secondary;
    }

    ProfileTextReading& reading_;
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

std::string formatProfileText(const ProfileRecord& record, ConsoleMode console) {
    std::string text;
    writeHeader(text, console);
    writeLine(text, kNameSetting, quoteName(profileName(record)));
    text += "\n";
    writeKeys(text, record, console);
    text += "\n";
    writeMouse(text, record, console);
    writeAim(text, record);
    return text;
}

ProfileTextReading readProfileText(std::string_view text, std::optional<ConsoleMode> requested,
                                   ConsoleMode fallback) {
    ProfileTextReading reading;
    writeZoomScale(reading.record, profile::xZoomScale, kNewProfileZoomScale);
    writeZoomScale(reading.record, profile::yZoomScale, kNewProfileZoomScale);
    Reader reader(reading);
    const std::vector<TextLine> lines = reader.settingLines(text);
    reader.chooseConsole(lines, requested, fallback);
    for (const TextLine& line : lines) {
        reader.readLine(line);
    }
    std::stable_sort(
        reading.errors.begin(), reading.errors.end(),
        [](const ProfileTextError& a, const ProfileTextError& b) { return a.line < b.line; });
    return reading;
}

} // namespace qora
