// A profile's layers in its text: what a LAYER block reads to, and what check finds wrong
// in a profile's layers.

#include "profiles_tool_fixture.h"

#include "formats/action_codes.h"
#include "formats/layer_record.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/record_problems.h"

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
        {second([](LayerRecord& l) { l.changes |= std::uint64_t{1} << 50; }),
         "layer 1 \"Two\": change bits 0x4000000000000 name nothing a layer changes",
         ProblemKind::leftOut},
        {second([](LayerRecord& l) { l.values.bytes[profile::direction] = 1; }),
         "layer 1 \"Two\": its values hold bytes outside what it changes", ProblemKind::leftOut},
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

} // namespace
} // namespace qora
