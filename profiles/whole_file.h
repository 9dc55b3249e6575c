#pragma once
// The files the program reads whole and replaces whole: config.bin and layers.bin. A read
// opens the file for reading only, sharing read and write (a read-only file and one that
// another program writes still read), and stops at a bound, whatever length the file
// reports. A replacement goes to the file's name with ".new" first, which then replaces
// the file in one rename, so a failure at any point leaves the old file exactly as it was.
// Every failure names the file and why.

#include "platform/file_api.h"
#include "platform/file_failure.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qora {

enum class StoreState {
    read,      // the file was opened and read to its end or to the length asked for
    missing,   // there is no such file
    unreadable // the file exists but could not be opened or read to the end
};

struct StoreRead {
    StoreState state = StoreState::missing;
    std::uint32_t bytesRead = 0;
    // Why the file could not be read; meaningful only when unreadable.
    FileFailure failure;

    bool readable() const { return state != StoreState::unreadable; }
};

// A file as a whole, as it holds it.
struct StoreImage {
    StoreRead read;
    std::vector<std::uint8_t> bytes; // what was read, also up to a failure
};

// The outcome of a whole-file write. bytesWritten is 0 whenever replaced is false; a file
// emptied on purpose is replaced with 0 bytes written.
struct StoreWrite {
    bool replaced = false;
    std::uint32_t bytesWritten = 0;
    // Why the file was left as it was; meaningful only when replaced is false.
    FileFailure failure;
};

// A file of the program's folder: its path, and the name its failures are told under.
struct WholeFile {
    const std::string& path;
    const char* name;
};

// Reads up to length bytes from the start of the file. Bytes beyond what was read keep
// what the caller put there. A missing file is not created. Unreadable counts the bytes
// that came in before the failure.
StoreRead readFileStart(FileApi& files, const WholeFile& file, std::uint8_t* buffer,
                        std::uint32_t length);

// The whole file; one longer than maxBytes is unreadable ("file too large").
StoreImage readWholeFile(FileApi& files, const WholeFile& file, std::size_t maxBytes);

// Replaces the file with exactly length bytes. On any failure the file is untouched and
// the temporary file is removed. A read-only file is not replaced.
StoreWrite replaceWholeFile(FileApi& files, const WholeFile& file, const std::uint8_t* buffer,
                            std::uint32_t length);

// Removes the file; a missing one counts as removed. A read-only file is not removed.
StoreWrite removeWholeFile(FileApi& files, const WholeFile& file);

} // namespace qora
