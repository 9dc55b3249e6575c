#pragma once
// What can be wrong with one profile record: each problem names the line of the profile
// text that would show the field. A record without problems other than left-out ones
// can be written as text and read back byte for byte.

#include "formats/profile_record.h"
#include "platform/platform_types.h"

#include <string>
#include <vector>

namespace qora {

struct RecordProblem {
    // Unknown invert bits: the text leaves them out, so they keep export from nothing;
    // every other problem is a value the text has no word for.
    bool leftOut = false;
    std::string message;
};

// Names without a NUL, key codes without a name, mouse-action and direction positions
// outside the console's lists, zoom scales outside 0.5 ... 5.0 (NaN and 0 included), a
// dead zone above 90 %, an exponent outside 0.25 ... 4.0, and unknown invert bits.
std::vector<RecordProblem> recordProblems(const ProfileRecord& record, ConsoleMode console);

// The problems that keep a record from being written as text.
std::vector<RecordProblem> exportBlockers(const ProfileRecord& record, ConsoleMode console);

} // namespace qora
