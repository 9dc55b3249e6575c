#include "tools/profiles/text_file.h"

#include "platform/file_failure.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>

namespace qora {
namespace {

constexpr std::uint32_t kReadChunk = 64 * 1024;

std::string failureText(const std::string& path, FileAction action, std::uint32_t error) {
    return describeFailure({path.c_str(), action, error});
}

std::string folderText(const std::string& path, FileAction action) {
    return path + (action == FileAction::read ? " cannot be read" : " cannot be written") +
           ": it is a folder";
}

// A folder opens for reading on some systems and then fails with a reason that does not
// say why; the attributes do.
bool isFolder(FileApi& files, const std::string& path) {
    const std::uint32_t attributes = files.getFileAttributes(path.c_str());
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

// Reads the open file to its end, in pieces, and no further than the limit.
bool readToEnd(FileApi& files, NativeHandle file, const std::string& path, std::string& text,
               std::string& error) {
    for (;;) {
        const std::size_t before = text.size();
        text.resize(before + kReadChunk);
        std::uint32_t got = 0;
        const bool read = files.readFile(file, text.data() + before, kReadChunk, &got);
        text.resize(before + got);
        if (!read) {
            error = failureText(path, FileAction::read, files.getLastError());
            return false;
        }
        if (text.size() > kMaxProfileTextBytes) {
            error = failureText(path, FileAction::read, kErrorFileTooLarge) +
                    " (a profile text holds at most 1 MiB)";
            return false;
        }
        if (got == 0) {
            return true;
        }
    }
}

} // namespace

bool readTextFile(FileApi& files, const std::string& path, std::string& text, std::string& error) {
    if (isFolder(files, path)) {
        error = folderText(path, FileAction::read);
        return false;
    }
    const NativeHandle file =
        files.createFile(path.c_str(), kGenericRead, kFileShareRead | kFileShareWrite,
                         kOpenExisting, kFileAttributeNormal);
    if (file == kInvalidHandle) {
        error = failureText(path, FileAction::read, files.getLastError());
        return false;
    }
    const bool read = readToEnd(files, file, path, text, error);
    files.closeHandle(file);
    return read;
}

// The text goes out through the standard library in the platform's text mode, so that on
// Windows its lines end in CR LF as every Notepad wants; the reason of a failure is then
// the library's.
bool writeTextFile(FileApi& files, const std::string& path, const std::string& text,
                   std::string& error) {
    if (isFolder(files, path)) {
        error = folderText(path, FileAction::write);
        return false;
    }
    errno = 0;
    std::ofstream file(path);
    file << text;
    file.close();
    if (file) {
        return true;
    }
    error = describeFailure({path.c_str(), FileAction::write, kErrorSuccess});
    if (errno != 0) {
        error += ": " + std::generic_category().message(errno);
    }
    return false;
}

} // namespace qora
