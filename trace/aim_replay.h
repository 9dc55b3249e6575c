#pragma once
// An aim trace replayed through precise aim on a fake clock, and what the bench measures
// of a stick's timeline over each steady segment the driver sent.
//
// The replay takes the program's own steps: each read's records go to
// readPreciseAimRecords at the read's time, and the velocity goes through the trace's
// curve into stick units (currentVelocity, deflectionFor, stickUnitsFor) after every read,
// at every moment the estimator names (nextVelocityChange) and at every evaluation the
// program recorded. Unlike the run, it is never late for a moment: what the run's timing
// adds shows in the recorded packets (packetTimeline).

#include "trace/aim_trace.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qora {

// The stick from timeUs on, until the next change.
struct StickChange {
    std::int64_t timeUs = 0;
    MotionPair stick{};

    friend bool operator==(const StickChange&, const StickChange&) = default;
};

struct AimReplay {
    std::vector<StickChange> timeline; // every change; the centre before the first
    // The program's own evaluations in the trace, and those the replay gave otherwise
    // (a trace made by another estimator, or a replay that is not the program's path).
    std::size_t evaluations = 0;
    std::size_t differing = 0;
    std::int64_t firstDifferenceUs = -1;
};

AimReplay replayAimTrace(const AimTrace& trace);

// What the estimator had learned from the trace's reads before timeUs: what a trace cut out
// at timeUs keeps as its `period` and `stamps`.
struct Learned {
    std::int64_t reportPeriodUs = 0;
    std::int64_t stampResolutionUs = 0;
};
Learned learnedBefore(const AimTrace& trace, std::int64_t timeUs);

// Segments first to last (from 0) of a whole trace with their reads, from marginUs before
// the first segment's start to marginUs after the last one's end, and the report period
// learned before: a small trace that replays within its segments as the whole did, when
// the margin falls in the rests between segments. Evaluations and packets stay behind.
AimTrace cutAimTrace(const AimTrace& whole, std::size_t first, std::size_t last,
                     std::int64_t marginUs);

// The stick of every packet the program recorded; the centre before the first.
std::vector<StickChange> packetTimeline(const AimTrace& trace);

// The bench's rules for a steady segment (times from the segment's first motion event).
inline constexpr std::int64_t kSteadyAfterUs = 120000;   // the steady part starts here
inline constexpr std::int64_t kMidMotionAfterUs = 20000; // mid-motion: from here to the last event
inline constexpr double kExcursionBeyond = 0.1;          // a moment this far from the rule
inline constexpr std::int64_t kStopSearchUs = 1000000;   // the stop is looked for this long

struct SegmentMeasures {
    double rule = 0.0; // the deflection the curve gives the segment's velocity
    // The stick's magnitude (0 to 1) over the steady part, weighted by time.
    double median = 0.0;
    double p10 = 0.0;
    double p90 = 0.0;
    // In mid-motion: the longest stretch more than kExcursionBeyond from the rule, and the
    // stretches at 0 (how many, the longest), in milliseconds.
    double longestExcursionMs = 0.0;
    int drops = 0;
    double longestDropMs = 0.0;
    // From the first motion event to the first deflection, and from the last motion event
    // to the stick back at the centre; -1 when it did not happen.
    double onsetMs = -1.0;
    double stopMs = -1.0;
};

SegmentMeasures measureSegment(const std::vector<StickChange>& timeline,
                               const AimTraceSegment& segment, const AimCurve& curve,
                               ConsoleMode mode);

} // namespace qora
