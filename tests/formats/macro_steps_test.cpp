#include "formats/macro_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qora {
namespace {

using Steps = std::vector<MacroStep>;

constexpr ActionSet kA = actionBit(action::buttonA);
constexpr ActionSet kB = actionBit(action::buttonB);
constexpr ActionSet kX = actionBit(action::buttonX);
constexpr ActionSet kY = actionBit(action::buttonY);
constexpr ActionSet kRightTrigger = actionBit(action::rightFirstRow);
constexpr ActionSet kLeftStickUp = actionBit(action::leftStickUp);

std::string stepsOf(std::size_t count, const char* step) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i == 0 ? "" : ", ") + std::string(step);
    }
    return text;
}

// Texts a player writes: the steps they give, with blanks anywhere between words, and each
// console's own names.
TEST(MacroSteps, ReadsStepsAndPauses) {
    struct Case {
        const char* text;
        ConsoleMode console;
        Steps steps;
    };
    const Case cases[] = {
        {"A 60, 40, B+X 60", kConsoleXbox360, {{kA, 60}, {0, 40}, {kB | kX, 60}}},
        {"  B + X\t60 ,40  ", kConsoleXbox360, {{kB | kX, 60}, {0, 40}}},
        {"RT 1", kConsoleXbox360, {{kRightTrigger, 1}}},
        {"LAU+RT 5000", kConsoleXbox360, {{kLeftStickUp | kRightTrigger, 5000}}},
        {"0060", kConsoleXbox360, {{0, 60}}},
        // On the PS3 "X" is the cross (the Xbox 360 A), "A" the triangle (Y), "[]" the square.
        {"X 60, A+[] 30, R1 20", kConsolePs3, {{kA, 60}, {kY | kX, 30}, {kRightTrigger, 20}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        const MacroStepsParse parse = parseMacroSteps(test.text, test.console);
        EXPECT_EQ(parse.error, std::nullopt);
        EXPECT_EQ(parse.steps, test.steps);
    }
    const MacroStepsParse longest = parseMacroSteps(stepsOf(kMaxMacroSteps, "A 10"), 0);
    EXPECT_EQ(longest.error, std::nullopt);
    EXPECT_EQ(longest.steps.size(), kMaxMacroSteps);
}

// A text that is refused says why, naming the step at fault by its number and its text,
// and gives no steps.
TEST(MacroSteps, RefusesABadStepByName) {
    struct Case {
        std::string text;
        ConsoleMode console;
        const char* error;
    };
    const Case cases[] = {
        {"", kConsoleXbox360, "A macro needs at least one step, as in \"A 60, 40, B+X 60\""},
        {" \t", kConsoleXbox360, "A macro needs at least one step, as in \"A 60, 40, B+X 60\""},
        {"A 60,, 40", kConsoleXbox360,
         "Step 2 is empty: steps are separated by single commas, as in \"A 60, 40, B+X 60\""},
        {"A 60, 40,", kConsoleXbox360,
         "Step 3 is empty: steps are separated by single commas, as in \"A 60, 40, B+X 60\""},
        {"A 60, B+X", kConsoleXbox360,
         "Step 2 \"B+X\": its time in ms is missing, as in \"B+X 60\""},
        {"A 60ms", kConsoleXbox360, "Step 1 \"A 60ms\": \"60ms\" is not a whole number of ms"},
        {"A -60", kConsoleXbox360, "Step 1 \"A -60\": \"-60\" is not a whole number of ms"},
        {"40, A 0", kConsoleXbox360, "Step 2 \"A 0\": a step lasts 1 to 5000 ms"},
        {"A 5001", kConsoleXbox360, "Step 1 \"A 5001\": a step lasts 1 to 5000 ms"},
        {"99999999999999999999", kConsoleXbox360,
         "Step 1 \"99999999999999999999\": a step lasts 1 to 5000 ms"},
        {"A 60, 40, B+Q 60", kConsoleXbox360, "Step 3 \"B+Q 60\": \"Q\" is not an action"},
        {"a 60", kConsoleXbox360, "Step 1 \"a 60\": \"a\" is not an action"},
        {"A B 60", kConsoleXbox360, "Step 1 \"A B 60\": \"A B\" is not an action"},
        {"RT 60", kConsolePs3, "Step 1 \"RT 60\": \"RT\" is not an action"},
        {"B++X 60", kConsoleXbox360, "Step 1 \"B++X 60\": an action is missing beside a \"+\""},
        {"+X 60", kConsoleXbox360, "Step 1 \"+X 60\": an action is missing beside a \"+\""},
        {"B+X+B 60", kConsoleXbox360, "Step 1 \"B+X+B 60\": \"B\" is named twice"},
        {stepsOf(kMaxMacroSteps + 1, "A 10"), kConsoleXbox360,
         "A macro has at most 32 steps, not 33"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        const MacroStepsParse parse = parseMacroSteps(test.text, test.console);
        EXPECT_EQ(parse.error, std::optional<std::string>(test.error));
        EXPECT_EQ(parse.steps, Steps{});
    }
}

// The text of steps names their actions in ActionCode order, and reads back to the same
// steps on either console.
TEST(MacroSteps, FormatsStepsThatReadBack) {
    struct Case {
        Steps steps;
        ConsoleMode console;
        const char* text;
    };
    const Case cases[] = {
        {{{kA, 60}, {0, 40}, {kB | kX, 60}}, kConsoleXbox360, "A 60, 40, X+B 60"},
        {{{kA, 60}, {0, 40}, {kB | kX, 60}}, kConsolePs3, "X 60, 40, []+O 60"},
        {{{kLeftStickUp | kRightTrigger, 5000}}, kConsoleXbox360, "LAU+RT 5000"},
        {{{0, 1}}, kConsoleXbox360, "1"},
        {{}, kConsoleXbox360, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        const std::string text = formatMacroSteps(test.steps, test.console);
        EXPECT_EQ(text, test.text);
        if (!test.steps.empty()) {
            EXPECT_EQ(parseMacroSteps(text, test.console).steps, test.steps);
        }
    }
}

} // namespace
} // namespace qora
