#include "mapping/aim_velocity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qora {
namespace {

constexpr double kUsPerMs = 1000.0;
constexpr std::int64_t kUsPerStampMs = 1000;

// Gaps longer than this count as this long when they set the decay and the stop, so a
// slow, halting hand still stops within a few tens of milliseconds.
constexpr std::int64_t kMaxIntervalUs = 16000;
// The velocity decays once the gap since the last report is half as long again as the
// longest recent interval, and a millisecond more for the jitter of the reads.
constexpr std::int64_t kDecayIntervalsTimesTwo = 3;
constexpr std::int64_t kDecayMarginUs = 1000;
// It is 0 after two of the longest recent intervals. Neither comes sooner than a few
// milliseconds: reports held up on their way (Wine, a busy machine, a few times a second
// by up to 5 ms) would otherwise make the stick sag and drop to 0 between reports of a
// steady hand.
constexpr std::int64_t kMinDecayUs = 4000;
constexpr std::int64_t kStopIntervals = 2;
constexpr std::int64_t kStopMarginUs = 500;
constexpr std::int64_t kMinStopUs = 6000;
// While it decays it is evaluated again this often.
constexpr std::int64_t kDecayStepUs = 2000;

// Reports that carry this many counts or more come at every poll.
constexpr std::int64_t kPeriodMinCounts = 2;
constexpr std::int64_t kMinPeriodUs = 100; // 10 kHz
constexpr std::int64_t kMaxPeriodUs = kMaxIntervalUs;

// The read-time jitter is at most this; with the period known it is measured on
// intervals of up to this many polls, where the period's own error stays small.
constexpr std::int64_t kMaxJitterUs = 1000;
constexpr std::int64_t kMaxGridPolls = 4;

AimReportPoint& pointAt(AimVelocityEstimator& estimator, std::uint32_t index) {
    return estimator.points[(estimator.first + index) % kAimPointSlots];
}
const AimReportPoint& pointAt(const AimVelocityEstimator& estimator, std::uint32_t index) {
    return estimator.points[(estimator.first + index) % kAimPointSlots];
}

std::int64_t busierAxis(const AimReportPoint& from, const AimReportPoint& to) {
    return std::max(std::llabs(to.x - from.x), std::llabs(to.y - from.y));
}

// Everything goes but the learned period and what it is learned from.
void rest(AimVelocityEstimator& estimator) {
    AimVelocityEstimator rested;
    rested.reportPeriodUs = estimator.reportPeriodUs;
    rested.periodReportsUs = estimator.periodReportsUs;
    rested.periodReports = estimator.periodReports;
    estimator = rested;
}

// At the stop the velocity is 0, but the reports stay: motion that comes again within
// the longest interval (a slow hand's next count, reports held up on their way) goes on
// from them instead of starting over as if from rest.
bool stoppedLongAgo(const AimVelocityEstimator& estimator, std::int64_t nowUs) {
    return estimator.count != 0 && nowUs >= estimator.stopUs &&
           nowUs - estimator.lastReportUs > kMaxIntervalUs;
}

void appendPoint(AimVelocityEstimator& estimator, const AimReportPoint& point) {
    if (estimator.count == kAimPointSlots) {
        estimator.first = (estimator.first + 1) % kAimPointSlots;
        --estimator.count;
    }
    pointAt(estimator, estimator.count) = point;
    ++estimator.count;
}

// The period is the mean interval of kAimPeriodIntervals reports in a row that each
// carried kPeriodMinCounts or more, each within kMaxPeriodUs of the one before: motion that
// fast has a count at every poll, so the interval is the mouse's own period. The run goes
// on across rests, so a mouse whose rate was switched is learned again within a few
// reports, even when each of them comes after what looked like a stop.
void learnReportPeriod(AimVelocityEstimator& estimator, std::int64_t timeUs, std::int64_t counts) {
    std::uint32_t& reports = estimator.periodReports;
    auto& times = estimator.periodReportsUs;
    if (counts < kPeriodMinCounts) {
        reports = 0;
        return;
    }
    if (reports != 0) {
        const std::int64_t lastUs = times[reports - 1];
        if (timeUs <= lastUs) {
            return; // joins the report before it
        }
        if (timeUs - lastUs > kMaxPeriodUs) {
            reports = 0;
        }
    }
    if (reports == times.size()) {
        std::copy(times.begin() + 1, times.end(), times.begin());
        --reports;
    }
    times[reports++] = timeUs;
    if (reports == times.size()) {
        estimator.reportPeriodUs = std::clamp<std::int64_t>(
            (times.back() - times.front()) / static_cast<std::int64_t>(kAimPeriodIntervals),
            kMinPeriodUs, kMaxPeriodUs);
    }
}

// A report at or before the last point joins it: the two cannot be told apart in time.
// The first report after a rest came within one poll, so its motion began one report
// period before it; without a learned period it only marks where the motion began.
void addReport(AimVelocityEstimator& estimator, std::int64_t timeUs, std::int64_t x,
               std::int64_t y) {
    learnReportPeriod(estimator, timeUs, std::max(std::llabs(x), std::llabs(y)));
    if (estimator.count == 0) {
        if (estimator.reportPeriodUs > 0) {
            appendPoint(estimator, {timeUs - estimator.reportPeriodUs, 0, 0});
        }
        appendPoint(estimator, {timeUs, x, y});
        return;
    }
    AimReportPoint& last = pointAt(estimator, estimator.count - 1);
    if (timeUs <= last.timeUs) {
        last.x += x;
        last.y += y;
        return;
    }
    appendPoint(estimator, {timeUs, last.x + x, last.y + y});
}

struct MotionGroup {
    std::uint32_t timeStamp = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;

    bool moved() const { return x != 0 || y != 0; }
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
        } else if (record.dwOfs == mouse_offset::y) {
            group.y += data;
        }
        if (r + 1 == count || records[r + 1].dwTimeStamp != record.dwTimeStamp) {
            group.timeStamp = record.dwTimeStamp;
            visit(group);
            group = MotionGroup{};
        }
    }
}

// When the reports of one read happened. Several reports in one read came late, and
// their time stamps are coarse milliseconds, often bunched by the delay itself: while
// the mouse moves they are spread evenly over the time since the last report, which keeps
// the motion's average over that time exact. After a rest there is no last report, and
// the time stamps space them, never further back than the longest window.
struct ReportPlacement {
    std::int64_t readTimeUs = 0;
    std::int64_t sinceUs = 0;  // the last report before the read; 0: by the time stamps
    std::uint32_t reports = 0; // with motion, in the read
    std::int64_t maxSpanUs = 0;

    std::int64_t timeOf(std::uint32_t report, std::uint32_t lastStamp, std::uint32_t stamp) const {
        if (sinceUs != 0) {
            return sinceUs + (readTimeUs - sinceUs) * (report + 1) / reports;
        }
        const std::int64_t earlierUs = std::min<std::int64_t>(
            static_cast<std::uint32_t>(lastStamp - stamp) * kUsPerStampMs, maxSpanUs);
        return readTimeUs - earlierUs;
    }
};

ReportPlacement placeReports(const AimVelocityEstimator& estimator, const MouseRecord* records,
                             std::uint32_t count, std::int64_t readTimeUs,
                             const AimWindow& window) {
    ReportPlacement placement{readTimeUs, 0, 0, window.maxSpanUs};
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        placement.reports += group.moved() ? 1 : 0;
    });
    if (estimator.count != 0 && placement.reports > 1) {
        const std::int64_t lastUs = pointAt(estimator, estimator.count - 1).timeUs;
        if (lastUs < readTimeUs) {
            placement.sinceUs = lastUs;
        }
    }
    return placement;
}

struct WindowChoice {
    std::uint32_t start = 0; // index of the point the window starts at
    std::int64_t spanUs = 0;
    // False while the window is still growing from the last rest: its estimate is then
    // better than any before it, so the deadband does not hold it back.
    bool settled = false;
};

bool meetsMinimum(const AimVelocityEstimator& estimator, std::uint32_t start,
                  const AimWindow& window) {
    const std::uint32_t last = estimator.count - 1;
    const AimReportPoint& from = pointAt(estimator, start);
    const AimReportPoint& to = pointAt(estimator, last);
    return last - start >= window.minReports && to.timeUs - from.timeUs >= window.minSpanUs &&
           busierAxis(from, to) >= window.minCounts;
}

// Reaches back from the last report until the window meets its minimum, or the next
// point back would be beyond the longest window, or there is none.
WindowChoice shortestWindow(const AimVelocityEstimator& estimator, const AimWindow& window) {
    const std::uint32_t last = estimator.count - 1;
    const std::int64_t endUs = pointAt(estimator, last).timeUs;
    std::uint32_t start = last - 1;
    for (;;) {
        const std::int64_t spanUs = endUs - pointAt(estimator, start).timeUs;
        if (meetsMinimum(estimator, start, window)) {
            return {start, spanUs, true};
        }
        if (start == 0) {
            return {start, spanUs, estimator.count == kAimPointSlots};
        }
        if (endUs - pointAt(estimator, start - 1).timeUs > window.maxSpanUs) {
            return {start, spanUs, true};
        }
        --start;
    }
}

double millisBetween(std::int64_t fromUs, std::int64_t toUs) {
    return static_cast<double>(toUs - fromUs) / kUsPerMs;
}

AimVelocity velocityOver(const AimVelocityEstimator& estimator, std::uint32_t start) {
    const AimReportPoint& from = pointAt(estimator, start);
    const AimReportPoint& to = pointAt(estimator, estimator.count - 1);
    const double spanMs = millisBetween(from.timeUs, to.timeUs);
    return {static_cast<double>(to.x - from.x) / spanMs,
            static_cast<double>(to.y - from.y) / spanMs};
}

struct Intervals {
    std::int64_t shortestUs = kMaxIntervalUs;
    std::int64_t longestUs = 0;
};

// The intervals between the reports from start on.
Intervals intervalsFrom(const AimVelocityEstimator& estimator, std::uint32_t start) {
    Intervals intervals;
    for (std::uint32_t i = start; i + 1 < estimator.count; ++i) {
        const std::int64_t intervalUs =
            pointAt(estimator, i + 1).timeUs - pointAt(estimator, i).timeUs;
        intervals.shortestUs = std::min(intervals.shortestUs, intervalUs);
        intervals.longestUs = std::max(intervals.longestUs, intervalUs);
    }
    intervals.longestUs = std::min(intervals.longestUs, kMaxIntervalUs);
    return intervals;
}

// How far a read time may lie from its report. A mouse reports on a grid of its period
// (skipping polls without motion), so with the period known it is the largest distance
// of a recent interval from the grid; without, half the spread of the intervals (one
// read late and the next early make the spread). Either way at most a millisecond: the
// reads happen at the mouse's event.
double readJitterMs(const AimVelocityEstimator& estimator, const AimWindow& window) {
    const std::int64_t periodUs = estimator.reportPeriodUs;
    std::int64_t jitterUs = 0;
    if (periodUs == 0) {
        const Intervals intervals = intervalsFrom(estimator, 0);
        jitterUs = (intervals.longestUs - intervals.shortestUs) / 2;
    } else {
        for (std::uint32_t i = 0; i + 1 < estimator.count; ++i) {
            const std::int64_t intervalUs =
                pointAt(estimator, i + 1).timeUs - pointAt(estimator, i).timeUs;
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
WindowChoice extendWhileSteady(const AimVelocityEstimator& estimator, WindowChoice choice,
                               double jitterMs, const AimWindow& window) {
    const std::uint32_t last = estimator.count - 1;
    const AimReportPoint& end = pointAt(estimator, last);
    const AimVelocity shortest = velocityOver(estimator, choice.start);
    const double toleranceX = window.fitCounts + std::abs(shortest.x) * jitterMs;
    const double toleranceY = window.fitCounts + std::abs(shortest.y) * jitterMs;
    SlopeRange rangeX;
    SlopeRange rangeY;
    for (std::uint32_t k = last; k-- > 0;) {
        if (k + 1 < last) {
            const AimReportPoint& inner = pointAt(estimator, k + 1);
            const double beforeEndMs = millisBetween(inner.timeUs, end.timeUs);
            rangeX.narrow(inner.x, end.x, beforeEndMs, toleranceX);
            rangeY.narrow(inner.y, end.y, beforeEndMs, toleranceY);
        }
        const AimReportPoint& from = pointAt(estimator, k);
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

// The estimate wobbles by up to a count at either end of the window, over its time, and
// by the velocity times the jitter of the read times at either end.
bool leavesBand(double estimate, double shown, std::int64_t spanUs, double jitterMs,
                const AimWindow& window) {
    const double band = (window.bandCounts + 2.0 * std::abs(estimate) * jitterMs) /
                        (static_cast<double>(spanUs) / kUsPerMs);
    return std::abs(estimate - shown) > band;
}

std::int64_t stopAfter(std::int64_t intervalUs) {
    return std::max(kStopIntervals * intervalUs + kStopMarginUs, kMinStopUs);
}

void setDeadlines(AimVelocityEstimator& estimator, std::int64_t intervalUs) {
    estimator.decayStartUs =
        estimator.lastReportUs +
        std::max(kDecayIntervalsTimesTwo * intervalUs / 2 + kDecayMarginUs, kMinDecayUs);
    estimator.stopUs = estimator.lastReportUs + stopAfter(intervalUs);
}

// The value at nowUs from what the last report left, without changing anything.
AimVelocity velocityAt(const AimVelocityEstimator& estimator, std::int64_t nowUs) {
    if (estimator.count == 0 || !estimator.hasValue || nowUs >= estimator.stopUs) {
        return {};
    }
    if (nowUs < estimator.decayStartUs) {
        return estimator.held;
    }
    // The window's end moves to the last step of the decay, so the motion it holds is
    // spread over ever more time.
    const std::int64_t steps = (nowUs - estimator.decayStartUs) / kDecayStepUs;
    const std::int64_t endUs = estimator.decayStartUs + steps * kDecayStepUs;
    const double factor =
        static_cast<double>(estimator.windowSpanUs) /
        static_cast<double>(estimator.windowSpanUs + (endUs - estimator.lastReportUs));
    return {estimator.held.x * factor, estimator.held.y * factor};
}

// A new estimate replaces the value shown only when it leaves the deadband around it,
// on either axis; otherwise the shown value is held, so the stick does not flicker with
// the report timing.
void holdEstimate(AimVelocityEstimator& estimator, const WindowChoice& choice, double jitterMs,
                  AimVelocity shown, const AimWindow& window) {
    const AimVelocity estimate = velocityOver(estimator, choice.start);
    const bool changed = !estimator.heldSettled || !choice.settled ||
                         leavesBand(estimate.x, shown.x, choice.spanUs, jitterMs, window) ||
                         leavesBand(estimate.y, shown.y, choice.spanUs, jitterMs, window);
    estimator.held = changed ? estimate : shown;
    estimator.heldSettled = choice.settled;
    estimator.hasValue = true;
    estimator.windowSpanUs = choice.spanUs;
}

void evaluate(AimVelocityEstimator& estimator, AimVelocity shown, const AimWindow& window) {
    estimator.lastReportUs = pointAt(estimator, estimator.count - 1).timeUs;
    if (estimator.count < 2) {
        // A lone first report without a learned period: its interval is unknown, so it
        // only marks where the motion began, and waits for a second report.
        setDeadlines(estimator, kMaxIntervalUs);
        return;
    }
    const WindowChoice shortest = shortestWindow(estimator, window);
    const double jitterMs = readJitterMs(estimator, window);
    const bool extends = shortest.settled && window.fitCounts >= 0.0;
    const WindowChoice choice =
        extends ? extendWhileSteady(estimator, shortest, jitterMs, window) : shortest;
    holdEstimate(estimator, choice, jitterMs, shown, window);
    // The recent intervals, not those of a window reaching back over a slower stretch.
    setDeadlines(estimator, intervalsFrom(estimator, shortest.start).longestUs);
}
} // namespace

void addMotionRecords(AimVelocityEstimator& estimator, const MouseRecord* records,
                      std::uint32_t count, std::int64_t readTimeUs, const AimWindow& window) {
    if (records == nullptr) {
        return;
    }
    count = std::min(count, static_cast<std::uint32_t>(kMouseRecordCapacity));
    bool moved = false;
    std::uint32_t lastStamp = 0;
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        if (group.moved()) {
            moved = true;
            lastStamp = group.timeStamp;
        }
    });
    if (!moved) {
        return;
    }
    if (stoppedLongAgo(estimator, readTimeUs)) {
        rest(estimator);
    }
    estimator.stopped = false;
    const AimVelocity shown = velocityAt(estimator, readTimeUs);
    const ReportPlacement placement = placeReports(estimator, records, count, readTimeUs, window);
    std::uint32_t report = 0;
    forEachMotionGroup(records, count, [&](const MotionGroup& group) {
        if (group.moved()) {
            addReport(estimator, placement.timeOf(report++, lastStamp, group.timeStamp), group.x,
                      group.y);
        }
    });
    evaluate(estimator, shown, window);
}

AimVelocity currentVelocity(AimVelocityEstimator& estimator, std::int64_t nowUs) {
    if (stoppedLongAgo(estimator, nowUs)) {
        rest(estimator);
    }
    if (estimator.count != 0 && nowUs >= estimator.stopUs) {
        estimator.stopped = true;
    }
    return velocityAt(estimator, nowUs);
}

std::int64_t nextVelocityChange(const AimVelocityEstimator& estimator, std::int64_t nowUs) {
    if (velocityAtRest(estimator)) {
        return kAimNever;
    }
    if (!estimator.hasValue || nowUs >= estimator.stopUs) {
        return estimator.stopUs;
    }
    if (nowUs < estimator.decayStartUs) {
        return estimator.decayStartUs;
    }
    const std::int64_t steps = (nowUs - estimator.decayStartUs) / kDecayStepUs + 1;
    return std::min(estimator.decayStartUs + steps * kDecayStepUs, estimator.stopUs);
}

bool velocityAtRest(const AimVelocityEstimator& estimator) {
    return estimator.count == 0 || estimator.stopped;
}

} // namespace qora
