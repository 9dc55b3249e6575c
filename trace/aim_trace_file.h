#pragma once
// The aim trace as a text file, one line a record, the program's own numbers unrounded:
//
//   qora-aim-trace 1
//   curve SENSITIVITY_X SENSITIVITY_Y DEAD_ZONE EXPONENT circle|square CONSOLE
//   period MICROSECONDS                      (a trace cut out of a longer one: the report
//   stamps MICROSECONDS                       period and the stamps' resolution learned)
//   dropped N                                (entries that found no room)
//   segment START LAST END VX VY RATE_HZ     (the bench's driver, on the same clock)
//   read TIME STEP [OFFSET DATA TIME_STAMP]...
//   eval TIME STEP VX VY STICK_X STICK_Y
//   packet TIME STICK_X STICK_Y
//
// Times are microseconds on the high-resolution clock, STEP is e (a device event), t (the
// tick) or r (precise aim's own moments), DATA is signed, velocities are counts per
// millisecond and sticks are in the console's stick units. Lines starting with # are
// comments. The measuring build writes it at the run's stop through the file seam, in
// pieces from a small buffer.

#include "platform/file_api.h"
#include "trace/aim_trace.h"

namespace qora {

inline constexpr const char* kAimTraceFileName = "aim-trace.txt";
inline constexpr const char* kAimTraceHeader = "qora-aim-trace 1";

// Writes the whole trace to path + ".new", which then replaces path in one step: a reader
// that sees path sees all of it (the run may take a while to write a long trace). False
// when a call failed.
bool writeAimTrace(FileApi& files, const char* path, const AimTrace& trace);

} // namespace qora
