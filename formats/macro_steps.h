#pragma once
// A macro's steps as people write them, in the profile text and in the Map dialog's Modes
// dialog: "A 60, 40, B+X 60". Steps are separated by commas; a step is either actions
// joined by '+' and held together for a time ("B+X 60"), or a pause ("40"), each time a
// whole number of ms from 1 to 5000. Actions go by the console's own names
// (formats/action_names.h), exactly as written there. Blanks around a step, an action and
// a '+' do not count.

#include "formats/binding_modes.h"
#include "formats/console_mode.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qora {

struct MacroStepsParse {
    std::vector<MacroStep> steps; // empty when refused
    // Why the text was refused, naming the step (by its number, from 1, and its text) when
    // one step is at fault.
    std::optional<std::string> error;
};

// Reads at most kMaxMacroSteps steps. An empty text is refused: a macro has a step at least.
MacroStepsParse parseMacroSteps(std::string_view text, ConsoleMode console);

// The text of steps: each step's actions in ActionCode order, joined by '+', then a blank
// and its ms; a pause its ms alone; steps joined by ", ". Reading it back gives the steps.
std::string formatMacroSteps(std::span<const MacroStep> steps, ConsoleMode console);

} // namespace qora
