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
//               mostreports N gap MS late MS
//       A lump is a read carrying several reports (time stamps); gap the longest time
//       between two reads with motion; late the most a report was read later than the
//       earliest its time stamp allows (against the segment's best). Then:
//         LABEL replay evaluations N differing N [first US]
//       the program's own evaluations that the replay gave otherwise (0 when the replay
//       is the program's path and the trace the current estimator's).
//   aim-trace cut TRACE OUT FIRST [LAST]
//       Segments FIRST to LAST (from 0) with their reads, from 100 ms before the first to
//       100 ms after the last one's end, and the report period the estimator had learned
//       by then: a small trace for the tests, which replays within the segments as the
//       whole did (checked; exit 1 otherwise).
//   aim-trace reads TRACE FROM_US TO_US
//       Every read, evaluation and packet between the two times, with the replayed stick.

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
    std::int64_t mostLateUs = 0;
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

StreamFigures streamFigures(const AimTrace& trace, std::int64_t fromUs, std::int64_t toUs) {
    StreamFigures figures;
    std::int64_t lastReadUs = -1;
    std::int64_t earliestOffsetUs = std::numeric_limits<std::int64_t>::max();
    std::vector<std::int64_t> offsetsUs;
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
        for (const std::uint32_t stamp : stamps) {
            const std::int64_t offsetUs = read->timeUs - static_cast<std::int64_t>(stamp) * 1000;
            earliestOffsetUs = std::min(earliestOffsetUs, offsetUs);
            offsetsUs.push_back(offsetUs);
        }
    }
    for (const std::int64_t offsetUs : offsetsUs) {
        figures.mostLateUs = std::max(figures.mostLateUs, offsetUs - earliestOffsetUs);
    }
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
                    "mostreports %d gap %.2f late %.2f\n",
                    label, i, static_cast<int>(segment.rateHz), segment.speedX, segment.speedY,
                    stream.reads, stream.reports, stream.lumps, stream.mostReports,
                    millis(stream.longestGapUs), millis(stream.mostLateUs));
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
    std::printf("%s: segments %zu to %zu, %zu reads, period %lld us; replays as the whole: %s\n",
                outPath, first, last, part.entries.size(),
                static_cast<long long>(part.reportPeriodUs), same ? "yes" : "no");
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

int usage() {
    std::fprintf(stderr, "usage: aim-trace report TRACE [LABEL]\n"
                         "       aim-trace cut TRACE OUT FIRST [LAST]\n"
                         "       aim-trace reads TRACE FROM_US TO_US\n");
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
    if (command == "reads" && argc == 5) {
        return reads(argv[2], std::atoll(argv[3]), std::atoll(argv[4]));
    }
    return usage();
}
