#pragma once
// What can be wrong with one profile, its record and its layers: each problem names the line
// of the profile text that would show the field. A profile whose only problems are left-out
// bits and keys a run keeps can be written as text, and without left-out bits read back byte
// for byte.

#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "platform/platform_types.h"
#include "profiles/switch_keys.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qora {

enum class ProblemKind {
    noWord,  // a value the text has no word for, or that reading refuses: its text would be wrong
    leftOut, // unknown invert bits, which the text leaves out
    runKey,  // a binding or a trigger on a key a run keeps for itself, which the text names as
             // any key
    conflict // a rule of the binding modes broken (formats/mode_rules.h): the text has words
             // for it, but reading refuses it
};

struct RecordProblem {
    ProblemKind kind = ProblemKind::noWord;
    std::string message;
};

// Names without a NUL, key codes without a name, bindings on the keys a run keeps for
// itself (formats/run_keys.h) and on the switch keys of setting.ini's [SWITCH] (which a run
// takes for switching profiles), mouse-action and direction positions
// outside the console's lists, zoom scales outside 0.5 ... 5.0 (NaN and 0 included), a dead
// zone above 90 %, an exponent outside 0.25 ... 4.0, and unknown invert bits.
std::vector<RecordProblem> recordProblems(const ProfileRecord& record, ConsoleMode console,
                                          const SwitchKeyCodes& switchKeys = {});

// More than kMaxLayers layers, then for each layer ("layer 0 \"ADS\": ..."): a name that is
// empty, has no NUL in its field or is another layer's too, a kind that is neither WHILE nor
// PRESS, no trigger or one the text has no name for, a trigger on a key a run keeps or a
// switch key, delays above 2000 ms, and the problems of recordProblems in what it changes.
// Change bits beyond layer_change::all and bytes outside what a layer changes are not
// looked at: layers.bin cannot hold them (layerInRange), and the text has no line for them.
std::vector<RecordProblem> layerProblems(std::span<const LayerRecord> layers, ConsoleMode console,
                                         const SwitchKeyCodes& switchKeys = {});

// The problems of a profile's binding modes, the base's and then each layer's ("layer 0
// \"ADS\": ..."), named by the line of the text that shows them: values out of range, a
// step or a list beyond the last action, a macro without a key, without steps in the base
// or given twice, and keys without a name (noWord); walk and macro keys a run keeps for
// itself or switches with (runKey); the rules of formats/mode_rules.h (conflict). What a
// layer's modes do not change is not looked at: layers.bin cannot hold it.
std::vector<RecordProblem> modeProblems(const ProfileRecord& base, const BindingModes& baseModes,
                                        std::span<const LayerRecord> layers, ConsoleMode console,
                                        const SwitchKeyCodes& switchKeys = {});

// The problems that keep a profile from being written as text: those of the kinds noWord
// and conflict (reading would refuse the text).
std::vector<RecordProblem> exportBlockers(const ProfileRecord& record, ConsoleMode console,
                                          std::span<const LayerRecord> layers = {},
                                          const BindingModes& baseModes = {});

} // namespace qora
