#include "platform/program_paths.h"

#include "formats/setting_ini.h"

namespace qora {

ProgramPaths makeProgramPaths(const std::string& directory) {
    return ProgramPaths{directory,
                        directory + kSettingIniName,
                        directory + kConfigBinName,
                        directory + kLayersBinName,
                        directory + kPacketsBinName,
                        directory + kPacketsOldBinName};
}

std::string directoryOf(const std::string& moduleFileName) {
    const auto separator = moduleFileName.find_last_of("\\/");
    if (separator == std::string::npos) {
        return std::string();
    }
    return moduleFileName.substr(0, separator + 1);
}

} // namespace qora
