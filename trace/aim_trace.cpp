#include "trace/aim_trace.h"

namespace qora {
namespace {

bool entryFits(const AimTrace& trace) {
    return trace.entries.size() < trace.entries.capacity();
}

void addEntry(AimTrace& trace, const AimTraceEntry& entry) {
    if (!entryFits(trace)) {
        ++trace.dropped;
        return;
    }
    trace.entries.push_back(entry);
}

} // namespace

void reserveAimTrace(AimTrace& trace, std::size_t entries, std::size_t records) {
    trace.entries.reserve(entries);
    trace.records.reserve(records);
}

void beginAimTrace(AimTrace& trace, const AimCurve& curve, ConsoleMode mode) {
    trace.curve = curve;
    trace.mode = mode;
    trace.reportPeriodUs = 0;
    trace.stampResolutionUs = 0;
    trace.entries.clear();
    trace.records.clear();
    trace.segments.clear();
    trace.dropped = 0;
}

void traceRead(AimTrace& trace, AimTraceStep step, std::int64_t timeUs, const MouseRecord* records,
               std::uint32_t count) {
    if (!entryFits(trace) || trace.records.capacity() - trace.records.size() < count) {
        ++trace.dropped;
        return;
    }
    const auto first = static_cast<std::uint32_t>(trace.records.size());
    trace.records.insert(trace.records.end(), records, records + count);
    trace.entries.push_back(AimTraceRead{timeUs, step, first, count});
}

void traceEvaluation(AimTrace& trace, const AimTraceEvaluation& evaluation) {
    addEntry(trace, evaluation);
}

void tracePacket(AimTrace& trace, const AimTracePacket& packet) {
    addEntry(trace, packet);
}

} // namespace qora
