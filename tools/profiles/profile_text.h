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
//   LAYER = "ADS"
//   WHILE = MOUSE RIGHT
//   DELAY = 150
//   RELEASE DELAY = 0
//   ZOOMX = 0.5
//
// An action takes one or two keys ("none" or nothing for no key); INVERT takes none, X, Y
// or X, Y. Export writes the four aim lines (see aim_text.h) all or none, none for a
// profile whose aim bytes are all 0; reading takes a missing one as its field's 0. Unknown invert
// bits and the bytes after the name's NUL are not part of the text: reading always leaves them 0.
//
// After the base come its layers (formats/layer_record.h), in list order: a LAYER line
// starts one, and the lines after it, up to the next LAYER or the end, belong to it. A
// layer has its trigger, WHILE = KEY (held) or PRESS = KEY (toggled), a key or a mouse button
// (see layer_text.h), DELAY and RELEASE DELAY (ms, 0 to 2000, missing: 0), and a line for
// each thing it changes, as the base writes it: an action's keys ("A = none" unbinds A
// while the layer is on), a mouse input, DIRECTION, INVERT, ZOOMX, ZOOMY, and the aim set.
// Any aim line makes the layer change the whole set; the aim lines it leaves out take the
// base's values, and export writes all four. NAME and CONSOLE belong to the base.
//
// The base and every layer may set binding modes (see mode_text.h): TOGGLE, TURBO with
// TURBO PRESS and TURBO RELEASE, WALK with WALK SPEED, and a MACRO line per key. A key that
// plays a macro has no other binding in effect there (formats/mode_rules.h: in a layer,
// the base's bindings and macros with the layer's over them), and an action toggles or
// repeats, not both: reading refuses either at the line of the block that breaks it.

#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "platform/platform_types.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qora {

// The text of a profile, its base record and its layers, with the names of console. Export
// writes only profiles without an export blocker (see record_problems.h): a value the text
// has no word for comes out as a number, which reading refuses.
std::string formatProfileText(const ProfileRecord& record, const BindingModes& modes,
                              std::span<const LayerRecord> layers, ConsoleMode console);
// The text of a profile whose base has no binding modes.
std::string formatProfileText(const ProfileRecord& record, std::span<const LayerRecord> layers,
                              ConsoleMode console);
// The text of a profile without layers.
std::string formatProfileText(const ProfileRecord& record, ConsoleMode console);

struct ProfileTextError {
    std::size_t line; // counted from 1
    std::string message;
};

struct ProfileTextReading {
    ProfileRecord record;                  // the base
    BindingModes modes;                    // the base's binding modes
    std::vector<LayerRecord> layers;       // in the text's order
    ConsoleMode console = kConsoleXbox360; // whose names the text was read with
    std::optional<std::string> name;       // the NAME line, when there is one
    std::vector<ProfileTextError> errors;  // in line order; the record is unusable when any
};

// Reads a profile text. The names are those of requested when given (a CONSOLE line that
// says otherwise is an error), else of the base's CONSOLE line, else of fallback. Lines may
// come in any order within the base and within a layer; in the base a missing action or
// mouse line leaves it unbound, a missing DIRECTION is the left stick, a missing zoom scale
// 1.0, a missing aim line the field's 0 (classic, dead zone 0, circle, exponent 1.0). A
// layer without a trigger or with two, a ninth layer, a layer name that is empty, longer
// than 31 characters or given twice, and a delay outside 0 to 2000 are errors, and so are
// mode values out of range, a seventeenth macro, a macro given twice for one key, a
// macro's key bound elsewhere and an action that both toggles and repeats.
ProfileTextReading readProfileText(std::string_view text, std::optional<ConsoleMode> requested,
                                   ConsoleMode fallback);

// A decimal number as a zoom scale: one with at most two decimals ("0.9", "1.35") is the
// sensitivity grid's float for it (zoomScaleOf), any other the nearest single. Either way
// the single nearest the decimal, which zoomScaleText writes back as it was read.
std::optional<float> readZoomText(std::string_view text);

// A name between double quotes; '\\' and bytes below 0x20 or 0x7F as \xNN escapes.
std::string quoteName(std::string_view name);

} // namespace qora
