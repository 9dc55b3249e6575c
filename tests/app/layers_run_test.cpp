#include "app/run_profiles.h"
#include "app/run_scheduler.h"

#include "capture_run_fixture.h"
#include "formats/aim_values.h"
#include "input/mouse_record.h"
#include "profiles/layer_store.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

constexpr std::uint8_t kKeyW = 0x11;
constexpr std::uint8_t kKeyE = 0x12;
constexpr std::uint8_t kLeftShift = 0x2A;
constexpr std::uint8_t kLeftControl = 0x1D;
constexpr std::uint8_t kCapsLock = 0x3A;
constexpr std::uint8_t kPageUp = 0xC9;
constexpr std::uint8_t kPageDown = 0xD1;
constexpr std::uint8_t kRightButton = 1;
constexpr std::uint8_t kMouseItemRb = 6; // in the Xbox 360 mouse-action list

constexpr std::uint8_t kA = buttons2::a;
constexpr std::uint8_t kB = buttons2::b;
constexpr std::uint8_t kX = buttons2::x;
constexpr std::uint8_t kY = buttons2::y;
constexpr std::uint8_t kRb = buttons2::rightBumper;

LayerTrigger keyTrigger(std::uint8_t code) {
    return {TriggerSource::key, code};
}

// A layer that binds action to key (0: unbinds it).
LayerRecord layerBinding(LayerKind kind, LayerTrigger trigger, ActionCode action, std::uint8_t key,
                         std::uint16_t delayMs = 0) {
    LayerRecord layer;
    layer.kind = kind;
    layer.trigger = trigger;
    layer.delayMs = delayMs;
    ProfileRecord values;
    values.bytes[profile::primaryKeys + static_cast<std::size_t>(action)] = key;
    takeChange(layer, layer_change::firstAction + static_cast<unsigned>(action), values);
    return layer;
}

// The base binds W to A, E to Y and Left Shift to X (a trigger keeps its own binding), the
// right mouse button to RB.
ProfileRecord baseProfile(const char* name) {
    ProfileRecord base;
    setProfileName(base, name);
    base.bytes[profile::primaryKeys + action::buttonA] = kKeyW;
    base.bytes[profile::primaryKeys + action::buttonY] = kKeyE;
    base.bytes[profile::primaryKeys + action::buttonX] = kLeftShift;
    base.bytes[profile::mouseBindings + kRightButton] = kMouseItemRb;
    return base;
}

// A run whose profiles hold layers, driven as the main loop drives it (fast path) or by
// timer 0 alone, on a fake clock.
class LayeredRunTest : public CaptureRunTest {
protected:
    explicit LayeredRunTest(bool fastPath) : fastPath(fastPath) {
        run.fastPath.enabled = fastPath;
        run.fastPath.events = {11, 12};
    }

    // Starts on the first of these profiles, each with these layers over what layers.bin
    // gives it.
    void startWith(const std::vector<std::pair<ProfileRecord, std::vector<LayerRecord>>>& all) {
        std::vector<ProfileRecord> records;
        for (const auto& profileAndLayers : all) {
            records.push_back(profileAndLayers.first);
        }
        setIni("CONFIGURATION", "COUNT", std::to_string(records.size()).c_str());
        setProfiles(records);
        start();
        ASSERT_TRUE(run.active);
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!all[i].second.empty()) {
                run.profiles.profiles[i].layers = all[i].second;
            }
        }
        startUs = microsecondsNow(clock);
    }

    // Time passes to atMs since the start, as the run lives it.
    void passTo(std::int64_t atMs) { runUntil(startUs + atMs * 1000); }

    // At atMs the devices report these keys held (and these mouse records): at their
    // event, or at the next tick without the fast path.
    void hold(std::int64_t atMs, const std::set<std::uint8_t>& keys,
              std::vector<MouseRecord> mouseRecords = {}) {
        passTo(atMs);
        directInput.keyState.fill(0);
        for (const std::uint8_t code : keys) {
            press(code);
        }
        directInput.mouseBuffer.assign(mouseRecords.begin(), mouseRecords.end());
        if (fastPath) {
            onDeviceEvent(services, context);
        } else {
            passTo(
                std::max<std::int64_t>(atMs + 1, (run.schedule.nextTickUs - startUs + 999) / 1000));
        }
    }

    std::uint8_t buttons() const { return run.lastSent.bytes[state::buttons2]; }

    const bool fastPath;
    std::int64_t startUs = 0;
};

class LayeredRun : public LayeredRunTest, public ::testing::WithParamInterface<bool> {
protected:
    LayeredRun() : LayeredRunTest(GetParam()) {}
};
class FastPathLayeredRun : public LayeredRunTest {
protected:
    FastPathLayeredRun() : LayeredRunTest(true) {}
};
class TickOnlyLayeredRun : public LayeredRunTest {
protected:
    TickOnlyLayeredRun() : LayeredRunTest(false) {}
};

MouseRecord rightButton(bool down) {
    return MouseRecord{mouse_offset::button0 + kRightButton, down ? kMouseButtonDown : 0u, 1, 0, 0};
}

struct Moment {
    std::int64_t atMs;
    std::set<std::uint8_t> held; // what the keyboard holds from then on
    std::uint8_t buttons;        // the buttons sent once that has been read
    bool input = true;           // false: only time passes to atMs
};

struct LayerCase {
    const char* name;
    std::vector<LayerRecord> layers;
    std::vector<Moment> moments;
};

// Every change of the layers in effect goes out in one packet: a button the change unbinds
// is released and a key still held presses its new action in that packet, at the trigger
// (plus the layer's delay, at the scheduler's moment) with the fast path.
TEST_F(FastPathLayeredRun, ALayerChangeGoesOutInOnePacketAtItsMoment) {
    const LayerTrigger shift = keyTrigger(kLeftShift);
    const LayerCase cases[] = {
        {"held layer rebinds a held key",
         {layerBinding(LayerKind::whileHeld, shift, action::buttonB, kKeyW),
          layerBinding(LayerKind::whileHeld, shift, action::buttonA, 0)},
         {{0, {kKeyW}, kA}, {10, {kKeyW, kLeftShift}, kB | kX}, {20, {kKeyW}, kA}}},
        {"delay",
         {layerBinding(LayerKind::whileHeld, shift, action::buttonA, kKeyE, 150)},
         {{0, {kKeyW, kLeftShift}, kA | kX},
          {149, {}, kA | kX, false},
          {150, {}, kX, false}, // W no longer presses A
          {200, {kKeyW}, kA}}},
        {"let go before the delay",
         {layerBinding(LayerKind::whileHeld, shift, action::buttonA, kKeyE, 150)},
         {{0, {kKeyW, kLeftShift}, kA | kX}, {100, {kKeyW}, kA}, {400, {}, kA, false}}},
        {"toggled",
         {layerBinding(LayerKind::toggled, keyTrigger(kCapsLock), action::buttonB, kKeyW),
          layerBinding(LayerKind::toggled, keyTrigger(kCapsLock), action::buttonA, 0)},
         {{0, {kKeyW}, kA},
          {10, {kKeyW, kCapsLock}, kB},
          {20, {kKeyW}, kB},
          {30, {kKeyW, kCapsLock}, kA},
          {40, {kKeyW}, kA}}},
        {"the later of two layers wins",
         {layerBinding(LayerKind::whileHeld, shift, action::buttonB, kKeyW),
          layerBinding(LayerKind::whileHeld, keyTrigger(kLeftControl), action::buttonB, 0)},
         {{0, {kKeyW, kLeftShift}, kA | kB | kX},
          {10, {kKeyW, kLeftShift, kLeftControl}, kA | kX},
          {20, {kKeyW, kLeftControl}, kA}}},
    };
    for (const LayerCase& test : cases) {
        SCOPED_TRACE(test.name);
        startWith({{baseProfile("base"), test.layers}});
        for (const Moment& moment : test.moments) {
            SCOPED_TRACE("at " + std::to_string(moment.atMs) + " ms");
            if (moment.input) {
                hold(moment.atMs, moment.held);
            } else {
                passTo(moment.atMs);
            }
            EXPECT_EQ(buttons(), moment.buttons);
        }
        stopCaptureRun(services, context);
    }
}

// The right mouse button holds a layer and keeps its own binding: the right button's RB
// stays pulled while the layer rebinds W.
TEST_P(LayeredRun, AMouseButtonTriggerKeepsItsOwnBinding) {
    startWith({{baseProfile("base"),
                {layerBinding(LayerKind::whileHeld, {TriggerSource::mouseButton, kRightButton},
                              action::buttonB, kKeyW)}}});
    hold(0, {kKeyW});
    EXPECT_EQ(buttons(), kA);
    hold(40, {kKeyW}, {rightButton(true)});
    EXPECT_EQ(buttons(), kA | kB | kRb);
    hold(80, {kKeyW}, {rightButton(false)});
    EXPECT_EQ(buttons(), kA);
}

// Without the fast path a delayed layer takes effect at the first tick after its moment.
TEST_F(TickOnlyLayeredRun, ADelayedChangeComesAtTheFirstTickAfterItsMoment) {
    startWith({{baseProfile("base"),
                {layerBinding(LayerKind::whileHeld, keyTrigger(kLeftShift), action::buttonA, kKeyE,
                              50)}}});
    hold(0, {kKeyW, kLeftShift}); // read at the tick at 33 ms: due at 83 ms
    EXPECT_EQ(buttons(), kA | kX);
    passTo(98);
    EXPECT_EQ(buttons(), kA | kX) << "the tick at 66 ms is before the moment";
    passTo(100);
    EXPECT_EQ(buttons(), kX) << "the tick at 99 ms: W no longer presses A";
}

// NEXT and PREVIOUS switch the running profile, wrapping around, and reach no binding; a
// switch ends the old profile's layers, and the new profile's state goes out at once.
TEST_P(LayeredRun, TheSwitchKeysGoToTheNextOrPreviousProfileAndReachNoBinding) {
    setIni("SWITCH", "NEXT", "PAGE UP");
    setIni("SWITCH", "PREVIOUS", "PAGE DOWN");
    ProfileRecord first = baseProfile("first");
    first.bytes[profile::primaryKeys + action::buttonB] = kPageUp; // never fires
    ProfileRecord second = baseProfile("second");
    second.bytes[profile::primaryKeys + action::buttonA] = 0;
    second.bytes[profile::primaryKeys + action::buttonB] = kKeyW;
    ProfileRecord third = baseProfile("third");
    third.bytes[profile::primaryKeys + action::buttonA] = 0;
    third.bytes[profile::primaryKeys + action::buttonY] = kKeyW;
    const std::vector<LayerRecord> toggledLayer = {
        layerBinding(LayerKind::toggled, keyTrigger(kCapsLock), action::buttonA, 0)};
    startWith({{first, toggledLayer}, {second, {}}, {third, {}}});

    const struct {
        std::set<std::uint8_t> held;
        const char* running;
        std::uint8_t buttons;
    } steps[] = {
        {{kKeyW}, "first", kA},
        {{kKeyW, kCapsLock}, "first + ", 0}, // the toggled layer unbinds A
        {{kKeyW}, "first + ", 0},
        {{kKeyW, kPageUp}, "second", kB},
        {{kKeyW}, "second", kB},
        {{kKeyW, kPageUp}, "third", kY},
        {{kKeyW}, "third", kY},
        {{kKeyW, kPageUp}, "first", kA}, // around, and the toggle ended with the switch
        {{kKeyW, kPageDown}, "third", kY},
        {{kKeyW}, "third", kY},
        {{kKeyW, kPageDown, kPageUp}, "third", kY}, // both at once: no switch
    };
    std::int64_t atMs = 0;
    for (const auto& step : steps) {
        atMs += 40;
        hold(atMs, step.held);
        std::array<char, 128> running{};
        describeRunningProfile(run.profiles, running.data(), running.size());
        EXPECT_EQ(std::string(running.data()), step.running) << atMs;
        EXPECT_EQ(buttons(), step.buttons) << atMs;
    }
}

// A precise base and its ADS layer, which halves sensitivity X while the right button is
// held.
std::pair<ProfileRecord, LayerRecord> adsProfile() {
    ProfileRecord base = baseProfile("base");
    writeAimSettings(base, {AimMode::precise, AimShape::circle, 2000, 0});
    writeZoomScale(base, profile::xZoomScale, 1.0f);
    LayerRecord ads;
    setLayerName(ads, "ADS");
    ads.trigger = {TriggerSource::mouseButton, kRightButton};
    ProfileRecord halved = base;
    writeZoomScale(halved, profile::xZoomScale, 0.5f);
    takeChange(ads, layer_change::zoomX, halved);
    return {base, ads};
}

// Live calibration changes each value where it lives now: the sensitivity of the ADS layer
// while the layer holds it, the base's otherwise; the view's title names the layer.
TEST_F(FastPathLayeredRun, CalibrationChangesTheValueOfTheLayerThatHoldsIt) {
    constexpr std::uint8_t kScrollLock = 0x46;
    constexpr std::uint8_t kF6 = 0x40;
    const auto [base, ads] = adsProfile();
    startWith({{base, {ads}}});
    const auto zoomX = [&] { return readZoomScale(run.profile, profile::xZoomScale); };
    const auto wheelUp = [] { return MouseRecord{mouse_offset::wheel, 120, 1, 0, 0}; };

    hold(0, {kScrollLock});
    hold(10, {kF6});
    hold(20, {}, {rightButton(true)});
    EXPECT_STREQ(layerHolding(run.profiles, AimValue::sensitivityX), "ADS");
    EXPECT_EQ(layerHolding(run.profiles, AimValue::deadZone), nullptr);
    hold(30, {}, {wheelUp()});
    EXPECT_EQ(zoomX(), zoomScaleOf(55));
    hold(40, {}, {rightButton(false)});
    EXPECT_EQ(layerHolding(run.profiles, AimValue::sensitivityX), nullptr);
    EXPECT_EQ(zoomX(), 1.0f) << "the base's sensitivity is as it was";
    hold(50, {}, {wheelUp()});
    EXPECT_EQ(zoomX(), zoomScaleOf(105));
    hold(60, {}, {rightButton(true)});
    EXPECT_EQ(zoomX(), zoomScaleOf(55)) << "the layer kept its own";
}

// A run takes each profile's layers from layers.bin, and F4 saves the value it changed
// where it lives: the ADS layer's sensitivity into layers.bin, config.bin as it was.
TEST_F(FastPathLayeredRun, TheStoresLayersReachTheRunAndF4SavesTheLayersValue) {
    constexpr std::uint8_t kScrollLock = 0x46;
    constexpr std::uint8_t kF4 = 0x3E;
    constexpr std::uint8_t kF6 = 0x40;
    const auto [base, ads] = adsProfile();
    LayerFile stored;
    putLayers(stored, base, {{ads}, {}});
    ASSERT_TRUE(writeLayers(files, paths, stored).replaced);
    startWith({{base, {}}});
    ASSERT_EQ(run.profiles.profiles[0].layers, std::vector<LayerRecord>{ads});
    const std::string configBin = dir.read("config.bin");

    hold(0, {kScrollLock});
    hold(10, {kF6});
    hold(20, {}, {rightButton(true)});
    hold(30, {}, {MouseRecord{mouse_offset::wheel, 120, 1, 0, 0}});
    hold(40, {kF4});
    EXPECT_STREQ(calibrationSaveResult(run.calibration), "Saved to profile 0");

    const LayersRead saved = readLayers(files, paths);
    ASSERT_EQ(saved.state, LayersState::read);
    const ProfileLayers* layers = findLayers(saved.file, base);
    ASSERT_NE(layers, nullptr);
    ASSERT_EQ(layers->layers.size(), 1u);
    EXPECT_EQ(readZoomScale(layers->layers[0].values, profile::xZoomScale), zoomScaleOf(55));
    EXPECT_EQ(dir.read("config.bin"), configBin);
}

// A layers.bin that cannot be used stops the start with its reason, as config.bin does:
// a run without the player's layers would not be the profile the player made.
TEST_F(FastPathLayeredRun, ADamagedLayerFileStopsTheStartWithItsReason) {
    setProfiles({baseProfile("base")});
    dir.write("layers.bin", "not a layer file at all, only text");
    start();
    EXPECT_FALSE(run.active);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].text.rfind("layers.bin is damaged", 0), 0u)
        << user.messageBoxes[0].text;
}

// The binding modes of the running profile's base, put in place after the start.
void setBaseModes(CaptureRun& run, const BindingModes& modes) {
    run.profiles.profiles[run.profiles.running].modes = modes;
    remakeModesInEffect(run.profiles);
}

// A held turbo action goes out at every edge of its cycle: at the moment itself with the
// fast path (the scheduler wakes there), at the first tick after it on the tick alone.
TEST_P(LayeredRun, TurboEdgesGoOutAtTheirMoments) {
    ProfileRecord base = baseProfile("base");
    base.bytes[profile::primaryKeys + action::rightFirstRow] = kKeyE; // RT
    startWith({{base, {}}});
    BindingModes modes;
    modes.turbo = actionBit(action::rightFirstRow);
    modes.turboPressMs = 30;
    modes.turboReleaseMs = 20;
    setBaseModes(run, modes);
    const auto rt = [&] { return run.lastSent.bytes[state::rightTrigger]; };

    hold(0, {kKeyE});
    const std::int64_t downMs = (microsecondsNow(clock) - startUs) / 1000; // read then
    EXPECT_EQ(rt(), 0xFF);
    // With the fast path each edge goes out at its moment, down + n x 50 (+ 30); on the
    // tick alone every tick sends the part of the cycle it falls in, so a part shorter
    // than the tick's 33 ms may fall between two ticks.
    const auto pressedAt = [&](std::int64_t atMs) { return (atMs - downMs) % 50 < 30; };
    if (fastPath) {
        bool pressed = true;
        for (const std::int64_t edge : {30, 50, 80, 100, 130}) {
            passTo(downMs + edge - 1);
            EXPECT_EQ(rt(), pressed ? 0xFF : 0x00) << "before the edge at " << edge;
            passTo(downMs + edge);
            pressed = !pressed;
            EXPECT_EQ(rt(), pressed ? 0xFF : 0x00) << "at the edge at " << edge;
        }
    } else {
        for (std::int64_t tickMs = downMs + 33; tickMs <= downMs + 132; tickMs += 33) {
            passTo(tickMs);
            EXPECT_EQ(rt(), pressedAt(tickMs) ? 0xFF : 0x00) << "the tick at " << tickMs;
        }
    }
    hold(downMs + 140, {});
    EXPECT_EQ(rt(), 0x00) << "released with its key";
}

// Wine's timed wait wakes later the longer it waits (about 0.1 ms after 1 ms, 0.9 ms after
// 100 ms and more). A turbo edge or a macro step's end a long wait away still goes out
// within half a millisecond of its moment, as a near one does.
TEST_F(FastPathLayeredRun, MomentsALongWaitAwayGoOutOnTimeThoughLongWaitsWakeLate) {
    ProfileRecord base = baseProfile("base");
    base.bytes[profile::primaryKeys + action::rightFirstRow] = kLeftControl; // RT
    startWith({{base, {}}});
    BindingModes modes;
    modes.turbo = actionBit(action::rightFirstRow);
    modes.turboPressMs = 100;
    modes.turboReleaseMs = 400;
    modes.macros = {
        {kKeyE, {{actionBit(action::buttonB), 8}, {0, 250}, {actionBit(action::buttonB), 30}}}};
    setBaseModes(run, modes);
    const auto lateUs = [](std::uint32_t waitMs) {
        return std::min<std::int64_t>(900, 100 + std::int64_t{waitMs} * 8);
    };
    const auto sent = [&] {
        return std::pair{run.lastSent.bytes[state::rightTrigger], buttons() & kB};
    };
    hold(0, {kLeftControl, kKeyE});
    const std::int64_t downUs = microsecondsNow(clock);
    std::vector<std::int64_t> changesUs;
    auto last = sent();
    while (microsecondsNow(clock) < downUs + 1'200'000) {
        const std::uint32_t waitMs = beforeLoopWait(services, context);
        ASSERT_NE(waitMs, kInfinite);
        clock.advanceMicroseconds(std::int64_t{waitMs} * 1000 + lateUs(waitMs));
        onWaitTimeout(services, context);
        if (sent() != last) {
            changesUs.push_back(microsecondsNow(clock) - downUs);
            last = sent();
        }
    }
    // The macro's B: off at 8, on at 258, off at 288; RT: off at 100, on at 500, off at 600,
    // on at 1000, off at 1100, on at 1500.
    const std::vector<std::int64_t> momentsMs = {8, 100, 258, 288, 500, 600, 1000, 1100, 1500};
    ASSERT_EQ(changesUs.size(), momentsMs.size()) << ::testing::PrintToString(changesUs);
    for (std::size_t i = 0; i < momentsMs.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(changesUs[i]), static_cast<double>(momentsMs[i] * 1000),
                    500.0)
            << "the change due at " << momentsMs[i] << " ms";
    }
}

// A switch ends a toggle and a macro of the old profile: what they pressed is released in
// the new profile's first packet.
TEST_P(LayeredRun, ASwitchEndsTogglesAndMacros) {
    setIni("SWITCH", "NEXT", "PAGE UP");
    ProfileRecord first = baseProfile("first");
    ProfileRecord second = baseProfile("second");
    startWith({{first, {}}, {second, {}}});
    BindingModes modes;
    modes.toggle = actionBit(action::buttonA);                      // W
    modes.macros = {{kKeyE, {{actionBit(action::buttonB), 2000}}}}; // E: B for 2 s
    setBaseModes(run, modes);
    hold(0, {kKeyW});
    hold(40, {});
    hold(80, {kKeyE});
    hold(120, {});
    EXPECT_EQ(buttons(), kA | kB) << "toggled on, and the macro's step";
    hold(160, {kPageUp});
    EXPECT_EQ(buttons(), 0);
    hold(200, {});
    passTo(2200);
    EXPECT_EQ(buttons(), 0);
}

INSTANTIATE_TEST_SUITE_P(FastPathAndTickOnly, LayeredRun, ::testing::Bool());

} // namespace
} // namespace qora::testing
