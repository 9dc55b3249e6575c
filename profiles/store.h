#pragma once
// The profile store: config.bin holds COUNT ProfileRecords back to back, with no header.
// Every operation opens and closes the file within the call and works on the whole store.
// Writes go to a temporary file that then replaces config.bin in one step, so a failure
// at any point leaves the old store exactly as it was.

#include "platform/file_api.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <cstdint>

namespace qora {

// CONFIGURATION/COUNT is clamped to this many records whatever the ini holds, so that
// COUNT x 144 bytes can neither overflow nor ask for an absurd buffer.
inline constexpr std::uint32_t kMaxProfileCount = 65535;

inline constexpr const char* kConfigurationSection = "CONFIGURATION";
inline constexpr const char* kCountKey = "COUNT";
inline constexpr const char* kCurrentKey = "CURRENT";

// COUNT as every caller must read it: default 0, a negative value acts as 0, and values
// above kMaxProfileCount act as kMaxProfileCount.
std::uint32_t readProfileCount(ProfileFileApi& ini, const ProgramPaths& paths);
// CURRENT as written: a signed index, default 0 (may be -1 or beyond COUNT).
std::int32_t readCurrentProfile(ProfileFileApi& ini, const ProgramPaths& paths);
void writeProfileCount(ProfileFileApi& ini, const ProgramPaths& paths, std::uint32_t count);
void writeCurrentProfile(ProfileFileApi& ini, const ProgramPaths& paths, std::int32_t current);

// Reads up to length bytes from the start of config.bin (created empty when missing);
// bytes beyond what was read keep what the caller put there. Returns the bytes read, 0
// when the file cannot be opened.
std::uint32_t readStore(FileApi& files, const ProgramPaths& paths, std::uint8_t* buffer,
                        std::uint32_t length);

// The outcome of a whole-store write. bytesWritten is 0 whenever replaced is false; a
// store emptied on purpose is replaced with 0 bytes written.
struct StoreWrite {
    bool replaced = false;
    std::uint32_t bytesWritten = 0;
};

// Replaces config.bin with exactly length bytes. On any failure config.bin is untouched
// and the temporary file is removed.
StoreWrite writeStore(FileApi& files, const ProgramPaths& paths, const std::uint8_t* buffer,
                      std::uint32_t length);

// Removes record index from a store of count records. Nothing is done when index is not
// below count, or when a failure left config.bin untouched.
StoreWrite deleteRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                        std::uint32_t index);

} // namespace qora
