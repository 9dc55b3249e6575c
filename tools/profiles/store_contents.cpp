#include "tools/profiles/store_contents.h"

#include "platform/file_failure.h"
#include "profiles/store.h"

#include <algorithm>

namespace qora {
namespace {

constexpr std::uint32_t kShareReadWrite = kFileShareRead | kFileShareWrite;
constexpr std::size_t kSettingIniProbeLength = 512;

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
        return FileFailure{kSettingIniName, FileAction::read, error};
    }
    // Some files open and then refuse to be read (a folder, a failing device).
    std::uint8_t probe[kSettingIniProbeLength];
    std::uint32_t got = 0;
    std::optional<FileFailure> failure;
    if (!files.readFile(file, probe, sizeof probe, &got)) {
        failure = FileFailure{kSettingIniName, FileAction::read, files.getLastError()};
    }
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
