#pragma once
// Everything the program reads or writes lives in the directory of the executable.

#include <string>

namespace qora {

struct ProgramPaths {
    std::string directory; // ends in the path separator
    std::string settingIni;
    std::string configBin;
    std::string layersBin;     // the layers of the profiles of config.bin
    std::string packetsBin;    // where the virtual adapter appends its packets
    std::string packetsOldBin; // the previous packets.bin once it grew too large
};

// directory must end in a separator ("C:\\games\\qora\\" or "/tmp/x/").
ProgramPaths makeProgramPaths(const std::string& directory);

// The directory part of a module file name, ending in its last separator ('\\' or '/').
std::string directoryOf(const std::string& moduleFileName);

} // namespace qora
