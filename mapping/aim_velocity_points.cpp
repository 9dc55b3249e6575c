#include "mapping/aim_velocity_points.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace qora {

void AimPointRing::append(const AimReportPoint& point) {
    if (full()) {
        first_ = (first_ + 1) % kAimPointSlots;
        --count_;
        startPoints_ -= startPoints_ > 0 ? 1 : 0;
    }
    points_[(first_ + count_) % kAimPointSlots] = point;
    ++count_;
}

void AimPointRing::addToLast(std::int64_t x, std::int64_t y) {
    AimReportPoint& point = points_[(first_ + count_ - 1) % kAimPointSlots];
    point.x += x;
    point.y += y;
}

void addReportPoint(AimPointRing& points, std::int64_t timeUs, std::int64_t x, std::int64_t y,
                    std::int64_t reportPeriodUs) {
    if (points.empty()) {
        if (reportPeriodUs > 0) {
            points.append({timeUs - reportPeriodUs, 0, 0});
        }
        points.append({timeUs, x, y});
        points.markStart();
        return;
    }
    const AimReportPoint& last = points.last();
    if (timeUs <= last.timeUs) {
        points.addToLast(x, y);
        return;
    }
    points.append({timeUs, last.x + x, last.y + y});
}

std::int64_t busierAxis(const AimReportPoint& from, const AimReportPoint& to) {
    return std::max(std::llabs(to.x - from.x), std::llabs(to.y - from.y));
}

AimIntervals intervalsFrom(const AimPointRing& points, std::uint32_t start) {
    AimIntervals intervals;
    for (std::uint32_t i = start; i + 1 < points.size(); ++i) {
        const std::int64_t intervalUs = points.at(i + 1).timeUs - points.at(i).timeUs;
        intervals.shortestUs = std::min(intervals.shortestUs, intervalUs);
        intervals.longestUs = std::max(intervals.longestUs, intervalUs);
    }
    intervals.longestUs = std::min(intervals.longestUs, kAimMaxIntervalUs);
    return intervals;
}

RecentIntervals recentIntervalsFrom(const AimPointRing& points, std::uint32_t start) {
    std::array<std::int64_t, kAimPointSlots> intervalsUs{};
    std::uint32_t count = 0;
    for (std::uint32_t i = start; i + 1 < points.size(); ++i) {
        intervalsUs[count++] = points.at(i + 1).timeUs - points.at(i).timeUs;
    }
    // The lower of the middle two when they are even: with two intervals, the shorter.
    const auto middle = intervalsUs.begin() + (count - 1) / 2;
    std::nth_element(intervalsUs.begin(), middle, intervalsUs.begin() + count);
    const std::int64_t longestUs = *std::max_element(middle, intervalsUs.begin() + count);
    return {std::min(longestUs, kAimMaxIntervalUs), std::min(*middle, kAimMaxIntervalUs)};
}

} // namespace qora
