// qora-packets over random arguments and random packets.bin contents: bad arguments give
// exit status 2 with the reason and the usage on stderr; --help prints the usage; a file
// of whole packets prints one line per packet, each the decoder's line for that packet,
// in order; a file that cannot be read or ends in a torn packet fails with status 1 and
// a reason, and whatever it printed is still the file's packets in order.
//
// Input: a byte with the number of arguments (0-7), that many NUL-terminated arguments,
// then the bytes of the file. Arguments are run only when every one that could name the
// file is a plain name in the work directory, so no run reaches beyond it.

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "work_directory.h"

#include "tools/packet_decoder.h"
#include "tools/packets_tool.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace qora::fuzzing {
namespace {

constexpr std::size_t kMaxArguments = 8;
constexpr const char* kErrorStart = "qora-packets: ";

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Only names inside the work directory; "-" or "/dev/stdin" would wait for input and
// "/dev/zero" never end.
bool staysInWorkDirectory(const std::vector<std::string>& arguments) {
    return std::all_of(arguments.begin(), arguments.end(), [](const std::string& argument) {
        return argument.find('/') == std::string::npos && argument != "-" && argument != "." &&
               argument != "..";
    });
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    require(text.empty() || text.back() == '\n', "every line printed ends with a line end");
    return lines;
}

void checkBadArguments(const ParsedArguments& parsed, const std::string& out,
                       const std::string& err) {
    require(!parsed.error.empty(), "refused arguments come with a reason");
    require(out.empty(), "refused arguments print nothing on stdout");
    require(startsWith(err, kErrorStart + parsed.error) && endsWith(err, packetsToolUsage()),
            "refused arguments print the reason and the usage");
}

void checkDecodedFile(const ParsedArguments& parsed, const std::vector<std::uint8_t>& file,
                      int status, const std::string& out, const std::string& err) {
    const std::vector<std::string> lines = linesOf(out);
    const std::size_t wholePackets = file.size() / kDecodedPacketSize;
    require(lines.size() <= wholePackets, "no more lines than whole packets");
    PacketBytes packet;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(i * kDecodedPacketSize),
                    kDecodedPacketSize, packet.begin());
        require(lines[i] == decodePacket(parsed.arguments.console, i, packet),
                "line i is the decoded packet i");
    }
    if (file.size() % kDecodedPacketSize != 0) {
        require(status == kToolTornTail, "a torn packet at the end fails the run");
    }
    if (status == kToolSuccess || status == kToolTornTail) {
        require(lines.size() == wholePackets, "every whole packet is printed");
    }
    if (status == kToolSuccess) {
        require(err.empty(), "a run that succeeds says nothing on stderr");
    } else if (status == kToolTornTail) {
        require(startsWith(err, kErrorStart), "a torn tail is reported on stderr");
    } else {
        require(status == kToolBadFile, "a file problem exits with status 1");
        require(startsWith(err, kErrorStart) && err.size() > std::string(kErrorStart).size(),
                "a file problem says what it is");
    }
}

// Relative file names in the arguments name files of the work directory while it lasts;
// libFuzzer's own paths are relative to where it started.
class InWorkDirectory {
public:
    InWorkDirectory() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(workDirectory().path());
    }
    ~InWorkDirectory() { std::filesystem::current_path(previous_); }
    InWorkDirectory(const InWorkDirectory&) = delete;
    InWorkDirectory& operator=(const InWorkDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    std::vector<std::string> arguments(input.byte() % kMaxArguments);
    for (std::string& argument : arguments) {
        argument = input.text();
    }
    const std::vector<std::uint8_t> file = input.rest();

    const ParsedArguments parsed = parsePacketsToolArguments(arguments);
    require(parsed.ok == parsed.error.empty(), "arguments are taken or refused with a reason");
    if (!staysInWorkDirectory(arguments)) {
        return 0;
    }
    const std::string& name = parsed.arguments.file;
    const bool writesFile = parsed.ok && !name.empty();
    if (writesFile) {
        workDirectory().write(name, std::string(file.begin(), file.end()));
    }
    // A name the file system refuses (too long, say) leaves no file for the tool to read.
    std::error_code noSuchFile;
    const bool fileWritten =
        writesFile && std::filesystem::exists(workDirectory().file(name), noSuchFile);
    std::ostringstream out;
    std::ostringstream err;
    int status = 0;
    {
        const InWorkDirectory inWorkDirectory;
        status = runPacketsTool(arguments, out, err);
    }
    if (writesFile) {
        removeFile(workDirectory().file(name));
    }
    if (!parsed.ok) {
        require(status == kToolBadArguments, "refused arguments exit with status 2");
        checkBadArguments(parsed, out.str(), err.str());
    } else if (parsed.arguments.help) {
        require(status == kToolSuccess && out.str() == packetsToolUsage() && err.str().empty(),
                "--help prints the usage and succeeds");
    } else {
        checkDecodedFile(parsed, fileWritten ? file : std::vector<std::uint8_t>{}, status,
                         out.str(), err.str());
    }
    return 0;
}
