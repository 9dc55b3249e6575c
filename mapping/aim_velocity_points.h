#pragma once
// The points of precise aim's velocity estimate: where the mouse had got to at each report
// since the last rest, in a ring of fixed size.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

// Gaps between reports longer than this count as this long, so a slow, halting hand still
// stops within a few tens of milliseconds; the longest report period that is learned.
inline constexpr std::int64_t kAimMaxIntervalUs = 16000;

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

// The points since the last rest, oldest first. The first point after a rest may be where
// the motion began rather than a report.
class AimPointRing {
public:
    std::uint32_t size() const { return count_; }
    // How many of the oldest points mark the motion's start after the last rest: where it
    // began and its first report, or the first report alone; 0 once they dropped out.
    std::uint32_t startPoints() const { return startPoints_; }
    bool empty() const { return count_ == 0; }
    bool full() const { return count_ == kAimPointSlots; }
    const AimReportPoint& at(std::uint32_t index) const {
        return points_[(first_ + index) % kAimPointSlots];
    }
    const AimReportPoint& last() const { return at(count_ - 1); }

    // Once the ring is full the oldest point drops out.
    void append(const AimReportPoint& point);
    // Motion that cannot be told apart in time from the last point's.
    void addToLast(std::int64_t x, std::int64_t y);
    // The points so far are the motion's start.
    void markStart() { startPoints_ = count_; }

    friend bool operator==(const AimPointRing&, const AimPointRing&) = default;

private:
    std::array<AimReportPoint, kAimPointSlots> points_{};
    std::uint32_t first_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t startPoints_ = 0;
};

// Adds one report at timeUs. A report at or before the last point joins it. The first
// report after a rest came within one poll, so its motion began one report period before
// it; without a learned period (0) it only marks where the motion began.
void addReportPoint(AimPointRing& points, std::int64_t timeUs, std::int64_t x, std::int64_t y,
                    std::int64_t reportPeriodUs);

// The counts between two points on the axis that moved more.
std::int64_t busierAxis(const AimReportPoint& from, const AimReportPoint& to);

struct AimIntervals {
    std::int64_t shortestUs = kAimMaxIntervalUs;
    std::int64_t longestUs = 0; // at most kAimMaxIntervalUs
};

// The intervals between the points from start on.
AimIntervals intervalsFrom(const AimPointRing& points, std::uint32_t start);

// How reports came lately, both at most kAimMaxIntervalUs.
struct RecentIntervals {
    std::int64_t longestUs = 0; // how late a report has lately come
    std::int64_t typicalUs = 0; // the median: how often the hand's reports come
};

// The intervals between the points from start on (start below the last point).
RecentIntervals recentIntervalsFrom(const AimPointRing& points, std::uint32_t start);

} // namespace qora
