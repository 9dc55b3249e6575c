#include "formats/layer_file.h"

#include "formats/byte_io.h"
#include "formats/crc32.h"
#include "formats/mode_items.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace qora {
namespace {

constexpr std::size_t kEntryHeaderSize = kProfileRecordSize + 2;
// The fewest bytes an entry takes: its key, its item count and one empty item.
constexpr std::size_t kSmallestEntrySize = kEntryHeaderSize + kLayerItemHeaderSize;
constexpr std::size_t kMaxItemsPerEntry = std::numeric_limits<std::uint16_t>::max();

bool nameInRange(const std::array<char, kLayerNameSize>& name) {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return end != name.end() && std::all_of(end, name.end(), [](char c) { return c == '\0'; });
}

bool triggerInRange(const LayerTrigger& trigger) {
    switch (trigger.source) {
    case TriggerSource::none:
        return trigger.code == 0;
    case TriggerSource::key:
        return trigger.code != 0;
    case TriggerSource::mouseButton:
        return trigger.code < kMouseButtonTriggers;
    }
    return false;
}

// The values hold what the layer changes and nothing else.
bool valuesInRange(const LayerRecord& layer) {
    LayerRecord changed;
    for (unsigned change = 0; change < layer_change::count; ++change) {
        if ((layer.changes & layer_change::bit(change)) != 0) {
            takeChange(changed, change, layer.values);
        }
    }
    return changed.values == layer.values;
}

bool isKnownItemType(std::uint16_t type) {
    return type == kLayerItemType || type == kBaseModesItemType || type == kLayerModesItemType;
}

// A layer's modes item names its layer: no other layer of the entry may have that name.
bool modesTieToOneLayer(const std::vector<LayerRecord>& layers) {
    for (std::size_t i = 0; i < layers.size(); ++i) {
        for (std::size_t j = 0; j < layers.size(); ++j) {
            if (i != j && hasModes(layers[i]) && layers[i].name == layers[j].name) {
                return false;
            }
        }
    }
    return true;
}

LayerRecord layerAt(const std::uint8_t* item) {
    LayerRecord layer;
    std::copy_n(item + layer_item::name, kLayerNameSize, layer.name.begin());
    layer.kind = static_cast<LayerKind>(item[layer_item::kind]);
    layer.trigger.source = static_cast<TriggerSource>(item[layer_item::triggerSource]);
    layer.trigger.code = item[layer_item::triggerCode];
    layer.delayMs = static_cast<std::uint16_t>(numberAt(item + layer_item::delay, 2));
    layer.releaseDelayMs = static_cast<std::uint16_t>(numberAt(item + layer_item::releaseDelay, 2));
    layer.changes = numberAt(item + layer_item::changes, 8);
    std::copy_n(item + layer_item::values, kProfileRecordSize, layer.values.bytes.begin());
    return layer;
}

void putLayerItem(std::vector<std::uint8_t>& out, const LayerRecord& layer) {
    putNumber(out, kLayerItemType, 2);
    putNumber(out, kLayerItemSize, 4);
    const std::size_t start = out.size();
    out.resize(start + kLayerItemSize, 0);
    std::uint8_t* item = out.data() + start;
    std::copy(layer.name.begin(), layer.name.end(), item + layer_item::name);
    item[layer_item::kind] = static_cast<std::uint8_t>(layer.kind);
    item[layer_item::triggerSource] = static_cast<std::uint8_t>(layer.trigger.source);
    item[layer_item::triggerCode] = layer.trigger.code;
    putNumberAt(item + layer_item::delay, layer.delayMs, 2);
    putNumberAt(item + layer_item::releaseDelay, layer.releaseDelayMs, 2);
    putNumberAt(item + layer_item::changes, layer.changes, 8);
    std::copy(layer.values.bytes.begin(), layer.values.bytes.end(), item + layer_item::values);
}

// What an entry's items gave so far: its layers, the base's modes and the layers' modes,
// which attach to their layers once every item is read.
struct EntryItems {
    ProfileLayers layers;
    bool baseModes = false;
    std::vector<ModesItem> layerModes;
};

LayerFileFault takeLayer(const std::uint8_t* payload, std::uint32_t length, EntryItems& items) {
    if (length != kLayerItemSize) {
        return LayerFileFault::badLayout;
    }
    if (items.layers.layers.size() == kMaxLayers) {
        return LayerFileFault::outOfRange;
    }
    items.layers.layers.push_back(layerAt(payload));
    return layerInRange(items.layers.layers.back()) ? LayerFileFault::none
                                                    : LayerFileFault::outOfRange;
}

LayerFileFault takeBaseModes(const std::uint8_t* payload, std::uint32_t length, EntryItems& items) {
    if (items.baseModes) {
        return LayerFileFault::badLayout;
    }
    ModesItem item = readBaseModesItem(payload, length);
    items.baseModes = true;
    items.layers.modes = std::move(item.modes);
    return item.fault;
}

// No qora writes more modes items than layers: the items of layers an older qora deleted
// are dropped at the next write.
LayerFileFault takeLayerModes(const std::uint8_t* payload, std::uint32_t length,
                              EntryItems& items) {
    if (items.layerModes.size() == kMaxLayers) {
        return LayerFileFault::outOfRange;
    }
    ModesItem item = readLayerModesItem(payload, length);
    if (item.fault != LayerFileFault::none) {
        return item.fault;
    }
    for (const ModesItem& other : items.layerModes) {
        if (other.layerName == item.layerName) {
            return LayerFileFault::badLayout;
        }
    }
    items.layerModes.push_back(std::move(item));
    return LayerFileFault::none;
}

// One item into its entry: a known one decoded and checked, any other kept whole.
LayerFileFault takeItem(ByteReader& reader, EntryItems& items) {
    if (!reader.has(kLayerItemHeaderSize)) {
        return LayerFileFault::badLayout;
    }
    const std::uint8_t* header = reader.take(kLayerItemHeaderSize);
    const auto type = static_cast<std::uint16_t>(numberAt(header, 2));
    const auto length = static_cast<std::uint32_t>(numberAt(header + 2, 4));
    if (!reader.has(length)) {
        return LayerFileFault::badLayout;
    }
    const std::uint8_t* payload = reader.take(length);
    switch (type) {
    case kLayerItemType:
        return takeLayer(payload, length, items);
    case kBaseModesItemType:
        return takeBaseModes(payload, length, items);
    case kLayerModesItemType:
        return takeLayerModes(payload, length, items);
    default:
        items.layers.laterItems.insert(items.layers.laterItems.end(), header, payload + length);
        return LayerFileFault::none;
    }
}

// Each layer's modes to the one layer of its name; modes whose layer is gone are dropped.
LayerFileFault attachLayerModes(EntryItems& items) {
    for (ModesItem& item : items.layerModes) {
        LayerRecord* owner = nullptr;
        for (LayerRecord& layer : items.layers.layers) {
            if (layer.name != item.layerName) {
                continue;
            }
            if (owner != nullptr) {
                return LayerFileFault::outOfRange;
            }
            owner = &layer;
        }
        if (owner != nullptr) {
            owner->modes = std::move(item.modes);
        }
    }
    return LayerFileFault::none;
}

// An entry, kept unless all it held were modes of layers that are gone.
LayerFileFault takeEntry(ByteReader& reader, std::optional<ProfileRecord>& lastKey,
                         LayerFile& file) {
    if (!reader.has(kEntryHeaderSize)) {
        return LayerFileFault::badLayout;
    }
    LayerEntry entry;
    std::copy_n(reader.take(kProfileRecordSize), kProfileRecordSize, entry.key.bytes.begin());
    const std::uint16_t count = reader.u16();
    if (count == 0) {
        return LayerFileFault::badLayout;
    }
    if (lastKey && !keyBefore(*lastKey, entry.key)) {
        return LayerFileFault::badLayout;
    }
    lastKey = entry.key;
    EntryItems items;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (const LayerFileFault fault = takeItem(reader, items); fault != LayerFileFault::none) {
            return fault;
        }
    }
    if (const LayerFileFault fault = attachLayerModes(items); fault != LayerFileFault::none) {
        return fault;
    }
    if (!items.layers.empty()) {
        entry.layers = std::move(items.layers);
        file.entries.push_back(std::move(entry));
    }
    return LayerFileFault::none;
}

LayerFileFault headerFault(const std::uint8_t* bytes, std::size_t size) {
    if (size < kLayerFileHeaderSize + kLayerFileCheckSize ||
        !std::equal(kLayerFileMagic.begin(), kLayerFileMagic.end(), bytes)) {
        return LayerFileFault::wrongHeader;
    }
    const auto version = static_cast<std::uint16_t>(numberAt(bytes + kLayerFileMagic.size(), 2));
    if (version == 0) {
        return LayerFileFault::wrongHeader;
    }
    if (version > kLayerFileVersion) {
        return LayerFileFault::newerVersion;
    }
    const std::size_t checked = size - kLayerFileCheckSize;
    if (crc32(bytes, checked) != numberAt(bytes + checked, kLayerFileCheckSize)) {
        return LayerFileFault::checksum;
    }
    return LayerFileFault::none;
}

LayerFileFault takeEntries(const std::uint8_t* bytes, std::size_t size, LayerFile& file) {
    ByteReader reader(bytes + kLayerFileMagic.size() + 2,
                      size - kLayerFileMagic.size() - 2 - kLayerFileCheckSize);
    const std::uint32_t count = reader.u32();
    // Only as many as the bytes could hold: a count alone reserves nothing more.
    file.entries.reserve(std::min<std::size_t>(count, reader.remaining() / kSmallestEntrySize));
    std::optional<ProfileRecord> lastKey;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (const LayerFileFault fault = takeEntry(reader, lastKey, file);
            fault != LayerFileFault::none) {
            return fault;
        }
    }
    return reader.remaining() == 0 ? LayerFileFault::none : LayerFileFault::badLayout;
}

std::size_t itemCount(const ProfileLayers& layers) {
    std::size_t count = layers.layers.size() + (layers.modes.empty() ? 0 : 1);
    count += static_cast<std::size_t>(
        std::count_if(layers.layers.begin(), layers.layers.end(), hasModes));
    ByteReader reader(layers.laterItems.data(), layers.laterItems.size());
    while (reader.has(kLayerItemHeaderSize)) {
        reader.take(2);
        const std::uint32_t length = reader.u32();
        reader.take(std::min<std::size_t>(length, reader.remaining()));
        ++count;
    }
    return count;
}

} // namespace

LayerFileDecode decodeLayerFile(const std::uint8_t* bytes, std::size_t size) {
    LayerFileDecode decoded;
    decoded.fault = headerFault(bytes, size);
    if (decoded.fault == LayerFileFault::none) {
        decoded.fault = takeEntries(bytes, size, decoded.file);
    }
    if (decoded.fault != LayerFileFault::none) {
        decoded.file = LayerFile{};
    }
    return decoded;
}

std::size_t encodedLayerFileSize(const LayerFile& file) {
    std::size_t size = kLayerFileHeaderSize + kLayerFileCheckSize;
    for (const LayerEntry& entry : file.entries) {
        size += kEntryHeaderSize + entry.layers.laterItems.size() +
                entry.layers.layers.size() * (kLayerItemHeaderSize + kLayerItemSize);
        if (!entry.layers.modes.empty()) {
            size += baseModesItemSize(entry.layers.modes);
        }
        for (const LayerRecord& layer : entry.layers.layers) {
            size += hasModes(layer) ? layerModesItemSize(layer.modes) : 0;
        }
    }
    return size;
}

std::vector<std::uint8_t> encodeLayerFile(const LayerFile& file) {
    std::vector<std::uint8_t> out(kLayerFileMagic.begin(), kLayerFileMagic.end());
    out.reserve(encodedLayerFileSize(file));
    putNumber(out, kLayerFileVersion, 2);
    putNumber(out, file.entries.size(), 4);
    for (const LayerEntry& entry : file.entries) {
        out.insert(out.end(), entry.key.bytes.begin(), entry.key.bytes.end());
        putNumber(out, itemCount(entry.layers), 2);
        for (const LayerRecord& layer : entry.layers.layers) {
            putLayerItem(out, layer);
        }
        if (!entry.layers.modes.empty()) {
            putBaseModesItem(out, entry.layers.modes);
        }
        for (const LayerRecord& layer : entry.layers.layers) {
            if (hasModes(layer)) {
                putLayerModesItem(out, layer);
            }
        }
        out.insert(out.end(), entry.layers.laterItems.begin(), entry.layers.laterItems.end());
    }
    putNumber(out, crc32(out.data(), out.size()), kLayerFileCheckSize);
    return out;
}

bool layerInRange(const LayerRecord& layer) {
    return nameInRange(layer.name) &&
           (layer.kind == LayerKind::whileHeld || layer.kind == LayerKind::toggled) &&
           triggerInRange(layer.trigger) && layer.delayMs <= kMaxLayerDelayMs &&
           layer.releaseDelayMs <= kMaxLayerDelayMs && (layer.changes & ~layer_change::all) == 0 &&
           valuesInRange(layer) &&
           (!hasModes(layer) || layerModesFault(layer.modes) == LayerFileFault::none);
}

LayerFileFault checkProfileLayers(const ProfileLayers& layers) {
    if (layers.layers.size() > kMaxLayers ||
        !std::all_of(layers.layers.begin(), layers.layers.end(), layerInRange) ||
        !modesTieToOneLayer(layers.layers)) {
        return LayerFileFault::outOfRange;
    }
    if (!layers.modes.empty()) {
        if (const LayerFileFault fault = baseModesFault(layers.modes);
            fault != LayerFileFault::none) {
            return fault;
        }
    }
    // The kept items must read back as what they are: whole items of types it does not know.
    ByteReader reader(layers.laterItems.data(), layers.laterItems.size());
    while (reader.remaining() != 0) {
        if (!reader.has(kLayerItemHeaderSize)) {
            return LayerFileFault::badLayout;
        }
        const std::uint16_t type = reader.u16();
        const std::uint32_t length = reader.u32();
        if (isKnownItemType(type) || !reader.has(length)) {
            return LayerFileFault::badLayout;
        }
        reader.take(length);
    }
    return itemCount(layers) <= kMaxItemsPerEntry ? LayerFileFault::none
                                                  : LayerFileFault::badLayout;
}

bool operator==(const ProfileLayers& a, const ProfileLayers& b) {
    const BindingModes& x = a.modes;
    const BindingModes& y = b.modes;
    return a.layers == b.layers && a.laterItems == b.laterItems && x.toggle == y.toggle &&
           x.turbo == y.turbo && x.turboPressMs == y.turboPressMs &&
           x.turboReleaseMs == y.turboReleaseMs && x.walkKey == y.walkKey &&
           x.walkPercent == y.walkPercent && x.macros == y.macros;
}

bool keyBefore(const ProfileRecord& first, const ProfileRecord& second) {
    return first.bytes < second.bytes;
}

const ProfileLayers* findLayers(const LayerFile& file, const ProfileRecord& key) {
    const auto found = std::lower_bound(file.entries.begin(), file.entries.end(), key,
                                        [](const LayerEntry& entry, const ProfileRecord& record) {
                                            return keyBefore(entry.key, record);
                                        });
    if (found == file.entries.end() || found->key != key) {
        return nullptr;
    }
    return &found->layers;
}

void putLayers(LayerFile& file, const ProfileRecord& key, const ProfileLayers& layers) {
    const auto found = std::lower_bound(file.entries.begin(), file.entries.end(), key,
                                        [](const LayerEntry& entry, const ProfileRecord& record) {
                                            return keyBefore(entry.key, record);
                                        });
    const bool present = found != file.entries.end() && found->key == key;
    if (layers.empty()) {
        if (present) {
            file.entries.erase(found);
        }
    } else if (present) {
        found->layers = layers;
    } else {
        file.entries.insert(found, LayerEntry{key, layers});
    }
}

} // namespace qora
