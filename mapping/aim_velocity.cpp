#include "mapping/aim_velocity.h"

#include "mapping/aim_velocity_reads.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace qora {

// Long after a stop the estimator rests: everything goes but the learned period and what
// it is learned from.
void AimVelocityEstimator::restIfStoppedLongAgo(std::int64_t nowUs) {
    if (phase_ != AimPhase::atRest && stoppedLongAgo(hold_, nowUs)) {
        points_ = AimPointRing{};
        hold_ = AimHold{};
        phase_ = AimPhase::atRest;
    }
}

// Motion soon after the stop goes on from the reports before it.
void AimVelocityEstimator::goOnAfterStop() {
    if (phase_ == AimPhase::stopped) {
        phase_ = points_.size() < 2 ? AimPhase::firstReport : AimPhase::moving;
    }
}

// A report that does not teach the period breaks the run of reports it is learned from.
void AimVelocityEstimator::addReport(std::int64_t timeUs, std::int64_t x, std::int64_t y,
                                     bool teachesPeriod) {
    period_.learn(timeUs, teachesPeriod ? std::max(std::llabs(x), std::llabs(y)) : 0);
    addReportPoint(points_, timeUs, x, y, period_.periodUs());
}

// The hold and the stop run from the read that brought the last report, not from when its
// stamp says it came: a read that came late says nothing about the reports after it, which
// will come as late. (A report is never placed after its read.)
void AimVelocityEstimator::evaluate(AimVelocity shown, std::int64_t readTimeUs,
                                    const AimWindow& window) {
    const std::int64_t lastReportUs = std::max(points_.last().timeUs, readTimeUs);
    if (points_.size() < 2) {
        // A lone first report without a learned period: its interval is unknown, so it
        // only marks where the motion began, and waits for a second report.
        setDeadlines(hold_, lastReportUs, {kAimMaxIntervalUs, kAimMaxIntervalUs});
        phase_ = AimPhase::firstReport;
        return;
    }
    const WindowFit fit = fitWindow(points_, period_.periodUs(), window);
    holdEstimate(hold_, fit, shown, window);
    setDeadlines(hold_, lastReportUs, fit.recent);
    phase_ = AimPhase::moving;
}

// The value at nowUs from what the last report left, without changing anything. A stop
// after a first report alone holds 0: no value was made since the rest.
AimVelocity AimVelocityEstimator::velocityAt(std::int64_t nowUs) const {
    switch (phase_) {
    case AimPhase::atRest:
    case AimPhase::firstReport:
        return {};
    case AimPhase::moving:
    case AimPhase::stopped:
        return heldVelocityAt(hold_, nowUs);
    }
    return {};
}

namespace {

// Only a report that came alone, read at its own time, tells the mouse's period: the others
// were placed by a guess, or are several reports under one time stamp.
bool teachesPeriod(const ReadReports& reports, const MotionGroup& report) {
    return reports.count == 1 && !report.joinsReports();
}

// The stamp of the read's first report with motion.
std::uint32_t firstStampOf(const MouseRecord* records, std::uint32_t count) {
    std::optional<std::uint32_t> first;
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        if (group.moved() && !first) {
            first = group.timeStamp;
        }
    });
    return first.value_or(0);
}

void learnStamps(AimStampClock& stamps, const MouseRecord* records, std::uint32_t count,
                 std::int64_t readTimeUs, const ReadReports& reports) {
    stamps.learnRead(readTimeUs, reports.lastStamp);
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        if (group.moved()) {
            stamps.learnStep(group.timeStamp);
        }
    });
}

} // namespace

void addMotionRecords(AimVelocityEstimator& estimator, const MouseRecord* records,
                      std::uint32_t count, std::int64_t readTimeUs, const AimWindow& window) {
    if (records == nullptr) {
        return;
    }
    count = std::min(count, static_cast<std::uint32_t>(kMouseRecordCapacity));
    const ReadReports reports = reportsOfRead(records, count);
    if (reports.count == 0) {
        return;
    }
    estimator.restIfStoppedLongAgo(readTimeUs);
    estimator.goOnAfterStop();
    const AimVelocity shown = estimator.velocityAt(readTimeUs);
    learnStamps(estimator.stamps_, records, count, readTimeUs, reports);
    const AimPointRing& points = estimator.points_;
    const std::optional<std::int64_t> lastReportUs =
        points.empty() ? std::nullopt : std::optional(points.last().timeUs);
    ReportPlacement placement =
        placeReports(reports, readTimeUs, lastReportUs, window.maxSpanUs, estimator.stamps_);
    if (lastReportUs && joinsLastPoint(firstStampOf(records, count), estimator.lastPointStamp_,
                                       estimator.stamps_, estimator.period_.periodUs())) {
        placement.firstJoinsUs = *lastReportUs;
    }
    estimator.lastPointStamp_ = reports.lastStamp;
    forEachPlacedReport(
        records, count, placement, [&](std::int64_t timeUs, const MotionGroup& report) {
            estimator.addReport(timeUs, report.x, report.y, teachesPeriod(reports, report));
        });
    estimator.evaluate(shown, readTimeUs, window);
}

AimVelocity currentVelocity(AimVelocityEstimator& estimator, std::int64_t nowUs) {
    estimator.restIfStoppedLongAgo(nowUs);
    if (estimator.phase_ != AimPhase::atRest && nowUs >= estimator.hold_.stopUs) {
        estimator.phase_ = AimPhase::stopped;
    }
    return estimator.velocityAt(nowUs);
}

std::int64_t nextVelocityChange(const AimVelocityEstimator& estimator, std::int64_t nowUs) {
    switch (estimator.phase_) {
    case AimPhase::atRest:
    case AimPhase::stopped:
        return kNeverUs;
    case AimPhase::firstReport:
        return estimator.hold_.stopUs;
    case AimPhase::moving:
        return nextHeldChange(estimator.hold_, nowUs);
    }
    return kNeverUs;
}

bool velocityAtRest(const AimVelocityEstimator& estimator) {
    const AimPhase phase = estimator.phase();
    return phase == AimPhase::atRest || phase == AimPhase::stopped;
}

} // namespace qora
