#include "platform/program_paths.h"

namespace qora {

ProgramPaths makeProgramPaths(const std::string& directory) {
    return ProgramPaths{directory, directory + "setting.ini", directory + "config.bin",
                        directory + "packets.bin", directory + "packets.old.bin"};
}

std::string directoryOf(const std::string& moduleFileName) {
    const auto separator = moduleFileName.find_last_of("\\/");
    if (separator == std::string::npos) {
        return std::string();
    }
    return moduleFileName.substr(0, separator + 1);
}

} // namespace qora
