#pragma once
// The whole profile store as the command line sees it: COUNT and CURRENT as written, the
// COUNT records the program would read, and how long config.bin really is, so that the
// check can tell hidden records and short files apart.

#include "formats/profile_record.h"
#include "platform/file_api.h"
#include "platform/file_failure.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qora {

struct StoreContents {
    std::int32_t countSetting = 0; // CONFIGURATION/COUNT as written
    std::uint32_t count = 0;       // COUNT as the program reads it
    std::int32_t current = 0;
    std::vector<std::uint8_t> records; // count records; what the file lacks reads as zeros
    bool fileMissing = false;
    std::uint64_t fileLength = 0; // bytes in config.bin
};

ProfileRecord recordAt(const StoreContents& store, std::uint32_t index);

// Why setting.ini exists but cannot be read, or is longer than kMaxSettingIniBytes (a
// device, an endless file); nothing when it reads or is missing. The ini functions read
// such a file as an empty one, and a command that went on would take COUNT as 0 and
// write it back over everything else the file holds.
std::optional<FileFailure> settingIniUnreadable(FileApi& files, const ProgramPaths& paths);

// false, with the file and the reason in error, when config.bin exists but cannot be read
// (a file longer than kMaxConfigBinBytes included). A missing config.bin holds no records
// and is not created.
bool readStoreContents(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                       StoreContents& store, std::string& error);

} // namespace qora
