#include "mapping/aim_velocity_reads.h"

#include "platform/precise_time.h"

#include <algorithm>

namespace qora {

ReadReports reportsOfRead(const MouseRecord* records, std::uint32_t count) {
    ReadReports reports;
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        if (group.moved()) {
            ++reports.count;
            reports.lastStamp = group.timeStamp;
        }
    });
    return reports;
}

namespace {

std::int64_t spreadTimeOf(const ReportPlacement& placement, std::uint32_t report,
                          std::uint32_t stamp) {
    const std::int64_t readTimeUs = placement.readTimeUs;
    if (placement.sinceUs != 0) {
        return placement.sinceUs +
               (readTimeUs - placement.sinceUs) * (report + 1) / placement.reports.count;
    }
    const std::int64_t earlierUs =
        std::min<std::int64_t>(static_cast<std::uint32_t>(placement.reports.lastStamp - stamp) *
                                   kMicrosecondsPerMillisecond,
                               placement.maxSpanUs);
    return readTimeUs - earlierUs;
}

} // namespace

std::int64_t ReportPlacement::timeOf(std::uint32_t report, std::uint32_t stamp) const {
    if (report == 0 && firstJoinsUs) {
        return *firstJoinsUs;
    }
    const std::int64_t spreadUs = spreadTimeOf(*this, report, stamp);
    if (stamps == nullptr || !stamps->known()) {
        return spreadUs;
    }
    const StampWindow window = stamps->windowOf(stamp);
    return std::min(std::clamp(spreadUs, window.earliestUs, window.latestUs), readTimeUs);
}

bool joinsLastPoint(std::uint32_t stamp, std::optional<std::uint32_t> lastPointStamp,
                    const AimStampClock& stamps, std::int64_t reportPeriodUs) {
    return lastPointStamp && *lastPointStamp == stamp && stamps.known() &&
           reportPeriodUs >= 2 * stamps.resolutionUs();
}

ReportPlacement placeReports(const ReadReports& reports, std::int64_t readTimeUs,
                             std::optional<std::int64_t> lastReportUs, std::int64_t maxSpanUs,
                             const AimStampClock& stamps) {
    ReportPlacement placement{readTimeUs, 0, reports, maxSpanUs, &stamps, std::nullopt};
    if (lastReportUs && reports.count > 1 && *lastReportUs < readTimeUs) {
        placement.sinceUs = *lastReportUs;
    }
    return placement;
}

} // namespace qora
