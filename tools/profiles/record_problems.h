#pragma once
// What can be wrong with one profile record: each problem names the line of the profile
// text that would show the field. A record whose only problems are left-out bits and keys
// a run keeps can be written as text, and without left-out bits read back byte for byte.

#include "formats/profile_record.h"
#include "platform/platform_types.h"

#include <string>
#include <vector>

namespace qora {

enum class ProblemKind {
    noWord,  // a value the text has no word for: its text would be wrong
    leftOut, // unknown invert bits, which the text leaves out
    runKey,  // a binding on a key a run keeps for itself, which the text names as any key
};

struct RecordProblem {
    ProblemKind kind = ProblemKind::noWord;
    std::string message;
};

// Names without a NUL, key codes without a name, bindings on the keys a run keeps for
// itself (formats/run_keys.h), mouse-action and direction positions outside the console's
// lists, zoom scales outside 0.5 ... 5.0 (NaN and 0 included), a dead zone above 90 %, an
// exponent outside 0.25 ... 4.0, and unknown invert bits.
std::vector<RecordProblem> recordProblems(const ProfileRecord& record, ConsoleMode console);

// The problems that keep a record from being written as text: those of the kind noWord.
std::vector<RecordProblem> exportBlockers(const ProfileRecord& record, ConsoleMode console);

} // namespace qora
