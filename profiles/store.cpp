#include "profiles/store.h"

#include "profiles/profile_record.h"

#include <cstdio>
#include <string>
#include <vector>

namespace qora {
namespace {

constexpr std::uint32_t kShareReadWrite = kFileShareRead | kFileShareWrite;

std::string temporaryStorePath(const ProgramPaths& paths) {
    return paths.configBin + ".new";
}

NativeHandle openStoreForReading(FileApi& files, const ProgramPaths& paths) {
    return files.createFile(paths.configBin.c_str(), kGenericRead | kGenericWrite, kShareReadWrite,
                            kOpenAlways, kFileAttributeNormal);
}

// Reads until length bytes are in or the file ends; returns what was read.
std::uint32_t readAll(FileApi& files, NativeHandle file, std::uint8_t* buffer,
                      std::uint32_t length) {
    std::uint32_t total = 0;
    while (total < length) {
        std::uint32_t got = 0;
        if (!files.readFile(file, buffer + total, length - total, &got) || got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

void writeDecimal(ProfileFileApi& ini, const ProgramPaths& paths, const char* key,
                  std::int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    ini.writePrivateProfileString(kConfigurationSection, key, text, paths.settingIni.c_str());
}

} // namespace

std::uint32_t readProfileCount(ProfileFileApi& ini, const ProgramPaths& paths) {
    const auto count = static_cast<std::int32_t>(
        ini.getPrivateProfileInt(kConfigurationSection, kCountKey, 0, paths.settingIni.c_str()));
    if (count < 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(count) > kMaxProfileCount ? kMaxProfileCount
                                                                : static_cast<std::uint32_t>(count);
}

std::int32_t readCurrentProfile(ProfileFileApi& ini, const ProgramPaths& paths) {
    return static_cast<std::int32_t>(
        ini.getPrivateProfileInt(kConfigurationSection, kCurrentKey, 0, paths.settingIni.c_str()));
}

void writeProfileCount(ProfileFileApi& ini, const ProgramPaths& paths, std::uint32_t count) {
    writeDecimal(ini, paths, kCountKey, count);
}

void writeCurrentProfile(ProfileFileApi& ini, const ProgramPaths& paths, std::int32_t current) {
    writeDecimal(ini, paths, kCurrentKey, current);
}

std::uint32_t readStore(FileApi& files, const ProgramPaths& paths, std::uint8_t* buffer,
                        std::uint32_t length) {
    const NativeHandle file = openStoreForReading(files, paths);
    if (file == kInvalidHandle) {
        return 0;
    }
    const std::uint32_t read = readAll(files, file, buffer, length);
    files.closeHandle(file);
    return read;
}

StoreWrite writeStore(FileApi& files, const ProgramPaths& paths, const std::uint8_t* buffer,
                      std::uint32_t length) {
    const std::string temporary = temporaryStorePath(paths);
    const NativeHandle file =
        files.createFile(temporary.c_str(), kGenericRead | kGenericWrite, kShareReadWrite,
                         kCreateAlways, kFileAttributeNormal);
    if (file == kInvalidHandle) {
        return {};
    }
    std::uint32_t written = 0;
    bool ok = length == 0 || (files.writeFile(file, buffer, length, &written) && written == length);
    ok = files.flushFileBuffers(file) && ok;
    ok = files.closeHandle(file) && ok;
    if (ok && files.moveFileReplacing(temporary.c_str(), paths.configBin.c_str())) {
        return {true, written};
    }
    files.deleteFile(temporary.c_str());
    return {};
}

StoreWrite deleteRecord(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                        std::uint32_t index) {
    if (index >= count || count > kMaxProfileCount) {
        return {};
    }
    const std::uint32_t before = index * kProfileRecordSize;
    const std::uint32_t after = (count - index - 1) * kProfileRecordSize;
    std::vector<std::uint8_t> kept(before + after, 0);

    const NativeHandle file = openStoreForReading(files, paths);
    if (file == kInvalidHandle) {
        return {};
    }
    const std::uint32_t readBefore = readAll(files, file, kept.data(), before);
    // Skip the deleted record; a short file simply has nothing after it.
    if (readBefore == before &&
        files.setFilePointer(file, static_cast<std::int32_t>(kProfileRecordSize), kFileCurrent)) {
        readAll(files, file, kept.data() + before, after);
    }
    files.closeHandle(file);

    return writeStore(files, paths, kept.data(), before + after);
}

} // namespace qora
