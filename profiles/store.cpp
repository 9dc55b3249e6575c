#include "profiles/store.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace qora {
namespace {

constexpr std::uint32_t kShareReadWrite = kFileShareRead | kFileShareWrite;

constexpr std::uint32_t kStoreReadChunk = 64u * 1024u;

std::string temporaryStorePath(const ProgramPaths& paths) {
    return paths.configBin + kTemporaryFileSuffix;
}

std::uint32_t storeBytes(std::uint32_t records) {
    return records * static_cast<std::uint32_t>(kProfileRecordSize);
}

StoreRead unreadable(std::uint32_t error, std::uint32_t bytesRead) {
    return {StoreState::unreadable, bytesRead, {kConfigBinName, FileAction::read, error}};
}

FileFailure notWritten(const char* fileName, std::uint32_t error) {
    return {fileName, FileAction::write, error};
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

// Read only: a read-only config.bin must read, and writes go through a temporary file
// anyway. Not found is a missing store; any other failure is an unreadable one.
StoreRead openStoreForReading(FileApi& files, const ProgramPaths& paths, NativeHandle& file) {
    file = files.createFile(paths.configBin.c_str(), kGenericRead, kShareReadWrite, kOpenExisting,
                            kFileAttributeNormal);
    if (file != kInvalidHandle) {
        return {StoreState::read, 0, {}};
    }
    const std::uint32_t error = files.getLastError();
    if (error == kErrorFileNotFound) {
        return {StoreState::missing, 0, {}};
    }
    return unreadable(error, 0);
}

// Reads until length bytes are in or the file ends.
StoreRead readAll(FileApi& files, NativeHandle file, std::uint8_t* buffer, std::uint32_t length) {
    std::uint32_t total = 0;
    while (total < length) {
        std::uint32_t got = 0;
        if (!files.readFile(file, buffer + total, length - total, &got)) {
            return unreadable(files.getLastError(), total + got);
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return {StoreState::read, total, {}};
}

// The first records of a store image, with zeros where the file is shorter.
std::vector<std::uint8_t> recordsOf(const std::vector<std::uint8_t>& bytes, std::uint32_t records) {
    std::vector<std::uint8_t> store(storeBytes(records), 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), store.size()), store.begin());
    return store;
}

// Records 0 .. count - 1 of the image without record index, which is below count.
std::vector<std::uint8_t> recordsWithout(const std::vector<std::uint8_t>& bytes,
                                         std::uint32_t count, std::uint32_t index) {
    std::vector<std::uint8_t> store = recordsOf(bytes, count);
    const auto removed = store.begin() + storeBytes(index);
    store.erase(removed, removed + static_cast<std::ptrdiff_t>(kProfileRecordSize));
    return store;
}

std::optional<FileFailure> writeDecimal(ProfileFileApi& ini, FileApi& files,
                                        const ProgramPaths& paths, const char* key,
                                        std::int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    if (ini.writePrivateProfileString(kConfigurationSection, key, text, paths.settingIni.c_str())) {
        return std::nullopt;
    }
    return notWritten(kSettingIniName, files.getLastError());
}

// Puts config.bin back as the image shows it, a missing file included.
std::optional<FileFailure> putBack(FileApi& files, const ProgramPaths& paths,
                                   const StoreImage& original) {
    if (original.read.state == StoreState::missing) {
        if (files.deleteFile(paths.configBin.c_str())) {
            return std::nullopt;
        }
        return notWritten(kConfigBinName, files.getLastError());
    }
    const StoreWrite restored = writeStore(files, paths, original.bytes.data(),
                                           static_cast<std::uint32_t>(original.bytes.size()));
    if (restored.replaced) {
        return std::nullopt;
    }
    return restored.failure;
}

// config.bin first, then COUNT; when COUNT cannot be written, config.bin goes back to the
// original, so the two never disagree.
StoreChange replaceStoreAndCount(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 const StoreImage& original, const std::vector<std::uint8_t>& store,
                                 std::uint32_t count) {
    const StoreWrite written =
        writeStore(files, paths, store.data(), static_cast<std::uint32_t>(store.size()));
    if (!written.replaced) {
        return {false, written.failure, std::nullopt};
    }
    const std::optional<FileFailure> countFailure = writeProfileCount(ini, files, paths, count);
    if (!countFailure) {
        return {true, {}, std::nullopt};
    }
    return {false, *countFailure, putBack(files, paths, original)};
}

} // namespace

std::uint32_t readProfileCount(ProfileFileApi& ini, const ProgramPaths& paths) {
    const auto count = static_cast<std::int32_t>(ini.getPrivateProfileInt(
        kConfigurationSection, kCountKey, kCountDefault, paths.settingIni.c_str()));
    if (count < 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(count) > kMaxProfileCount ? kMaxProfileCount
                                                                : static_cast<std::uint32_t>(count);
}

std::int32_t readCurrentProfile(ProfileFileApi& ini, const ProgramPaths& paths) {
    return static_cast<std::int32_t>(ini.getPrivateProfileInt(
        kConfigurationSection, kCurrentKey, kCurrentDefault, paths.settingIni.c_str()));
}

std::optional<FileFailure> writeProfileCount(ProfileFileApi& ini, FileApi& files,
                                             const ProgramPaths& paths, std::uint32_t count) {
    return writeDecimal(ini, files, paths, kCountKey, count);
}

std::optional<FileFailure> writeCurrentProfile(ProfileFileApi& ini, FileApi& files,
                                               const ProgramPaths& paths, std::int32_t current) {
    return writeDecimal(ini, files, paths, kCurrentKey, current);
}

StoreRead readStore(FileApi& files, const ProgramPaths& paths, std::uint8_t* buffer,
                    std::uint32_t length) {
    NativeHandle file = kInvalidHandle;
    const StoreRead opened = openStoreForReading(files, paths, file);
    if (file == kInvalidHandle) {
        return opened;
    }
    const StoreRead read = readAll(files, file, buffer, length);
    files.closeHandle(file);
    return read;
}

StoreImage readWholeStore(FileApi& files, const ProgramPaths& paths) {
    StoreImage image;
    NativeHandle file = kInvalidHandle;
    image.read = openStoreForReading(files, paths, file);
    if (file == kInvalidHandle) {
        return image;
    }
    for (;;) {
        const std::size_t before = image.bytes.size();
        image.bytes.resize(before + kStoreReadChunk);
        const StoreRead chunk = readAll(files, file, image.bytes.data() + before, kStoreReadChunk);
        image.bytes.resize(before + chunk.bytesRead);
        if (!chunk.readable()) {
            image.read = chunk;
            break;
        }
        if (image.bytes.size() > kMaxConfigBinBytes) {
            image.read = unreadable(kErrorFileTooLarge, 0);
            break;
        }
        if (chunk.bytesRead < kStoreReadChunk) {
            break;
        }
    }
    image.read.bytesRead = static_cast<std::uint32_t>(image.bytes.size());
    files.closeHandle(file);
    return image;
}

StoreWrite writeStore(FileApi& files, const ProgramPaths& paths, const std::uint8_t* buffer,
                      std::uint32_t length) {
    // The platform refuses to replace a read-only file, as it refuses to delete one; some
    // file systems would let the rename through and drop the user's read-only mark.
    const std::uint32_t attributes = files.getFileAttributes(paths.configBin.c_str());
    if (attributes != kInvalidFileAttributes && (attributes & kFileAttributeReadOnly) != 0) {
        return {false, 0, notWritten(kConfigBinName, kErrorAccessDenied)};
    }
    const std::string temporary = temporaryStorePath(paths);
    const NativeHandle file =
        files.createFile(temporary.c_str(), kGenericRead | kGenericWrite, kShareReadWrite,
                         kCreateAlways, kFileAttributeNormal);
    if (file == kInvalidHandle) {
        return {false, 0, notWritten(kConfigBinName, files.getLastError())};
    }
    FirstFailure failure;
    std::uint32_t written = 0;
    if (length != 0 && failure.note(files, files.writeFile(file, buffer, length, &written)) &&
        written != length) {
        failure.note(files, false); // a short write that still reported success
    }
    failure.note(files, files.flushFileBuffers(file));
    failure.note(files, files.closeHandle(file));
    if (!failure.failed) {
        failure.note(files, files.moveFileReplacing(temporary.c_str(), paths.configBin.c_str()));
    }
    if (!failure.failed) {
        return {true, written, {}};
    }
    files.deleteFile(temporary.c_str());
    return {false, 0, notWritten(kConfigBinName, failure.error)};
}

StoreWrite deleteRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                        std::uint32_t index) {
    if (index >= count || count > kMaxProfileCount) {
        return {false, 0, notWritten(kConfigBinName, kErrorInvalidParameter)};
    }
    const StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return {false, 0, image.read.failure};
    }
    const std::vector<std::uint8_t> kept = recordsWithout(image.bytes, count, index);
    return writeStore(files, paths, kept.data(), static_cast<std::uint32_t>(kept.size()));
}

RecordReplace replaceRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                            std::uint32_t index, const ProfileRecord& expected,
                            const ProfileRecord& replacement) {
    if (index >= count || count > kMaxProfileCount) {
        return {RecordCheck::gone, {false, 0, notWritten(kConfigBinName, kErrorInvalidParameter)}};
    }
    StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return {RecordCheck::same, {false, 0, image.read.failure}};
    }
    const std::size_t end = storeBytes(index + 1);
    if (image.bytes.size() < end) {
        image.bytes.resize(end, 0);
    }
    if (loadRecord(image.bytes.data(), index) != expected) {
        return {RecordCheck::changed,
                {false, 0, notWritten(kConfigBinName, kErrorInvalidParameter)}};
    }
    storeRecord(image.bytes.data(), index, replacement);
    return {RecordCheck::same, writeStore(files, paths, image.bytes.data(),
                                          static_cast<std::uint32_t>(image.bytes.size()))};
}

std::string describeChange(const StoreChange& change) {
    std::string text = describeFailure(change.failure);
    if (change.restoreFailure) {
        text += '\n';
        text += describeFailure(*change.restoreFailure);
    }
    return text;
}

StoreChange appendProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                          std::uint32_t count, const RecordMaker& makeRecord) {
    // COUNT could not say more.
    if (count >= kMaxProfileCount) {
        return {false, notWritten(kConfigBinName, kErrorFileTooLarge), std::nullopt};
    }
    const StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return {false, image.read.failure, std::nullopt};
    }
    std::vector<std::uint8_t> store = recordsOf(image.bytes, count + 1);
    ProfileRecord record = loadRecord(store.data(), count);
    makeRecord(record);
    storeRecord(store.data(), count, record);
    return replaceStoreAndCount(files, ini, paths, image, store, count + 1);
}

StoreChange appendProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                          std::uint32_t count, const ProfileRecord& record) {
    return appendProfile(files, ini, paths, count,
                         [&record](ProfileRecord& made) { made = record; });
}

StoreChange removeProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                          std::uint32_t count, std::uint32_t index) {
    if (index >= count || count > kMaxProfileCount) {
        return {false, notWritten(kConfigBinName, kErrorInvalidParameter), std::nullopt};
    }
    const StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return {false, image.read.failure, std::nullopt};
    }
    const std::vector<std::uint8_t> kept = recordsWithout(image.bytes, count, index);
    return replaceStoreAndCount(files, ini, paths, image, kept, count - 1);
}

} // namespace qora
