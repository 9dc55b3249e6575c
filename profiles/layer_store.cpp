#include "profiles/layer_store.h"

#include "formats/setting_ini.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>
#include <optional>
#include <utility>

namespace qora {
namespace {

const ProfileLayers kNoLayers;

WholeFile layersBinOf(const ProgramPaths& paths) {
    return {paths.layersBin, kLayersBinName};
}

FileFailure layersFailure(FileAction action, std::uint32_t error) {
    return {kLayersBinName, action, error};
}

FileFailure configFailure(std::uint32_t error) {
    return {kConfigBinName, FileAction::write, error};
}

StoreChange refused(const FileFailure& failure) {
    return {false, failure, std::nullopt};
}

// A fault of the bytes in the words of a failure: a newer qora's file is one this qora
// cannot read; anything else is damage.
FileFailure failureOf(LayerFileFault fault) {
    switch (fault) {
    case LayerFileFault::newerVersion:
        return layersFailure(FileAction::read, kErrorNewerFormat);
    case LayerFileFault::wrongHeader:
        return layersFailure(FileAction::check, kErrorWrongHeader);
    case LayerFileFault::checksum:
        return layersFailure(FileAction::check, kErrorChecksumMismatch);
    case LayerFileFault::badLayout:
        return layersFailure(FileAction::check, kErrorBadLayout);
    case LayerFileFault::outOfRange:
    case LayerFileFault::none:
        break;
    }
    return layersFailure(FileAction::check, kErrorValueOutOfRange);
}

std::size_t storeBytes(std::uint32_t records) {
    return static_cast<std::size_t>(records) * kProfileRecordSize;
}

// The first records of a file's bytes, with zeros where the file is shorter.
std::vector<std::uint8_t> recordsOf(const std::vector<std::uint8_t>& bytes, std::uint32_t records) {
    std::vector<std::uint8_t> store(storeBytes(records), 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), store.size()), store.begin());
    return store;
}

ProfileRecord recordAt(const std::vector<std::uint8_t>& records, std::uint32_t index) {
    return loadRecord(records.data(), index);
}

// A change of records as the pairing sees it: the first COUNT records before and after,
// which old record becomes which new one, and the layers given for some new records (the
// others keep what layers.bin gives their bytes).
struct RecordsChange {
    const std::vector<std::uint8_t>& oldRecords;
    const std::vector<std::uint8_t>& newRecords;
    std::function<std::optional<std::uint32_t>(std::uint32_t)> successor;
    std::vector<std::pair<std::uint32_t, const ProfileLayers*>> given;

    std::uint32_t oldCount() const {
        return static_cast<std::uint32_t>(oldRecords.size() / kProfileRecordSize);
    }
    std::uint32_t newCount() const {
        return static_cast<std::uint32_t>(newRecords.size() / kProfileRecordSize);
    }
};

std::optional<std::uint32_t> sameIndex(std::uint32_t index) {
    return index;
}

// The layers.bin of each step: during is (a)'s, after is (c)'s.
struct PairingPlan {
    std::optional<FileFailure> refusal;
    LayerFile during;
    LayerFile after;
    bool writesDuring = false;
    bool writesAfter = false;
};

bool recordBefore(const std::vector<std::uint8_t>& records, std::uint32_t first,
                  std::uint32_t second) {
    return std::memcmp(records.data() + storeBytes(first), records.data() + storeBytes(second),
                       kProfileRecordSize) < 0;
}

// The indices of count records in the order of their bytes.
std::vector<std::uint32_t> orderOf(const std::vector<std::uint8_t>& records, std::uint32_t count) {
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&records](std::uint32_t a, std::uint32_t b) { return recordBefore(records, a, b); });
    return order;
}

// The indices of the ordered records whose bytes are key.
std::pair<std::vector<std::uint32_t>::const_iterator, std::vector<std::uint32_t>::const_iterator>
recordsWithKey(const std::vector<std::uint8_t>& records, const std::vector<std::uint32_t>& order,
               const ProfileRecord& key) {
    const auto keyBeforeRecord = [&records](const ProfileRecord& k, std::uint32_t index) {
        return std::memcmp(k.bytes.data(), records.data() + storeBytes(index), kProfileRecordSize) <
               0;
    };
    const auto recordBeforeKey = [&records](std::uint32_t index, const ProfileRecord& k) {
        return std::memcmp(records.data() + storeBytes(index), k.bytes.data(), kProfileRecordSize) <
               0;
    };
    return {std::lower_bound(order.begin(), order.end(), key, recordBeforeKey),
            std::upper_bound(order.begin(), order.end(), key, keyBeforeRecord)};
}

FileFailure identicalProfiles() {
    return layersFailure(FileAction::write, kErrorIdenticalProfiles);
}

// The layers each new record is to have: those given, else those of its bytes.
std::vector<const ProfileLayers*> wantedLayers(const LayerFile& file, const RecordsChange& change) {
    std::vector<const ProfileLayers*> wanted(change.newCount(), nullptr);
    for (const auto& [index, layers] : change.given) {
        wanted[index] = layers;
    }
    for (std::uint32_t n = 0; n < wanted.size(); ++n) {
        if (wanted[n] == nullptr) {
            const ProfileLayers* found = findLayers(file, recordAt(change.newRecords, n));
            wanted[n] = found != nullptr ? found : &kNoLayers;
        }
    }
    return wanted;
}

// Records equal byte for byte share one entry, so they must want the same layers.
bool twinsAgree(const RecordsChange& change, const std::vector<std::uint32_t>& newOrder,
                const std::vector<const ProfileLayers*>& wanted) {
    for (std::size_t i = 1; i < newOrder.size(); ++i) {
        const std::uint32_t previous = newOrder[i - 1];
        const std::uint32_t current = newOrder[i];
        const bool twins = !recordBefore(change.newRecords, previous, current);
        if (twins && *wanted[previous] != *wanted[current]) {
            return false;
        }
    }
    return true;
}

// Until config.bin is written, the old records read the layers of step (a): each must
// still see its old layers, or be the record that becomes the new one with those bytes.
bool oldRecordsKeepTheirLayers(const RecordsChange& change,
                               const std::vector<ProfileRecord>& changedKeys) {
    if (changedKeys.empty()) {
        return true;
    }
    const std::vector<std::uint32_t> oldOrder = orderOf(change.oldRecords, change.oldCount());
    for (const ProfileRecord& key : changedKeys) {
        const auto [first, last] = recordsWithKey(change.oldRecords, oldOrder, key);
        for (auto old = first; old != last; ++old) {
            const std::optional<std::uint32_t> next = change.successor(*old);
            if (!next || recordAt(change.newRecords, *next) != key) {
                return false;
            }
        }
    }
    return true;
}

// Step (c)'s file: the entries some new record still has.
LayerFile entriesOfRecords(const LayerFile& file, const RecordsChange& change,
                           const std::vector<std::uint32_t>& newOrder) {
    LayerFile kept;
    for (const LayerEntry& entry : file.entries) {
        const auto [first, last] = recordsWithKey(change.newRecords, newOrder, entry.key);
        if (first != last) {
            kept.entries.push_back(entry);
        }
    }
    return kept;
}

std::optional<FileFailure> givenLayersFault(const RecordsChange& change) {
    for (const auto& given : change.given) {
        const LayerFileFault fault = checkProfileLayers(*given.second);
        if (fault != LayerFileFault::none) {
            return layersFailure(FileAction::write, fault == LayerFileFault::outOfRange
                                                        ? kErrorValueOutOfRange
                                                        : kErrorBadLayout);
        }
    }
    return std::nullopt;
}

bool anyLayers(const LayerFile& file, const RecordsChange& change) {
    return !file.entries.empty() ||
           std::any_of(change.given.begin(), change.given.end(),
                       [](const auto& given) { return !given.second->empty(); });
}

PairingPlan planPairing(const LayerFile& file, const RecordsChange& change) {
    PairingPlan plan;
    plan.refusal = givenLayersFault(change);
    if (plan.refusal || !anyLayers(file, change)) {
        return plan;
    }
    const std::vector<const ProfileLayers*> wanted = wantedLayers(file, change);
    const std::vector<std::uint32_t> newOrder = orderOf(change.newRecords, change.newCount());
    if (!twinsAgree(change, newOrder, wanted)) {
        plan.refusal = identicalProfiles();
        return plan;
    }
    plan.during = file;
    std::vector<ProfileRecord> changedKeys;
    for (const auto& [index, layers] : change.given) {
        const ProfileRecord key = recordAt(change.newRecords, index);
        const ProfileLayers* held = findLayers(file, key);
        if (*layers != (held != nullptr ? *held : kNoLayers)) {
            putLayers(plan.during, key, *layers);
            changedKeys.push_back(key);
        }
    }
    if (!oldRecordsKeepTheirLayers(change, changedKeys)) {
        plan.refusal = identicalProfiles();
        return plan;
    }
    plan.after = entriesOfRecords(plan.during, change, newOrder);
    plan.writesDuring = !changedKeys.empty();
    plan.writesAfter = plan.after.entries.size() != plan.during.entries.size();
    return plan;
}

// layers.bin as it was before step (a).
std::optional<FileFailure> putLayersBack(FileApi& files, const ProgramPaths& paths,
                                         const LayersRead& before) {
    const StoreWrite restored =
        before.state == LayersState::missing
            ? removeWholeFile(files, layersBinOf(paths))
            : replaceWholeFile(files, layersBinOf(paths), before.bytes.data(),
                               static_cast<std::uint32_t>(before.bytes.size()));
    if (restored.replaced) {
        return std::nullopt;
    }
    return restored.failure;
}

// The three steps. When config.bin cannot be written, layers.bin goes back as it was;
// unless config.bin itself could not be put back, when step (a)'s file pairs with both.
StoreChange runPairing(FileApi& files, const ProgramPaths& paths, const LayersRead& before,
                       const PairingPlan& plan, const std::function<StoreChange()>& writeConfig) {
    if (plan.refusal) {
        return refused(*plan.refusal);
    }
    if (plan.writesDuring) {
        const StoreWrite during = writeLayers(files, paths, plan.during);
        if (!during.replaced) {
            return refused(during.failure);
        }
    }
    StoreChange change = writeConfig();
    if (!change.done) {
        if (plan.writesDuring && !change.restoreFailure) {
            change.restoreFailure = putLayersBack(files, paths, before);
        }
        return change;
    }
    if (plan.writesAfter) {
        // Entries that match nothing are harmless; the next write drops them.
        writeLayers(files, paths, plan.after);
    }
    return change;
}

StoreChange storeChangeOf(const StoreWrite& written) {
    return {written.replaced, written.failure, std::nullopt};
}

} // namespace

LayersRead readLayers(FileApi& files, const ProgramPaths& paths) {
    LayersRead read;
    StoreImage image = readWholeFile(files, layersBinOf(paths), kMaxLayersBinBytes);
    if (image.read.state == StoreState::missing) {
        return read;
    }
    if (!image.read.readable()) {
        read.state = LayersState::unreadable;
        read.failure = image.read.failure;
        return read;
    }
    LayerFileDecode decoded = decodeLayerFile(image.bytes.data(), image.bytes.size());
    if (decoded.fault != LayerFileFault::none) {
        read.state = decoded.fault == LayerFileFault::newerVersion ? LayersState::unreadable
                                                                   : LayersState::damaged;
        read.failure = failureOf(decoded.fault);
        return read;
    }
    read.state = LayersState::read;
    read.file = std::move(decoded.file);
    read.bytes = std::move(image.bytes);
    return read;
}

StoreWrite writeLayers(FileApi& files, const ProgramPaths& paths, const LayerFile& file) {
    if (file.entries.empty()) {
        return removeWholeFile(files, layersBinOf(paths));
    }
    if (encodedLayerFileSize(file) > kMaxLayersBinBytes) {
        return {false, 0, layersFailure(FileAction::write, kErrorFileTooLarge)};
    }
    const std::vector<std::uint8_t> bytes = encodeLayerFile(file);
    return replaceWholeFile(files, layersBinOf(paths), bytes.data(),
                            static_cast<std::uint32_t>(bytes.size()));
}

ProfileLayers layersOf(const LayerFile& file, const ProfileRecord& record) {
    const ProfileLayers* found = findLayers(file, record);
    return found != nullptr ? *found : ProfileLayers{};
}

std::vector<ProfileLayers> layersOfRecords(const LayerFile& file, const std::uint8_t* records,
                                           std::uint32_t count) {
    std::vector<ProfileLayers> layers(count);
    if (file.entries.empty()) {
        return layers;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        layers[i] = layersOf(file, loadRecord(records, i));
    }
    return layers;
}

StoreChange appendLayeredProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 std::uint32_t count, const RecordMaker& makeRecord,
                                 const ProfileLayers& layers) {
    // COUNT could not say more.
    if (count >= kMaxProfileCount) {
        return refused(configFailure(kErrorFileTooLarge));
    }
    const StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return refused(image.read.failure);
    }
    const LayersRead before = readLayers(files, paths);
    // A profile without layers needs no layers.bin it cannot read: it goes on as before.
    const bool pairs = before.state == LayersState::read || !layers.empty();
    if (pairs && !before.usable()) {
        return refused(before.failure);
    }
    const std::vector<std::uint8_t> oldRecords = recordsOf(image.bytes, count);
    std::vector<std::uint8_t> newRecords = recordsOf(image.bytes, count + 1);
    ProfileRecord record = recordAt(newRecords, count);
    makeRecord(record);
    storeRecord(newRecords.data(), count, record);
    const auto writeConfig = [&] {
        return changeStoreAndCount(files, ini, paths, image, newRecords, count + 1);
    };
    if (!pairs) {
        return writeConfig();
    }
    const RecordsChange change{oldRecords, newRecords, sameIndex, {{count, &layers}}};
    return runPairing(files, paths, before, planPairing(before.file, change), writeConfig);
}

StoreChange appendLayeredProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 std::uint32_t count, const LayeredProfile& profile) {
    return appendLayeredProfile(
        files, ini, paths, count, [&profile](ProfileRecord& made) { made = profile.base; },
        profile.layers);
}

StoreChange removeLayeredProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 std::uint32_t count, std::uint32_t index) {
    if (index >= count || count > kMaxProfileCount) {
        return refused(configFailure(kErrorInvalidParameter));
    }
    const StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return refused(image.read.failure);
    }
    const LayersRead before = readLayers(files, paths);
    if (!before.usable()) {
        return refused(before.failure);
    }
    const std::vector<std::uint8_t> oldRecords = recordsOf(image.bytes, count);
    std::vector<std::uint8_t> newRecords = oldRecords;
    const auto removed = newRecords.begin() + static_cast<std::ptrdiff_t>(storeBytes(index));
    newRecords.erase(removed, removed + static_cast<std::ptrdiff_t>(kProfileRecordSize));
    const auto successor = [index](std::uint32_t old) -> std::optional<std::uint32_t> {
        if (old == index) {
            return std::nullopt;
        }
        return old < index ? old : old - 1;
    };
    const RecordsChange change{oldRecords, newRecords, successor, {}};
    return runPairing(files, paths, before, planPairing(before.file, change), [&] {
        return changeStoreAndCount(files, ini, paths, image, newRecords, count - 1);
    });
}

LayeredReplace replaceLayeredProfile(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                                     std::uint32_t index, const LayeredProfile& expected,
                                     const LayeredProfile& replacement) {
    if (index >= count || count > kMaxProfileCount) {
        return {RecordCheck::gone, refused(configFailure(kErrorInvalidParameter))};
    }
    StoreImage image = readWholeStore(files, paths);
    if (!image.read.readable()) {
        return {RecordCheck::same, refused(image.read.failure)};
    }
    const std::vector<std::uint8_t> oldRecords = recordsOf(image.bytes, count);
    if (recordAt(oldRecords, index) != expected.base) {
        return {RecordCheck::changed, refused(configFailure(kErrorInvalidParameter))};
    }
    const LayersRead before = readLayers(files, paths);
    if (!before.usable()) {
        return {RecordCheck::same, refused(before.failure)};
    }
    if (layersOf(before.file, expected.base) != expected.layers) {
        return {RecordCheck::changed, refused(configFailure(kErrorInvalidParameter))};
    }
    // The whole file goes back, records beyond count included.
    std::vector<std::uint8_t> whole = image.bytes;
    whole.resize(std::max(whole.size(), storeBytes(index + 1)), 0);
    storeRecord(whole.data(), index, replacement.base);
    const std::vector<std::uint8_t> newRecords = recordsOf(whole, count);
    const RecordsChange change{oldRecords, newRecords, sameIndex, {{index, &replacement.layers}}};
    // A save of a layer alone leaves config.bin as it is, read-only or not.
    const bool baseChanges = whole != image.bytes;
    return {RecordCheck::same,
            runPairing(files, paths, before, planPairing(before.file, change), [&] {
                if (!baseChanges) {
                    return StoreChange{true, {}, std::nullopt};
                }
                return storeChangeOf(writeStore(files, paths, whole.data(),
                                                static_cast<std::uint32_t>(whole.size())));
            })};
}

StoreChange writeLayeredStore(FileApi& files, const ProgramPaths& paths,
                              const std::vector<std::uint8_t>& records,
                              const std::vector<ProfileLayers>& layers) {
    const auto count = static_cast<std::uint32_t>(records.size() / kProfileRecordSize);
    std::vector<std::uint8_t> oldRecords(storeBytes(count), 0);
    const StoreRead read =
        readStore(files, paths, oldRecords.data(), static_cast<std::uint32_t>(oldRecords.size()));
    if (!read.readable()) {
        return refused(read.failure);
    }
    const LayersRead before = readLayers(files, paths);
    if (!before.usable()) {
        return refused(before.failure);
    }
    RecordsChange change{oldRecords, records, sameIndex, {}};
    for (std::uint32_t i = 0; i < std::min<std::size_t>(count, layers.size()); ++i) {
        change.given.emplace_back(i, &layers[i]);
    }
    return runPairing(files, paths, before, planPairing(before.file, change), [&] {
        return storeChangeOf(
            writeStore(files, paths, records.data(), static_cast<std::uint32_t>(records.size())));
    });
}

} // namespace qora
