#include "profiles/whole_file.h"

#include "formats/setting_ini.h"

namespace qora {
namespace {

constexpr std::uint32_t kShareReadWrite = kFileShareRead | kFileShareWrite;

constexpr std::uint32_t kReadChunk = 64u * 1024u;

StoreRead unreadable(const WholeFile& file, std::uint32_t error, std::uint32_t bytesRead) {
    return {StoreState::unreadable, bytesRead, {file.name, FileAction::read, error}};
}

StoreWrite notWritten(const WholeFile& file, std::uint32_t error) {
    return {false, 0, {file.name, FileAction::write, error}};
}

// The first failure of a sequence of steps, with the error code taken right after it.
struct FirstFailure {
    bool failed = false;
    std::uint32_t error = kErrorSuccess;

    bool note(FileApi& files, bool ok) {
        if (!ok && !failed) {
            failed = true;
            error = files.getLastError();
        }
        return ok;
    }
};

// Read only: a read-only file must read, and writes go through a temporary file anyway.
// Not found is a missing file; any other failure is an unreadable one.
StoreRead openForReading(FileApi& files, const WholeFile& file, NativeHandle& handle) {
    handle = files.createFile(file.path.c_str(), kGenericRead, kShareReadWrite, kOpenExisting,
                              kFileAttributeNormal);
    if (handle != kInvalidHandle) {
        return {StoreState::read, 0, {}};
    }
    const std::uint32_t error = files.getLastError();
    if (error == kErrorFileNotFound) {
        return {StoreState::missing, 0, {}};
    }
    return unreadable(file, error, 0);
}

// Reads until length bytes are in or the file ends.
StoreRead readAll(FileApi& files, const WholeFile& file, NativeHandle handle, std::uint8_t* buffer,
                  std::uint32_t length) {
    std::uint32_t total = 0;
    while (total < length) {
        std::uint32_t got = 0;
        if (!files.readFile(handle, buffer + total, length - total, &got)) {
            return unreadable(file, files.getLastError(), total + got);
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return {StoreState::read, total, {}};
}

// The platform refuses to replace or delete a read-only file; some file systems would let
// the rename through and drop the user's read-only mark, so it is asked first.
bool isReadOnly(FileApi& files, const WholeFile& file) {
    const std::uint32_t attributes = files.getFileAttributes(file.path.c_str());
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeReadOnly) != 0;
}

} // namespace

StoreRead readFileStart(FileApi& files, const WholeFile& file, std::uint8_t* buffer,
                        std::uint32_t length) {
    NativeHandle handle = kInvalidHandle;
    const StoreRead opened = openForReading(files, file, handle);
    if (handle == kInvalidHandle) {
        return opened;
    }
    const StoreRead read = readAll(files, file, handle, buffer, length);
    files.closeHandle(handle);
    return read;
}

StoreImage readWholeFile(FileApi& files, const WholeFile& file, std::size_t maxBytes) {
    StoreImage image;
    NativeHandle handle = kInvalidHandle;
    image.read = openForReading(files, file, handle);
    if (handle == kInvalidHandle) {
        return image;
    }
    for (;;) {
        const std::size_t before = image.bytes.size();
        image.bytes.resize(before + kReadChunk);
        const StoreRead chunk =
            readAll(files, file, handle, image.bytes.data() + before, kReadChunk);
        image.bytes.resize(before + chunk.bytesRead);
        if (!chunk.readable()) {
            image.read = chunk;
            break;
        }
        if (image.bytes.size() > maxBytes) {
            image.read = unreadable(file, kErrorFileTooLarge, 0);
            break;
        }
        if (chunk.bytesRead < kReadChunk) {
            break;
        }
    }
    image.read.bytesRead = static_cast<std::uint32_t>(image.bytes.size());
    files.closeHandle(handle);
    return image;
}

StoreWrite replaceWholeFile(FileApi& files, const WholeFile& file, const std::uint8_t* buffer,
                            std::uint32_t length) {
    if (isReadOnly(files, file)) {
        return notWritten(file, kErrorAccessDenied);
    }
    const std::string temporary = file.path + kTemporaryFileSuffix;
    const NativeHandle handle =
        files.createFile(temporary.c_str(), kGenericRead | kGenericWrite, kShareReadWrite,
                         kCreateAlways, kFileAttributeNormal);
    if (handle == kInvalidHandle) {
        return notWritten(file, files.getLastError());
    }
    FirstFailure failure;
    std::uint32_t written = 0;
    if (length != 0 && failure.note(files, files.writeFile(handle, buffer, length, &written)) &&
        written != length) {
        failure.note(files, false); // a short write that still reported success
    }
    failure.note(files, files.flushFileBuffers(handle));
    failure.note(files, files.closeHandle(handle));
    if (!failure.failed) {
        failure.note(files, files.moveFileReplacing(temporary.c_str(), file.path.c_str()));
    }
    if (!failure.failed) {
        return {true, written, {}};
    }
    files.deleteFile(temporary.c_str());
    return notWritten(file, failure.error);
}

StoreWrite removeWholeFile(FileApi& files, const WholeFile& file) {
    if (isReadOnly(files, file)) {
        return notWritten(file, kErrorAccessDenied);
    }
    if (files.deleteFile(file.path.c_str())) {
        return {true, 0, {}};
    }
    const std::uint32_t error = files.getLastError();
    if (error == kErrorFileNotFound) {
        return {true, 0, {}};
    }
    return notWritten(file, error);
}

} // namespace qora
