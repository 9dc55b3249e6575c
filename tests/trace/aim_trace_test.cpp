#include "trace/aim_trace.h"

#include "fakes/failing_file_api.h"
#include "fakes/temp_directory.h"
#include "platform/host/host_file_api.h"
#include "trace/aim_trace_file.h"
#include "trace/aim_trace_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace qora {
namespace {

MouseRecord record(std::uint32_t offset, std::int32_t data, std::uint32_t stamp) {
    return MouseRecord{offset, static_cast<std::uint32_t>(data), stamp, 0, 0};
}

// Room for three entries and four records: what does not fit is counted, never grown into,
// and a new run empties the trace but keeps its room.
TEST(AimTraceRecording, KeepsWhatFitsItsRoomAndCountsTheRest) {
    AimTrace trace;
    reserveAimTrace(trace, 3, 4);
    const MouseRecord* const entryRoom = trace.records.data();
    const std::vector<MouseRecord> three{record(mouse_offset::x, 2, 7),
                                         record(mouse_offset::y, -1, 7),
                                         record(mouse_offset::x, 1, 8)};
    traceRead(trace, AimTraceStep::event, 100, three.data(), 3);
    traceRead(trace, AimTraceStep::tick, 200, three.data(), 2); // five records: no room
    traceEvaluation(trace, {300, AimTraceStep::refresh, {1.5, 0.0}, {12, 0}});
    tracePacket(trace, {310, {12, 0}});
    traceEvaluation(trace, {400, AimTraceStep::refresh, {0.0, 0.0}, {0, 0}}); // a fourth entry

    const std::vector<AimTraceEntry> expected{
        AimTraceRead{100, AimTraceStep::event, 0, 3},
        AimTraceEvaluation{300, AimTraceStep::refresh, {1.5, 0.0}, {12, 0}},
        AimTracePacket{310, {12, 0}}};
    EXPECT_EQ(trace.entries, expected);
    EXPECT_EQ(trace.records.size(), 3u);
    EXPECT_EQ(trace.dropped, 2u);
    EXPECT_EQ(trace.records.data(), entryRoom);

    beginAimTrace(trace, AimCurve{1.0, 1.0, 0.24, 1.0, AimShape::circle}, kConsolePs3);
    EXPECT_TRUE(trace.entries.empty());
    EXPECT_TRUE(trace.records.empty());
    EXPECT_EQ(trace.dropped, 0u);
    EXPECT_EQ(trace.mode, kConsolePs3);
    traceRead(trace, AimTraceStep::event, 500, three.data(), 3);
    EXPECT_EQ(trace.records.data(), entryRoom);
    EXPECT_EQ(trace.dropped, 0u);
}

// A trace with every kind of line, numbers that do not round well, and more text than the
// writer's buffer holds.
AimTrace everyKindOfLine() {
    AimTrace trace;
    trace.curve = {0.7, 1.3, 0.24, 0.35, AimShape::square};
    trace.mode = kConsolePs3;
    trace.reportPeriodUs = 1129;
    trace.stampResolutionUs = 1000;
    trace.dropped = 5;
    trace.segments = {{1000000, 1699000, 1700000, -4.0, 0.0, 1000},
                      {2100000, 2790000, 2800000, 1.0 / 3.0, -2.0, 125}};
    trace.records = {record(mouse_offset::x, -7, 4294967295u), record(mouse_offset::y, 3, 12),
                     record(mouse_offset::button0, 0x80, 12)};
    trace.entries = {AimTraceRead{1000100, AimTraceStep::event, 0, 3},
                     AimTraceRead{1000200, AimTraceStep::tick, 3, 0},
                     AimTraceEvaluation{1000100, AimTraceStep::event, {-0.1, 1e-300}, {-32767, 4}},
                     AimTracePacket{1000150, {-32767, 4}}};
    for (std::uint32_t i = 0; i < 5000; ++i) {
        trace.records.push_back(record(mouse_offset::x, static_cast<std::int32_t>(i) - 2500, i));
        trace.entries.push_back(AimTraceRead{2000000 + i, AimTraceStep::refresh,
                                             static_cast<std::uint32_t>(trace.records.size() - 1),
                                             1});
    }
    return trace;
}

void expectSameRecords(const std::vector<MouseRecord>& got, const std::vector<MouseRecord>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].dwOfs, want[i].dwOfs) << "record " << i;
        EXPECT_EQ(got[i].dwData, want[i].dwData) << "record " << i;
        EXPECT_EQ(got[i].dwTimeStamp, want[i].dwTimeStamp) << "record " << i;
    }
}

TEST(AimTraceFile, WhatIsWrittenReadsBackTheSame) {
    testing::TempDirectory folder;
    HostFileApi files;
    const AimTrace written = everyKindOfLine();
    ASSERT_TRUE(writeAimTrace(files, folder.file(kAimTraceFileName).c_str(), written));
    std::istringstream text(folder.read(kAimTraceFileName));
    const AimTraceText read = readAimTrace(text);
    ASSERT_TRUE(read.ok) << "line " << read.errorLine << ": " << read.error;
    const AimTrace& trace = read.trace;
    EXPECT_EQ(trace.curve.sensitivityX, written.curve.sensitivityX);
    EXPECT_EQ(trace.curve.sensitivityY, written.curve.sensitivityY);
    EXPECT_EQ(trace.curve.deadZone, written.curve.deadZone);
    EXPECT_EQ(trace.curve.exponent, written.curve.exponent);
    EXPECT_EQ(trace.curve.shape, written.curve.shape);
    EXPECT_EQ(trace.mode, written.mode);
    EXPECT_EQ(trace.reportPeriodUs, written.reportPeriodUs);
    EXPECT_EQ(trace.stampResolutionUs, written.stampResolutionUs);
    EXPECT_EQ(trace.dropped, written.dropped);
    EXPECT_EQ(trace.segments, written.segments);
    EXPECT_EQ(trace.entries, written.entries);
    expectSameRecords(trace.records, written.records);
}

// A trace appears whole or not at all: the bench reads it as soon as it is there.
TEST(AimTraceFile, AFileThatCannotBeWrittenIsReportedAndNeverAppearsInPart) {
    using Failure = testing::FailingFileApi::Failure;
    for (const Failure failure :
         {Failure::createTemporary, Failure::write, Failure::close, Failure::move}) {
        SCOPED_TRACE(static_cast<int>(failure));
        testing::TempDirectory folder;
        testing::FailingFileApi files(failure);
        EXPECT_FALSE(
            writeAimTrace(files, folder.file(kAimTraceFileName).c_str(), everyKindOfLine()));
        EXPECT_FALSE(folder.exists(kAimTraceFileName)); // no part of a trace
    }
}

TEST(AimTraceReader, RefusesALineItCannotRead) {
    const std::string head = "qora-aim-trace 1\ncurve 1 1 0.24 1 circle 0\n";
    struct Case {
        const char* name;
        std::string text;
        std::size_t line;
    };
    const Case cases[] = {
        {"another file", "packets\n" + head, 1},
        {"a later version", "qora-aim-trace 2\ncurve 1 1 0.24 1 circle 0\n", 1},
        {"no curve", "qora-aim-trace 1\nread 5 e 0 1 9\n", 0},
        {"an unknown shape", "qora-aim-trace 1\ncurve 1 1 0.24 1 oval 0\n", 2},
        {"an unknown step", head + "read 5 x 0 1 9\n", 3},
        {"a record without its time stamp", head + "read 5 e 0 1 9 4 2\n", 3},
        {"a record's data beyond 32 bits", head + "read 5 e 0 4294967296 9\n", 3},
        {"an evaluation without its stick", head + "eval 5 r 0.5 0\n", 3},
        {"a packet with more", head + "packet 5 0 0 0\n", 3},
        {"a segment without its rate", head + "segment 1 2 3 4 0\n", 3},
        {"an unknown line", head + "# fine\n\nmove 5 1\n", 5},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::istringstream text(test.text);
        const AimTraceText read = readAimTrace(text);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.errorLine, test.line);
    }
    std::istringstream crlf("qora-aim-trace 1\r\ncurve 1 1 0.24 1 circle 0\r\nread 5 e 0 1 9\r\n");
    const AimTraceText read = readAimTrace(crlf);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.trace.entries.size(), 1u);
}

} // namespace
} // namespace qora
