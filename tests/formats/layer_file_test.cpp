#include "formats/layer_file.h"

#include "formats/crc32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

using Bytes = std::vector<std::uint8_t>;

ProfileRecord recordNamed(const std::string& name) {
    ProfileRecord record;
    setProfileName(record, name);
    writeZoomScale(record, profile::xZoomScale, 1.0f);
    writeZoomScale(record, profile::yZoomScale, 1.0f);
    return record;
}

LayerRecord layerNamed(const std::string& name, std::uint8_t mouseButton = 1) {
    LayerRecord layer;
    setLayerName(layer, name);
    layer.trigger = {TriggerSource::mouseButton, mouseButton};
    layer.delayMs = 150;
    ProfileRecord from;
    writeZoomScale(from, profile::xZoomScale, 0.5f);
    writeZoomScale(from, profile::yZoomScale, 0.5f);
    from.bytes[profile::primaryKeys + 3] = 0x1E;
    takeChange(layer, layer_change::zoomX, from);
    takeChange(layer, layer_change::zoomY, from);
    takeChange(layer, layer_change::action(3), from);
    return layer;
}

// An item of a type this reader does not know, whole.
Bytes laterItem(std::uint16_t type, const Bytes& payload) {
    Bytes item = {static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(type >> 8)};
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) {
        item.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    }
    item.insert(item.end(), payload.begin(), payload.end());
    return item;
}

Bytes concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

LayerFile fileOf(std::vector<LayerEntry> entries) {
    LayerFile file;
    for (const LayerEntry& entry : entries) {
        putLayers(file, entry.key, entry.layers);
    }
    return file;
}

// The check sum made right again after an edit, so the edit itself is what is judged.
Bytes resealed(Bytes bytes) {
    const std::size_t checked = bytes.size() - kLayerFileCheckSize;
    const std::uint32_t crc = crc32(bytes.data(), checked);
    for (std::size_t i = 0; i < kLayerFileCheckSize; ++i) {
        bytes[checked + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    return bytes;
}

TEST(Crc32, GivesTheCheckValueOfTheStandard) {
    const std::string text = "123456789";
    EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0xCBF43926u);
    EXPECT_EQ(crc32(nullptr, 0), 0u);
}

// Every file encodes to bytes that decode to it again, and those bytes are the only
// encoding: decoding and encoding them again gives them back.
TEST(LayerFile, EveryFileReadsBackExactly) {
    ProfileLayers eight;
    for (std::uint8_t i = 0; i < kMaxLayers; ++i) {
        eight.layers.push_back(layerNamed("layer " + std::to_string(i), i % kMouseButtonTriggers));
    }
    LayerRecord toggled = layerNamed(std::string(31, 'x'));
    toggled.kind = LayerKind::toggled;
    toggled.trigger = {TriggerSource::key, 0x3A};
    toggled.delayMs = kMaxLayerDelayMs;
    toggled.releaseDelayMs = kMaxLayerDelayMs;
    takeChange(toggled, layer_change::aim, recordNamed("aim"));
    LayerRecord everything = layerNamed("");
    everything.trigger = {};
    ProfileRecord full;
    full.bytes.fill(0xA7);
    for (unsigned change = 0; change < layer_change::count; ++change) {
        takeChange(everything, change, full);
    }
    const ProfileLayers withLater{{layerNamed("ADS")}, laterItem(9, {1, 2, 3})};
    const ProfileLayers onlyLater{{}, concat(laterItem(0, {}), laterItem(0xFFFF, Bytes(300, 7)))};

    const std::pair<const char*, LayerFile> cases[] = {
        {"no entries", LayerFile{}},
        {"one layer", fileOf({{recordNamed("a"), {{layerNamed("ADS")}, {}}}})},
        {"eight layers", fileOf({{recordNamed("a"), eight}})},
        {"edges of every field", fileOf({{recordNamed("b"), {{toggled, everything}, {}}}})},
        {"items of later types",
         fileOf({{recordNamed("c"), withLater}, {recordNamed("d"), onlyLater}})},
        {"several entries", fileOf({{recordNamed("z"), eight},
                                    {recordNamed("a"), {{layerNamed("ADS")}, {}}},
                                    {recordNamed("m"), withLater}})},
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        const Bytes bytes = encodeLayerFile(file);
        EXPECT_EQ(bytes.size(), encodedLayerFileSize(file));
        const LayerFileDecode decoded = decodeLayerFile(bytes.data(), bytes.size());
        EXPECT_EQ(decoded.fault, LayerFileFault::none);
        EXPECT_EQ(decoded.file, file);
        EXPECT_EQ(encodeLayerFile(decoded.file), bytes);
    }
}

// A later qora's items between the layers are kept and written back after them; the
// layers keep their order.
TEST(LayerFile, ItemsOfLaterTypesAreKeptWhereverTheyStand) {
    const ProfileRecord key = recordNamed("mine");
    const Bytes turbo = laterItem(9, {30, 0, 30, 0});
    const Bytes macro = laterItem(10, {'F'});
    Bytes bytes = encodeLayerFile(fileOf({{key, {{layerNamed("one"), layerNamed("two")}, {}}}}));
    // Item order in the file: turbo, layer one, macro, layer two.
    const std::size_t firstItem = kLayerFileHeaderSize + kProfileRecordSize + 2;
    const std::size_t secondItem = firstItem + kLayerItemHeaderSize + kLayerItemSize;
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(secondItem), macro.begin(),
                 macro.end());
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(firstItem), turbo.begin(),
                 turbo.end());
    bytes[kLayerFileHeaderSize + kProfileRecordSize] = 4; // the entry's item count
    const LayerFileDecode decoded = decodeLayerFile(bytes.data(), bytes.size());
    // Not resealed: the check sum is over the edited bytes only once resealed.
    EXPECT_EQ(decoded.fault, LayerFileFault::checksum);

    const Bytes sealed = resealed(bytes);
    const LayerFileDecode read = decodeLayerFile(sealed.data(), sealed.size());
    ASSERT_EQ(read.fault, LayerFileFault::none);
    const ProfileLayers* layers = findLayers(read.file, key);
    ASSERT_NE(layers, nullptr);
    ASSERT_EQ(layers->layers.size(), 2u);
    EXPECT_EQ(layerName(layers->layers[0]), "one");
    EXPECT_EQ(layerName(layers->layers[1]), "two");
    EXPECT_EQ(layers->laterItems, concat(turbo, macro));
    const Bytes again = encodeLayerFile(read.file);
    EXPECT_EQ(decodeLayerFile(again.data(), again.size()).file, read.file);
}

// Each kind of damage, made on a good file, is told as its fault and decodes to no entries.
TEST(LayerFile, DamageIsToldAndNeverReadAsLayers) {
    const ProfileRecord a = recordNamed("a");
    const ProfileRecord b = recordNamed("b");
    const LayerFile good = fileOf({{a, {{layerNamed("ADS")}, {}}}, {b, {{layerNamed("car")}, {}}}});
    const Bytes bytes = encodeLayerFile(good);
    const std::size_t countAt = kLayerFileMagic.size() + 2;
    const std::size_t firstEntry = kLayerFileHeaderSize;
    const std::size_t itemsAt = firstEntry + kProfileRecordSize;
    const std::size_t itemAt = itemsAt + 2;
    const std::size_t layerAt = itemAt + kLayerItemHeaderSize;
    const std::size_t entrySize = kProfileRecordSize + 2 + kLayerItemHeaderSize + kLayerItemSize;

    using Edit = std::function<void(Bytes&)>;
    // An edit of the bytes; resealed unless the case is about the check sum itself.
    struct Case {
        const char* name;
        Edit edit;
        bool reseal;
        LayerFileFault fault;
    };
    auto set = [](std::size_t at, std::uint8_t value) {
        return [at, value](Bytes& file) { file[at] = value; };
    };
    const Case cases[] = {
        {"nothing at all", [](Bytes& f) { f.clear(); }, false, LayerFileFault::wrongHeader},
        {"cut inside the header", [](Bytes& f) { f.resize(kLayerFileHeaderSize); }, false,
         LayerFileFault::wrongHeader},
        {"another magic", set(0, 'Q'), true, LayerFileFault::wrongHeader},
        {"version 0", set(8, 0), false, LayerFileFault::wrongHeader},
        {"version 2", set(8, 2), false, LayerFileFault::newerVersion},
        {"a byte changed", set(layerAt + 5, 'z'), false, LayerFileFault::checksum},
        {"the last byte lost", [](Bytes& f) { f.pop_back(); }, false, LayerFileFault::checksum},
        {"a byte added", [](Bytes& f) { f.push_back(0); }, false, LayerFileFault::checksum},
        {"one entry more than it holds", set(countAt, 3), true, LayerFileFault::badLayout},
        {"one entry fewer than it holds", set(countAt, 1), true, LayerFileFault::badLayout},
        {"a count beyond any file", set(countAt + 3, 0xFF), true, LayerFileFault::badLayout},
        {"an entry without items", set(itemsAt, 0), true, LayerFileFault::badLayout},
        {"an item longer than the file", set(itemAt + 5, 0x7F), true, LayerFileFault::badLayout},
        {"a layer item of another size", set(itemAt + 2, kLayerItemSize - 1), true,
         LayerFileFault::badLayout},
        {"entries out of order",
         [&](Bytes& f) {
             std::swap_ranges(f.begin() + static_cast<std::ptrdiff_t>(firstEntry),
                              f.begin() + static_cast<std::ptrdiff_t>(firstEntry + entrySize),
                              f.begin() + static_cast<std::ptrdiff_t>(firstEntry + entrySize));
         },
         true, LayerFileFault::badLayout},
        {"one key twice", [&](Bytes& f) { f[firstEntry + entrySize] = 'a'; }, true,
         LayerFileFault::badLayout},
        {"an unknown kind", set(layerAt + layer_item::kind, 2), true, LayerFileFault::outOfRange},
        {"an unknown trigger", set(layerAt + layer_item::triggerSource, 3), true,
         LayerFileFault::outOfRange},
        {"no eighth mouse button", set(layerAt + layer_item::triggerCode, kMouseButtonTriggers),
         true, LayerFileFault::outOfRange},
        {"a delay of 2001 ms",
         [&](Bytes& f) {
             f[layerAt + layer_item::delay] = 2001 & 0xFF;
             f[layerAt + layer_item::delay + 1] = 2001 >> 8;
         },
         true, LayerFileFault::outOfRange},
        {"a release delay of 2001 ms",
         [&](Bytes& f) {
             f[layerAt + layer_item::releaseDelay] = 2001 & 0xFF;
             f[layerAt + layer_item::releaseDelay + 1] = 2001 >> 8;
         },
         true, LayerFileFault::outOfRange},
        {"a change bit beyond all", [&](Bytes& f) { f[layerAt + layer_item::changes + 5] |= 0x08; },
         true, LayerFileFault::outOfRange},
        {"a value it does not change", set(layerAt + layer_item::values + profile::direction, 1),
         true, LayerFileFault::outOfRange},
        {"a name without its NUL",
         [&](Bytes& f) {
             std::fill_n(f.begin() + static_cast<std::ptrdiff_t>(layerAt), kLayerNameSize, 'n');
         },
         true, LayerFileFault::outOfRange},
        {"bytes after the name's NUL", set(layerAt + 20, 'x'), true, LayerFileFault::outOfRange},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Bytes damaged = bytes;
        test.edit(damaged);
        if (test.reseal) {
            damaged = resealed(damaged);
        }
        const LayerFileDecode decoded = decodeLayerFile(damaged.data(), damaged.size());
        EXPECT_EQ(decoded.fault, test.fault);
        EXPECT_EQ(decoded.file, LayerFile{});
    }
}

// What checkProfileLayers lets through reads back as itself, and nothing else does: a
// layer out of range is refused by the decoder, and a layer hidden among later items would
// read back as a layer.
TEST(LayerFile, LayersAreCheckedAsTheDecoderChecksThem) {
    auto with = [](const std::function<void(LayerRecord&)>& edit) {
        LayerRecord layer = layerNamed("ADS");
        edit(layer);
        return ProfileLayers{{layer}, {}};
    };
    ProfileLayers nine;
    nine.layers.assign(kMaxLayers + 1, layerNamed("same"));
    ProfileLayers hiddenLayer{{}, laterItem(kLayerItemType, Bytes(kLayerItemSize, 0))};
    ProfileLayers torn{{}, laterItem(5, {1, 2, 3})};
    torn.laterItems.pop_back();
    const std::pair<ProfileLayers, LayerFileFault> cases[] = {
        {ProfileLayers{}, LayerFileFault::none},
        {with([](LayerRecord&) {}), LayerFileFault::none},
        {with([](LayerRecord& l) {
             l.trigger = {TriggerSource::none, 0};
         }),
         LayerFileFault::none},
        {with([](LayerRecord& l) {
             l.trigger = {TriggerSource::none, 4};
         }),
         LayerFileFault::outOfRange},
        {with([](LayerRecord& l) {
             l.trigger = {TriggerSource::key, 0};
         }),
         LayerFileFault::outOfRange},
        {nine, LayerFileFault::outOfRange},
        {hiddenLayer, LayerFileFault::badLayout},
        {torn, LayerFileFault::badLayout},
    };
    int index = 0;
    for (const auto& [layers, fault] : cases) {
        SCOPED_TRACE(index++);
        EXPECT_EQ(checkProfileLayers(layers), fault);
        if (layers.empty()) {
            continue;
        }
        LayerFile file;
        file.entries.push_back({recordNamed("a"), layers});
        const Bytes bytes = encodeLayerFile(file);
        const LayerFileDecode decoded = decodeLayerFile(bytes.data(), bytes.size());
        EXPECT_EQ(decoded.fault == LayerFileFault::none && decoded.file == file,
                  fault == LayerFileFault::none);
    }
}

} // namespace
} // namespace qora
