#pragma once
// The mouse velocity of precise aim, in counts per millisecond, measured over real time:
// each mouse report is placed on the high-resolution clock at the moment it was read, and
// the velocity is the motion over a window of recent reports divided by the window's
// time. The window adapts by count and by time: long enough that one count and the
// jitter of the read times are a small error, short enough to follow the hand. A
// deadband holds the value steady at a constant hand speed; between reports it holds,
// after a gap clearly longer than the recent report interval it decays, and after about
// two intervals it is exactly 0. Motion that comes again soon after that goes on from the
// reports before it; after a longer rest it starts afresh. Fixed-size state, no allocation,
// arithmetic only.

#include "input/mouse_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace qora {

// Velocity per mouse axis, in counts per millisecond; x to the right, y towards the user.
struct AimVelocity {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const AimVelocity&, const AimVelocity&) = default;
};

// Where the mouse had got to at one report: its time on the high-resolution clock and
// the counts moved since the estimator last rested, summed.
struct AimReportPoint {
    std::int64_t timeUs = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;

    friend bool operator==(const AimReportPoint&, const AimReportPoint&) = default;
};

// Enough for the longest window of a 1000 Hz mouse; older points drop out.
inline constexpr std::size_t kAimPointSlots = 64;
// The report period is the mean of this many intervals in a row.
inline constexpr std::size_t kAimPeriodIntervals = 8;

// What nextVelocityChange gives when nothing will change without new motion.
inline constexpr std::int64_t kAimNever = std::numeric_limits<std::int64_t>::max();

struct AimVelocityEstimator {
    // The points since the last rest, oldest first from `first`, a ring of `count`. The
    // first point after a rest may be where the motion began rather than a report.
    std::array<AimReportPoint, kAimPointSlots> points{};
    std::uint32_t first = 0;
    std::uint32_t count = 0; // 0: at rest
    // The mouse's report period, learned from fast motion; 0 until then. Kept across
    // rests and runs, and learned again when the mouse's rate changes.
    std::int64_t reportPeriodUs = 0;
    // What the period is learned from, across rests: the times of the latest reports in a
    // row that each carried enough counts and came soon enough after the one before.
    std::array<std::int64_t, kAimPeriodIntervals + 1> periodReportsUs{};
    std::uint32_t periodReports = 0;

    // The velocity as of the last report, and what makes it decay and stop.
    AimVelocity held;
    bool hasValue = false;
    bool heldSettled = false;      // from a window that had grown to its length
    std::int64_t windowSpanUs = 0; // the time of the window behind `held`
    std::int64_t lastReportUs = 0;
    std::int64_t decayStartUs = 0;
    std::int64_t stopUs = 0;
    // The stop has come and the velocity is 0; the reports stay for motion that comes again
    // soon (see stoppedLongAgo).
    bool stopped = false;

    friend bool operator==(const AimVelocityEstimator&, const AimVelocityEstimator&) = default;
};

// The window of the estimate. kAimWindow is what the program uses; the measuring tool
// compares it with alternatives.
struct AimWindow {
    std::int64_t minSpanUs;   // at least this much time ...
    std::uint32_t minReports; // ... this many report intervals ...
    std::int64_t minCounts;   // ... and this many counts on the busier axis,
    std::int64_t maxSpanUs;   // reaching back no further than this.
    // Further back while every report lies within this many counts (plus the velocity
    // times the read-time jitter) of the line the window draws; negative: never further.
    double fitCounts;
    // The deadband: this many counts, plus twice the velocity times the jitter, over the
    // window's time.
    double bandCounts;
    double minJitterMs; // the read-time jitter assumed at least
};

inline constexpr AimWindow kAimWindow{8000, 2, 8, 32000, 1.0, 2.0, 0.1};

// Adds the motion records among records[0 .. count - 1] (count above 256 reads 256),
// read from DirectInput at readTimeUs. Adjacent records with one dwTimeStamp are one
// report; the last report happened at readTimeUs and the earlier ones the difference of
// their time stamps earlier, never before the report before them. Button and wheel
// records are left to the mouse flags.
void addMotionRecords(AimVelocityEstimator& estimator, const MouseRecord* records,
                      std::uint32_t count, std::int64_t readTimeUs,
                      const AimWindow& window = kAimWindow);

// The velocity as of nowUs; once the stop time has passed it is 0 and the estimator
// rests.
AimVelocity currentVelocity(AimVelocityEstimator& estimator, std::int64_t nowUs);

// The earliest time after which currentVelocity may give another value without new
// motion (at most nowUs when that time has already come); kAimNever at rest.
std::int64_t nextVelocityChange(const AimVelocityEstimator& estimator, std::int64_t nowUs);

bool velocityAtRest(const AimVelocityEstimator& estimator);

} // namespace qora
