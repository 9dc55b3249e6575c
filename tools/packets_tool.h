#pragma once
// The qora-packets command line: argument handling, reading packets.bin and printing one
// decoded line per packet. Kept apart from main() so every outcome is testable.

#include "tools/packet_decoder.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace qora {

inline constexpr int kToolSuccess = 0;
inline constexpr int kToolBadFile = 1;
inline constexpr int kToolBadArguments = 2;

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

// Decodes a whole file's bytes, one line per packet; false (with the reason in error) when
// the length is not a whole number of packets.
bool decodePackets(PacketConsole console, const std::vector<std::uint8_t>& bytes, std::ostream& out,
                   std::string& error);

// Runs the tool; returns the exit status.
int runPacketsTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace qora
