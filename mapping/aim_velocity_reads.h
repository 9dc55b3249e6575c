#pragma once
// The reports of one read of the mouse and when they happened. Adjacent records with one
// dwTimeStamp are one report; button and wheel records carry no motion.
//
// Several reports in one read came late, and their time stamps are coarse milliseconds,
// often bunched by the delay itself: while the mouse moves they are spread evenly over the
// time since the last report, which keeps the motion's average over that time exact. After
// a rest there is no last report, and the time stamps space them, never further back than
// the longest window. Either way, once the stamps' clock is known, no report is placed
// outside the times its stamp allows (aim_velocity_stamps.h): a read that came late puts
// its reports back to when they came, and reports of one stamp that came in two reads
// stay together.

#include "input/mouse_record.h"
#include "mapping/aim_velocity_stamps.h"

#include <cstdint>
#include <optional>

namespace qora {

// The reports with motion in one read.
struct ReadReports {
    std::uint32_t count = 0;
    std::uint32_t lastStamp = 0; // the time stamp of the last of them
};

ReadReports reportsOfRead(const MouseRecord* records, std::uint32_t count);

// When each report with motion of one read happened.
struct ReportPlacement {
    std::int64_t readTimeUs = 0;
    std::int64_t sinceUs = 0; // the last report before the read; 0: by the time stamps
    ReadReports reports;
    std::int64_t maxSpanUs = 0;
    const AimStampClock* stamps = nullptr; // none, or not known yet: the stamps do not bound
    // The read's first report joins the last point, at this time: it carries that point's
    // stamp (see joinsLastPoint).
    std::optional<std::int64_t> firstJoinsUs;

    // The time of the report-th report with motion, whose time stamp is stamp.
    std::int64_t timeOf(std::uint32_t report, std::uint32_t stamp) const;
};

// A report with the stamp of the report before it came within one step of the stamps of
// it. When that step is at most half the mouse's period, it cannot be the mouse's next
// report: the two were handed over together (a report held up on its way, then stamped
// with the next), and it joins the point before rather than standing a read's time apart.
bool joinsLastPoint(std::uint32_t stamp, std::optional<std::uint32_t> lastPointStamp,
                    const AimStampClock& stamps, std::int64_t reportPeriodUs);

// lastReportUs: the last report before the read, none after a rest.
ReportPlacement placeReports(const ReadReports& reports, std::int64_t readTimeUs,
                             std::optional<std::int64_t> lastReportUs, std::int64_t maxSpanUs,
                             const AimStampClock& stamps);

// One report's motion, summed over its records.
struct MotionGroup {
    std::uint32_t timeStamp = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::uint32_t xRecords = 0;
    std::uint32_t yRecords = 0;

    bool moved() const { return x != 0 || y != 0; }
    // A report has one record per axis: more are several reports that came within one
    // millisecond (Wine hands over reports held up on their way that way) and share its
    // time stamp.
    bool joinsReports() const { return xRecords > 1 || yRecords > 1; }
};

// Calls visit for every run of adjacent records with one time stamp, with its motion.
template <typename Visit>
void forEachMotionGroup(const MouseRecord* records, std::uint32_t count, Visit visit) {
    MotionGroup group;
    for (std::uint32_t r = 0; r < count; ++r) {
        const MouseRecord& record = records[r];
        const auto data = static_cast<std::int32_t>(record.dwData);
        if (record.dwOfs == mouse_offset::x) {
            group.x += data;
            ++group.xRecords;
        } else if (record.dwOfs == mouse_offset::y) {
            group.y += data;
            ++group.yRecords;
        }
        if (r + 1 == count || records[r + 1].dwTimeStamp != record.dwTimeStamp) {
            group.timeStamp = record.dwTimeStamp;
            visit(group);
            group = MotionGroup{};
        }
    }
}

// Calls visit(timeUs, group) for every report with motion, in order, at its placed time.
template <typename Visit>
void forEachPlacedReport(const MouseRecord* records, std::uint32_t count,
                         const ReportPlacement& placement, Visit visit) {
    std::uint32_t report = 0;
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        if (group.moved()) {
            visit(placement.timeOf(report++, group.timeStamp), group);
        }
    });
}

} // namespace qora
