#include "trace/aim_trace_file.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <variant>

namespace qora {
namespace {

// Collects text and hands it to the file in pieces of the buffer's size.
class TextFile {
public:
    TextFile(FileApi& files, NativeHandle file) : files_(files), file_(file) {}

    // Text as it is: a format without arguments would be a format all the same.
    void print(const char* text) { print("%s", text); }
    // snprintf into the buffer; a piece never exceeds kPieceSize.
    template <typename... Args>
    void print(const char* format, Args... args) {
        if (kBufferSize - used_ < kPieceSize) {
            flush();
        }
        const int length = std::snprintf(buffer_.data() + used_, kPieceSize, format, args...);
        if (length > 0) {
            used_ += std::min(static_cast<std::size_t>(length), kPieceSize - 1);
        }
    }
    void flush() {
        std::uint32_t written = 0;
        if (used_ != 0 && (!files_.writeFile(file_, buffer_.data(),
                                             static_cast<std::uint32_t>(used_), &written) ||
                           written != used_)) {
            failed_ = true;
        }
        used_ = 0;
    }
    bool failed() const { return failed_; }

private:
    static constexpr std::size_t kBufferSize = 1u << 16;
    static constexpr std::size_t kPieceSize = 256;

    FileApi& files_;
    NativeHandle file_;
    std::array<char, kBufferSize> buffer_{};
    std::size_t used_ = 0;
    bool failed_ = false;
};

const char* shapeName(AimShape shape) {
    return shape == AimShape::square ? "square" : "circle";
}

void writeHead(TextFile& text, const AimTrace& trace) {
    const AimCurve& curve = trace.curve;
    text.print("%s\n", kAimTraceHeader);
    text.print("curve %.17g %.17g %.17g %.17g %s %d\n", curve.sensitivityX, curve.sensitivityY,
               curve.deadZone, curve.exponent, shapeName(curve.shape),
               static_cast<int>(trace.mode));
    if (trace.reportPeriodUs != 0) {
        text.print("period %" PRId64 "\n", trace.reportPeriodUs);
    }
    if (trace.stampResolutionUs != 0) {
        text.print("stamps %" PRId64 "\n", trace.stampResolutionUs);
    }
    if (trace.dropped != 0) {
        text.print("dropped %" PRIu64 "\n", trace.dropped);
    }
    for (const AimTraceSegment& segment : trace.segments) {
        text.print("segment %" PRId64 " %" PRId64 " %" PRId64 " %.17g %.17g %d\n", segment.startUs,
                   segment.lastUs, segment.endUs, segment.speedX, segment.speedY,
                   static_cast<int>(segment.rateHz));
    }
}

void writeEntry(TextFile& text, const AimTrace& trace, const AimTraceRead& read) {
    text.print("read %" PRId64 " %c", read.timeUs, static_cast<char>(read.step));
    for (std::uint32_t i = 0; i < read.count; ++i) {
        const MouseRecord& record = trace.records[read.firstRecord + i];
        text.print(" %u %d %u", static_cast<unsigned>(record.dwOfs),
                   static_cast<int>(static_cast<std::int32_t>(record.dwData)),
                   static_cast<unsigned>(record.dwTimeStamp));
    }
    text.print("%s", "\n");
}

void writeEntry(TextFile& text, const AimTrace&, const AimTraceEvaluation& evaluation) {
    text.print("eval %" PRId64 " %c %.17g %.17g %d %d\n", evaluation.timeUs,
               static_cast<char>(evaluation.step), evaluation.velocity.x, evaluation.velocity.y,
               static_cast<int>(evaluation.stick.x), static_cast<int>(evaluation.stick.y));
}

void writeEntry(TextFile& text, const AimTrace&, const AimTracePacket& packet) {
    text.print("packet %" PRId64 " %d %d\n", packet.timeUs, static_cast<int>(packet.stick.x),
               static_cast<int>(packet.stick.y));
}

} // namespace

bool writeAimTrace(FileApi& files, const char* path, const AimTrace& trace) {
    const std::string temporary = std::string(path) + ".new";
    const NativeHandle file = files.createFile(temporary.c_str(), kGenericWrite, kFileShareRead,
                                               kCreateAlways, kFileAttributeNormal);
    if (file == kInvalidHandle) {
        return false;
    }
    // Its buffer stays off the stack.
    auto text = std::make_unique<TextFile>(files, file);
    writeHead(*text, trace);
    for (const AimTraceEntry& entry : trace.entries) {
        std::visit([&](const auto& item) { writeEntry(*text, trace, item); }, entry);
    }
    text->flush();
    const bool closed = files.closeHandle(file);
    return !text->failed() && closed && files.moveFileReplacing(temporary.c_str(), path);
}

} // namespace qora
