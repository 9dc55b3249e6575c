#include "trace/aim_trace_reader.h"

#include "trace/aim_trace_file.h"

#include <cstdint>
#include <sstream>

namespace qora {
namespace {

bool readStep(std::istream& fields, AimTraceStep& step) {
    char letter = 0;
    fields >> letter;
    for (const AimTraceStep candidate :
         {AimTraceStep::event, AimTraceStep::tick, AimTraceStep::refresh}) {
        if (letter == static_cast<char>(candidate)) {
            step = candidate;
            return true;
        }
    }
    return false;
}

// True when the fields were all read and nothing follows them.
bool complete(std::istream& fields) {
    if (fields.fail()) {
        return false;
    }
    std::string rest;
    return !(fields >> rest);
}

bool readCurve(std::istream& fields, AimTrace& trace) {
    std::string shape;
    int mode = 0;
    fields >> trace.curve.sensitivityX >> trace.curve.sensitivityY >> trace.curve.deadZone >>
        trace.curve.exponent >> shape >> mode;
    if (shape != "circle" && shape != "square") {
        return false;
    }
    trace.curve.shape = shape == "square" ? AimShape::square : AimShape::circle;
    trace.mode = mode;
    return complete(fields);
}

bool readSegment(std::istream& fields, AimTrace& trace) {
    AimTraceSegment segment;
    fields >> segment.startUs >> segment.lastUs >> segment.endUs >> segment.speedX >>
        segment.speedY >> segment.rateHz;
    trace.segments.push_back(segment);
    return complete(fields);
}

bool readRecords(std::istream& fields, AimTrace& trace, std::uint32_t& count) {
    std::int64_t offset = 0;
    while (fields >> offset) {
        std::int64_t data = 0;
        std::int64_t stamp = 0;
        if (!(fields >> data >> stamp) || offset < 0 || offset > UINT32_MAX || data < INT32_MIN ||
            data > INT32_MAX || stamp < 0 || stamp > UINT32_MAX) {
            return false;
        }
        trace.records.push_back(
            MouseRecord{static_cast<std::uint32_t>(offset),
                        static_cast<std::uint32_t>(static_cast<std::int32_t>(data)),
                        static_cast<std::uint32_t>(stamp), 0, 0});
        ++count;
    }
    return fields.eof();
}

bool readRead(std::istream& fields, AimTrace& trace) {
    AimTraceRead read;
    fields >> read.timeUs;
    if (!fields || !readStep(fields, read.step)) {
        return false;
    }
    read.firstRecord = static_cast<std::uint32_t>(trace.records.size());
    if (!readRecords(fields, trace, read.count)) {
        return false;
    }
    trace.entries.push_back(read);
    return true;
}

bool readEvaluation(std::istream& fields, AimTrace& trace) {
    AimTraceEvaluation evaluation;
    fields >> evaluation.timeUs;
    if (!fields || !readStep(fields, evaluation.step)) {
        return false;
    }
    fields >> evaluation.velocity.x >> evaluation.velocity.y >> evaluation.stick.x >>
        evaluation.stick.y;
    trace.entries.push_back(evaluation);
    return complete(fields);
}

bool readPacket(std::istream& fields, AimTrace& trace) {
    AimTracePacket packet;
    fields >> packet.timeUs >> packet.stick.x >> packet.stick.y;
    trace.entries.push_back(packet);
    return complete(fields);
}

// One line after the header; false when it cannot be read.
bool readLine(const std::string& line, AimTrace& trace, bool& curveSeen) {
    std::istringstream fields(line);
    std::string kind;
    if (!(fields >> kind) || kind.starts_with("#")) {
        return true;
    }
    if (kind == "curve") {
        curveSeen = true;
        return readCurve(fields, trace);
    }
    if (kind == "period") {
        fields >> trace.reportPeriodUs;
        return complete(fields) && trace.reportPeriodUs >= 0;
    }
    if (kind == "stamps") {
        fields >> trace.stampResolutionUs;
        return complete(fields) && trace.stampResolutionUs >= 0;
    }
    if (kind == "dropped") {
        fields >> trace.dropped;
        return complete(fields);
    }
    if (kind == "segment") {
        return readSegment(fields, trace);
    }
    if (kind == "read") {
        return readRead(fields, trace);
    }
    if (kind == "eval") {
        return readEvaluation(fields, trace);
    }
    if (kind == "packet") {
        return readPacket(fields, trace);
    }
    return false;
}

// A line without its end, CR LF or LF.
bool nextLine(std::istream& text, std::string& line) {
    if (!std::getline(text, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

AimTraceText failure(std::size_t line, const char* why) {
    AimTraceText result;
    result.errorLine = line;
    result.error = why;
    return result;
}

} // namespace

AimTraceText readAimTrace(std::istream& text) {
    AimTraceText result;
    std::string line;
    if (!nextLine(text, line) || line != kAimTraceHeader) {
        return failure(1, "not an aim trace: the first line is not its header");
    }
    bool curveSeen = false;
    for (std::size_t number = 2; nextLine(text, line); ++number) {
        if (!readLine(line, result.trace, curveSeen)) {
            return failure(number, "a line that cannot be read");
        }
    }
    if (!curveSeen) {
        return failure(0, "no curve line");
    }
    result.ok = true;
    return result;
}

} // namespace qora
