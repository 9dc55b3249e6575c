#pragma once
// The binding modes in the profile text (formats/binding_modes.h), with the action names
// of the text's console and the key names of the Map dialog:
//
//   TOGGLE = LC, B               the actions that toggle; none for no action
//   TURBO = RT, A                the actions that repeat while held; none for no action
//   TURBO PRESS = 30             ms pressed, 10 to 1000
//   TURBO RELEASE = 30           ms released, 10 to 1000
//   WALK = L ALT                 the walk key; none for no key
//   WALK SPEED = 50              % of full deflection while it is held, 1 to 100
//   MACRO F = A 60, 40, B+X 60   the steps F plays, one MACRO line per key: actions joined
//                                with + held for ms, or a pause of ms, 1 to 5000 ms each,
//                                at most 32 steps; in a layer, none takes the base's
//                                macro of F away
//
// The base writes what differs from the defaults, so a text without modes is what it was.
// A layer writes what it changes: the turbo lines go together (the actions and both
// times), and so do the walk lines; a layer that reads only some of them takes the others
// from the base, as the aim set does.

#include "formats/binding_modes.h"
#include "formats/mode_rules.h"
#include "platform/platform_types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qora {

inline constexpr const char* kToggleSetting = "TOGGLE";
inline constexpr const char* kTurboSetting = "TURBO";
inline constexpr const char* kTurboPressSetting = "TURBO PRESS";
inline constexpr const char* kTurboReleaseSetting = "TURBO RELEASE";
inline constexpr const char* kWalkSetting = "WALK";
inline constexpr const char* kWalkSpeedSetting = "WALK SPEED";
inline constexpr const char* kMacroSetting = "MACRO";

// A line of a mode: one of the settings above, a MACRO line of any key included.
bool isModeSetting(std::string_view setting);
// "MACRO F"
std::string macroSetting(std::uint8_t key);

using TextLines = std::vector<std::pair<std::string, std::string>>; // setting, value

// The lines of the base's modes that differ from the defaults, and of what a layer's modes
// change. Values the text has no word for come out as numbers, which reading refuses.
TextLines baseModeLines(const BindingModes& modes, ConsoleMode console);
TextLines layerModeLines(const BindingModes& modes, ConsoleMode console);

// "LC, B" in the order of the actions; none for no action.
std::string actionListText(ActionSet actions, ConsoleMode console);
// "A 60, 40, X+B 60"; none for no step.
std::string macroStepsText(const std::vector<MacroStep>& steps, ConsoleMode console);

// The value of a line, or why the line is refused (the message without the setting).
struct ModeValueReading {
    bool ok = false;
    std::string error;
};

ModeValueReading readActionList(std::string_view text, ConsoleMode console, ActionSet& actions);
ModeValueReading readTurboTime(std::string_view text, std::uint16_t& ms);
ModeValueReading readWalkKey(std::string_view text, std::uint8_t& key);
ModeValueReading readWalkSpeed(std::string_view text, std::uint8_t& percent);
// The steps of a MACRO line, none for none or nothing. A refused step is named by its
// number and text: step 3 "B+Q 60": unknown action Q.
ModeValueReading readMacroSteps(std::string_view text, ConsoleMode console,
                                std::vector<MacroStep>& steps);

// The rules of formats/mode_rules.h broken, in words that begin with the setting of the
// line that shows the break: "MACRO F: F is also bound to A; ...", or, for a layer's
// binding of a key that plays the base's macro, "A: F plays the base's MACRO F; ...";
// "TURBO: LC also toggles; ...".
std::string macroConflictText(const MacroKeyConflict& conflict, ConsoleMode console);
// True when the text shows a conflict at its MACRO line (else at the binding's line).
bool macroConflictShownAtMacro(const MacroKeyConflict& conflict);
std::string toggledAndRepeatedText(ActionSet actions, ConsoleMode console);

// The key of a MACRO line and the text of its steps, from the line's setting and value as
// the text splits them at the first '=': "MACRO F" and "A 60", or, for the key "=",
// "MACRO" and "= A 60".
struct MacroLineReading {
    ModeValueReading reading;
    std::uint8_t key = 0;
    std::string steps;
};
MacroLineReading readMacroLine(std::string_view setting, std::string_view value);

} // namespace qora
