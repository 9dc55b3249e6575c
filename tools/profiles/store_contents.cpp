#include "tools/profiles/store_contents.h"

#include "profiles/store.h"

#include <algorithm>

namespace qora {
namespace {

constexpr std::uint32_t kFirstReadLength = 64u << 10;

// Reads config.bin with ever larger buffers until one is not filled.
std::vector<std::uint8_t> readWholeStore(FileApi& files, const ProgramPaths& paths,
                                         std::uint32_t atLeast) {
    std::uint32_t length = std::max(atLeast, kFirstReadLength);
    while (true) {
        std::vector<std::uint8_t> bytes(length, 0);
        const std::uint32_t read = readStore(files, paths, bytes.data(), length);
        if (read < length || length >= kMaxStoreFileLength) {
            bytes.resize(read);
            return bytes;
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
                       StoreContents& store, std::string& /*error*/) {
    store.countSetting = static_cast<std::int32_t>(
        ini.getPrivateProfileInt(kConfigurationSection, kCountKey, 0, paths.settingIni.c_str()));
    store.count = readProfileCount(ini, paths);
    store.current = readCurrentProfile(ini, paths);
    const std::uint32_t storeLength = store.count * static_cast<std::uint32_t>(kProfileRecordSize);
    std::vector<std::uint8_t> bytes = readWholeStore(files, paths, storeLength + 1);
    store.fileLength = bytes.size();
    bytes.resize(storeLength, 0);
    store.records = std::move(bytes);
    return true;
}

} // namespace qora
