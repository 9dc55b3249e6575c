#include "tools/profiles/store_contents.h"

#include "profiles/store.h"

#include <algorithm>

namespace qora {
namespace {

constexpr std::uint32_t kFirstReadLength = 64u << 10;

// Reads config.bin with ever larger buffers until one is not filled.
StoreRead readWholeStore(FileApi& files, const ProgramPaths& paths, std::uint32_t atLeast,
                         std::vector<std::uint8_t>& bytes) {
    std::uint32_t length = std::max(atLeast, kFirstReadLength);
    while (true) {
        bytes.assign(length, 0);
        const StoreRead read = readStore(files, paths, bytes.data(), length);
        if (read.state != StoreState::read || read.bytesRead < length ||
            length >= kMaxStoreFileLength) {
            bytes.resize(read.bytesRead);
            return read;
        }
        length =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(2ull * length, kMaxStoreFileLength));
    }
}

} // namespace

ProfileRecord recordAt(const StoreContents& store, std::uint32_t index) {
    return loadRecord(store.records.data(), index);
}

bool readStoreContents(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                       StoreContents& store, std::string& error) {
    store.countSetting = static_cast<std::int32_t>(
        ini.getPrivateProfileInt(kConfigurationSection, kCountKey, 0, paths.settingIni.c_str()));
    store.count = readProfileCount(ini, paths);
    store.current = readCurrentProfile(ini, paths);
    const std::uint32_t storeLength = store.count * static_cast<std::uint32_t>(kProfileRecordSize);
    std::vector<std::uint8_t> bytes;
    const StoreRead read = readWholeStore(files, paths, storeLength + 1, bytes);
    if (!read.readable()) {
        error = describeFailure(read.failure);
        return false;
    }
    store.fileMissing = read.state == StoreState::missing;
    store.fileLength = bytes.size();
    bytes.resize(storeLength, 0);
    store.records = std::move(bytes);
    return true;
}

} // namespace qora
