#pragma once
// The window of precise aim's velocity estimate: the recent reports the velocity is
// measured over, chosen by count and by time (long enough that one count and the jitter
// of the read times are a small error, short enough to follow the hand), reaching further
// back while every report lies on one line.

#include "mapping/aim_velocity_points.h"

#include <cstdint>

namespace qora {

// Velocity per mouse axis, in counts per millisecond; x to the right, y towards the user.
struct AimVelocity {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const AimVelocity&, const AimVelocity&) = default;
};

// kAimWindow is what the program uses; the measuring tool compares it with alternatives.
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

inline constexpr AimWindow kAimWindow{
    .minSpanUs = 8000,
    .minReports = 2,
    .minCounts = 8,
    .maxSpanUs = 32000,
    .fitCounts = 1.0,
    .bandCounts = 2.0,
    .minJitterMs = 0.1,
};

// The estimate over the chosen window, and what the hold needs to judge it.
struct WindowFit {
    AimVelocity estimate;
    std::int64_t spanUs = 0;
    // False while the window is still growing from the last rest: its estimate is then
    // better than any before it, so the deadband does not hold it back.
    bool settled = false;
    // The window reaches back to the motion's start (AimPointRing::startPoints).
    bool fromMotionStart = false;
    // How far a read time may lie from its report.
    double jitterMs = 0.0;
    // The intervals of the shortest window that meets the minimum: the recent ones, not
    // those of a window reaching back over a slower stretch.
    RecentIntervals recent;
};

// Needs two points or more. reportPeriodUs: 0 while unknown.
WindowFit fitWindow(const AimPointRing& points, std::int64_t reportPeriodUs,
                    const AimWindow& window);

} // namespace qora
