#include "tools/packets_tool.h"

#include <algorithm>
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

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::uint8_t chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

std::string packetsToolUsage() {
    return "usage: qora-packets --console xbox360|ps3 FILE\n"
           "       qora-packets --help\n"
           "\n"
           "Prints the packets in FILE (a packets.bin written by the virtual adapter), one\n"
           "line per 50-byte packet, the way the chosen console reads them.\n";
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
    if (bytes.size() % kDecodedPacketSize != 0) {
        error = "length " + std::to_string(bytes.size()) + " is not a multiple of " +
                std::to_string(kDecodedPacketSize) + " bytes";
        return false;
    }
    PacketBytes packet;
    for (std::size_t index = 0; index * kDecodedPacketSize < bytes.size(); ++index) {
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(index * kDecodedPacketSize);
        std::copy(begin, begin + kDecodedPacketSize, packet.begin());
        out << decodePacket(console, index, packet) << '\n';
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
    if (parsed.arguments.help) {
        out << packetsToolUsage();
        return kToolSuccess;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readWholeFile(parsed.arguments.file, bytes, error)) {
        err << kProgramName << ": " << error << '\n';
        return kToolBadFile;
    }
    if (!decodePackets(parsed.arguments.console, bytes, out, error)) {
        err << kProgramName << ": " << parsed.arguments.file << ": " << error << '\n';
        return kToolBadFile;
    }
    return kToolSuccess;
}

} // namespace qora
