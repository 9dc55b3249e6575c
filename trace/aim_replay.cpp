#include "trace/aim_replay.h"

#include "mapping/precise_aim.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <variant>

namespace qora {
namespace {

constexpr double kXbox360FullScale = 32767.0;
constexpr double kPs3FullScale = 127.0 * 256.0;
constexpr double kUsPerMs = 1000.0;
// More moments than this between two entries would mean the estimator never comes to rest.
constexpr int kMaxMomentsBetweenEntries = 100000;

constexpr std::int64_t kTeachingBeforeUs = 10 * 1000000;
constexpr std::int32_t kTeachingCounts = 2;

// The first read that returned records, and the stamp of its last record.
struct FirstRecords {
    std::int64_t timeUs = 0;
    std::uint32_t stamp = 0;
};

std::optional<FirstRecords> firstRecordsOf(const AimTrace& trace) {
    for (const AimTraceEntry& entry : trace.entries) {
        const auto* read = std::get_if<AimTraceRead>(&entry);
        if (read != nullptr && read->count != 0) {
            return FirstRecords{read->timeUs,
                                trace.records[read->firstRecord + read->count - 1].dwTimeStamp};
        }
    }
    return std::nullopt;
}

// One report of the teaching, a stamp's milliseconds and a time's microseconds after the
// first read's, both far before it.
void teachReport(MouseState& mouse, const FirstRecords& first, std::int32_t counts,
                 std::int64_t afterUs) {
    const auto stamp = static_cast<std::uint32_t>(
        first.stamp - static_cast<std::uint32_t>(kTeachingBeforeUs / 1000) +
        static_cast<std::uint32_t>(afterUs / 1000));
    const MouseRecord record{mouse_offset::x, static_cast<std::uint32_t>(counts), stamp, 0, 0};
    readPreciseAimRecords(mouse, &record, 1, first.timeUs - kTeachingBeforeUs + afterUs);
}

// A trace cut out of a longer one starts with what the estimator had learned before it (its
// `period` and `stamps`). The estimator learns them as it would: from two single counts a
// stamp step apart (too few to teach a period) and from reports at every poll, long enough
// before the trace that it has come to rest by its first read; their stamps run on the
// trace's own stamp clock.
void teachWhatWasLearned(MouseState& mouse, const AimTrace& trace) {
    const std::optional<FirstRecords> first = firstRecordsOf(trace);
    if (!first) {
        return;
    }
    if (trace.stampResolutionUs > 0) {
        teachReport(mouse, *first, 1, -2 * kAimMaxIntervalUs - trace.stampResolutionUs);
        teachReport(mouse, *first, 1, -2 * kAimMaxIntervalUs);
    }
    if (trace.reportPeriodUs > 0) {
        for (std::uint32_t report = 0; report <= kAimPeriodIntervals; ++report) {
            teachReport(mouse, *first, kTeachingCounts,
                        static_cast<std::int64_t>(report) * trace.reportPeriodUs);
        }
    }
    currentVelocity(mouse.aim, first->timeUs - kTeachingBeforeUs / 2);
}

class Replayer {
public:
    explicit Replayer(const AimTrace& trace) : trace_(trace) { teachWhatWasLearned(mouse_, trace); }

    void take(const AimTraceRead& read) {
        advanceTo(read.timeUs);
        readPreciseAimRecords(mouse_, trace_.records.data() + read.firstRecord, read.count,
                              read.timeUs);
        evaluate(read.timeUs);
    }
    void take(const AimTraceEvaluation& recorded) {
        advanceTo(recorded.timeUs);
        const AimTraceEvaluation replayed = evaluate(recorded.timeUs);
        ++result_.evaluations;
        if (replayed.velocity != recorded.velocity || replayed.stick != recorded.stick) {
            ++result_.differing;
            if (result_.firstDifferenceUs < 0) {
                result_.firstDifferenceUs = recorded.timeUs;
            }
        }
    }
    void take(const AimTracePacket&) {}

    // The moments the estimator names after the last entry, until it rests.
    AimReplay finish() {
        advanceTo(kNeverUs);
        return std::move(result_);
    }

private:
    AimTraceEvaluation evaluate(std::int64_t timeUs) {
        nowUs_ = std::max(nowUs_, timeUs);
        const AimVelocity velocity = currentVelocity(mouse_.aim, timeUs);
        const MotionPair stick = stickUnitsFor(deflectionFor(velocity, trace_.curve), trace_.mode);
        const MotionPair last =
            result_.timeline.empty() ? MotionPair{0, 0} : result_.timeline.back().stick;
        if (stick != last) {
            result_.timeline.push_back({timeUs, stick});
        }
        return {timeUs, AimTraceStep::refresh, velocity, stick};
    }

    // Every moment the estimator names before untilUs, as the scheduler would serve it.
    void advanceTo(std::int64_t untilUs) {
        for (int moment = 0; moment < kMaxMomentsBetweenEntries; ++moment) {
            const std::int64_t dueUs = nextVelocityChange(mouse_.aim, nowUs_);
            if (dueUs == kNeverUs || dueUs >= untilUs) {
                return;
            }
            evaluate(std::max(dueUs, nowUs_));
        }
    }

    const AimTrace& trace_;
    MouseState mouse_;
    std::int64_t nowUs_ = 0;
    AimReplay result_;
};

double fullScale(ConsoleMode mode) {
    return mode == kConsolePs3 ? kPs3FullScale : kXbox360FullScale;
}

double magnitudeOf(MotionPair stick, ConsoleMode mode) {
    return std::hypot(static_cast<double>(stick.x), static_cast<double>(stick.y)) / fullScale(mode);
}

// The stick at timeUs: the last change at or before it, the centre before the first.
MotionPair stickAt(const std::vector<StickChange>& timeline, std::int64_t timeUs) {
    const auto after = std::upper_bound(
        timeline.begin(), timeline.end(), timeUs,
        [](std::int64_t time, const StickChange& change) { return time < change.timeUs; });
    return after == timeline.begin() ? MotionPair{0, 0} : std::prev(after)->stick;
}

// A stretch of time over which the stick's magnitude stood at one value.
struct Piece {
    double value = 0.0;
    std::int64_t fromUs = 0;
    std::int64_t toUs = 0;
};

// The stretches of [fromUs, toUs), in order.
std::vector<Piece> piecesBetween(const std::vector<StickChange>& timeline, std::int64_t fromUs,
                                 std::int64_t toUs, ConsoleMode mode) {
    std::vector<Piece> pieces;
    if (toUs <= fromUs) {
        return pieces;
    }
    pieces.push_back({magnitudeOf(stickAt(timeline, fromUs), mode), fromUs, toUs});
    for (const StickChange& change : timeline) {
        if (change.timeUs > fromUs && change.timeUs < toUs) {
            pieces.back().toUs = change.timeUs;
            pieces.push_back({magnitudeOf(change.stick, mode), change.timeUs, toUs});
        }
    }
    return pieces;
}

// The value below which the fraction q of the time lies.
double weightedQuantile(std::vector<Piece> pieces, double q) {
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.value < b.value; });
    std::int64_t total = 0;
    for (const Piece& piece : pieces) {
        total += piece.toUs - piece.fromUs;
    }
    const double wanted = q * static_cast<double>(total);
    std::int64_t below = 0;
    for (const Piece& piece : pieces) {
        below += piece.toUs - piece.fromUs;
        if (static_cast<double>(below) >= wanted) {
            return piece.value;
        }
    }
    return pieces.empty() ? -1.0 : pieces.back().value;
}

struct Stretches {
    int count = 0;
    std::int64_t longestUs = 0;
};

// The runs of adjacent pieces that meet the condition.
template <typename Condition>
Stretches stretchesWhere(const std::vector<Piece>& pieces, Condition condition) {
    Stretches stretches;
    std::int64_t runFromUs = -1;
    for (const Piece& piece : pieces) {
        if (!condition(piece.value)) {
            runFromUs = -1;
            continue;
        }
        if (runFromUs < 0) {
            runFromUs = piece.fromUs;
            ++stretches.count;
        }
        stretches.longestUs = std::max(stretches.longestUs, piece.toUs - runFromUs);
    }
    return stretches;
}

double millis(std::int64_t us) {
    return static_cast<double>(us) / kUsPerMs;
}

// The first change at or after fromUs (the stick at fromUs counting as one) that meets
// the condition, before untilUs; -1 when none does.
template <typename Condition>
std::int64_t firstTimeWhere(const std::vector<StickChange>& timeline, std::int64_t fromUs,
                            std::int64_t untilUs, Condition condition) {
    if (condition(stickAt(timeline, fromUs))) {
        return fromUs;
    }
    for (const StickChange& change : timeline) {
        if (change.timeUs > fromUs && change.timeUs < untilUs && condition(change.stick)) {
            return change.timeUs;
        }
    }
    return -1;
}

} // namespace

AimReplay replayAimTrace(const AimTrace& trace) {
    Replayer replayer(trace);
    for (const AimTraceEntry& entry : trace.entries) {
        std::visit([&](const auto& item) { replayer.take(item); }, entry);
    }
    return replayer.finish();
}

Learned learnedBefore(const AimTrace& trace, std::int64_t timeUs) {
    MouseState mouse;
    teachWhatWasLearned(mouse, trace);
    for (const AimTraceEntry& entry : trace.entries) {
        const auto* read = std::get_if<AimTraceRead>(&entry);
        if (read == nullptr) {
            continue;
        }
        if (read->timeUs >= timeUs) {
            break;
        }
        readPreciseAimRecords(mouse, trace.records.data() + read->firstRecord, read->count,
                              read->timeUs);
    }
    return {mouse.aim.reportPeriodUs(), mouse.aim.stampResolutionUs()};
}

AimTrace cutAimTrace(const AimTrace& whole, std::size_t first, std::size_t last,
                     std::int64_t marginUs) {
    const std::int64_t fromUs = whole.segments[first].startUs - marginUs;
    const std::int64_t toUs = whole.segments[last].endUs + marginUs;
    AimTrace cut;
    cut.curve = whole.curve;
    cut.mode = whole.mode;
    const Learned learned = learnedBefore(whole, fromUs);
    cut.reportPeriodUs = learned.reportPeriodUs;
    cut.stampResolutionUs = learned.stampResolutionUs;
    cut.segments.assign(whole.segments.begin() + static_cast<std::ptrdiff_t>(first),
                        whole.segments.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    for (const AimTraceEntry& entry : whole.entries) {
        const auto* read = std::get_if<AimTraceRead>(&entry);
        if (read == nullptr || read->timeUs < fromUs || read->timeUs >= toUs) {
            continue;
        }
        const MouseRecord* records = whole.records.data() + read->firstRecord;
        cut.entries.push_back(AimTraceRead{
            read->timeUs, read->step, static_cast<std::uint32_t>(cut.records.size()), read->count});
        cut.records.insert(cut.records.end(), records, records + read->count);
    }
    return cut;
}

std::vector<StickChange> packetTimeline(const AimTrace& trace) {
    std::vector<StickChange> timeline;
    for (const AimTraceEntry& entry : trace.entries) {
        if (const auto* packet = std::get_if<AimTracePacket>(&entry)) {
            timeline.push_back({packet->timeUs, packet->stick});
        }
    }
    return timeline;
}

SegmentMeasures measureSegment(const std::vector<StickChange>& timeline,
                               const AimTraceSegment& segment, const AimCurve& curve,
                               ConsoleMode mode) {
    SegmentMeasures measures;
    const StickDeflection rule = deflectionFor({segment.speedX, segment.speedY}, curve);
    measures.rule = std::hypot(rule.x, rule.y);

    const std::vector<Piece> steady =
        piecesBetween(timeline, segment.startUs + kSteadyAfterUs, segment.lastUs, mode);
    measures.median = weightedQuantile(steady, 0.5);
    measures.p10 = weightedQuantile(steady, 0.1);
    measures.p90 = weightedQuantile(steady, 0.9);

    const std::vector<Piece> midMotion =
        piecesBetween(timeline, segment.startUs + kMidMotionAfterUs, segment.lastUs, mode);
    const double ruleValue = measures.rule;
    measures.longestExcursionMs = millis(stretchesWhere(midMotion, [&](double value) {
                                             return std::abs(value - ruleValue) > kExcursionBeyond;
                                         }).longestUs);
    const Stretches drops = stretchesWhere(midMotion, [](double value) { return value == 0.0; });
    measures.drops = drops.count;
    measures.longestDropMs = millis(drops.longestUs);

    const std::int64_t deflectedUs =
        firstTimeWhere(timeline, segment.startUs, segment.lastUs, [](MotionPair stick) {
            return stick != MotionPair{0, 0};
        });
    measures.onsetMs = deflectedUs < 0 ? -1.0 : millis(deflectedUs - segment.startUs);
    const std::int64_t centredUs = firstTimeWhere(
        timeline, segment.lastUs, segment.lastUs + kStopSearchUs, [](MotionPair stick) {
            return stick == MotionPair{0, 0};
        });
    measures.stopMs = centredUs < 0 ? -1.0 : millis(centredUs - segment.lastUs);
    return measures;
}

} // namespace qora
