// aim-trace: reads the aim trace of the measuring build (trace/aim_trace_file.h), with the
// segments the bench's driver sent, and tells what happened in each segment.
//
//   aim-trace report TRACE [LABEL]
//       Per segment, one line for what the program sent (its packets), one for the replay
//       of its reads on a fake clock (trace/aim_replay.h), and one for the reads
//       themselves:
//         LABEL segment I rate HZ speed VX VY rule R SOURCE median M p10 P p90 P
//               excursion MS drops N dropms MS onset MS stop MS
//         LABEL segment I rate HZ speed VX VY stream reads N reports N lumps N
//               mostreports N gap MS latemedian MS latep90 MS late MS beforestamp N
//       A lump is a read carrying several reports (time stamps); gap the longest time
//       between two reads with motion; late how long after its newest report's time stamp
//       a read came (median, p90, most; Wine's stamps count the milliseconds of the clock
//       the reads are timed on, so a prompt read lies within a millisecond of its stamp);
//       beforestamp the reads timed more than a millisecond before their newest stamp.
//       Then:
//         LABEL replay evaluations N differing N [first US]
//       the program's own evaluations that the replay gave otherwise (0 when the replay
//       is the program's path and the trace the current estimator's).
//   aim-trace cut TRACE OUT FIRST [LAST]
//       Segments FIRST to LAST (from 0) with their reads, from 100 ms before the first to
//       100 ms after the last one's end, and the report period and stamp resolution the
//       estimator had learned by then: a small trace for the tests, which replays within
//       the segments as the whole did (checked; exit 1 otherwise).
//   aim-trace reads TRACE FROM_US TO_US
//       Every read, evaluation and packet between the two times, with the replayed stick.
//   aim-trace explain TRACE [LABEL]
//       Every stretch of a segment's mid-motion where the replayed stick lies more than 0.1
//       from the rule, and how it began: at a read (the estimate itself left the rule; the
//       read's reports against the time they were spread over) or while waiting for the
//       next read (the hold, decay and stop; the gap between the reads against the gap
//       between their reports' time stamps).

#include "platform/host/host_file_api.h"
#include "trace/aim_replay.h"
#include "trace/aim_trace_file.h"
#include "trace/aim_trace_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace qora::tools {
namespace {

constexpr std::int64_t kCutMarginUs = 100000;
constexpr std::int64_t kStreamTailUs = 20000; // reads of a segment's last counts come late
constexpr double kFullScale = 32767.0;
constexpr std::int64_t kStampResolutionUs = 1000;

double millis(std::int64_t us) {
    return static_cast<double>(us) / 1000.0;
}

bool load(const char* path, AimTrace& trace) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "aim-trace: cannot open %s\n", path);
        return false;
    }
    AimTraceText text = readAimTrace(in);
    if (!text.ok) {
        std::fprintf(stderr, "aim-trace: %s:%zu: %s\n", path, text.errorLine, text.error.c_str());
        return false;
    }
    trace = std::move(text.trace);
    return true;
}

// ---- report --------------------------------------------------------------------------

struct StreamFigures {
    int reads = 0; // with motion
    int reports = 0;
    int lumps = 0;
    int mostReports = 0;
    std::int64_t longestGapUs = 0;
    // How long after its newest report was stamped each read came: the median, the 90th
    // percentile and the most; and the reads whose time lies more than a millisecond
    // before their newest stamp (a read time taken long before the read).
    std::int64_t lateMedianUs = 0;
    std::int64_t lateP90Us = 0;
    std::int64_t mostLateUs = 0;
    int readsBeforeStamp = 0;
};

// The reports of one read: the runs of motion records with one time stamp.
std::vector<std::uint32_t> reportStamps(const AimTrace& trace, const AimTraceRead& read) {
    std::vector<std::uint32_t> stamps;
    for (std::uint32_t i = 0; i < read.count; ++i) {
        const MouseRecord& record = trace.records[read.firstRecord + i];
        const bool motion = record.dwOfs == mouse_offset::x || record.dwOfs == mouse_offset::y;
        if (motion && record.dwData != 0 &&
            (stamps.empty() || stamps.back() != record.dwTimeStamp)) {
            stamps.push_back(record.dwTimeStamp);
        }
    }
    return stamps;
}

// Wine stamps a report with the millisecond it took it in, on the clock the read times
// count, so a read that comes at once lies less than a millisecond after its newest stamp.
void addLateness(StreamFigures& figures, std::vector<std::int64_t> delaysUs) {
    if (delaysUs.empty()) {
        return;
    }
    std::sort(delaysUs.begin(), delaysUs.end());
    const std::size_t n = delaysUs.size();
    figures.lateMedianUs = delaysUs[n / 2];
    figures.lateP90Us = delaysUs[(n * 9 + 9) / 10 - 1];
    figures.mostLateUs = delaysUs.back();
    figures.readsBeforeStamp =
        static_cast<int>(std::count_if(delaysUs.begin(), delaysUs.end(), [](std::int64_t delayUs) {
            return delayUs < -kStampResolutionUs;
        }));
}

StreamFigures streamFigures(const AimTrace& trace, std::int64_t fromUs, std::int64_t toUs) {
    StreamFigures figures;
    std::int64_t lastReadUs = -1;
    std::vector<std::int64_t> delaysUs; // from the newest report's stamp to the read
    for (const AimTraceEntry& entry : trace.entries) {
        const auto* read = std::get_if<AimTraceRead>(&entry);
        if (read == nullptr || read->timeUs < fromUs || read->timeUs > toUs) {
            continue;
        }
        const std::vector<std::uint32_t> stamps = reportStamps(trace, *read);
        if (stamps.empty()) {
            continue;
        }
        ++figures.reads;
        figures.reports += static_cast<int>(stamps.size());
        figures.lumps += stamps.size() > 1 ? 1 : 0;
        figures.mostReports = std::max(figures.mostReports, static_cast<int>(stamps.size()));
        if (lastReadUs >= 0) {
            figures.longestGapUs = std::max(figures.longestGapUs, read->timeUs - lastReadUs);
        }
        lastReadUs = read->timeUs;
        delaysUs.push_back(read->timeUs - static_cast<std::int64_t>(stamps.back()) * 1000);
    }
    addLateness(figures, delaysUs);
    return figures;
}

void printMeasures(const char* label, std::size_t index, const AimTraceSegment& segment,
                   const char* source, const SegmentMeasures& m) {
    std::printf("%s segment %zu rate %d speed %g %g rule %.3f %s median %.3f p10 %.3f p90 %.3f "
                "excursion %.1f drops %d dropms %.1f onset %.2f stop %.2f\n",
                label, index, static_cast<int>(segment.rateHz), segment.speedX, segment.speedY,
                m.rule, source, m.median, m.p10, m.p90, m.longestExcursionMs, m.drops,
                m.longestDropMs, m.onsetMs, m.stopMs);
}

int report(const char* path, const char* label) {
    AimTrace trace;
    if (!load(path, trace)) {
        return 1;
    }
    const AimReplay replay = replayAimTrace(trace);
    const std::vector<StickChange> sent = packetTimeline(trace);
    for (std::size_t i = 0; i < trace.segments.size(); ++i) {
        const AimTraceSegment& segment = trace.segments[i];
        if (!sent.empty()) {
            printMeasures(label, i, segment, "sent",
                          measureSegment(sent, segment, trace.curve, trace.mode));
        }
        printMeasures(label, i, segment, "replay",
                      measureSegment(replay.timeline, segment, trace.curve, trace.mode));
        const StreamFigures stream =
            streamFigures(trace, segment.startUs, segment.lastUs + kStreamTailUs);
        std::printf("%s segment %zu rate %d speed %g %g stream reads %d reports %d lumps %d "
                    "mostreports %d gap %.2f latemedian %.2f latep90 %.2f late %.2f "
                    "beforestamp %d\n",
                    label, i, static_cast<int>(segment.rateHz), segment.speedX, segment.speedY,
                    stream.reads, stream.reports, stream.lumps, stream.mostReports,
                    millis(stream.longestGapUs), millis(stream.lateMedianUs),
                    millis(stream.lateP90Us), millis(stream.mostLateUs), stream.readsBeforeStamp);
    }
    std::printf("%s replay evaluations %zu differing %zu", label, replay.evaluations,
                replay.differing);
    if (replay.differing != 0) {
        std::printf(" first %lld", static_cast<long long>(replay.firstDifferenceUs));
    }
    std::printf("\n");
    return 0;
}

// ---- cut -----------------------------------------------------------------------------

// The changes within [fromUs, toUs), with the stick in force at fromUs first.
std::vector<StickChange> changesWithin(const std::vector<StickChange>& timeline,
                                       std::int64_t fromUs, std::int64_t toUs) {
    std::vector<StickChange> within{{fromUs, MotionPair{0, 0}}};
    for (const StickChange& change : timeline) {
        if (change.timeUs <= fromUs) {
            within.front().stick = change.stick;
        } else if (change.timeUs < toUs) {
            within.push_back(change);
        }
    }
    return within;
}

int cut(const char* path, const char* outPath, std::size_t first, std::size_t last) {
    AimTrace whole;
    if (!load(path, whole)) {
        return 1;
    }
    if (first > last || last >= whole.segments.size()) {
        std::fprintf(stderr, "aim-trace: %s has %zu segments\n", path, whole.segments.size());
        return 2;
    }
    const AimTrace part = cutAimTrace(whole, first, last, kCutMarginUs);
    HostFileApi files;
    if (!writeAimTrace(files, outPath, part)) {
        std::fprintf(stderr, "aim-trace: cannot write %s\n", outPath);
        return 1;
    }
    // From the first segment's start: before it the cut's estimator has not seen the
    // reads the whole one rests from.
    const std::int64_t fromUs = part.segments.front().startUs;
    const std::int64_t toUs = part.segments.back().endUs + kCutMarginUs;
    const bool same = changesWithin(replayAimTrace(part).timeline, fromUs, toUs) ==
                      changesWithin(replayAimTrace(whole).timeline, fromUs, toUs);
    std::printf("%s: segments %zu to %zu, %zu reads, period %lld us, stamps %lld us; replays as "
                "the whole: %s\n",
                outPath, first, last, part.entries.size(),
                static_cast<long long>(part.reportPeriodUs),
                static_cast<long long>(part.stampResolutionUs), same ? "yes" : "no");
    return same ? 0 : 1;
}

// ---- reads ---------------------------------------------------------------------------

double magnitude(MotionPair stick) {
    return std::hypot(static_cast<double>(stick.x), static_cast<double>(stick.y)) / kFullScale;
}

void printRead(const AimTrace& trace, const AimTraceRead& read, std::int64_t fromUs,
               std::int64_t& lastReadUs) {
    std::printf("%9.3f read %c gap %6.2f |", millis(read.timeUs - fromUs),
                static_cast<char>(read.step),
                lastReadUs < 0 ? 0.0 : millis(read.timeUs - lastReadUs));
    lastReadUs = read.timeUs;
    for (std::uint32_t i = 0; i < read.count; ++i) {
        const MouseRecord& record = trace.records[read.firstRecord + i];
        std::printf(" %s%d@%u",
                    record.dwOfs == mouse_offset::x   ? "x"
                    : record.dwOfs == mouse_offset::y ? "y"
                                                      : "b",
                    static_cast<int>(static_cast<std::int32_t>(record.dwData)),
                    static_cast<unsigned>(record.dwTimeStamp % 100000));
    }
    std::printf("\n");
}

int reads(const char* path, std::int64_t fromUs, std::int64_t toUs) {
    AimTrace trace;
    if (!load(path, trace)) {
        return 1;
    }
    const AimReplay replay = replayAimTrace(trace);
    std::size_t change = 0;
    std::int64_t lastReadUs = -1;
    for (const AimTraceEntry& entry : trace.entries) {
        const std::int64_t timeUs = std::visit([](const auto& item) { return item.timeUs; }, entry);
        for (; change < replay.timeline.size() && replay.timeline[change].timeUs <= timeUs;
             ++change) {
            const StickChange& at = replay.timeline[change];
            if (at.timeUs >= fromUs && at.timeUs < toUs) {
                std::printf("%9.3f   replayed stick %.3f\n", millis(at.timeUs - fromUs),
                            magnitude(at.stick));
            }
        }
        if (timeUs < fromUs || timeUs >= toUs) {
            continue;
        }
        if (const auto* read = std::get_if<AimTraceRead>(&entry)) {
            printRead(trace, *read, fromUs, lastReadUs);
        } else if (const auto* evaluation = std::get_if<AimTraceEvaluation>(&entry)) {
            std::printf("%9.3f eval %c v %.3f %.3f stick %.3f\n", millis(timeUs - fromUs),
                        static_cast<char>(evaluation->step), evaluation->velocity.x,
                        evaluation->velocity.y, magnitude(evaluation->stick));
        } else if (const auto* packet = std::get_if<AimTracePacket>(&entry)) {
            std::printf("%9.3f packet stick %.3f\n", millis(timeUs - fromUs),
                        magnitude(packet->stick));
        }
    }
    return 0;
}

// ---- explain -------------------------------------------------------------------------

// A read with motion: when, and the time stamps of its first and last report.
struct MotionRead {
    std::int64_t timeUs = 0;
    std::int64_t firstStampUs = 0;
    std::int64_t lastStampUs = 0;
    int reports = 0;
};

std::vector<MotionRead> motionReads(const AimTrace& trace) {
    std::vector<MotionRead> reads;
    for (const AimTraceEntry& entry : trace.entries) {
        const auto* read = std::get_if<AimTraceRead>(&entry);
        if (read == nullptr) {
            continue;
        }
        const std::vector<std::uint32_t> stamps = reportStamps(trace, *read);
        if (!stamps.empty()) {
            reads.push_back({read->timeUs, static_cast<std::int64_t>(stamps.front()) * 1000,
                             static_cast<std::int64_t>(stamps.back()) * 1000,
                             static_cast<int>(stamps.size())});
        }
    }
    return reads;
}

// A stretch of mid-motion more than kExcursionBeyond from the rule.
struct Stretch {
    std::int64_t fromUs = 0;
    std::int64_t toUs = 0;
    double lowest = 1.0;
    double highest = 0.0;
};

std::vector<Stretch> stretchesOffTheRule(const std::vector<StickChange>& timeline,
                                         std::int64_t fromUs, std::int64_t toUs, double rule) {
    std::vector<Stretch> stretches;
    std::int64_t atUs = fromUs;
    MotionPair stick{0, 0};
    for (const StickChange& change : timeline) {
        if (change.timeUs <= fromUs) {
            stick = change.stick;
        }
    }
    bool open = false;
    const auto visit = [&](std::int64_t endUs) {
        const double value = magnitude(stick);
        const bool off = std::abs(value - rule) > kExcursionBeyond;
        if (off && !open) {
            stretches.push_back({atUs, endUs, value, value});
        }
        if (off) {
            Stretch& last = stretches.back();
            last.toUs = endUs;
            last.lowest = std::min(last.lowest, value);
            last.highest = std::max(last.highest, value);
        }
        open = off;
    };
    for (const StickChange& change : timeline) {
        if (change.timeUs <= fromUs || change.timeUs >= toUs) {
            continue;
        }
        visit(change.timeUs);
        atUs = change.timeUs;
        stick = change.stick;
    }
    visit(toUs);
    return stretches;
}

// Why a stretch began: at a read (the estimate itself left the rule) or while waiting for
// one (the hold, the decay and the stop), with what the reads around it show.
void explainStretch(const char* label, std::size_t index, const AimTraceSegment& segment,
                    const Stretch& stretch, const std::vector<MotionRead>& reads) {
    const auto next = std::lower_bound(
        reads.begin(), reads.end(), stretch.fromUs,
        [](const MotionRead& read, std::int64_t timeUs) { return read.timeUs < timeUs; });
    const bool atRead = next != reads.end() && next->timeUs == stretch.fromUs;
    const auto before = next == reads.begin() ? reads.end() : std::prev(next);
    std::printf("%s segment %zu stretch at %.1f ms for %.1f ms, stick %.3f to %.3f, ", label, index,
                millis(stretch.fromUs - segment.startUs), millis(stretch.toUs - stretch.fromUs),
                stretch.lowest, stretch.highest);
    if (before == reads.end() || next == reads.end()) {
        std::printf("no reads around it\n");
        return;
    }
    if (!atRead) {
        // Waiting: the gap between the reads, and between the reports they carried.
        std::printf("waiting: reads %.2f ms apart, their reports %.0f ms apart by the stamps\n",
                    millis(next->timeUs - before->timeUs),
                    millis(next->firstStampUs - before->lastStampUs));
        return;
    }
    // At a read: how long its reports took by their stamps against the time they are spread
    // over (since the read before).
    std::printf("at a read of %d reports: %.2f ms after the read before, its reports %.0f ms "
                "after the one before by the stamps, read %.2f ms after its newest stamp\n",
                next->reports, millis(next->timeUs - before->timeUs),
                millis(next->lastStampUs - before->lastStampUs),
                millis(next->timeUs - next->lastStampUs));
}

int explain(const char* path, const char* label) {
    AimTrace trace;
    if (!load(path, trace)) {
        return 1;
    }
    const AimReplay replay = replayAimTrace(trace);
    const std::vector<MotionRead> reads = motionReads(trace);
    for (std::size_t i = 0; i < trace.segments.size(); ++i) {
        const AimTraceSegment& segment = trace.segments[i];
        const double rule = measureSegment(replay.timeline, segment, trace.curve, trace.mode).rule;
        for (const Stretch& stretch : stretchesOffTheRule(
                 replay.timeline, segment.startUs + kMidMotionAfterUs, segment.lastUs, rule)) {
            explainStretch(label, i, segment, stretch, reads);
        }
    }
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: aim-trace report TRACE [LABEL]\n"
                         "       aim-trace cut TRACE OUT FIRST [LAST]\n"
                         "       aim-trace reads TRACE FROM_US TO_US\n"
                         "       aim-trace explain TRACE [LABEL]\n");
    return 2;
}

} // namespace
} // namespace qora::tools

int main(int argc, char** argv) {
    using namespace qora::tools;
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "report" && (argc == 3 || argc == 4)) {
        return report(argv[2], argc == 4 ? argv[3] : "qora");
    }
    if (command == "cut" && (argc == 5 || argc == 6)) {
        const auto first = static_cast<std::size_t>(std::strtoul(argv[4], nullptr, 10));
        const auto last =
            argc == 6 ? static_cast<std::size_t>(std::strtoul(argv[5], nullptr, 10)) : first;
        return cut(argv[2], argv[3], first, last);
    }
    if (command == "explain" && (argc == 3 || argc == 4)) {
        return explain(argv[2], argc == 4 ? argv[3] : "qora");
    }
    if (command == "reads" && argc == 5) {
        return reads(argv[2], std::atoll(argv[3]), std::atoll(argv[4]));
    }
    return usage();
}
