#include "tools/profiles/store_contents.h"

#include "platform/file_failure.h"
#include "profiles/store.h"

#include <algorithm>
#include <vector>

namespace qora {
namespace {

constexpr std::uint32_t kShareReadWrite = kFileShareRead | kFileShareWrite;
constexpr std::uint32_t kSettingIniReadChunk = 64 * 1024;

FileFailure settingIniFailure(std::uint32_t error) {
    return {kSettingIniName, FileAction::read, error};
}

// Reads the open file to its end, as the ini functions will. Some files open and then
// refuse to be read (a folder, a failing device), and some never end (a device, which
// tells no length either): the ini functions would read both as a missing file.
std::optional<FileFailure> readThrough(FileApi& files, NativeHandle file) {
    std::vector<std::uint8_t> chunk(kSettingIniReadChunk);
    std::size_t total = 0;
    for (;;) {
        std::uint32_t got = 0;
        if (!files.readFile(file, chunk.data(), kSettingIniReadChunk, &got)) {
            return settingIniFailure(files.getLastError());
        }
        total += got;
        if (total > kMaxSettingIniBytes) {
            return settingIniFailure(kErrorFileTooLarge);
        }
        if (got == 0) {
            return std::nullopt;
        }
    }
}

} // namespace

ProfileRecord recordAt(const StoreContents& store, std::uint32_t index) {
    return loadRecord(store.records.data(), index);
}

std::optional<FileFailure> settingIniUnreadable(FileApi& files, const ProgramPaths& paths) {
    const NativeHandle file =
        files.createFile(paths.settingIni.c_str(), kGenericRead, kShareReadWrite, kOpenExisting,
                         kFileAttributeNormal);
    if (file == kInvalidHandle) {
        const std::uint32_t error = files.getLastError();
        if (error == kErrorFileNotFound) {
            return std::nullopt;
        }
        return settingIniFailure(error);
    }
    const std::optional<FileFailure> failure = readThrough(files, file);
    files.closeHandle(file);
    return failure;
}

bool readStoreContents(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                       StoreContents& store, std::string& error) {
    store.countSetting = static_cast<std::int32_t>(ini.getPrivateProfileInt(
        kConfigurationSection, kCountKey, kCountDefault, paths.settingIni.c_str()));
    store.count = readProfileCount(ini, paths);
    store.current = readCurrentProfile(ini, paths);
    StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        error = describeFailure(image.read.failure);
        return false;
    }
    store.fileMissing = image.read.state == StoreState::missing;
    store.fileLength = image.bytes.size();
    image.bytes.resize(std::size_t{store.count} * kProfileRecordSize, 0);
    store.records = std::move(image.bytes);
    return true;
}

} // namespace qora
