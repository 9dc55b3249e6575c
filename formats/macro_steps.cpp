#include "formats/macro_steps.h"

#include "formats/action_names.h"

#include <cstddef>
#include <cstdint>

namespace qora {
namespace {

constexpr char kStepSeparator = ',';
constexpr char kActionJoiner = '+';
constexpr const char* kExampleSteps = "\"A 60, 40, B+X 60\"";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Text in double quotes, then what follows. Appended piece by piece: GCC 12 at -O2 takes
// "\"" + std::string for an overlapping copy (-Wrestrict).
std::string quoted(std::string_view text, std::string_view after = {}) {
    std::string result;
    result += '"';
    result.append(text);
    result += '"';
    result.append(after);
    return result;
}

std::string stepNamed(std::size_t number) {
    std::string text = "Step ";
    text += std::to_string(number);
    return text;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool allDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// A whole number of digits, within the range of a step; nothing when it is not.
std::optional<std::uint16_t> stepMs(std::string_view digits) {
    std::uint32_t value = 0;
    for (const char c : digits) {
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > kMaxMacroStepMs) {
            return std::nullopt;
        }
    }
    if (value < kMinMacroStepMs) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<ActionCode> actionNamed(std::string_view name, ConsoleMode console) {
    const std::span<const char* const> names = actionNames(console);
    for (std::size_t code = 0; code < names.size(); ++code) {
        if (name == names[code]) {
            return static_cast<ActionCode>(code);
        }
    }
    return std::nullopt;
}

// Reads one step at a time; the first fault ends the reading.
class StepReader {
public:
    explicit StepReader(ConsoleMode console) : console_(console) {}

    std::optional<MacroStep> read(std::string_view text, std::size_t number) {
        text_ = trimmed(text);
        number_ = number;
        if (text_.empty()) {
            error = stepNamed(number_) + " is empty: steps are separated by single commas, as in " +
                    kExampleSteps;
            return std::nullopt;
        }
        const std::size_t blank = text_.find_last_of(" \t");
        const std::string_view last =
            blank == std::string_view::npos ? text_ : text_.substr(blank + 1);
        if (!allDigits(last)) {
            std::string why = "its time in ms is missing, as in ";
            why += quoted(std::string(text_) + " 60");
            refuse(blank == std::string_view::npos ? why
                                                   : quoted(last, " is not a whole number of ms"));
            return std::nullopt;
        }
        MacroStep step;
        const std::optional<std::uint16_t> ms = stepMs(last);
        if (!ms) {
            refuse("a step lasts 1 to 5000 ms");
            return std::nullopt;
        }
        step.ms = *ms;
        if (blank == std::string_view::npos) {
            return step; // a pause
        }
        if (!readActions(trimmed(text_.substr(0, blank)), step.actions)) {
            return std::nullopt;
        }
        return step;
    }

    std::optional<std::string> error;

private:
    bool readActions(std::string_view names, ActionSet& actions) {
        while (true) {
            const std::size_t joiner = names.find(kActionJoiner);
            const std::string_view name = trimmed(names.substr(0, joiner));
            if (!readAction(name, actions)) {
                return false;
            }
            if (joiner == std::string_view::npos) {
                return true;
            }
            names.remove_prefix(joiner + 1);
        }
    }

    bool readAction(std::string_view name, ActionSet& actions) {
        if (name.empty()) {
            refuse("an action is missing beside a \"+\"");
            return false;
        }
        const std::optional<ActionCode> code = actionNamed(name, console_);
        if (!code) {
            refuse(quoted(name, " is not an action"));
            return false;
        }
        if ((actions & actionBit(*code)) != 0) {
            refuse(quoted(name, " is named twice"));
            return false;
        }
        actions |= actionBit(*code);
        return true;
    }

    void refuse(const std::string& why) {
        std::string message = stepNamed(number_);
        message += ' ';
        message += quoted(text_, ": ");
        message += why;
        error = message;
    }

    ConsoleMode console_;
    std::string_view text_;
    std::size_t number_ = 0;
};

std::string formatStep(const MacroStep& step, ConsoleMode console) {
    const std::span<const char* const> names = actionNames(console);
    std::string text;
    for (std::size_t code = 0; code < names.size(); ++code) {
        if ((step.actions & actionBit(static_cast<ActionCode>(code))) == 0) {
            continue;
        }
        if (!text.empty()) {
            text += kActionJoiner;
        }
        text += names[code];
    }
    if (!text.empty()) {
        text += ' ';
    }
    return text + std::to_string(step.ms);
}

} // namespace

MacroStepsParse parseMacroSteps(std::string_view text, ConsoleMode console) {
    MacroStepsParse parse;
    if (trimmed(text).empty()) {
        parse.error = std::string("A macro needs at least one step, as in ") + kExampleSteps;
        return parse;
    }
    StepReader reader(console);
    std::size_t number = 1;
    while (true) {
        const std::size_t separator = text.find(kStepSeparator);
        const std::optional<MacroStep> step = reader.read(text.substr(0, separator), number);
        if (!step) {
            parse.error = reader.error;
            parse.steps.clear();
            return parse;
        }
        parse.steps.push_back(*step);
        if (separator == std::string_view::npos) {
            break;
        }
        text.remove_prefix(separator + 1);
        ++number;
    }
    if (parse.steps.size() > kMaxMacroSteps) {
        std::string tooMany = "A macro has at most ";
        tooMany += std::to_string(kMaxMacroSteps);
        tooMany += " steps, not ";
        tooMany += std::to_string(parse.steps.size());
        parse.error = tooMany;
        parse.steps.clear();
    }
    return parse;
}

std::string formatMacroSteps(std::span<const MacroStep> steps, ConsoleMode console) {
    std::string text;
    for (const MacroStep& step : steps) {
        if (!text.empty()) {
            text += ", ";
        }
        text += formatStep(step, console);
    }
    return text;
}

} // namespace qora
