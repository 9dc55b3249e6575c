#pragma once
// Reads an aim trace back from its text (trace/aim_trace_file.h): the host's replay, its
// tests and the bench's tools.

#include "trace/aim_trace.h"

#include <cstddef>
#include <istream>
#include <string>

namespace qora {

struct AimTraceText {
    bool ok = false;
    AimTrace trace;
    // When not ok: the first line that could not be read (from 1) and why.
    std::size_t errorLine = 0;
    std::string error;
};

AimTraceText readAimTrace(std::istream& text);

} // namespace qora
