#pragma once
// layers.bin: the layers of the profiles of config.bin, in a file beside it, so config.bin
// keeps its format and an older qora reads it as before. A profile without layers has no
// entry; a folder where nobody used layers has no layers.bin.
//
// An entry is keyed by the profile's whole 144-byte record as config.bin holds it, and its
// layers belong to every record of config.bin with exactly those bytes. A change to a
// record the file does not hear of (an older qora's) detaches the layers from it; it can
// never attach them to another record (profiles/layer_store.h keeps the pairing).
//
// Layout, every number little-endian:
//
//   header   8 bytes   kLayerFileMagic
//            u16       version, kLayerFileVersion
//            u32       the number of entries
//   entries  each:
//            144 bytes the key: the profile's record
//            u16       the number of its items, at least 1
//            items     each: u16 type, u32 length, then length bytes
//   check    u32       CRC-32 of every byte before it
//
// Entries are in ascending order of their keys (compared byte by byte), no key twice, so
// a file has one encoding. Item types:
//
//   1  a layer, kLayerItemSize bytes (layer_item:: below); the layers of an entry in the
//      order they apply, at most kMaxLayers.
//   2  the base's binding modes, at most one (formats/mode_items.h).
//   3  a layer's binding modes, tied to the layer by its name, at most one per layer
//      (formats/mode_items.h).
//   4 and up: not known to this reader. Kept as read and written back after the items it
//      knows: a later qora stores what it adds as new item types, and this one neither
//      loses them nor reads them. The version is raised only for a change this reader
//      cannot read at all.
//
// The writer puts an entry's items in this order: its layers, the base's modes, each
// layer's modes in the order of the layers, then the kept ones. The reader takes known
// items in any order, since an older qora (one that knew only layers) kept types 2 and 3
// as unknown items and wrote them back after the layers: a later qora must therefore not
// depend on the order of items of different types. Such a qora may also have deleted a
// layer and kept its modes item, which then names no layer: the reader drops it (and an
// entry left with nothing).
//
// Any bytes decode to a file or to a fault, within the bounds of the input: no read beyond
// it, no allocation beyond what its length can hold.

#include "formats/layer_record.h"
#include "formats/profile_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qora {

inline constexpr std::array<std::uint8_t, 8> kLayerFileMagic{'q', 'o', 'r', 'a',
                                                             'L', 'A', 'Y', 'R'};
inline constexpr std::uint16_t kLayerFileVersion = 1;
// layers.bin is read whole only up to this length, like config.bin; a longer one cannot
// be read, and a write that would make one is refused.
inline constexpr std::size_t kMaxLayersBinBytes = kMaxConfigBinBytes;

inline constexpr std::size_t kLayerFileHeaderSize = 14;
inline constexpr std::size_t kLayerFileCheckSize = 4;
inline constexpr std::size_t kLayerItemHeaderSize = 6;
inline constexpr std::uint16_t kLayerItemType = 1;

// A layer item's bytes.
namespace layer_item {
inline constexpr std::size_t name = 0; // kLayerNameSize bytes: a NUL, then zeros, end it
inline constexpr std::size_t kind = 32;
inline constexpr std::size_t triggerSource = 33;
inline constexpr std::size_t triggerCode = 34;
inline constexpr std::size_t delay = 35;        // u16, ms
inline constexpr std::size_t releaseDelay = 37; // u16, ms
inline constexpr std::size_t changes = 39;      // u64, layer_change bits
inline constexpr std::size_t values = 47;       // a record: the changed bytes, zeros elsewhere
} // namespace layer_item
inline constexpr std::size_t kLayerItemSize = layer_item::values + kProfileRecordSize;

// What a profile stores in layers.bin.
struct ProfileLayers {
    std::vector<LayerRecord> layers; // in the order they apply: a later one wins
    // Items of the types this reader does not know, whole (type, length, bytes) and back
    // to back, as read.
    std::vector<std::uint8_t> laterItems;
    // The base's binding modes. The base sets every mode, so its changes mean nothing: they
    // are not stored (a read gives 0) and two ProfileLayers that differ only there are equal.
    BindingModes modes{};

    // Nothing to store: no layer, no kept item and the base's modes all at their defaults.
    bool empty() const { return layers.empty() && laterItems.empty() && modes.empty(); }
    friend bool operator==(const ProfileLayers& a, const ProfileLayers& b);
};

struct LayerEntry {
    ProfileRecord key;
    ProfileLayers layers; // never empty

    friend bool operator==(const LayerEntry&, const LayerEntry&) = default;
};

struct LayerFile {
    std::vector<LayerEntry> entries; // in ascending order of their keys, no key twice

    friend bool operator==(const LayerFile&, const LayerFile&) = default;
};

// What keeps bytes from being a layer file.
enum class LayerFileFault : std::uint8_t {
    none,
    wrongHeader,  // shorter than a header and its check, or another magic, or version 0
    newerVersion, // a version above kLayerFileVersion: a later qora's, which this one cannot read
    checksum,     // the check sum does not match the bytes
    badLayout,    // a count or a length the bytes do not hold, bytes left over, entries out
                  // of order or twice, an entry without items, a layer item of another size,
                  // a modes item given twice or for modes that store nothing
    outOfRange    // more than kMaxLayers layers, a layer out of range (layerInRange), modes
                  // out of range (formats/mode_items.h), or modes of a layer whose name
                  // another layer of the entry has
};

struct LayerFileDecode {
    LayerFileFault fault = LayerFileFault::none;
    LayerFile file; // empty unless fault is none
};

LayerFileDecode decodeLayerFile(const std::uint8_t* bytes, std::size_t size);

// The bytes of a file whose entries keep the rules above (checkProfileLayers of each says
// none, in order, none empty). An empty file still has its header and check.
std::vector<std::uint8_t> encodeLayerFile(const LayerFile& file);
std::size_t encodedLayerFileSize(const LayerFile& file);

// A layer the file can hold: a name that ends within its field with zeros after it, a
// known kind, a trigger that is none (code 0), a key (code not 0) or one of the
// kMouseButtonTriggers mouse buttons, delays of at most kMaxLayerDelayMs, no change bit
// beyond layer_change::all, values that are 0 outside what the layer changes, and modes
// that are the defaults or that its modes item can hold (formats/mode_items.h).
bool layerInRange(const LayerRecord& layer);

// What the decoder would say of an entry holding these layers (none for an empty one).
LayerFileFault checkProfileLayers(const ProfileLayers& layers);

// The order of the entries.
bool keyBefore(const ProfileRecord& first, const ProfileRecord& second);

// The layers the file holds for a record with these bytes; nullptr when none.
const ProfileLayers* findLayers(const LayerFile& file, const ProfileRecord& key);

// Sets the layers of key in their place; empty layers remove the entry.
void putLayers(LayerFile& file, const ProfileRecord& key, const ProfileLayers& layers);

} // namespace qora
