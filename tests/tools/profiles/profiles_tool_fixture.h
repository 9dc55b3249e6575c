#pragma once
// Common ground of the qora-profiles tests: a store folder with real files, the tool run
// in-process against it, and records laid out as a profile text can hold them.

#include "fakes/temp_directory.h"
#include "formats/profile_record.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"
#include "tools/profiles/profiles_tool.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace qora::testing {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

inline ToolRun runTool(FileApi& files, ProfileFileApi& ini,
                       const std::vector<std::string>& arguments) {
    ProfilesToolPlatform platform{files, ini};
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProfilesTool(arguments, platform, out, err);
    return {status, out.str(), err.str()};
}

inline ToolRun runTool(FileApi& files, const std::vector<std::string>& arguments) {
    HostProfileFile ini;
    return runTool(files, ini, arguments);
}

inline std::string bytesOf(const ProfileRecord& record) {
    return std::string(reinterpret_cast<const char*>(record.bytes.data()), kProfileRecordSize);
}

// A profile as the Setting dialog makes it: a name and both zoom scales 1.0.
inline ProfileRecord newProfile(const std::string& name) {
    ProfileRecord record;
    setProfileName(record, name);
    writeZoomScale(record, profile::xZoomScale, 1.0f);
    writeZoomScale(record, profile::yZoomScale, 1.0f);
    return record;
}

class ProfilesToolTest : public ::testing::Test {
protected:
    // The store of the folder: the records and COUNT (and CURRENT) to match.
    void writeStore(const std::vector<ProfileRecord>& records, int current = 0) {
        std::string bytes;
        for (const ProfileRecord& record : records) {
            bytes += bytesOf(record);
        }
        dir.write("config.bin", bytes);
        dir.write("setting.ini",
                  "[SETTING]\nOSTYPE=0\n[CONFIGURATION]\nCOUNT=" + std::to_string(records.size()) +
                      "\nCURRENT=" + std::to_string(current) + "\n");
    }

    ToolRun run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--folder", dir.path()});
        return runTool(files, arguments);
    }

    TempDirectory dir;
    HostFileApi files;
};

} // namespace qora::testing
