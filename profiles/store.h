#pragma once
// The profile store: config.bin holds COUNT ProfileRecords back to back, with no header.
// Every operation opens and closes the file within the call and works on the whole store.
// Writes go to a temporary file that then replaces config.bin in one step, so a failure
// at any point leaves the old store exactly as it was.
//
// A store that exists but cannot be read is never written: whoever cannot read it would
// write zeros over every profile it holds. Every failure says which file and why.

#include "formats/profile_record.h"
#include "formats/setting_ini.h"
#include "platform/file_api.h"
#include "platform/file_failure.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "profiles/whole_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qora {

// COUNT as every caller must read it: default 0, a negative value acts as 0, and values
// above kMaxProfileCount act as kMaxProfileCount.
std::uint32_t readProfileCount(ProfileFileApi& ini, const ProgramPaths& paths);
// CURRENT as written: a signed index, default 0 (may be -1 or beyond COUNT).
std::int32_t readCurrentProfile(ProfileFileApi& ini, const ProgramPaths& paths);

// Checked writes of COUNT and CURRENT as decimal text: nothing when written, otherwise
// why setting.ini could not be written.
std::optional<FileFailure> writeProfileCount(ProfileFileApi& ini, FileApi& files,
                                             const ProgramPaths& paths, std::uint32_t count);
std::optional<FileFailure> writeCurrentProfile(ProfileFileApi& ini, FileApi& files,
                                               const ProgramPaths& paths, std::int32_t current);

// Reads up to length bytes from the start of config.bin, opened for reading only and
// sharing read and write, so a read-only file and one another program writes still read.
// Bytes beyond what was read keep what the caller put there. A missing file is not
// created. Unreadable counts the bytes that came in before the failure.
StoreRead readStore(FileApi& files, const ProgramPaths& paths, std::uint8_t* buffer,
                    std::uint32_t length);

// config.bin as a whole, as the file holds it: the one reader of the whole store, for the
// writes that must put it back exactly and for whoever needs its true length. A file
// longer than kMaxConfigBinBytes is unreadable ("file too large").
StoreImage readWholeStore(FileApi& files, const ProgramPaths& paths);

// Replaces config.bin with exactly length bytes. On any failure config.bin is untouched
// and the temporary file is removed.
StoreWrite writeStore(FileApi& files, const ProgramPaths& paths, const std::uint8_t* buffer,
                      std::uint32_t length);

// Removes record index from a store of count records. Nothing is done when index is not
// below count, when config.bin cannot be read, or when a failure left it untouched.
StoreWrite deleteRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                        std::uint32_t index);

// Whether record index still holds what its writer read there.
enum class RecordCheck : std::uint8_t {
    same,    // it does (also when config.bin could not be read: written then says why)
    changed, // another write replaced it, or a delete moved another record there
    gone     // index is no longer below COUNT
};
// The outcome of a change to both config.bin and COUNT, made whole or not at all.
struct StoreChange {
    bool done = false;
    // Why not: config.bin could not be read or written, or setting.ini could not be
    // written (config.bin was then put back exactly as it was).
    FileFailure failure;
    // Set when config.bin could not be put back after setting.ini failed: the store then
    // holds the change and COUNT does not.
    std::optional<FileFailure> restoreFailure;
};

// The message for a change that was not done: one line for each file that failed.
std::string describeChange(const StoreChange& change);

// Makes the record to append from what config.bin holds at its position (zeros past the
// end of the file).
using RecordMaker = std::function<void(ProfileRecord&)>;

// Appends record count to a store of count records and raises COUNT to count + 1. Records
// beyond count that the file holds are dropped, as by every whole-store write. Refused
// when count is already kMaxProfileCount.
StoreChange appendProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                          std::uint32_t count, const RecordMaker& makeRecord);
StoreChange appendProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                          std::uint32_t count, const ProfileRecord& record);

// Removes record index from a store of count records and lowers COUNT to count - 1.
// Refused when index is not below count. CURRENT is the caller's.
StoreChange removeProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                          std::uint32_t count, std::uint32_t index);

// The step both make, for whoever planned the change from an image it read itself:
// config.bin becomes records and COUNT becomes count, or config.bin goes back to original
// (read with readWholeStore) when setting.ini refuses COUNT.
StoreChange changeStoreAndCount(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                const StoreImage& original,
                                const std::vector<std::uint8_t>& records, std::uint32_t count);

} // namespace qora
