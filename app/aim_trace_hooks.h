#pragma once
// Where the capture run meets the aim trace of the measuring build (trace/aim_trace.h,
// the windows preset with -DQORA_AIM_TRACE=ON): the run's start begins the trace, its
// stop writes it to aim-trace.txt beside qora.exe, and the steps record each mouse read,
// each evaluation of precise aim and each packet. In every other build each hook is an
// empty inline function, so the program holds none of the trace.

#include "app/capture_run.h"
#include "input/mouse_record.h"
#include "trace/aim_trace.h"

#include <cstdint>

namespace qora {

#ifdef QORA_AIM_TRACE

void beginRunTrace(CaptureContext& context);
// Writes the trace of an active run; a stop without a run writes nothing.
void endRunTrace(CaptureServices& services, CaptureContext& context);
// What one read of the mouse returned, before anything took records from it.
void traceMouseRead(CaptureContext& context, AimTraceStep step, std::int64_t nowUs,
                    const MouseRecord* records, std::uint32_t count);
// The velocity and the stick precise aim just wrote as of nowUs (nothing in classic aim).
void tracePreciseAim(CaptureContext& context, AimTraceStep step, std::int64_t nowUs);
// A packet just went out: its time on the clock, after the write.
void traceSentPacket(CaptureServices& services, CaptureContext& context);

#else

inline void beginRunTrace(CaptureContext&) {}
inline void endRunTrace(CaptureServices&, CaptureContext&) {}
inline void traceMouseRead(CaptureContext&, AimTraceStep, std::int64_t, const MouseRecord*,
                           std::uint32_t) {}
inline void tracePreciseAim(CaptureContext&, AimTraceStep, std::int64_t) {}
inline void traceSentPacket(CaptureServices&, CaptureContext&) {}

#endif

} // namespace qora
