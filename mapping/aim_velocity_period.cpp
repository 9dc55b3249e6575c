#include "mapping/aim_velocity_period.h"

#include "mapping/aim_velocity_points.h"

#include <algorithm>

namespace qora {
namespace {

// Reports that carry this many counts or more come at every poll.
constexpr std::int64_t kPeriodMinCounts = 2;
constexpr std::int64_t kMinPeriodUs = 100; // 10 kHz
constexpr std::int64_t kMaxPeriodUs = kAimMaxIntervalUs;

} // namespace

void AimReportPeriod::learn(std::int64_t timeUs, std::int64_t counts) {
    if (counts < kPeriodMinCounts) {
        reports_ = 0;
        return;
    }
    if (reports_ != 0) {
        const std::int64_t lastUs = reportsUs_[reports_ - 1];
        if (timeUs <= lastUs) {
            return; // joins the report before it
        }
        if (timeUs - lastUs > kMaxPeriodUs) {
            reports_ = 0;
        }
    }
    if (reports_ == reportsUs_.size()) {
        std::copy(reportsUs_.begin() + 1, reportsUs_.end(), reportsUs_.begin());
        --reports_;
    }
    reportsUs_[reports_++] = timeUs;
    if (reports_ == reportsUs_.size()) {
        periodUs_ = std::clamp<std::int64_t>((reportsUs_.back() - reportsUs_.front()) /
                                                 static_cast<std::int64_t>(kAimPeriodIntervals),
                                             kMinPeriodUs, kMaxPeriodUs);
    }
}

} // namespace qora
