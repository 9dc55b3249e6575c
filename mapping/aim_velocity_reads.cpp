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

std::int64_t ReportPlacement::timeOf(std::uint32_t report, std::uint32_t stamp) const {
    if (sinceUs != 0) {
        return sinceUs + (readTimeUs - sinceUs) * (report + 1) / reports.count;
    }
    const std::int64_t earlierUs = std::min<std::int64_t>(
        static_cast<std::uint32_t>(reports.lastStamp - stamp) * kMicrosecondsPerMillisecond,
        maxSpanUs);
    return readTimeUs - earlierUs;
}

ReportPlacement placeReports(const ReadReports& reports, std::int64_t readTimeUs,
                             std::optional<std::int64_t> lastReportUs, std::int64_t maxSpanUs) {
    ReportPlacement placement{readTimeUs, 0, reports, maxSpanUs};
    if (lastReportUs && reports.count > 1 && *lastReportUs < readTimeUs) {
        placement.sinceUs = *lastReportUs;
    }
    return placement;
}

} // namespace qora
