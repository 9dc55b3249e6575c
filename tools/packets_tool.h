#pragma once
// The qora-packets command line: argument handling, reading packets.bin piece by piece and
// printing one decoded line per packet. Kept apart from main() so every outcome is
// testable.

#include "tools/packet_decoder.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace qora {

inline constexpr int kToolSuccess = 0;
inline constexpr int kToolBadFile = 1; // FILE cannot be read, or the output cannot be written
inline constexpr int kToolBadArguments = 2;
inline constexpr int kToolTornTail = 3; // the whole packets were decoded, a torn one was not

struct PacketsToolArguments {
    bool help = false;
    PacketConsole console = PacketConsole::xbox360;
    std::string file;
};

struct ParsedArguments {
    bool ok = false;
    PacketsToolArguments arguments;
    std::string error; // why parsing failed
};

// arguments excludes the program name.
ParsedArguments parsePacketsToolArguments(const std::vector<std::string>& arguments);

std::string packetsToolUsage();

// Decodes bytes, one line per whole packet; false (with the reason in error) when they
// end in part of a packet, which is not decoded.
bool decodePackets(PacketConsole console, const std::vector<std::uint8_t>& bytes, std::ostream& out,
                   std::string& error);

// Runs the tool; returns the exit status.
int runPacketsTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace qora
