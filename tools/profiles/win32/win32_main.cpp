// qora-profiles.exe: the store through the Win32 file and profile functions, as qora.exe
// reaches it.

#include "platform/win32/win32_file_api.h"
#include "platform/win32/win32_profile_file_api.h"
#include "tools/profiles/profiles_tool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    qora::Win32FileApi files;
    qora::Win32ProfileFileApi ini;
    qora::ProfilesToolPlatform platform{files, ini};
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return qora::runProfilesTool(arguments, platform, std::cout, std::cerr);
}
