#include "formats/layer_file.h"

#include "formats/crc32.h"

#include <algorithm>
#include <limits>

namespace qora {
namespace {

constexpr std::size_t kEntryHeaderSize = kProfileRecordSize + 2;
// The fewest bytes an entry takes: its key, its item count and one empty item.
constexpr std::size_t kSmallestEntrySize = kEntryHeaderSize + kLayerItemHeaderSize;
constexpr std::size_t kMaxItemsPerEntry = std::numeric_limits<std::uint16_t>::max();

// Reads little-endian numbers and byte runs; the caller asks has() first.
class ByteReader {
public:
    ByteReader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    std::size_t remaining() const { return size_ - offset_; }
    bool has(std::size_t count) const { return remaining() >= count; }

    const std::uint8_t* take(std::size_t count) {
        const std::uint8_t* taken = bytes_ + offset_;
        offset_ += count;
        return taken;
    }
    std::uint64_t number(std::size_t size) {
        const std::uint8_t* taken = take(size);
        std::uint64_t value = 0;
        for (std::size_t i = size; i-- > 0;) {
            value = (value << 8) | taken[i];
        }
        return value;
    }
    std::uint16_t u16() { return static_cast<std::uint16_t>(number(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }

private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

std::uint64_t numberAt(const std::uint8_t* bytes, std::size_t size) {
    ByteReader reader(bytes, size);
    return reader.number(size);
}

void putNumber(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void putNumberAt(std::uint8_t* at, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

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

// One item into the layers of its entry: a layer decoded and checked, any other kept whole.
LayerFileFault takeItem(ByteReader& reader, ProfileLayers& layers) {
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
    if (type != kLayerItemType) {
        layers.laterItems.insert(layers.laterItems.end(), header, payload + length);
        return LayerFileFault::none;
    }
    if (length != kLayerItemSize) {
        return LayerFileFault::badLayout;
    }
    if (layers.layers.size() == kMaxLayers) {
        return LayerFileFault::outOfRange;
    }
    layers.layers.push_back(layerAt(payload));
    return layerInRange(layers.layers.back()) ? LayerFileFault::none : LayerFileFault::outOfRange;
}

LayerFileFault takeEntry(ByteReader& reader, LayerFile& file) {
    if (!reader.has(kEntryHeaderSize)) {
        return LayerFileFault::badLayout;
    }
    LayerEntry entry;
    std::copy_n(reader.take(kProfileRecordSize), kProfileRecordSize, entry.key.bytes.begin());
    const std::uint16_t items = reader.u16();
    if (items == 0) {
        return LayerFileFault::badLayout;
    }
    if (!file.entries.empty() && !keyBefore(file.entries.back().key, entry.key)) {
        return LayerFileFault::badLayout;
    }
    for (std::uint16_t i = 0; i < items; ++i) {
        if (const LayerFileFault fault = takeItem(reader, entry.layers);
            fault != LayerFileFault::none) {
            return fault;
        }
    }
    file.entries.push_back(std::move(entry));
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
    for (std::uint32_t i = 0; i < count; ++i) {
        if (const LayerFileFault fault = takeEntry(reader, file); fault != LayerFileFault::none) {
            return fault;
        }
    }
    return reader.remaining() == 0 ? LayerFileFault::none : LayerFileFault::badLayout;
}

std::size_t itemCount(const ProfileLayers& layers) {
    std::size_t count = layers.layers.size();
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
           valuesInRange(layer);
}

LayerFileFault checkProfileLayers(const ProfileLayers& layers) {
    if (layers.layers.size() > kMaxLayers ||
        !std::all_of(layers.layers.begin(), layers.layers.end(), layerInRange)) {
        return LayerFileFault::outOfRange;
    }
    // The kept items must read back as what they are: whole items of types not a layer's.
    ByteReader reader(layers.laterItems.data(), layers.laterItems.size());
    while (reader.remaining() != 0) {
        if (!reader.has(kLayerItemHeaderSize)) {
            return LayerFileFault::badLayout;
        }
        const std::uint16_t type = reader.u16();
        const std::uint32_t length = reader.u32();
        if (type == kLayerItemType || !reader.has(length)) {
            return LayerFileFault::badLayout;
        }
        reader.take(length);
    }
    return itemCount(layers) <= kMaxItemsPerEntry ? LayerFileFault::none
                                                  : LayerFileFault::badLayout;
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
