// Export followed by import gives back the same 144 bytes, except what the text leaves out
// on purpose: the bytes after the name's NUL and the invert bits other than X and Y. Import
// writes those as 0. A profile's layers and binding modes come back the same way.

#include "profiles_tool_fixture.h"

#include "profiles/layered_store.h"

#include "formats/aim_values.h"
#include "formats/layer_record.h"
#include "formats/mouse_binding_choices.h"
#include "input/key_names.h"
#include "tools/profiles/profile_fields.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/record_problems.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

namespace qora {
namespace {

using testing::ProfilesToolTest;
using testing::TempDirectory;

// What an import of the record's text must give: the record with the left-out bytes 0.
ProfileRecord withoutLeftOutBytes(ProfileRecord record) {
    const std::size_t nul = profileName(record).size();
    for (std::size_t i = nul; i < profile::nameSize; ++i) {
        record.bytes[profile::name + i] = 0;
    }
    record.bytes[profile::invertFlags] &= kKnownInvertBits;
    return record;
}

// Any record the text can hold for console: every byte random first (so stale name bytes
// and invert bits are set), then each field drawn from its valid values; a quarter of them
// classic without precise settings, whose text has no aim lines.
ProfileRecord randomRecord(std::mt19937& random, ConsoleMode console) {
    std::uniform_int_distribution<int> byte(0, 255);
    ProfileRecord record;
    for (std::uint8_t& value : record.bytes) {
        value = static_cast<std::uint8_t>(byte(random));
    }
    const std::size_t nameLength = std::uniform_int_distribution<std::size_t>(0, 63)(random);
    for (std::size_t i = 0; i < nameLength; ++i) {
        record.bytes[profile::name + i] = static_cast<std::uint8_t>(1 + byte(random) % 255);
    }
    record.bytes[profile::name + nameLength] = 0;

    std::vector<std::uint8_t> named{0, 0, 0};
    for (int code = 1; code < 256; ++code) {
        if (keyName(static_cast<std::uint8_t>(code))[0] != '\0') {
            named.push_back(static_cast<std::uint8_t>(code));
        }
    }
    for (std::size_t k = 0; k < 2 * kActionCount; ++k) {
        record.bytes[profile::primaryKeys + k] = named[byte(random) % named.size()];
    }
    for (const MouseInput& input : kMouseInputs) {
        record.bytes[profile::mouseBindings + input.index] =
            static_cast<std::uint8_t>(byte(random) % mouseActionItems(console).size());
    }
    record.bytes[profile::direction] =
        static_cast<std::uint8_t>(byte(random) % directionItems(console).size());
    for (const std::size_t offset : {profile::xZoomScale, profile::yZoomScale}) {
        const bool gridPoint = byte(random) % 2 == 0;
        const std::int32_t points =
            (kSensitivityGrid.max - kSensitivityGrid.min) / kSensitivityGrid.step;
        writeZoomScale(record, offset,
                       gridPoint
                           ? zoomScaleOf(kSensitivityGrid.min +
                                         kSensitivityGrid.step * (byte(random) % (points + 1)))
                           : std::uniform_real_distribution<float>(0.5f, 5.0f)(random));
    }
    AimSettings aim;
    if (byte(random) % 4 != 0) {
        aim.mode = byte(random) % 2 == 0 ? AimMode::precise : AimMode::classic;
        aim.shape = byte(random) % 2 == 0 ? AimShape::square : AimShape::circle;
        aim.deadZoneHundredths = static_cast<std::uint16_t>(
            std::uniform_int_distribution<int>(0, profile::kMaxDeadZoneHundredths)(random));
        aim.exponentSteps = static_cast<std::int8_t>(std::uniform_int_distribution<int>(
            profile::kMinExponentSteps, profile::kMaxExponentSteps)(random));
    }
    writeAimSettings(record, aim);
    return record;
}

// Any layer the text can hold: a name of 1 to 31 bytes that no other layer has, either
// kind, a key with a name or a mouse button (not the wheel), delays of 0 to 2000 ms, and
// each change with a chance of one in four, its values from a random record (so an invert
// change may carry unknown bits, which the text leaves out).
LayerRecord randomLayer(std::mt19937& random, ConsoleMode console, std::size_t index) {
    std::uniform_int_distribution<int> byte(0, 255);
    LayerRecord layer;
    std::string name = std::to_string(index) + ":";
    const std::size_t extra = std::uniform_int_distribution<std::size_t>(0, 29)(random);
    for (std::size_t i = 0; i < extra; ++i) {
        name += static_cast<char>(1 + byte(random) % 255);
    }
    setLayerName(layer, name.substr(0, kLayerNameSize - 1));
    layer.kind = byte(random) % 2 == 0 ? LayerKind::whileHeld : LayerKind::toggled;
    if (byte(random) % 3 == 0) {
        layer.trigger = {TriggerSource::mouseButton,
                         static_cast<std::uint8_t>(byte(random) % kMouseButtonTriggers)};
    } else {
        std::uint8_t code = 0;
        while (keyName(code)[0] == '\0') {
            code = static_cast<std::uint8_t>(byte(random));
        }
        layer.trigger = {TriggerSource::key, code};
    }
    std::uniform_int_distribution<int> delay(0, kMaxLayerDelayMs);
    layer.delayMs = static_cast<std::uint16_t>(delay(random));
    layer.releaseDelayMs = static_cast<std::uint16_t>(byte(random) % 2 == 0 ? 0 : delay(random));
    const ProfileRecord values = randomRecord(random, console);
    for (unsigned change = 0; change < layer_change::count; ++change) {
        if (byte(random) % 4 == 0) {
            takeChange(layer, change, values);
        }
    }
    return layer;
}

std::vector<LayerRecord> randomLayers(std::mt19937& random, ConsoleMode console) {
    std::vector<LayerRecord> layers(
        std::uniform_int_distribution<std::size_t>(0, kMaxLayers)(random));
    for (std::size_t i = 0; i < layers.size(); ++i) {
        layers[i] = randomLayer(random, console, i);
    }
    return layers;
}

// What modes may hold in a text that reads back: toggles and turbos from two classes of
// actions that never meet (so no action does both wherever it is in effect), and macros on
// keys that no binding of the base or of a layer uses.
struct ModeChoices {
    ActionSet toggles = 0; // the others may repeat
    std::vector<std::uint8_t> macroKeys;
};

ModeChoices randomModeChoices(std::mt19937& random, const ProfileRecord& record,
                              const std::vector<LayerRecord>& layers) {
    ModeChoices choices;
    choices.toggles = static_cast<ActionSet>(random()) & kAllActions;
    std::vector<bool> bound(256, false);
    const auto markBound = [&](const ProfileRecord& keys) {
        for (std::size_t k = 0; k < 2 * kActionCount; ++k) {
            bound[keys.bytes[profile::primaryKeys + k]] = true;
        }
    };
    markBound(record);
    for (const LayerRecord& layer : layers) {
        markBound(layer.values);
    }
    for (int code = 1; code < 256; ++code) {
        if (!bound[code] && keyName(static_cast<std::uint8_t>(code))[0] != '\0') {
            choices.macroKeys.push_back(static_cast<std::uint8_t>(code));
        }
    }
    std::shuffle(choices.macroKeys.begin(), choices.macroKeys.end(), random);
    return choices;
}

// Any modes the text holds: a base's have each value at its default half of the time; a
// layer changes each mode with a chance of one in two, and its macros may be none.
BindingModes randomModes(std::mt19937& random, const ModeChoices& choices, bool layer) {
    const auto chance = [&random] { return random() % 2 == 0; };
    const auto between = [&random](unsigned min, unsigned max) {
        return static_cast<std::uint16_t>(min + random() % (max - min + 1));
    };
    BindingModes modes;
    modes.changes = layer ? static_cast<std::uint8_t>(random() % (mode_change::all + 1)) : 0;
    const auto sets = [&](std::uint8_t mode) {
        return layer ? (modes.changes & mode) != 0 : chance();
    };
    const ActionSet actions = static_cast<ActionSet>(random()) & kAllActions;
    if (sets(mode_change::toggle)) {
        modes.toggle = actions & choices.toggles;
    }
    if (sets(mode_change::turbo)) {
        modes.turbo = actions & ~choices.toggles;
        modes.turboPressMs = between(kMinTurboMs, kMaxTurboMs);
        modes.turboReleaseMs = between(kMinTurboMs, kMaxTurboMs);
    }
    if (sets(mode_change::walk)) {
        while (chance() && keyName(modes.walkKey)[0] == '\0') {
            modes.walkKey = static_cast<std::uint8_t>(random());
        }
        if (keyName(modes.walkKey)[0] == '\0') {
            modes.walkKey = 0;
        }
        modes.walkPercent = static_cast<std::uint8_t>(between(kMinWalkPercent, kMaxWalkPercent));
    }
    const std::size_t macros = std::min<std::size_t>(random() % 4, choices.macroKeys.size());
    for (std::size_t m = 0; m < macros; ++m) {
        Macro macro{choices.macroKeys[m], {}};
        const std::size_t steps = layer && chance() ? 0 : 1 + random() % kMaxMacroSteps;
        for (std::size_t i = 0; i < steps; ++i) {
            macro.steps.push_back({chance() ? 0 : static_cast<ActionSet>(random()) & kAllActions,
                                   between(kMinMacroStepMs, kMaxMacroStepMs)});
        }
        modes.macros.push_back(macro);
    }
    return modes;
}

// The modes of a random profile: the base's, returned, and each layer's, set in place.
BindingModes addRandomModes(std::mt19937& random, const ProfileRecord& record,
                            std::vector<LayerRecord>& layers) {
    const ModeChoices choices = randomModeChoices(random, record, layers);
    for (LayerRecord& layer : layers) {
        layer.modes = randomModes(random, choices, true);
    }
    return randomModes(random, choices, false);
}

// What reading a layer's text must give: its invert change without the unknown bits.
std::vector<LayerRecord> withoutLeftOutBits(std::vector<LayerRecord> layers) {
    for (LayerRecord& layer : layers) {
        layer.values.bytes[profile::invertFlags] &= kKnownInvertBits;
    }
    return layers;
}

// A random profile with random layers and modes gives a text that reads back to the same
// base, modes and layers, and that text is the one the read profile writes again.
TEST(ProfileText, RandomProfilesWithLayersRoundTripExactly) {
    std::mt19937 random(20240611);
    for (const ConsoleMode console : {kConsoleXbox360, kConsolePs3}) {
        for (int i = 0; i < 300; ++i) {
            const ProfileRecord record = randomRecord(random, console);
            std::vector<LayerRecord> layers = randomLayers(random, console);
            const BindingModes modes = addRandomModes(random, record, layers);
            ASSERT_TRUE(exportBlockers(record, console, layers, modes).empty());
            const std::string text = formatProfileText(record, modes, layers, console);

            ProfileTextReading reading = readProfileText(text, std::nullopt, kConsoleXbox360);
            ASSERT_TRUE(reading.errors.empty())
                << reading.errors[0].line << ": " << reading.errors[0].message << "\n"
                << text;
            ASSERT_TRUE(reading.name.has_value());
            setProfileName(reading.record, *reading.name);
            EXPECT_EQ(reading.record, withoutLeftOutBytes(record)) << text;
            EXPECT_EQ(reading.modes, modes) << text;
            EXPECT_EQ(reading.layers, withoutLeftOutBits(layers)) << text;
            EXPECT_EQ(formatProfileText(reading.record, reading.modes, reading.layers, console),
                      text);
        }
    }
}

// Through the store: each profile of a random store with its random layers exports and
// imports into another folder as the same profile with the same layers.
TEST_F(ProfilesToolTest, EveryProfileOfARandomStoreRoundTripsThroughExportAndImport) {
    std::mt19937 random(20240610);
    for (const ConsoleMode console : {kConsoleXbox360, kConsolePs3}) {
        const std::string consoleName = consoleWord(console);
        std::vector<LayeredProfile> profiles;
        std::vector<ProfileRecord> records;
        for (int i = 0; i < 40; ++i) {
            records.push_back(randomRecord(random, console));
            std::vector<LayerRecord> layers = randomLayers(random, console);
            const BindingModes modes = addRandomModes(random, records.back(), layers);
            profiles.push_back({records.back(), {layers, {}, modes}});
        }
        writeStore(records);
        dir.write("layers.bin", testing::layersFileOf(profiles));

        TempDirectory target;
        std::string expected;
        std::vector<LayeredProfile> expectedProfiles;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::string text = target.file(std::to_string(i) + ".txt");
            const testing::ToolRun exported =
                run({"--console", consoleName, "export", std::to_string(i), "-o", text});
            ASSERT_EQ(exported.status, 0) << exported.err;
            // The text's CONSOLE line says which names it uses; the target folder has no
            // setting.ini that could say otherwise.
            const testing::ToolRun imported =
                testing::runTool(files, {"--folder", target.path(), "import", text});
            ASSERT_EQ(imported.status, 0)
                << imported.err << target.read(std::to_string(i) + ".txt");
            expected += testing::bytesOf(withoutLeftOutBytes(records[i]));
            expectedProfiles.push_back(
                {withoutLeftOutBytes(records[i]),
                 {withoutLeftOutBits(profiles[i].layers.layers), {}, profiles[i].layers.modes}});
        }
        EXPECT_EQ(target.read("config.bin"), expected) << consoleName;
        EXPECT_NE(target.read("setting.ini").find("COUNT=40"), std::string::npos);
        EXPECT_EQ(testing::storedProfiles(makeProgramPaths(target.path())), expectedProfiles);
    }
}

// Values a random record seldom or never meets.
TEST(ProfileText, AwkwardValuesRoundTrip) {
    const float olderNine = 9 * 0.1f; // 0.900000036, what an older Map dialog stored for 0.9
    const float nearestNine = std::strtof("0.9", nullptr); // 0.89999998, one step below
    ProfileRecord record;
    setProfileName(record, " \"quoted\" back\\slash \x01\x7F\xE9 ");
    record.bytes[profile::primaryKeys + 12] = 0x33;   // ","
    record.bytes[profile::secondaryKeys + 12] = 0x0D; // "="
    record.bytes[profile::primaryKeys + 13] = 0x27;   // ";", not a comment
    record.bytes[profile::secondaryKeys + 14] = 0x33; // a second key without a first
    record.bytes[profile::primaryKeys + 15] = 0x33;
    record.bytes[profile::secondaryKeys + 15] = 0x33;
    record.bytes[profile::invertFlags] = profile::kInvertY;

    struct Scales {
        float x;
        float y;
        const char* xText;
        const char* yText;
    };
    const Scales scales[] = {
        {olderNine, nearestNine, "ZOOMX = 0.90000004\n", "ZOOMY = 0.9\n"},
        {0.5f, 5.0f, "ZOOMX = 0.5\n", "ZOOMY = 5.0\n"},
        {std::nextafter(0.5f, 1.0f), std::nextafter(5.0f, 0.0f), "ZOOMX = 0.50000006\n",
         "ZOOMY = 4.9999995\n"},
    };
    for (const ConsoleMode console : {kConsoleXbox360, kConsolePs3}) {
        for (const Scales& scale : scales) {
            writeZoomScale(record, profile::xZoomScale, scale.x);
            writeZoomScale(record, profile::yZoomScale, scale.y);
            ASSERT_TRUE(exportBlockers(record, console).empty());
            const std::string text = formatProfileText(record, console);
            EXPECT_NE(text.find(scale.xText), std::string::npos) << text;
            EXPECT_NE(text.find(scale.yText), std::string::npos) << text;

            ProfileTextReading reading = readProfileText(text, std::nullopt, kConsoleXbox360);
            ASSERT_TRUE(reading.errors.empty()) << reading.errors[0].message << "\n" << text;
            EXPECT_EQ(reading.console, console);
            ASSERT_TRUE(reading.name.has_value());
            setProfileName(reading.record, *reading.name);
            EXPECT_EQ(reading.record, record) << text;
        }
    }
}

// The aim lines as the text writes them, and back: none for all-zero bytes (the text of a
// classic profile is what it always was), otherwise all four, each value as the record
// holds it.
TEST(ProfileText, AimLinesAreAllOrNoneAndReadBackExactly) {
    struct Case {
        AimSettings aim;
        const char* lines; // "" for none
    };
    const Case cases[] = {
        {{}, ""},
        {{AimMode::precise, AimShape::circle, 0, 0},
         "AIM = precise\nDEADZONE = 0\nSHAPE = circle\nEXPONENT = 1.0\n"},
        {{AimMode::classic, AimShape::square, 9000, 60},
         "AIM = classic\nDEADZONE = 90\nSHAPE = square\nEXPONENT = 4.0\n"},
        {{AimMode::precise, AimShape::circle, 1, -15},
         "AIM = precise\nDEADZONE = 0.01\nSHAPE = circle\nEXPONENT = 0.25\n"},
        {{AimMode::precise, AimShape::square, 2450, 1},
         "AIM = precise\nDEADZONE = 24.5\nSHAPE = square\nEXPONENT = 1.05\n"},
        {{AimMode::classic, AimShape::circle, 0, -1},
         "AIM = classic\nDEADZONE = 0\nSHAPE = circle\nEXPONENT = 0.95\n"},
    };
    for (const Case& c : cases) {
        ProfileRecord record = testing::newProfile("Aim");
        writeAimSettings(record, c.aim);
        const std::string text = formatProfileText(record, kConsoleXbox360);
        const std::size_t aim = text.find("AIM =");
        EXPECT_EQ(aim == std::string::npos ? "" : text.substr(aim), c.lines) << text;

        ProfileTextReading reading = readProfileText(text, std::nullopt, kConsolePs3);
        ASSERT_TRUE(reading.errors.empty()) << reading.errors[0].message << "\n" << text;
        EXPECT_EQ(readAimSettings(reading.record), c.aim) << text;
    }
}

} // namespace
} // namespace qora
