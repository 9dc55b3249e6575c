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

enum class StoreState {
    read,      // config.bin was opened and read to its end or to the length asked for
    missing,   // there is no config.bin: no records
    unreadable // config.bin exists but could not be opened or read to the end
};

struct StoreRead {
    StoreState state = StoreState::missing;
    std::uint32_t bytesRead = 0;
    // Why config.bin could not be read; meaningful only when unreadable.
    FileFailure failure;

    bool readable() const { return state != StoreState::unreadable; }
};

// Reads up to length bytes from the start of config.bin, opened for reading only and
// sharing read and write, so a read-only file and one another program writes still read.
// Bytes beyond what was read keep what the caller put there. A missing file is not
// created. Unreadable counts the bytes that came in before the failure.
StoreRead readStore(FileApi& files, const ProgramPaths& paths, std::uint8_t* buffer,
                    std::uint32_t length);

// config.bin as a whole, as the file holds it: the one reader of the whole store, for the
// writes that must put it back exactly and for whoever needs its true length. A file
// longer than kMaxConfigBinBytes is unreadable ("file too large").
struct StoreImage {
    StoreRead read;
    std::vector<std::uint8_t> bytes; // what was read, also up to a failure
};
StoreImage readWholeStore(FileApi& files, const ProgramPaths& paths);

// The outcome of a whole-store write. bytesWritten is 0 whenever replaced is false; a
// store emptied on purpose is replaced with 0 bytes written.
struct StoreWrite {
    bool replaced = false;
    std::uint32_t bytesWritten = 0;
    // Why config.bin was left as it was; meaningful only when replaced is false.
    FileFailure failure;
};

// Replaces config.bin with exactly length bytes. On any failure config.bin is untouched
// and the temporary file is removed.
StoreWrite writeStore(FileApi& files, const ProgramPaths& paths, const std::uint8_t* buffer,
                      std::uint32_t length);

// Removes record index from a store of count records. Nothing is done when index is not
// below count, when config.bin cannot be read, or when a failure left it untouched.
StoreWrite deleteRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                        std::uint32_t index);

// A record as it was loaded, and from where (-1: from nowhere). Whoever writes it back
// later does so with replaceRecord, so a record that changed meanwhile is left alone.
struct LoadedRecord {
    std::int32_t index = -1;
    ProfileRecord record;
};

// Whether record index still holds what its writer read there.
enum class RecordCheck : std::uint8_t {
    same,    // it does (also when config.bin could not be read: written then says why)
    changed, // another write replaced it, or a delete moved another record there
    gone     // index is no longer below COUNT
};
struct RecordReplace {
    RecordCheck check = RecordCheck::same;
    StoreWrite written; // replaced is false whenever check is not same
};

// Replaces record index of a store of count records with replacement, but only while it
// still holds expected (a file too short to hold it holds zeros there, as every reader
// sees), and writes the store back whole: every other byte of config.bin as the file holds
// it, records beyond count included. Nothing is written when the record is not the one
// expected, when config.bin cannot be read, or when a failure left it untouched.
RecordReplace replaceRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                            std::uint32_t index, const ProfileRecord& expected,
                            const ProfileRecord& replacement);

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

} // namespace qora
