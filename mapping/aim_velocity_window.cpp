#include "mapping/aim_velocity_window.h"

#include "platform/precise_time.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qora {
namespace {

constexpr double kUsPerMs = static_cast<double>(kMicrosecondsPerMillisecond);

// The read-time jitter is at most this; with the period known it is measured on
// intervals of up to this many polls, where the period's own error stays small.
constexpr std::int64_t kMaxJitterUs = 1000;
constexpr std::int64_t kMaxGridPolls = 4;

struct WindowChoice {
    std::uint32_t start = 0; // index of the point the window starts at
    std::int64_t spanUs = 0;
    bool settled = false; // see WindowFit
};

bool meetsMinimum(const AimPointRing& points, std::uint32_t start, const AimWindow& window) {
    const std::uint32_t last = points.size() - 1;
    const AimReportPoint& from = points.at(start);
    const AimReportPoint& to = points.at(last);
    return last - start >= window.minReports && to.timeUs - from.timeUs >= window.minSpanUs &&
           busierAxis(from, to) >= window.minCounts;
}

// Reaches back from the last report until the window meets its minimum, or the next
// point back would be beyond the longest window, or there is none.
WindowChoice shortestWindow(const AimPointRing& points, const AimWindow& window) {
    const std::uint32_t last = points.size() - 1;
    const std::int64_t endUs = points.at(last).timeUs;
    std::uint32_t start = last - 1;
    for (;;) {
        const std::int64_t spanUs = endUs - points.at(start).timeUs;
        if (meetsMinimum(points, start, window)) {
            return {start, spanUs, true};
        }
        if (start == 0) {
            return {start, spanUs, points.full()};
        }
        if (endUs - points.at(start - 1).timeUs > window.maxSpanUs) {
            return {start, spanUs, true};
        }
        --start;
    }
}

double millisBetween(std::int64_t fromUs, std::int64_t toUs) {
    return static_cast<double>(toUs - fromUs) / kUsPerMs;
}

AimVelocity velocityOver(const AimPointRing& points, std::uint32_t start) {
    const AimReportPoint& from = points.at(start);
    const AimReportPoint& to = points.last();
    const double spanMs = millisBetween(from.timeUs, to.timeUs);
    return {static_cast<double>(to.x - from.x) / spanMs,
            static_cast<double>(to.y - from.y) / spanMs};
}

// How far a read time may lie from its report. A mouse reports on a grid of its period
// (skipping polls without motion), so with the period known it is the largest distance
// of a recent interval from the grid; without, half the spread of the intervals (one
// read late and the next early make the spread). Either way at most a millisecond: the
// reads happen at the mouse's event.
double readJitterMs(const AimPointRing& points, std::int64_t periodUs, const AimWindow& window) {
    std::int64_t jitterUs = 0;
    if (periodUs == 0) {
        const AimIntervals intervals = intervalsFrom(points, 0);
        jitterUs = (intervals.longestUs - intervals.shortestUs) / 2;
    } else {
        for (std::uint32_t i = 0; i + 1 < points.size(); ++i) {
            const std::int64_t intervalUs = points.at(i + 1).timeUs - points.at(i).timeUs;
            const std::int64_t polls =
                std::max<std::int64_t>(1, (intervalUs + periodUs / 2) / periodUs);
            if (polls <= kMaxGridPolls) {
                jitterUs =
                    std::max<std::int64_t>(jitterUs, std::llabs(intervalUs - polls * periodUs));
            }
        }
    }
    return std::max(window.minJitterMs,
                    static_cast<double>(std::min(jitterUs, kMaxJitterUs)) / kUsPerMs);
}

// The slopes of the lines through the last point that pass within a tolerance of every
// point seen so far.
struct SlopeRange {
    double low = -INFINITY;
    double high = INFINITY;

    bool holds(double slope) const { return slope >= low && slope <= high; }
    void narrow(std::int64_t counts, std::int64_t endCounts, double beforeEndMs, double tolerance) {
        const double moved = static_cast<double>(endCounts - counts);
        low = std::max(low, (moved - tolerance) / beforeEndMs);
        high = std::min(high, (moved + tolerance) / beforeEndMs);
    }
};

// While the hand keeps its speed, every report lies on one line within a count and the
// jitter, so the window reaches further back, up to the longest window, and the estimate
// gets steadier; the first report off the line (the hand changed speed) ends it.
WindowChoice extendWhileSteady(const AimPointRing& points, WindowChoice choice, double jitterMs,
                               const AimWindow& window) {
    const std::uint32_t last = points.size() - 1;
    const AimReportPoint& end = points.at(last);
    const AimVelocity shortest = velocityOver(points, choice.start);
    const double toleranceX = window.fitCounts + std::abs(shortest.x) * jitterMs;
    const double toleranceY = window.fitCounts + std::abs(shortest.y) * jitterMs;
    SlopeRange rangeX;
    SlopeRange rangeY;
    for (std::uint32_t k = last; k-- > 0;) {
        if (k + 1 < last) {
            const AimReportPoint& inner = points.at(k + 1);
            const double beforeEndMs = millisBetween(inner.timeUs, end.timeUs);
            rangeX.narrow(inner.x, end.x, beforeEndMs, toleranceX);
            rangeY.narrow(inner.y, end.y, beforeEndMs, toleranceY);
        }
        const AimReportPoint& from = points.at(k);
        if (end.timeUs - from.timeUs > window.maxSpanUs) {
            break;
        }
        const double spanMs = millisBetween(from.timeUs, end.timeUs);
        if (!rangeX.holds(static_cast<double>(end.x - from.x) / spanMs) ||
            !rangeY.holds(static_cast<double>(end.y - from.y) / spanMs)) {
            break;
        }
        if (k < choice.start) {
            choice.start = k;
            choice.spanUs = end.timeUs - from.timeUs;
        }
    }
    return choice;
}

} // namespace

WindowFit fitWindow(const AimPointRing& points, std::int64_t reportPeriodUs,
                    const AimWindow& window) {
    const WindowChoice shortest = shortestWindow(points, window);
    const double jitterMs = readJitterMs(points, reportPeriodUs, window);
    const bool extends = shortest.settled && window.fitCounts >= 0.0;
    const WindowChoice choice =
        extends ? extendWhileSteady(points, shortest, jitterMs, window) : shortest;
    return {velocityOver(points, choice.start),
            choice.spanUs,
            choice.settled,
            choice.start < points.startPoints(),
            jitterMs,
            recentIntervalsFrom(points, shortest.start)};
}

} // namespace qora
