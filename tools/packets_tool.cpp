#include "tools/packets_tool.h"

#include "formats/setting_ini.h"
#include "tools/packet_stream.h"
#include "tools/tool_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <utility>

namespace qora {
namespace {

constexpr const char* kProgramName = "qora-packets";

struct ConsoleName {
    const char* name;
    PacketConsole console;
};
constexpr ConsoleName kConsoleNames[] = {{"xbox360", PacketConsole::xbox360},
                                         {"ps3", PacketConsole::ps3}};

bool consoleNamed(const std::string& name, PacketConsole& console) {
    for (const ConsoleName& known : kConsoleNames) {
        if (name == known.name) {
            console = known.console;
            return true;
        }
    }
    return false;
}

ParsedArguments failure(std::string error) {
    ParsedArguments parsed;
    parsed.error = std::move(error);
    return parsed;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::size_t kReadChunkSize = 64 * 1024;

std::string tornTailError(const PacketStreamDecoder& decoder) {
    const std::uint64_t length =
        decoder.packetCount() * kDecodedPacketSize + decoder.pendingBytes();
    return "ends in " + std::to_string(decoder.pendingBytes()) +
           " bytes that are not a whole packet (length " + std::to_string(length) +
           " is not a multiple of " + std::to_string(kDecodedPacketSize) + " bytes); the " +
           std::to_string(decoder.packetCount()) + " whole packets before them are decoded";
}

std::string tooLongReason(std::uint64_t limit) {
    return "longer than " + std::to_string(limit) + " bytes, the most a packets.bin holds";
}

// Why the file the path names cannot be a packets file, which the virtual adapter writes
// as a file of at most kPacketsFileCap bytes; empty when it may be one. A device would
// decode for ever; a pipe has no length to tell and is decoded up to the limit.
std::string notAPacketsFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    switch (status.type()) {
    case fs::file_type::directory:
        return "a folder, not a packets file";
    case fs::file_type::character:
    case fs::file_type::block:
        return "a device, not a packets file";
    case fs::file_type::regular: {
        const std::uintmax_t size = fs::file_size(path, error);
        return !error && size > static_cast<std::uintmax_t>(kPacketsFileCap)
                   ? tooLongReason(static_cast<std::uint64_t>(kPacketsFileCap))
                   : std::string();
    }
    default:
        return {};
    }
}

PacketsDecoding decodeFile(PacketConsole console, const std::string& path, std::ostream& out) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return {kToolBadFile, "cannot open " + path + ": " + std::strerror(errno)};
    }
    if (const std::string reason = notAPacketsFile(path); !reason.empty()) {
        return {kToolBadFile, "cannot read " + path + ": " + reason};
    }
    return decodePacketStream(console, file.get(), path,
                              static_cast<std::uint64_t>(kPacketsFileCap), out);
}

} // namespace

std::string packetsToolUsage() {
    return "usage: qora-packets --console xbox360|ps3 FILE\n"
           "       qora-packets --help\n"
           "\n"
           "Prints the packets in FILE (a packets.bin written by the virtual adapter), one\n"
           "line per 50-byte packet, the way the chosen console reads them.\n"
           "\n"
           "Exit status: 0 every packet decoded; 1 FILE cannot be opened or read, is no\n"
           "packets file (a folder, a device, more than the 64 MiB the virtual adapter\n"
           "writes), or the output cannot be written (a full disk, for example); 2 bad\n"
           "arguments; 3 FILE ends in part of a packet (the whole packets before it are\n"
           "decoded).\n";
}

ParsedArguments parsePacketsToolArguments(const std::vector<std::string>& arguments) {
    ParsedArguments parsed;
    bool consoleGiven = false;
    bool fileGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.arguments.help = true;
        } else if (argument == "--console") {
            if (i + 1 == arguments.size()) {
                return failure("--console needs a value: xbox360 or ps3");
            }
            const std::string& name = arguments[++i];
            if (!consoleNamed(name, parsed.arguments.console)) {
                return failure("unknown console '" + name + "': use xbox360 or ps3");
            }
            consoleGiven = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return failure("unknown option '" + argument + "'");
        } else if (fileGiven) {
            return failure("only one FILE can be given");
        } else {
            parsed.arguments.file = argument;
            fileGiven = true;
        }
    }
    if (!parsed.arguments.help) {
        if (!consoleGiven) {
            return failure("--console is required");
        }
        if (!fileGiven) {
            return failure("FILE is required");
        }
    }
    parsed.ok = true;
    return parsed;
}

PacketsDecoding decodePacketStream(PacketConsole console, std::FILE* file, const std::string& name,
                                   std::uint64_t limit, std::ostream& out) {
    PacketStreamDecoder decoder(console, out);
    std::vector<std::uint8_t> chunk(kReadChunkSize);
    std::uint64_t total = 0;
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        const std::size_t taken =
            static_cast<std::size_t>(std::min<std::uint64_t>(got, limit - total));
        decoder.feed(chunk.data(), taken);
        total += taken;
        if (!out) {
            // No use decoding on: nothing more would reach the output.
            return {kToolBadFile, outputFailure(out)};
        }
        if (taken < got) {
            return {kToolBadFile, "cannot read " + name + ": " + tooLongReason(limit) + "; the " +
                                      std::to_string(decoder.packetCount()) +
                                      " whole packets before are decoded"};
        }
    }
    if (std::ferror(file)) {
        return {kToolBadFile, "cannot read " + name + ": " + std::strerror(errno)};
    }
    if (decoder.pendingBytes() != 0) {
        return {kToolTornTail, name + ": " + tornTailError(decoder)};
    }
    return {};
}

bool decodePackets(PacketConsole console, const std::vector<std::uint8_t>& bytes, std::ostream& out,
                   std::string& error) {
    PacketStreamDecoder decoder(console, out);
    decoder.feed(bytes.data(), bytes.size());
    if (decoder.pendingBytes() != 0) {
        error = tornTailError(decoder);
        return false;
    }
    return true;
}

int runPacketsTool(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err) {
    const ParsedArguments parsed = parsePacketsToolArguments(arguments);
    if (!parsed.ok) {
        err << kProgramName << ": " << parsed.error << '\n' << packetsToolUsage();
        return kToolBadArguments;
    }
    PacketsDecoding decoding;
    if (parsed.arguments.help) {
        out << packetsToolUsage();
    } else {
        decoding = decodeFile(parsed.arguments.console, parsed.arguments.file, out);
    }
    if (decoding.status == kToolSuccess || decoding.status == kToolTornTail) {
        if (std::string failure = outputFailure(out); !failure.empty()) {
            decoding = {kToolBadFile, std::move(failure)};
        }
    }
    if (decoding.status != kToolSuccess) {
        err << kProgramName << ": " << decoding.error << '\n';
    }
    return decoding.status;
}

} // namespace qora
