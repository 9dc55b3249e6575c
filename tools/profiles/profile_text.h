#pragma once
// A profile as text that people can read, edit and share: one "SETTING = VALUE" per line,
// and comment lines that start with ';' or '#'. Keys, actions and mouse actions go by the
// names the chosen console's Map dialog shows, which the CONSOLE line records:
//
//   CONSOLE = xbox360
//   NAME = "Shooter"
//   X = R, E
//   LT = none
//   MOUSE LEFT = RT
//   DIRECTION = Right Stick
//   INVERT = none
//   ZOOMX = 1.0
//   AIM = precise
//   DEADZONE = 24.5
//   SHAPE = circle
//   EXPONENT = 1.0
//
// An action takes one or two keys ("none" or nothing for no key); INVERT takes none, X, Y
// or X, Y. Export writes the four aim lines (see aim_text.h) all or none, none for a
// profile whose aim bytes are all 0; reading takes a missing one as its field's 0. Unknown invert
// bits and the bytes after the name's NUL are not part of the text: reading always leaves them 0.

#include "formats/profile_record.h"
#include "platform/platform_types.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qora {

// The text of record with the names of console. Export writes only records without an
// export blocker (see record_problems.h): a value the text has no word for comes out as a
// number, which reading refuses.
std::string formatProfileText(const ProfileRecord& record, ConsoleMode console);

struct ProfileTextError {
    std::size_t line; // counted from 1
    std::string message;
};

struct ProfileTextReading {
    ProfileRecord record;
    ConsoleMode console = kConsoleXbox360; // whose names the text was read with
    std::optional<std::string> name;       // the NAME line, when there is one
    std::vector<ProfileTextError> errors;  // in line order; the record is unusable when any
};

// Reads a profile text. The names are those of requested when given (a CONSOLE line that
// says otherwise is an error), else of the CONSOLE line, else of fallback. Lines may come in
// any order; a missing action or mouse line leaves it unbound, a missing DIRECTION is the
// left stick, a missing zoom scale 1.0, a missing aim line the field's 0 (classic, dead
// zone 0, circle, exponent 1.0).
ProfileTextReading readProfileText(std::string_view text, std::optional<ConsoleMode> requested,
                                   ConsoleMode fallback);

// A decimal number as a zoom scale: one with at most two decimals ("0.9", "1.35") is the
// sensitivity grid's float for it (zoomScaleOf), any other the nearest single. Either way
// the single nearest the decimal, which zoomScaleText writes back as it was read.
std::optional<float> readZoomText(std::string_view text);

// A name between double quotes; '\\' and bytes below 0x20 or 0x7F as \xNN escapes.
std::string quoteName(std::string_view name);

} // namespace qora
