// qora-profiles on the host: the store through the host file and ini seams.

#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"
#include "tools/profiles/profiles_tool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    qora::HostFileApi files;
    qora::HostProfileFile ini;
    qora::ProfilesToolPlatform platform{files, ini};
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return qora::runProfilesTool(arguments, platform, std::cout, std::cerr);
}
