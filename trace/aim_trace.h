#pragma once
// The aim trace of the measuring build (the windows preset with -DQORA_AIM_TRACE=ON):
// every mouse read of a capture run, with what it returned and when it happened on the
// high-resolution clock, beside what precise aim made of it (the velocity and the stick at
// every evaluation) and the time of every packet sent. The run keeps it in memory, in room
// taken once, and writes it at its stop (trace/aim_trace_file.h), so no disk write
// disturbs the timing it measures. The host reads it back (trace/aim_trace_reader.h) and
// replays it through precise aim (trace/aim_replay.h). Normal builds contain none of it:
// app/aim_trace_hooks.h is all the run sees.

#include "input/mouse_record.h"
#include "mapping/aim_curve.h"
#include "mapping/aim_velocity.h"
#include "mapping/mouse_state.h"
#include "platform/platform_types.h"

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

namespace qora {

// The step of the run that read the mouse or evaluated precise aim: at a device event, at
// the tick, or at one of precise aim's own moments (the decay, the stop, the cadence).
enum class AimTraceStep : char { event = 'e', tick = 't', refresh = 'r' };

// One read of the mouse: records[firstRecord .. firstRecord + count - 1] of the trace,
// as the read returned them (possibly none).
struct AimTraceRead {
    std::int64_t timeUs = 0;
    AimTraceStep step = AimTraceStep::event;
    std::uint32_t firstRecord = 0;
    std::uint32_t count = 0;

    friend bool operator==(const AimTraceRead&, const AimTraceRead&) = default;
};

// What precise aim gave at one moment: the velocity and the stick in the console's units
// (MouseState::output, before the profile's direction and inversion).
struct AimTraceEvaluation {
    std::int64_t timeUs = 0;
    AimTraceStep step = AimTraceStep::event;
    AimVelocity velocity;
    MotionPair stick{};

    friend bool operator==(const AimTraceEvaluation&, const AimTraceEvaluation&) = default;
};

// A packet written to the adapter, timed after the write, with the mouse's stick in it.
struct AimTracePacket {
    std::int64_t timeUs = 0;
    MotionPair stick{};

    friend bool operator==(const AimTracePacket&, const AimTracePacket&) = default;
};

using AimTraceEntry = std::variant<AimTraceRead, AimTraceEvaluation, AimTracePacket>;

// A stretch of steady motion as the bench's driver sent it, on the same clock: the first
// and the last motion event, the end of the stretch, the velocity in counts per
// millisecond and the mouse's report rate it imitated.
struct AimTraceSegment {
    std::int64_t startUs = 0;
    std::int64_t lastUs = 0;
    std::int64_t endUs = 0;
    double speedX = 0.0;
    double speedY = 0.0;
    std::int32_t rateHz = 0;

    friend bool operator==(const AimTraceSegment&, const AimTraceSegment&) = default;
};

struct AimTrace {
    AimCurve curve;
    ConsoleMode mode = kConsoleXbox360;
    // What the estimator had learned before the first read, for a trace cut out of a longer
    // one: the report period and the resolution of the time stamps; 0: nothing.
    std::int64_t reportPeriodUs = 0;
    std::int64_t stampResolutionUs = 0;
    std::vector<AimTraceEntry> entries; // in the order they happened
    std::vector<MouseRecord> records;
    std::vector<AimTraceSegment> segments; // added by the bench, not by the program
    // Entries that found no room.
    std::uint64_t dropped = 0;
};

// What a measuring run keeps room for: about six minutes of a 1000 Hz mouse in motion.
inline constexpr std::size_t kAimTraceEntryRoom = 1u << 20;
inline constexpr std::size_t kAimTraceRecordRoom = 1u << 20;

// Takes the room once; the trace never grows beyond it, so recording allocates nothing.
void reserveAimTrace(AimTrace& trace, std::size_t entries, std::size_t records);

// A run starts: what was recorded goes, the room stays.
void beginAimTrace(AimTrace& trace, const AimCurve& curve, ConsoleMode mode);

// Each adds to the trace while there is room, and counts what found none.
void traceRead(AimTrace& trace, AimTraceStep step, std::int64_t timeUs, const MouseRecord* records,
               std::uint32_t count);
void traceEvaluation(AimTrace& trace, const AimTraceEvaluation& evaluation);
void tracePacket(AimTrace& trace, const AimTracePacket& packet);

} // namespace qora
