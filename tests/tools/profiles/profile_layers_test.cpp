// A profile's layers in its text: what a LAYER block reads to, what check finds wrong in a
// profile's layers, and how list, export, import and check treat layers.bin.

#include "profiles_tool_fixture.h"

#include "fakes/restricted_files.h"
#include "profiles/layered_store.h"

#include "formats/action_codes.h"
#include "formats/layer_record.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/record_problems.h"

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

constexpr std::uint8_t kCaps = 0x3A;
constexpr std::uint8_t kLeftAlt = 0x38;
constexpr std::uint8_t kSpace = 0x39;
constexpr std::uint8_t kR = 0x13;
constexpr std::uint8_t kE = 0x12;
constexpr std::uint8_t kPageUp = 0xC9;
constexpr std::uint8_t kPageDown = 0xD1;
constexpr std::uint8_t kF11 = 0x57;
constexpr std::uint8_t kF5 = 0x3F;
constexpr std::size_t kButtonA = action::buttonA;
constexpr std::size_t kButtonX = action::buttonX;

// A precise base: A on SPACE, a dead zone of 20 %, everything else as a new text reads it.
constexpr const char* kBase = "CONSOLE = xbox360\nA = SPACE\nAIM = precise\nDEADZONE = 20\n";

unsigned actionChange(std::size_t action) {
    return layer_change::firstAction + static_cast<unsigned>(action);
}

LayerRecord layerOf(const std::string& name, LayerKind kind, LayerTrigger trigger,
                    std::uint16_t delayMs = 0, std::uint16_t releaseDelayMs = 0) {
    LayerRecord layer;
    setLayerName(layer, name);
    layer.kind = kind;
    layer.trigger = trigger;
    layer.delayMs = delayMs;
    layer.releaseDelayMs = releaseDelayMs;
    return layer;
}

// A layer block lists its trigger, delays and changes; what it does not list comes from
// the base, and the base's lines stay the base's.
TEST(ProfileLayers, ALayerBlockReadsToItsTriggerDelaysAndChanges) {
    struct Case {
        const char* layers; // the text after the base
        std::function<std::vector<LayerRecord>(const ProfileRecord& base)> expected;
    };
    const Case cases[] = {
        {"LAYER = \"ADS\"\nWHILE = MOUSE RIGHT\nDELAY = 150\nRELEASE DELAY = 0\nZOOMX = 0.5\n"
         "ZOOMY = 0.5\nMOUSE LEFT = RB\n",
         [](const ProfileRecord&) {
             LayerRecord ads =
                 layerOf("ADS", LayerKind::whileHeld, {TriggerSource::mouseButton, 1}, 150);
             ProfileRecord values;
             writeZoomScale(values, profile::xZoomScale, 0.5f);
             writeZoomScale(values, profile::yZoomScale, 0.5f);
             values.bytes[profile::mouseBindings] = 6; // RB
             takeChange(ads, layer_change::zoomX, values);
             takeChange(ads, layer_change::zoomY, values);
             takeChange(ads, layer_change::firstMouseBinding, values);
             return std::vector<LayerRecord>{ads};
         }},
        // A = none unbinds A; two layers keep their order.
        {"LAYER = \"Vehicle\"\nPRESS = CAPS\nRELEASE DELAY = 2000\nA = none\nX = R, E\n"
         "LAYER = \"Wheel\"\nWHILE = MOUSE BUTTON7\nDIRECTION = Right Stick\nINVERT = Y\n",
         [](const ProfileRecord&) {
             LayerRecord vehicle =
                 layerOf("Vehicle", LayerKind::toggled, {TriggerSource::key, kCaps}, 0, 2000);
             ProfileRecord keys;
             keys.bytes[profile::primaryKeys + kButtonX] = kR;
             keys.bytes[profile::secondaryKeys + kButtonX] = kE;
             takeChange(vehicle, actionChange(kButtonA), keys);
             takeChange(vehicle, actionChange(kButtonX), keys);
             LayerRecord wheel =
                 layerOf("Wheel", LayerKind::whileHeld, {TriggerSource::mouseButton, 6});
             ProfileRecord aim;
             aim.bytes[profile::direction] = profile::kDirectionRightStick;
             aim.bytes[profile::invertFlags] = profile::kInvertY;
             takeChange(wheel, layer_change::direction, aim);
             takeChange(wheel, layer_change::invert, aim);
             return std::vector<LayerRecord>{vehicle, wheel};
         }},
        // One aim line changes the whole set, the others taken from the base.
        {"LAYER = \"Steady\"\nWHILE = L ALT\nEXPONENT = 1.5\n",
         [](const ProfileRecord& base) {
             LayerRecord steady =
                 layerOf("Steady", LayerKind::whileHeld, {TriggerSource::key, kLeftAlt});
             ProfileRecord aim = base;
             writeAimSettings(aim, {AimMode::precise, AimShape::circle, 2000, 10});
             takeChange(steady, layer_change::aim, aim);
             return std::vector<LayerRecord>{steady};
         }},
    };
    const ProfileTextReading base = readProfileText(kBase, std::nullopt, kConsolePs3);
    ASSERT_TRUE(base.errors.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layers);
        const ProfileTextReading reading =
            readProfileText(std::string(kBase) + c.layers, std::nullopt, kConsolePs3);
        ASSERT_TRUE(reading.errors.empty()) << reading.errors[0].message;
        EXPECT_EQ(reading.record, base.record);
        EXPECT_EQ(reading.layers, c.expected(base.record));
    }
}

// The rules of a profile's layers as check finds them in the records (a store, or a text
// read without errors); each message names the layer and the line that shows the field.
TEST(ProfileLayers, CheckFindsEveryBrokenRuleOfALayer) {
    struct Case {
        std::function<void(std::vector<LayerRecord>&)> spoil;
        std::string message;
        ProblemKind kind;
    };
    const auto second = [](std::function<void(LayerRecord&)> spoil) {
        return [spoil](std::vector<LayerRecord>& layers) { spoil(layers[1]); };
    };
    const Case cases[] = {
        {second([](LayerRecord& l) { l.name.fill('n'); }),
         "layer 1 \"" + std::string(32, 'n') +
             "\": LAYER: no NUL within its 32 bytes; at most 31 characters fit",
         ProblemKind::noWord},
        {second([](LayerRecord& l) { setLayerName(l, ""); }),
         "layer 1 \"\": LAYER: the name is empty", ProblemKind::noWord},
        {second([](LayerRecord& l) { setLayerName(l, "ADS"); }),
         "layer 1 \"ADS\": LAYER: layer 0 has the same name", ProblemKind::noWord},
        {[](std::vector<LayerRecord>& layers) {
             while (layers.size() <= kMaxLayers) {
                 layers.push_back(layers[1]);
                 setLayerName(layers.back(), std::to_string(layers.size()));
             }
         },
         "9 layers; a profile holds at most 8", ProblemKind::noWord},
        {second([](LayerRecord& l) { l.kind = static_cast<LayerKind>(2); }),
         "layer 1 \"Two\": WHILE: kind 2 is neither WHILE (0) nor PRESS (1)", ProblemKind::noWord},
        {second([](LayerRecord& l) { l.trigger = {}; }),
         "layer 1 \"Two\": no trigger: the layer has neither WHILE nor PRESS", ProblemKind::noWord},
        {second([](LayerRecord& l) {
             l.trigger = {TriggerSource::key, 0x54};
         }),
         "layer 1 \"Two\": PRESS: key code 0x54 has no name", ProblemKind::noWord},
        {second([](LayerRecord& l) {
             l.trigger = {TriggerSource::mouseButton, 7};
         }),
         "layer 1 \"Two\": PRESS: mouse button 7 is none of MOUSE LEFT ... MOUSE BUTTON7 (0 to 6)",
         ProblemKind::noWord},
        {second([](LayerRecord& l) {
             l.trigger = {static_cast<TriggerSource>(3), 1};
         }),
         "layer 1 \"Two\": PRESS: trigger source 3 is neither a key (1) nor a mouse button (2)",
         ProblemKind::noWord},
        {second([](LayerRecord& l) { l.delayMs = 2001; }),
         "layer 1 \"Two\": DELAY: 2001 is outside 0 to 2000", ProblemKind::noWord},
        {second([](LayerRecord& l) { l.releaseDelayMs = 65535; }),
         "layer 1 \"Two\": RELEASE DELAY: 65535 is outside 0 to 2000", ProblemKind::noWord},
        {second([](LayerRecord& l) {
             ProfileRecord values;
             writeZoomScale(values, profile::xZoomScale, 9.0f);
             takeChange(l, layer_change::zoomX, values);
         }),
         "layer 1 \"Two\": ZOOMX: 9 is outside 0.5 to 5.0", ProblemKind::noWord},
        {second([](LayerRecord& l) {
             ProfileRecord values;
             values.bytes[profile::secondaryKeys + kButtonA] = 0x54;
             takeChange(l, actionChange(kButtonA), values);
         }),
         "layer 1 \"Two\": A (second key): key code 0x54 has no name", ProblemKind::noWord},
        // Keys a run takes for itself, as triggers and as bindings.
        {second([](LayerRecord& l) {
             l.trigger = {TriggerSource::key, kF11};
         }),
         "layer 1 \"Two\": PRESS: F11 ends the capture run, so the layer never turns on",
         ProblemKind::runKey},
        {second([](LayerRecord& l) {
             l.trigger = {TriggerSource::key, kF5};
         }),
         "layer 1 \"Two\": PRESS: F5 drives live calibration, so the layer does not turn on "
         "while calibration is on",
         ProblemKind::runKey},
        {second([](LayerRecord& l) {
             l.trigger = {TriggerSource::key, kPageUp};
         }),
         "layer 1 \"Two\": PRESS: PAGE UP switches to the next profile, so the layer never "
         "turns on",
         ProblemKind::runKey},
        {second([](LayerRecord& l) {
             ProfileRecord values;
             values.bytes[profile::primaryKeys + kButtonA] = kPageDown;
             takeChange(l, actionChange(kButtonA), values);
         }),
         "layer 1 \"Two\": A: PAGE DOWN switches to the previous profile, so the binding never "
         "fires",
         ProblemKind::runKey},
    };
    const SwitchKeyCodes switchKeys{kPageUp, kPageDown};
    std::vector<LayerRecord> sound{
        layerOf("ADS", LayerKind::whileHeld, {TriggerSource::mouseButton, 1}, 2000, 2000),
        layerOf("Two", LayerKind::toggled, {TriggerSource::key, kSpace})};
    ASSERT_TRUE(layerProblems(sound, kConsoleXbox360, switchKeys).empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<LayerRecord> layers = sound;
        c.spoil(layers);
        const std::vector<RecordProblem> problems =
            layerProblems(layers, kConsoleXbox360, switchKeys);
        std::string all;
        for (const RecordProblem& problem : problems) {
            all += problem.message + "\n";
        }
        ASSERT_EQ(problems.size(), 1u) << all;
        EXPECT_EQ(problems[0].message, c.message);
        EXPECT_EQ(problems[0].kind, c.kind);
        EXPECT_EQ(exportBlockers(testing::newProfile("P"), kConsoleXbox360, layers).empty(),
                  c.kind != ProblemKind::noWord);
    }
}

class ProfilesLayersTest : public testing::ProfilesToolTest {
protected:
    // One without layers, "Two" with "ADS" and a "Vehicle" on F11, and layers.bin also
    // holding the layers of a record no profile has.
    void SetUp() override {
        LayerRecord vehicle = testing::layerNamed("Vehicle");
        vehicle.kind = LayerKind::toggled;
        vehicle.trigger = {TriggerSource::key, kF11};
        two_ = {testing::newProfile("Two"), {{testing::layerNamed("ADS"), vehicle}, {}}};
        const LayeredProfile gone{testing::newProfile("Gone"), testing::layersNamed({"Old"})};
        writeStore({testing::newProfile("One"), two_.base});
        dir.write("layers.bin", testing::layersFileOf({two_, gone}));
    }

    LayeredProfile two_;
};

// A profile's layers go with it: list names them, check finds their problems and layers
// no profile has, and export writes them so that import gives them to the new profile.
TEST_F(ProfilesLayersTest, LayersGoWithTheirProfileThroughListCheckExportAndImport) {
    EXPECT_EQ(run({"list"}).out, "* 0 \"One\": 0 keys, mouse Left Stick, zoom 1.0 x 1.0\n"
                                 "  1 \"Two\": 0 keys, mouse Left Stick, zoom 1.0 x 1.0, layers "
                                 "\"ADS\", \"Vehicle\"\n");

    const testing::ToolRun check = run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out, "layers.bin: the entry of a profile \"Gone\" (layers \"Old\") matches no "
                         "profile of config.bin, so nothing uses it; the next change to the store "
                         "drops it\n"
                         "profile 1 \"Two\": layer 1 \"Vehicle\": PRESS: F11 ends the capture "
                         "run, so the layer never turns on\n"
                         "2 profiles, 2 problems\n");

    const std::string text = dir.file("two.txt");
    ASSERT_EQ(run({"export", "1", "-o", text}).status, 0);
    EXPECT_NE(dir.read("two.txt").find("\nLAYER = \"Vehicle\"\nPRESS = F11\n"), std::string::npos)
        << dir.read("two.txt");
    const testing::ToolRun imported = run({"import", text, "--name", "Three"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out,
              "imported \"Three\" as profile 2 with its layers \"ADS\", \"Vehicle\"\n");
    LayeredProfile three = two_;
    setProfileName(three.base, "Three");
    const std::vector<LayeredProfile> stored =
        testing::storedProfiles(makeProgramPaths(dir.path()));
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[1], two_);
    EXPECT_EQ(stored[2], three);
}

// What a later qora keeps in layers.bin beside a profile's layers (its own item types) has
// no line in the text: export writes the layers, leaves the rest out and says so.
TEST_F(ProfilesLayersTest, ExportLeavesOutWhatALaterQoraKeepsAndSaysSo) {
    LayeredProfile later = two_;
    later.layers.laterItems = {9, 0, 1, 0, 0, 0, 0x2A}; // type 9, one byte
    dir.write("layers.bin", testing::layersFileOf({later}));
    const testing::ToolRun exported = run({"export", "1"});
    EXPECT_EQ(exported.status, 0);
    EXPECT_EQ(exported.err, "qora-profiles: profile 1 holds settings of a later qora in "
                            "layers.bin, which the text does not hold; they are left out\n");
    EXPECT_NE(exported.out.find("LAYER = \"Vehicle\""), std::string::npos) << exported.out;
    EXPECT_TRUE(run({"export", "0"}).err.empty());
}

// A layers.bin that cannot be read or is damaged leaves the profiles' layers unknown: check
// and list say so (list still lists the records), export refuses rather than write a
// profile without its layers, and import refuses a text with layers and changes nothing.
TEST_F(ProfilesLayersTest, ALayersBinThatCannotBeUsedStopsWhatNeedsTheLayers) {
    struct Case {
        std::string layersBin;
        int openError;
        std::string message;
    };
    const std::string valid = dir.read("layers.bin");
    const Case cases[] = {
        {"qoraLAYR garbage", 0, "layers.bin is damaged"},
        {valid.substr(0, valid.size() - 1) + "x", 0,
         "layers.bin is damaged: its check sum does not match"},
        {valid, EACCES, "layers.bin cannot be read: access denied"},
    };
    dir.write("mine.txt", "A = SPACE\nLAYER = \"ADS\"\nWHILE = CAPS\nZOOMX = 0.5\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        dir.write("layers.bin", c.layersBin);
        const std::string before = dir.read("config.bin") + dir.read("setting.ini");
        testing::RestrictedFileApi restricted;
        restricted.openLayersError = c.openError;
        const auto runRestricted = [&](std::vector<std::string> arguments) {
            arguments.insert(arguments.begin(), {"--folder", dir.path()});
            return testing::runTool(restricted, arguments);
        };

        const testing::ToolRun check = runRestricted({"check"});
        EXPECT_EQ(check.status, 1);
        EXPECT_NE(check.out.find(c.message), std::string::npos) << check.out;
        EXPECT_NE(check.out.find("; no profile's layers could be checked\n"), std::string::npos);

        const testing::ToolRun list = runRestricted({"list"});
        EXPECT_EQ(list.status, 1);
        EXPECT_NE(list.out.find("  1 \"Two\": 0 keys"), std::string::npos) << list.out;
        EXPECT_NE(list.err.find(c.message), std::string::npos) << list.err;

        dir.write("out.txt", "before");
        const testing::ToolRun exported = runRestricted({"export", "0", "-o", dir.file("out.txt")});
        EXPECT_EQ(exported.status, 1);
        EXPECT_NE(exported.err.find(c.message), std::string::npos) << exported.err;
        EXPECT_EQ(dir.read("out.txt"), "before");

        const testing::ToolRun imported = runRestricted({"import", dir.file("mine.txt")});
        EXPECT_EQ(imported.status, 1);
        EXPECT_NE(imported.err.find(c.message), std::string::npos) << imported.err;
        EXPECT_NE(imported.err.find("the store is unchanged"), std::string::npos) << imported.err;
        EXPECT_EQ(dir.read("config.bin") + dir.read("setting.ini"), before);
        EXPECT_EQ(dir.read("layers.bin"), c.layersBin);
    }
}

} // namespace
} // namespace qora
