// The binding modes in layers.bin: the base's and each layer's modes read back exactly,
// modes that do nothing store nothing, an older qora that keeps the modes items as unknown
// ones can neither lose them nor move them to another layer, and modes out of range are
// damage, which the writer's check refuses alike.

#include "formats/layer_file.h"
#include "formats/mode_items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kKeyF = 0x21;
constexpr std::uint8_t kKeyG = 0x22;
constexpr std::uint8_t kLeftAlt = 0x38;

ProfileRecord recordNamed(const std::string& name) {
    ProfileRecord record;
    setProfileName(record, name);
    return record;
}

LayerRecord layerNamed(const std::string& name) {
    LayerRecord layer;
    setLayerName(layer, name);
    layer.trigger = {TriggerSource::mouseButton, 1};
    return layer;
}

Macro macroOn(std::uint8_t key, std::vector<MacroStep> steps) {
    return Macro{key, std::move(steps)};
}

// The base's modes: A toggles, RT repeats at 10/1000 ms, L ALT walks at 1 %, F plays a
// press and a pause.
BindingModes baseModes() {
    BindingModes modes;
    modes.toggle = actionBit(action::buttonA);
    modes.turbo = actionBit(action::rightFirstRow);
    modes.turboPressMs = kMinTurboMs;
    modes.turboReleaseMs = kMaxTurboMs;
    modes.walkKey = kLeftAlt;
    modes.walkPercent = kMinWalkPercent;
    modes.macros = {macroOn(kKeyF, {{actionBit(action::buttonA), 60}, {0, 40}})};
    return modes;
}

// A layer that makes nothing toggle, walks at full speed and takes F's macro away.
LayerRecord layerWithModes(const std::string& name) {
    LayerRecord layer = layerNamed(name);
    layer.modes.changes = mode_change::toggle | mode_change::walk;
    layer.modes.walkKey = kLeftAlt;
    layer.modes.walkPercent = kMaxWalkPercent;
    layer.modes.macros = {macroOn(kKeyF, {})};
    return layer;
}

ProfileLayers profileWith(std::vector<LayerRecord> layers, BindingModes modes = {}) {
    ProfileLayers profile;
    profile.layers = std::move(layers);
    profile.modes = std::move(modes);
    return profile;
}

LayerFile fileOf(const ProfileLayers& layers, const std::string& name = "p") {
    LayerFile file;
    putLayers(file, recordNamed(name), layers);
    return file;
}

Bytes itemOf(std::uint16_t type, const Bytes& payload) {
    Bytes item = {static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(type >> 8)};
    for (int i = 0; i < 4; ++i) {
        item.push_back(static_cast<std::uint8_t>(payload.size() >> (8 * i)));
    }
    item.insert(item.end(), payload.begin(), payload.end());
    return item;
}

// The items of each entry of a file as they stand, whole.
std::vector<std::vector<Bytes>> itemsOfEntries(const Bytes& file) {
    std::vector<std::vector<Bytes>> entries;
    std::size_t at = kLayerFileHeaderSize;
    const std::size_t count = file[10] | file[11] << 8;
    for (std::size_t e = 0; e < count; ++e) {
        at += kProfileRecordSize;
        const std::size_t items = file[at] | file[at + 1] << 8;
        at += 2;
        entries.emplace_back();
        for (std::size_t i = 0; i < items; ++i) {
            const std::size_t length =
                file[at + 2] | file[at + 3] << 8 | file[at + 4] << 16 | file[at + 5] << 24;
            const std::size_t end = at + kLayerItemHeaderSize + length;
            entries.back().emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at),
                                        file.begin() + static_cast<std::ptrdiff_t>(end));
            at = end;
        }
    }
    return entries;
}

// What an older qora, which knew layers but not their modes, held after reading a file:
// the layers without modes, and every other item kept whole in the order it stood.
LayerFile olderReading(const Bytes& bytes) {
    LayerFile file = decodeLayerFile(bytes.data(), bytes.size()).file;
    const std::vector<std::vector<Bytes>> items = itemsOfEntries(bytes);
    for (std::size_t e = 0; e < file.entries.size(); ++e) {
        ProfileLayers& layers = file.entries[e].layers;
        layers.modes = {};
        for (LayerRecord& layer : layers.layers) {
            layer.modes = {};
        }
        for (const Bytes& item : items[e]) {
            if (item[0] != kLayerItemType) {
                layers.laterItems.insert(layers.laterItems.end(), item.begin(), item.end());
            }
        }
    }
    return file;
}

LayerFileDecode decoded(const Bytes& bytes) {
    return decodeLayerFile(bytes.data(), bytes.size());
}

TEST(ModeItems, TheModesOfTheBaseAndOfEachLayerReadBackExactly) {
    BindingModes full;
    full.toggle = kAllActions;
    full.turbo = kAllActions;
    full.turboPressMs = kMaxTurboMs;
    full.turboReleaseMs = kMinTurboMs;
    full.walkPercent = kMaxWalkPercent;
    for (std::uint8_t m = 0; m < kMaxMacros; ++m) {
        std::vector<MacroStep> steps(kMaxMacroSteps, {kAllActions, kMaxMacroStepMs});
        steps.front() = {0, kMinMacroStepMs};
        full.macros.push_back(macroOn(static_cast<std::uint8_t>(0xFF - m), steps));
    }
    LayerRecord turbo = layerNamed("turbo");
    turbo.modes.changes = mode_change::turbo;
    turbo.modes.turbo = actionBit(action::tiltRight);
    turbo.modes.turboPressMs = 500;
    LayerRecord macrosOnly = layerNamed("macros");
    macrosOnly.modes.macros = full.macros;
    BindingModes baseWithChanges = baseModes();
    baseWithChanges.changes = mode_change::all; // the base's changes mean nothing
    ProfileLayers withLater = profileWith({layerWithModes("ADS")}, baseModes());
    withLater.laterItems = itemOf(9, {1, 2, 3});

    const std::pair<const char*, ProfileLayers> cases[] = {
        {"base modes without layers", profileWith({}, baseModes())},
        {"every value at its edge", profileWith({}, full)},
        {"a layer's modes without the base's", profileWith({layerWithModes("ADS")})},
        {"layers with and without modes",
         profileWith({layerNamed("plain"), turbo, macrosOnly, layerWithModes("ADS")}, full)},
        {"items of later types beside them", withLater},
        {"the base's changes set", profileWith({turbo}, baseWithChanges)},
    };
    for (const auto& [name, layers] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(checkProfileLayers(layers), LayerFileFault::none);
        const LayerFile file = fileOf(layers);
        ASSERT_EQ(file.entries.size(), 1u);
        const Bytes bytes = encodeLayerFile(file);
        EXPECT_EQ(bytes.size(), encodedLayerFileSize(file));
        const LayerFileDecode read = decoded(bytes);
        ASSERT_EQ(read.fault, LayerFileFault::none);
        EXPECT_EQ(read.file, file);
        EXPECT_EQ(encodeLayerFile(read.file), bytes);
    }
}

// Modes at their defaults store nothing: no entry for a profile without layers, and a
// profile's layers alone are stored as they always were, one item each.
TEST(ModeItems, ModesThatDoNothingStoreNothing) {
    BindingModes defaults;
    defaults.changes = mode_change::all;
    EXPECT_TRUE(fileOf(profileWith({}, defaults)).entries.empty());

    const ProfileLayers layers = profileWith({layerNamed("a"), layerNamed("b")}, defaults);
    const Bytes bytes = encodeLayerFile(fileOf(layers));
    const std::vector<std::vector<Bytes>> items = itemsOfEntries(bytes);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].size(), 2u);
    for (const Bytes& item : items[0]) {
        EXPECT_EQ(item[0], kLayerItemType);
    }
}

// An older qora keeps the modes items as unknown ones and writes them back after the layers,
// so its write of an unchanged profile is the same file. Whatever it does to the layers
// meanwhile, each layer's modes stay with the layer of their name: a deleted layer's modes
// are dropped (and an entry left with nothing), reordered layers keep their own.
TEST(ModeItems, AnOlderQoraCanNeitherLoseModesNorMoveThemToAnotherLayer) {
    LayerRecord turbo = layerNamed("turbo");
    turbo.modes.changes = mode_change::turbo;
    turbo.modes.turbo = actionBit(action::buttonB);
    const ProfileLayers profile =
        profileWith({layerWithModes("ADS"), layerNamed("plain"), turbo}, baseModes());
    const ProfileLayers onlyLayerModes = profileWith({layerWithModes("ADS")});
    LayerFile file = fileOf(profile, "p");
    putLayers(file, recordNamed("q"), onlyLayerModes);
    const Bytes bytes = encodeLayerFile(file);

    const LayerFile older = olderReading(bytes);
    EXPECT_EQ(encodeLayerFile(older), bytes);

    LayerFile deleted = older;
    std::vector<LayerRecord>& layers = deleted.entries[0].layers.layers;
    layers.erase(layers.begin()); // ADS, whose modes item stays
    deleted.entries[1].layers.layers.clear();
    const LayerFileDecode afterDelete = decoded(encodeLayerFile(deleted));
    ASSERT_EQ(afterDelete.fault, LayerFileFault::none);
    EXPECT_EQ(afterDelete.file, fileOf(profileWith({layerNamed("plain"), turbo}, baseModes())));

    LayerFile reordered = older;
    std::reverse(reordered.entries[0].layers.layers.begin(),
                 reordered.entries[0].layers.layers.end());
    const LayerFileDecode afterReorder = decoded(encodeLayerFile(reordered));
    ASSERT_EQ(afterReorder.fault, LayerFileFault::none);
    LayerFile expected =
        fileOf(profileWith({turbo, layerNamed("plain"), layerWithModes("ADS")}, baseModes()));
    putLayers(expected, recordNamed("q"), onlyLayerModes);
    EXPECT_EQ(afterReorder.file, expected);
}

// Each way modes can be wrong, as the writer's check and the decoder see it. The edits are
// written as they stand (the encoder takes what it is given; modes items among the kept
// items go out as they are), so the decoder judges exactly those bytes.
TEST(ModeItems, ModesOutOfRangeAreDamageAndTheWritersCheckRefusesThem) {
    using Edit = std::function<void(ProfileLayers&)>;
    struct Case {
        const char* name;
        Edit edit;
        LayerFileFault read;    // what the decoder says
        LayerFileFault checked; // what checkProfileLayers says
    };
    const auto base = [](std::function<void(BindingModes&)> edit) {
        return [edit](ProfileLayers& p) { edit(p.modes); };
    };
    const auto layer = [](std::function<void(BindingModes&)> edit) {
        return [edit](ProfileLayers& p) { edit(p.layers[0].modes); };
    };
    const auto kept = [](std::uint16_t type, Bytes payload) {
        return [type, payload](ProfileLayers& p) { p.laterItems = itemOf(type, payload); };
    };
    constexpr auto outOfRange = LayerFileFault::outOfRange;
    constexpr auto badLayout = LayerFileFault::badLayout;
    // The values of modes where only A toggles.
    const Bytes toggleA = {0, 0x80, 0, 0, 0, 0, 0, 0, 30, 0, 30, 0, 0, 50, 0};
    Bytes layerPayload(kLayerNameSize, 0);
    std::copy_n("ADS", 3, layerPayload.begin());
    layerPayload.push_back(mode_change::toggle);
    layerPayload.insert(layerPayload.end(), toggleA.begin(), toggleA.end());

    const Case cases[] = {
        {"turbo press 9 ms", base([](BindingModes& m) { m.turboPressMs = 9; }), outOfRange,
         outOfRange},
        {"turbo release 1001 ms", layer([](BindingModes& m) {
             m.changes |= mode_change::turbo;
             m.turboReleaseMs = 1001;
         }),
         outOfRange, outOfRange},
        {"walk speed 0 %", base([](BindingModes& m) { m.walkPercent = 0; }), outOfRange,
         outOfRange},
        {"walk speed 101 %", layer([](BindingModes& m) { m.walkPercent = 101; }), outOfRange,
         outOfRange},
        {"a toggle beyond the last action",
         base([](BindingModes& m) { m.toggle = actionBit(action::last + 1); }), outOfRange,
         outOfRange},
        {"a turbo beyond the last action", layer([](BindingModes& m) {
             m.changes |= mode_change::turbo;
             m.turbo = ActionSet{1} << 31;
         }),
         outOfRange, outOfRange},
        {"a change bit beyond all", layer([](BindingModes& m) { m.changes |= 0x08; }), outOfRange,
         outOfRange},
        {"a value of a mode the layer does not change",
         layer([](BindingModes& m) { m.turbo = actionBit(action::buttonA); }), outOfRange,
         outOfRange},
        {"a step of 0 ms", base([](BindingModes& m) { m.macros[0].steps[1].ms = 0; }), outOfRange,
         outOfRange},
        {"a step of 5001 ms", layer([](BindingModes& m) {
             m.macros = {macroOn(kKeyG, {{0, 5001}})};
         }),
         outOfRange, outOfRange},
        {"a step beyond the last action",
         base([](BindingModes& m) { m.macros[0].steps[0].actions |= ActionSet{1} << 29; }),
         outOfRange, outOfRange},
        {"33 steps", base([](BindingModes& m) {
             m.macros[0].steps.assign(kMaxMacroSteps + 1, {0, 1});
         }),
         outOfRange, outOfRange},
        {"17 macros", base([](BindingModes& m) {
             while (m.macros.size() <= kMaxMacros) {
                 m.macros.push_back(
                     macroOn(static_cast<std::uint8_t>(0x40 + m.macros.size()), {{0, 10}}));
             }
         }),
         outOfRange, outOfRange},
        {"a macro without a key", base([](BindingModes& m) { m.macros[0].key = 0; }), outOfRange,
         outOfRange},
        {"one key's macro twice", layer([](BindingModes& m) {
             m.macros.push_back(macroOn(kKeyF, {{0, 10}}));
         }),
         outOfRange, outOfRange},
        {"a macro of the base without steps", base([](BindingModes& m) { m.macros[0].steps = {}; }),
         outOfRange, outOfRange},
        {"modes of a layer whose name another has",
         [](ProfileLayers& p) { p.layers.push_back(layerNamed("ADS")); }, outOfRange, outOfRange},
        {"a second item of the base's modes", kept(kBaseModesItemType, toggleA), badLayout,
         badLayout},
        {"a second item of a layer's modes", kept(kLayerModesItemType, layerPayload), badLayout,
         badLayout},
        {"an item of the base's modes one byte short",
         [&](ProfileLayers& p) {
             p.modes = {};
             p.laterItems = itemOf(kBaseModesItemType, Bytes(toggleA.begin(), toggleA.end() - 1));
         },
         badLayout, badLayout},
        {"a byte after a layer's modes",
         [&](ProfileLayers& p) {
             p.layers[0].modes = {};
             Bytes longer = layerPayload;
             longer.push_back(0);
             p.laterItems = itemOf(kLayerModesItemType, longer);
         },
         badLayout, badLayout},
        {"a macro count beyond the bytes",
         [&](ProfileLayers& p) {
             p.modes = {};
             Bytes payload = toggleA;
             payload.back() = 1;
             p.laterItems = itemOf(kBaseModesItemType, payload);
         },
         badLayout, badLayout},
        {"an item of the base's modes at their defaults",
         [&](ProfileLayers& p) {
             p.modes = {};
             Bytes payload = toggleA;
             payload[1] = 0;
             p.laterItems = itemOf(kBaseModesItemType, payload);
         },
         badLayout, badLayout},
    };
    const ProfileLayers sound = profileWith({layerWithModes("ADS")}, baseModes());
    ASSERT_EQ(checkProfileLayers(sound), LayerFileFault::none);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileLayers layers = sound;
        c.edit(layers);
        EXPECT_EQ(checkProfileLayers(layers), c.checked);
        LayerFile file;
        file.entries.push_back({recordNamed("p"), layers});
        const LayerFileDecode read = decoded(encodeLayerFile(file));
        EXPECT_EQ(read.fault, c.read);
        EXPECT_EQ(read.file, LayerFile{});
    }
}

} // namespace
} // namespace qora
