#include "profiles/store.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace qora {
namespace {

WholeFile configBinOf(const ProgramPaths& paths) {
    return {paths.configBin, kConfigBinName};
}

std::uint32_t storeBytes(std::uint32_t records) {
    return records * static_cast<std::uint32_t>(kProfileRecordSize);
}

FileFailure notWritten(const char* fileName, std::uint32_t error) {
    return {fileName, FileAction::write, error};
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
    return readFileStart(files, configBinOf(paths), buffer, length);
}

StoreImage readWholeStore(FileApi& files, const ProgramPaths& paths) {
    return readWholeFile(files, configBinOf(paths), kMaxConfigBinBytes);
}

StoreWrite writeStore(FileApi& files, const ProgramPaths& paths, const std::uint8_t* buffer,
                      std::uint32_t length) {
    return replaceWholeFile(files, configBinOf(paths), buffer, length);
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
    return changeStoreAndCount(files, ini, paths, image, store, count + 1);
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
    return changeStoreAndCount(files, ini, paths, image, kept, count - 1);
}

// config.bin first, then COUNT; when COUNT cannot be written, config.bin goes back to the
// original, so the two never disagree.
StoreChange changeStoreAndCount(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                const StoreImage& original,
                                const std::vector<std::uint8_t>& records, std::uint32_t count) {
    const StoreWrite written =
        writeStore(files, paths, records.data(), static_cast<std::uint32_t>(records.size()));
    if (!written.replaced) {
        return {false, written.failure, std::nullopt};
    }
    const std::optional<FileFailure> countFailure = writeProfileCount(ini, files, paths, count);
    if (!countFailure) {
        return {true, {}, std::nullopt};
    }
    return {false, *countFailure, putBack(files, paths, original)};
}

} // namespace qora
