#pragma once
// The qora-packets command line: argument handling, reading packets.bin piece by piece and
// printing one decoded line per packet. Kept apart from main() so every outcome is
// testable.

#include "tools/packet_decoder.h"

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

namespace qora {

inline constexpr int kToolSuccess = 0;
// FILE cannot be read or is no packets file, or the output cannot be written.
inline constexpr int kToolBadFile = 1;
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

// The outcome of decoding one input; its decoded lines have gone out already.
struct PacketsDecoding {
    int status = kToolSuccess;
    std::string error;
};

// Decodes file piece by piece, one line per whole packet, and reads no more than limit
// bytes of it: an input that goes on past the limit is no packets file, whatever length it
// claims, and ends there with the packets before it decoded. name is the file's in the
// messages.
PacketsDecoding decodePacketStream(PacketConsole console, std::FILE* file, const std::string& name,
                                   std::uint64_t limit, std::ostream& out);

// Runs the tool; returns the exit status.
int runPacketsTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace qora
