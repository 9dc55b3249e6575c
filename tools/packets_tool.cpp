#include "tools/packets_tool.h"

#include "tools/packet_stream.h"
#include "tools/tool_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// The outcome of decoding one file; the decoded lines have gone out already.
struct FileDecoding {
    int status = kToolSuccess;
    std::string error;
};

std::string tornTailError(const PacketStreamDecoder& decoder) {
    const std::uint64_t length =
        decoder.packetCount() * kDecodedPacketSize + decoder.pendingBytes();
    return "ends in " + std::to_string(decoder.pendingBytes()) +
           " bytes that are not a whole packet (length " + std::to_string(length) +
           " is not a multiple of " + std::to_string(kDecodedPacketSize) + " bytes); the " +
           std::to_string(decoder.packetCount()) + " whole packets before them are decoded";
}

FileDecoding decodeFile(PacketConsole console, const std::string& path, std::ostream& out) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return {kToolBadFile, "cannot open " + path + ": " + std::strerror(errno)};
    }
    PacketStreamDecoder decoder(console, out);
    std::vector<std::uint8_t> chunk(kReadChunkSize);
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
        decoder.feed(chunk.data(), got);
        if (!out) {
            // No use decoding on: nothing more would reach the output.
            return {kToolBadFile, outputFailure(out)};
        }
    }
    if (std::ferror(file.get())) {
        return {kToolBadFile, "cannot read " + path + ": " + std::strerror(errno)};
    }
    if (decoder.pendingBytes() != 0) {
        return {kToolTornTail, path + ": " + tornTailError(decoder)};
    }
    return {};
}

} // namespace

std::string packetsToolUsage() {
    return "usage: qora-packets --console xbox360|ps3 FILE\n"
           "       qora-packets --help\n"
           "\n"
           "Prints the packets in FILE (a packets.bin written by the virtual adapter), one\n"
           "line per 50-byte packet, the way the chosen console reads them.\n"
           "\n"
           "Exit status: 0 every packet decoded; 1 FILE cannot be opened or read, or the\n"
           "output cannot be written (a full disk, for example); 2 bad arguments; 3 FILE\n"
           "ends in part of a packet (the whole packets before it are decoded).\n";
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
    FileDecoding decoding;
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
