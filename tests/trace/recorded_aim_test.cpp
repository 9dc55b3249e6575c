// Mouse streams the measuring build recorded under Wine (scripts/aim-moments.sh, cut to one
// steady segment each with `aim-trace cut`), replayed through precise aim on a fake clock.
// A steady hand's stick must stay with the rule: over the steady part the time-weighted
// median within 0.02 of it and the 10th and 90th percentiles within 0.03, no stretch of
// mid-motion longer than 30 ms more than 0.1 from it, no drop to 0 in mid-motion, and the
// stop within 8 ms of the last motion (two report intervals and 2 ms for a mouse slower
// than 500 Hz, which cannot tell a stop sooner). Apart from those in kBenchMisses, the
// streams hold no hold-up of delivery longer than a stop may wait: what they show,
// precise aim can meet.

#include "trace/aim_replay.h"
#include "trace/aim_trace_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>

namespace qora {
namespace {

enum class Bound { median, p10, p90, excursion, drop, stop };

const char* nameOf(Bound bound) {
    switch (bound) {
    case Bound::median:
        return "the median";
    case Bound::p10:
        return "the 10th percentile";
    case Bound::p90:
        return "the 90th percentile";
    case Bound::excursion:
        return "no long excursion";
    case Bound::drop:
        return "no drop to 0";
    case Bound::stop:
        return "the stop";
    }
    return "";
}

constexpr double kMedianWithin = 0.02;
constexpr double kQuantilesWithin = 0.03;
constexpr double kLongestExcursionMs = 30.0;
constexpr double kStopMs = 8.0;

double stopBoundMs(std::int32_t rateHz) {
    return std::max(kStopMs, 2.0 * 1000.0 / rateHz + 2.0);
}

bool meets(Bound bound, const SegmentMeasures& m, std::int32_t rateHz) {
    switch (bound) {
    case Bound::median:
        return std::abs(m.median - m.rule) <= kMedianWithin;
    case Bound::p10:
        return std::abs(m.p10 - m.rule) <= kQuantilesWithin;
    case Bound::p90:
        return std::abs(m.p90 - m.rule) <= kQuantilesWithin;
    case Bound::excursion:
        return m.longestExcursionMs <= kLongestExcursionMs;
    case Bound::drop:
        return m.drops == 0;
    case Bound::stop:
        return m.stopMs >= 0.0 && m.stopMs <= stopBoundMs(rateHz);
    }
    return false;
}

// The recordings, in tests/trace/recordings; each file's comment says what it shows.
constexpr const char* kRecordings[] = {
    "1000hz-4-quiet.txt",
    "1000hz-diagonal-8-quiet.txt",
    "1000hz-0.5-quiet.txt",
    "500hz-diagonal-2-quiet.txt",
    "125hz-0.5-quiet.txt",
    "125hz-8-quiet.txt",
    "1000hz-1-lumps.txt",
    "500hz-2-read-gap-6.6ms.txt",
    "1000hz-1-read-gaps-6ms.txt",
    "1000hz-8-read-gap-6.5ms.txt",
    "500hz-8-one-stamp-read-twice.txt",
    "1000hz-0.5-slow-stop.txt",
    "125hz-8-early-second-read.txt",
    "1000hz-y3-lump-before-stop.txt",
};

// What today's estimator misses, a recording and a bound each. Each fix of a cause takes
// its entries off; an entry whose bound is met fails the test until it is taken off, so
// the list stays true.
struct KnownMiss {
    const char* recording;
    Bound bound;
};
constexpr std::initializer_list<KnownMiss> kKnownMisses = {};

// What the bench delivered that no estimator can meet, kept as the known misses are. The
// stop may come no sooner than 7 ms after the read of the last report, since reads of a
// steady hand come that far apart; a last report that reaches every reader (the bare
// recorder too) more than a millisecond after the hand's last motion leaves the stop no
// way to come within 8 ms.
constexpr std::initializer_list<KnownMiss> kBenchMisses = {
    // The hand's last count was stamped 2.4 ms after the driver sent it and read 0.2 ms
    // later (load 3.6): the stop, 7 ms after that read, is 9.6 ms after the last motion.
    {"1000hz-0.5-slow-stop.txt", Bound::stop},
};

bool listed(std::initializer_list<KnownMiss> misses, const char* recording, Bound bound) {
    return std::any_of(std::begin(misses), std::end(misses), [&](const KnownMiss& miss) {
        return std::strcmp(miss.recording, recording) == 0 && miss.bound == bound;
    });
}

AimTrace loadRecording(const char* name) {
    std::ifstream file(std::string(QORA_AIM_RECORDINGS) + "/" + name, std::ios::binary);
    const AimTraceText text = readAimTrace(file);
    EXPECT_TRUE(text.ok) << name << ":" << text.errorLine << ": " << text.error;
    return text.trace;
}

TEST(RecordedAim, ASteadyHandsStickStaysWithTheRule) {
    constexpr Bound kBounds[] = {Bound::median,    Bound::p10,  Bound::p90,
                                 Bound::excursion, Bound::drop, Bound::stop};
    for (const char* recording : kRecordings) {
        const AimTrace trace = loadRecording(recording);
        ASSERT_FALSE(trace.segments.empty()) << recording;
        const AimReplay replay = replayAimTrace(trace);
        for (const AimTraceSegment& segment : trace.segments) {
            const SegmentMeasures m =
                measureSegment(replay.timeline, segment, trace.curve, trace.mode);
            for (const Bound bound : kBounds) {
                SCOPED_TRACE(std::string(recording) + ", " + nameOf(bound));
                const std::string figures =
                    "rule " + std::to_string(m.rule) + ", median " + std::to_string(m.median) +
                    ", p10 " + std::to_string(m.p10) + ", p90 " + std::to_string(m.p90) +
                    ", excursion " + std::to_string(m.longestExcursionMs) + " ms, drops " +
                    std::to_string(m.drops) + ", stop " + std::to_string(m.stopMs) + " ms";
                if (listed(kKnownMisses, recording, bound) ||
                    listed(kBenchMisses, recording, bound)) {
                    EXPECT_FALSE(meets(bound, m, segment.rateHz))
                        << "met now: take it off its list (" << figures << ")";
                } else {
                    EXPECT_TRUE(meets(bound, m, segment.rateHz)) << figures;
                }
            }
        }
    }
}

} // namespace
} // namespace qora
