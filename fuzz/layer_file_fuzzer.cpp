// The reader of layers.bin over random bytes: the decoder alone, then the store's read of
// the same bytes as layers.bin.
//
// Any bytes decode to a file or to a fault, within their bounds (the sanitizers see every
// read beyond them). A fault leaves no entries. A file that decodes keeps the format's
// promises: its entries in ascending order of their keys, none empty, at most kMaxLayers
// layers each, every layer in range; and it encodes to bytes of the length
// encodedLayerFileSize names, which decode to the same file and encode to themselves
// again. readLayers tells the same: read with those entries, unreadable for a newer qora's
// file, damaged for any other fault.
//
// The binding modes survive an older qora, one that knew layers but not their modes and
// kept the modes items as unknown ones: what it holds after reading the encoded file
// writes back as the same bytes, and after it deletes a layer (chosen by the input) the
// file still reads, the other layers keep exactly their own modes, the deleted layer's
// modes are gone, and the base keeps its modes.
//
// Input: a flags byte (bit 0: the last four bytes are replaced by the check sum of the
// bytes before them, so the fuzzer reaches past the check; bits 4-7: the layer an older
// qora deletes from each entry, counted from its first), then the bytes of the file.

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "work_directory.h"

#include "formats/crc32.h"
#include "formats/layer_file.h"
#include "platform/program_paths.h"
#include "profiles/layer_store.h"

#include <algorithm>
#include <string>
#include <vector>

namespace qora::fuzzing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kReseal = 0x01;
constexpr unsigned kDeletedLayerShift = 4;

void reseal(Bytes& bytes) {
    if (bytes.size() < kLayerFileCheckSize) {
        return;
    }
    const std::size_t checked = bytes.size() - kLayerFileCheckSize;
    const std::uint32_t crc = crc32(bytes.data(), checked);
    for (std::size_t i = 0; i < kLayerFileCheckSize; ++i) {
        bytes[checked + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
}

void checkDecodedFile(const LayerFile& file) {
    for (std::size_t i = 0; i < file.entries.size(); ++i) {
        const LayerEntry& entry = file.entries[i];
        require(i == 0 || keyBefore(file.entries[i - 1].key, entry.key),
                "entries are in ascending order of their keys, no key twice");
        require(!entry.layers.empty(), "no entry is empty");
        require(entry.layers.layers.size() <= kMaxLayers, "no entry has more than 8 layers");
        require(std::all_of(entry.layers.layers.begin(), entry.layers.layers.end(), layerInRange),
                "every layer read is in range");
        require(checkProfileLayers(entry.layers) == LayerFileFault::none,
                "every entry read is one the writer may write");
        require(findLayers(file, entry.key) == &entry.layers, "each entry is found by its key");
    }
}

void checkReencoding(const LayerFile& file) {
    const Bytes encoded = encodeLayerFile(file);
    require(encoded.size() == encodedLayerFileSize(file), "the encoded size is as named");
    const LayerFileDecode again = decodeLayerFile(encoded.data(), encoded.size());
    require(again.fault == LayerFileFault::none, "an encoded file decodes");
    require(again.file == file, "an encoded file decodes to itself");
    require(encodeLayerFile(again.file) == encoded, "a file has one encoding");
}

std::uint32_t numberIn(const Bytes& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

// What an older qora holds after reading bytes the writer made: each entry's layers without
// modes, and every item but the layers kept whole, in the order it stands.
LayerFile olderReading(const LayerFile& file, const Bytes& bytes) {
    LayerFile older = file;
    std::size_t at = kLayerFileHeaderSize;
    for (LayerEntry& entry : older.entries) {
        entry.layers.modes = {};
        for (LayerRecord& layer : entry.layers.layers) {
            layer.modes = {};
        }
        entry.layers.laterItems.clear();
        at += kProfileRecordSize;
        const std::uint32_t items = numberIn(bytes, at, 2);
        at += 2;
        for (std::uint32_t i = 0; i < items; ++i) {
            const std::size_t end = at + kLayerItemHeaderSize + numberIn(bytes, at + 2, 4);
            if (numberIn(bytes, at, 2) != kLayerItemType) {
                entry.layers.laterItems.insert(entry.layers.laterItems.end(),
                                               bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                               bytes.begin() + static_cast<std::ptrdiff_t>(end));
            }
            at = end;
        }
    }
    return older;
}

void checkOlderQora(const LayerFile& file, std::size_t deleted) {
    const Bytes encoded = encodeLayerFile(file);
    LayerFile older = olderReading(file, encoded);
    require(encodeLayerFile(older) == encoded, "an older qora writes back the same bytes it read");
    LayerFile expected = file;
    for (std::size_t e = 0; e < file.entries.size(); ++e) {
        std::vector<LayerRecord>& olderLayers = older.entries[e].layers.layers;
        std::vector<LayerRecord>& expectedLayers = expected.entries[e].layers.layers;
        if (deleted < olderLayers.size()) {
            olderLayers.erase(olderLayers.begin() + static_cast<std::ptrdiff_t>(deleted));
            expectedLayers.erase(expectedLayers.begin() + static_cast<std::ptrdiff_t>(deleted));
        }
    }
    // It stores no entry that holds nothing, as putLayers keeps it.
    const auto holdsNothing = [](const LayerEntry& entry) { return entry.layers.empty(); };
    std::erase_if(older.entries, holdsNothing);
    std::erase_if(expected.entries, holdsNothing);
    const Bytes written = encodeLayerFile(older);
    const LayerFileDecode again = decodeLayerFile(written.data(), written.size());
    require(again.fault == LayerFileFault::none, "a file an older qora changed still reads");
    require(again.file == expected,
            "after an older qora deleted a layer, every other layer and the base keep their "
            "own modes");
}

void checkStoreRead(const Bytes& bytes, const LayerFileDecode& decoded) {
    workDirectory().write(kLayersBinName, std::string(bytes.begin(), bytes.end()));
    UnsyncedFileApi files;
    const LayersRead read = readLayers(files, makeProgramPaths(workDirectory().path()));
    switch (decoded.fault) {
    case LayerFileFault::none:
        require(read.state == LayersState::read && read.file == decoded.file,
                "readLayers reads what decodes");
        require(read.bytes == bytes, "readLayers keeps the bytes it read");
        break;
    case LayerFileFault::newerVersion:
        require(read.state == LayersState::unreadable, "a newer qora's file cannot be read");
        break;
    default:
        require(read.state == LayersState::damaged, "any other fault is damage");
        require(read.failure.action == FileAction::check, "damage is told as damage");
        break;
    }
    require(read.usable() == (decoded.fault == LayerFileFault::none),
            "only a file that decodes is used");
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    Bytes bytes = input.rest();
    if ((flags & kReseal) != 0) {
        reseal(bytes);
    }

    const LayerFileDecode decoded = decodeLayerFile(bytes.data(), bytes.size());
    if (decoded.fault == LayerFileFault::none) {
        checkDecodedFile(decoded.file);
        checkReencoding(decoded.file);
        checkOlderQora(decoded.file, flags >> kDeletedLayerShift);
    } else {
        require(decoded.file.entries.empty(), "a fault leaves no entries");
    }
    checkStoreRead(bytes, decoded);
    return 0;
}
