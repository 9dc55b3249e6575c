#include "tools/packets_tool.h"

#include "tools/packet_stream.h"

#include "fakes/guarded_run.h"
#include "fakes/temp_directory.h"
#include "formats/setting_ini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::TempDirectory;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun run(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runPacketsTool(arguments, out, err);
    return {status, out.str(), err.str()};
}

std::string xboxRestPacket() {
    std::string packet(50, '\0');
    packet[2] = '\x14';
    return packet;
}

TEST(PacketsToolArguments, ConsoleAndFileInEitherOrder) {
    const ParsedArguments ps3 = parsePacketsToolArguments({"--console", "ps3", "packets.bin"});
    ASSERT_TRUE(ps3.ok) << ps3.error;
    EXPECT_EQ(ps3.arguments.console, PacketConsole::ps3);
    EXPECT_EQ(ps3.arguments.file, "packets.bin");
    EXPECT_FALSE(ps3.arguments.help);

    const ParsedArguments xbox = parsePacketsToolArguments({"p.bin", "--console", "xbox360"});
    ASSERT_TRUE(xbox.ok) << xbox.error;
    EXPECT_EQ(xbox.arguments.console, PacketConsole::xbox360);
    EXPECT_EQ(xbox.arguments.file, "p.bin");
}

TEST(PacketsToolArguments, HelpNeedsNothingElse) {
    for (const char* flag : {"--help", "-h"}) {
        const ParsedArguments parsed = parsePacketsToolArguments({flag});
        EXPECT_TRUE(parsed.ok) << flag;
        EXPECT_TRUE(parsed.arguments.help) << flag;
    }
}

TEST(PacketsToolArguments, MistakesAreNamed) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "--console is required"},
        {{"packets.bin"}, "--console is required"},
        {{"--console", "ps3"}, "FILE is required"},
        {{"--console"}, "--console needs a value"},
        {{"--console", "ps4", "p.bin"}, "unknown console 'ps4'"},
        {{"--console", "PS3", "p.bin"}, "unknown console 'PS3'"},
        {{"--console", "ps3", "a.bin", "b.bin"}, "only one FILE"},
        {{"--verbose", "--console", "ps3", "p.bin"}, "unknown option '--verbose'"},
    };
    for (const auto& [arguments, message] : cases) {
        const ParsedArguments parsed = parsePacketsToolArguments(arguments);
        EXPECT_FALSE(parsed.ok) << message;
        EXPECT_NE(parsed.error.find(message), std::string::npos) << parsed.error;
    }
}

TEST(PacketsTool, HelpGoesToStandardOutput) {
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: qora-packets --console xbox360|ps3 FILE"), std::string::npos);
    EXPECT_TRUE(help.err.empty());
}

TEST(PacketsTool, BadArgumentsFailWithUsageOnStandardError) {
    const ToolRun bad = run({"--console", "gamecube", "p.bin"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_NE(bad.err.find("qora-packets: unknown console 'gamecube'"), std::string::npos);
    EXPECT_NE(bad.err.find("usage:"), std::string::npos);
}

TEST(PacketsTool, MissingFileFails) {
    TempDirectory directory;
    const ToolRun missing = run({"--console", "ps3", directory.file("nothing.bin")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("cannot open " + directory.file("nothing.bin")), std::string::npos)
        << missing.err;
}

// A packets file is what the virtual adapter writes: a file of at most 64 MiB. A folder, a
// device and a longer file are refused with the reason before a line is printed, and the
// test stops a tool that would decode an endless device for ever.
TEST(PacketsTool, WhatCannotBeAPacketsFileIsRefusedWithTheReason) {
    TempDirectory directory;
    std::filesystem::create_directory(directory.file("folder"));
    std::filesystem::create_symlink("/dev/zero", directory.file("zero.bin"));
    directory.write("long.bin", "");
    std::filesystem::resize_file(directory.file("long.bin"), kPacketsFileCap + 50);
    const std::string tooLong = ": longer than 67108864 bytes, the most a packets.bin holds";
    const std::pair<std::string, std::string> rows[] = {
        {directory.file("folder"), ": a folder, not a packets file"},
        {"/dev/zero", ": a device, not a packets file"},
        {directory.file("zero.bin"), ": a device, not a packets file"},
        {directory.file("long.bin"), tooLong},
    };
    for (const auto& [file, reason] : rows) {
        const testing::GuardedRun refused =
            testing::runGuarded([&file](std::ostream& out, std::ostream& err) {
                return runPacketsTool({"--console", "xbox360", file}, out, err);
            });
        EXPECT_EQ(refused.stopped, "") << file;
        EXPECT_EQ(refused.status, 1) << file;
        EXPECT_TRUE(refused.out.empty()) << file;
        EXPECT_EQ(refused.err, "qora-packets: cannot read " + file + reason + "\n");
    }
}

// Past the limit the input is no packets file, whatever it says its size is: a device or a
// pipe that never ends stops there too, after the whole packets before the limit.
TEST(PacketStream, AnInputLongerThanTheLimitEndsThere) {
    TempDirectory directory;
    struct Row {
        std::string file;
        std::size_t length; // of a file written for the row; 0: the file as it is
        int status;
    };
    const Row rows[] = {
        {directory.file("at-limit.bin"), 500, kToolSuccess},
        {directory.file("one-beyond.bin"), 501, kToolBadFile},
        {directory.file("far-beyond.bin"), 5000, kToolBadFile},
        {"/dev/zero", 0, kToolBadFile},
    };
    for (const Row& row : rows) {
        if (row.length != 0) {
            std::ofstream(row.file, std::ios::binary) << std::string(row.length, '\0');
        }
        const testing::GuardedRun decoded =
            testing::runGuarded([&row](std::ostream& out, std::ostream&) {
                std::FILE* file = std::fopen(row.file.c_str(), "rb");
                const PacketsDecoding decoding =
                    decodePacketStream(PacketConsole::ps3, file, row.file, 500, out);
                out << decoding.error;
                return decoding.status;
            });
        EXPECT_EQ(decoded.stopped, "") << row.file;
        EXPECT_EQ(decoded.status, row.status) << row.file;
        const std::size_t lines =
            static_cast<std::size_t>(std::count(decoded.out.begin(), decoded.out.end(), '\n'));
        EXPECT_EQ(lines, 10u) << row.file << decoded.out;
        if (row.status != kToolSuccess) {
            EXPECT_NE(decoded.out.find("cannot read " + row.file +
                                       ": longer than 500 bytes, the most a packets.bin "
                                       "holds; the 10 whole packets before are decoded"),
                      std::string::npos)
                << decoded.out;
        }
    }
}

TEST(PacketsTool, DecodesTheWholePacketsAndReportsATornTail) {
    TempDirectory directory;
    for (const std::size_t length : {1u, 49u, 51u, 149u}) {
        directory.write("packets.bin", std::string(length, '\0'));
        const ToolRun torn = run({"--console", "xbox360", directory.file("packets.bin")});
        EXPECT_EQ(torn.status, 3) << length;
        const std::size_t lines =
            static_cast<std::size_t>(std::count(torn.out.begin(), torn.out.end(), '\n'));
        EXPECT_EQ(lines, length / 50) << length;
        EXPECT_NE(torn.err.find("ends in " + std::to_string(length % 50) +
                                " bytes that are not a whole packet (length " +
                                std::to_string(length) + " is not a multiple of 50 bytes)"),
                  std::string::npos)
            << torn.err;
    }
}

// Bytes arrive in pieces of any size; a packet split across pieces decodes as one.
TEST(PacketStream, PiecesOfAnySizeDecodeAsTheWholeInput) {
    std::vector<std::uint8_t> bytes(7 * 50 + 13);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 37);
    }
    std::ostringstream whole;
    std::string error;
    EXPECT_FALSE(decodePackets(PacketConsole::ps3, bytes, whole, error));
    EXPECT_NE(error.find("ends in 13 bytes"), std::string::npos) << error;

    for (const std::size_t piece : {1u, 7u, 49u, 50u, 51u, 4096u}) {
        std::ostringstream out;
        PacketStreamDecoder decoder(PacketConsole::ps3, out);
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            decoder.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
        }
        EXPECT_EQ(out.str(), whole.str()) << piece;
        EXPECT_EQ(decoder.packetCount(), 7u) << piece;
        EXPECT_EQ(decoder.pendingBytes(), 13u) << piece;
    }
}

TEST(PacketsTool, PrintsOneNumberedLinePerPacket) {
    TempDirectory directory;
    std::string second = xboxRestPacket();
    second[5] = '\xFF'; // left trigger
    directory.write("packets.bin", xboxRestPacket() + second + xboxRestPacket());
    const ToolRun ok = run({"--console", "xbox360", directory.file("packets.bin")});
    EXPECT_EQ(ok.status, 0);
    EXPECT_TRUE(ok.err.empty());
    EXPECT_EQ(ok.out,
              "#0 xbox360 buttons: - | LT 0 RT 0 | LX 0 LY 0 RX 0 RY 0 | motion X 0 Y 0 Z 0\n"
              "#1 xbox360 buttons: - | LT 255 RT 0 | LX 0 LY 0 RX 0 RY 0 | motion X 0 Y 0 Z 0\n"
              "#2 xbox360 buttons: - | LT 0 RT 0 | LX 0 LY 0 RX 0 RY 0 | motion X 0 Y 0 Z 0\n");
}

TEST(PacketsTool, AnEmptyFileHasNoPackets) {
    TempDirectory directory;
    directory.write("packets.bin", "");
    const ToolRun empty = run({"--console", "ps3", directory.file("packets.bin")});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.empty());
    EXPECT_TRUE(empty.err.empty());
}

} // namespace
} // namespace qora
