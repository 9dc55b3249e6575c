#include "mapping/aim_velocity_hold.h"

#include "platform/precise_time.h"

#include <algorithm>
#include <cmath>

namespace qora {
namespace {

constexpr double kUsPerMs = static_cast<double>(kMicrosecondsPerMillisecond);

// The hand's next report is due a typical interval after the last one, and the longest
// recent interval tells how much later reports have lately come (Wine holding them up, a
// slow hand's uneven counts). The velocity decays once the gap since the last report is
// half a typical interval longer than the longest recent one, and a millisecond more for
// the jitter of the reads; it is 0 a typical interval and half a millisecond after the
// longest (for a steady hand, two intervals). The longest counted twice waited twice for
// one report held up: a lump under one stamp just before the stop, or a slow hand's last
// count read late, made the stop wait 9 to 11 ms.
constexpr std::int64_t kDecayMarginUs = 1000;
constexpr std::int64_t kStopMarginUs = 500;
// Neither comes sooner than a few milliseconds: reports held up on their way (Wine, a busy
// machine: a few times a second by up to 5 ms, and reads of a steady hand 6 to 7 ms apart
// a few times a run even on a quiet machine) would otherwise make the stick sag and drop
// to 0 between reports of a steady hand. Waiting 7 ms still leaves the stop, due within
// 8 ms of the hand's last motion, the fraction of a millisecond its last report takes to
// be read.
constexpr std::int64_t kMinDecayUs = 4000;
constexpr std::int64_t kMinStopUs = 7000;
// While it decays it is evaluated again this often.
constexpr std::int64_t kDecayStepUs = 2000;

// The estimate wobbles by up to a count at either end of the window, over its time, and
// by the velocity times the jitter of the read times at either end.
bool leavesBand(double estimate, double shown, std::int64_t spanUs, double jitterMs,
                const AimWindow& window) {
    const double band = (window.bandCounts + 2.0 * std::abs(estimate) * jitterMs) /
                        (static_cast<double>(spanUs) / kUsPerMs);
    return std::abs(estimate - shown) > band;
}

std::int64_t decayAfter(const RecentIntervals& intervals) {
    return std::max(intervals.longestUs + intervals.typicalUs / 2 + kDecayMarginUs, kMinDecayUs);
}

std::int64_t stopAfter(const RecentIntervals& intervals) {
    return std::max(intervals.longestUs + intervals.typicalUs + kStopMarginUs, kMinStopUs);
}

} // namespace

void holdEstimate(AimHold& hold, const WindowFit& fit, AimVelocity shown, const AimWindow& window) {
    const AimVelocity& estimate = fit.estimate;
    const bool pastStart = hold.fromMotionStart && !fit.fromMotionStart;
    const bool changed = !hold.settled || !fit.settled || pastStart ||
                         leavesBand(estimate.x, shown.x, fit.spanUs, fit.jitterMs, window) ||
                         leavesBand(estimate.y, shown.y, fit.spanUs, fit.jitterMs, window);
    hold.velocity = changed ? estimate : shown;
    hold.fromMotionStart = changed ? fit.fromMotionStart : hold.fromMotionStart;
    hold.settled = fit.settled;
    hold.windowSpanUs = fit.spanUs;
}

void setDeadlines(AimHold& hold, std::int64_t lastReportUs, const RecentIntervals& intervals) {
    hold.lastReportUs = lastReportUs;
    hold.stopUs = lastReportUs + stopAfter(intervals);
    hold.decayStartUs = std::min(lastReportUs + decayAfter(intervals), hold.stopUs);
}

AimVelocity heldVelocityAt(const AimHold& hold, std::int64_t nowUs) {
    if (nowUs >= hold.stopUs) {
        return {};
    }
    if (nowUs < hold.decayStartUs) {
        return hold.velocity;
    }
    // The window's end moves to the last step of the decay, so the motion it holds is
    // spread over ever more time.
    const std::int64_t steps = (nowUs - hold.decayStartUs) / kDecayStepUs;
    const std::int64_t endUs = hold.decayStartUs + steps * kDecayStepUs;
    const double factor = static_cast<double>(hold.windowSpanUs) /
                          static_cast<double>(hold.windowSpanUs + (endUs - hold.lastReportUs));
    return {hold.velocity.x * factor, hold.velocity.y * factor};
}

std::int64_t nextHeldChange(const AimHold& hold, std::int64_t nowUs) {
    if (nowUs >= hold.stopUs) {
        return hold.stopUs;
    }
    if (nowUs < hold.decayStartUs) {
        return hold.decayStartUs;
    }
    const std::int64_t steps = (nowUs - hold.decayStartUs) / kDecayStepUs + 1;
    return std::min(hold.decayStartUs + steps * kDecayStepUs, hold.stopUs);
}

bool stoppedLongAgo(const AimHold& hold, std::int64_t nowUs) {
    return nowUs >= hold.stopUs && nowUs - hold.lastReportUs > kAimMaxIntervalUs;
}

} // namespace qora
