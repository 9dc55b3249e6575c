#include "app/calibration.h"

#include "app/capture_steps.h"
#include "capture_run_fixture.h"
#include "fakes/restricted_files.h"
#include "mapping/mouse_state.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace qora::testing {
namespace {

constexpr std::uint8_t kScrollLock = calibration_key::toggle;
constexpr std::uint8_t kF4 = calibration_key::save;
constexpr std::uint8_t kF5 = calibration_key::deadZone;
constexpr std::uint8_t kF6 = calibration_key::sensitivityX;
constexpr std::uint8_t kF7 = calibration_key::sensitivityY;
constexpr std::uint8_t kF8 = calibration_key::exponent;
constexpr std::uint8_t kF9 = calibration_key::testRight;
constexpr std::uint8_t kF10 = calibration_key::testUp;
constexpr std::uint8_t kMouseActionY = 1; // its position in the mouse-action list

MouseRecord wheel(std::int32_t data) {
    return MouseRecord{mouse_offset::wheel, static_cast<std::uint32_t>(data), 7, 0, 0};
}

// One snapshot with the keys down, through the calibration keys.
CalibrationKeys pressKeys(Calibration& calibration, ProfileRecord& profile,
                          std::initializer_list<std::uint8_t> keys) {
    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};
    for (const std::uint8_t key : keys) {
        snapshot[key] = kKeyDown;
    }
    return takeCalibrationKeys(calibration, profile, snapshot.data());
}

// The four values as the profile stores them.
struct StoredValues {
    std::uint16_t deadZone = 2000;
    float zoomX = 1.0f;
    float zoomY = 1.0f;
    std::int8_t exponent = 0;

    friend bool operator==(const StoredValues&, const StoredValues&) = default;
};

ProfileRecord profileWith(const StoredValues& values) {
    ProfileRecord profile;
    writeAimSettings(profile,
                     {AimMode::precise, AimShape::square, values.deadZone, values.exponent});
    writeZoomScale(profile, profile::xZoomScale, values.zoomX);
    writeZoomScale(profile, profile::yZoomScale, values.zoomY);
    return profile;
}

StoredValues storedValues(const ProfileRecord& profile) {
    const AimSettings aim = readAimSettings(profile);
    return {aim.deadZoneHundredths, readZoomScale(profile, profile::xZoomScale),
            readZoomScale(profile, profile::yZoomScale), aim.exponentSteps};
}

struct StepCase {
    const char* name;
    std::uint8_t pick;
    std::vector<std::int32_t> wheelData;
    StoredValues before;
    StoredValues after;
};

// The wheel moves the picked value to the next grid point on its side, one per record or
// per notch, within the limits; the other values stay.
TEST(CalibrationSteps, TheWheelStepsThePickedValueOnItsGridWithinItsLimits) {
    const StepCase cases[] = {
        {"dead zone up", kF5, {120}, {2000}, {2050}},
        {"dead zone down", kF5, {-120}, {2000}, {1950}},
        {"dead zone at 0", kF5, {-120}, {0}, {0}},
        {"dead zone at 90 %", kF5, {120}, {9000}, {9000}},
        {"dead zone above 90 % comes back", kF5, {-120}, {9500}, {9000}},
        {"a finer dead zone up", kF5, {120}, {2395}, {2400}},
        {"a finer dead zone down", kF5, {-120}, {2395}, {2350}},
        {"two records", kF5, {120, 120}, {2000}, {2100}},
        {"three notches", kF5, {360}, {2000}, {2150}},
        {"less than a notch", kF5, {40}, {2000}, {2050}},
        {"a record of any size", kF5, {INT_MIN}, {2000}, {0}},
        {"sensitivity X up", kF6, {120}, {2000, 1.0f}, {2000, 1.05f}},
        {"sensitivity X at 0.5", kF6, {-120}, {2000, 0.5f}, {2000, 0.5f}},
        {"sensitivity X at 5.0", kF6, {120}, {2000, 5.0f}, {2000, 5.0f}},
        {"a finer sensitivity X", kF6, {120}, {2000, 1.37f}, {2000, 1.4f}},
        {"sensitivity Y down", kF7, {-120}, {2000, 1.0f, 1.0f}, {2000, 1.0f, 0.95f}},
        {"sensitivity Y from nothing", kF7, {120}, {2000, 1.0f, 0.0f}, {2000, 1.0f, 0.5f}},
        {"exponent up", kF8, {120}, {2000, 1.0f, 1.0f, 0}, {2000, 1.0f, 1.0f, 1}},
        {"exponent at 0.25", kF8, {-120}, {2000, 1.0f, 1.0f, -15}, {2000, 1.0f, 1.0f, -15}},
        {"exponent to 4.0", kF8, {120 * 100}, {2000, 1.0f, 1.0f, 0}, {2000, 1.0f, 1.0f, 60}},
    };
    for (const StepCase& test : cases) {
        SCOPED_TRACE(test.name);
        ProfileRecord profile = profileWith(test.before);
        Calibration calibration;
        pressKeys(calibration, profile, {kScrollLock});
        pressKeys(calibration, profile, {test.pick});
        std::vector<MouseRecord> records;
        for (const std::int32_t data : test.wheelData) {
            records.push_back(wheel(data));
        }
        const WheelTaken taken = takeCalibrationWheel(calibration, profile, records.data(),
                                                      static_cast<std::uint32_t>(records.size()));
        EXPECT_EQ(taken.count, 0u);
        EXPECT_EQ(taken.changed, !(test.after == test.before));
        EXPECT_EQ(storedValues(profile), test.after);
        EXPECT_EQ(readAimSettings(profile).shape, AimShape::square);
    }
}

struct DeadZoneTestCase {
    const char* name;
    std::uint8_t key;
    ConsoleMode mode;
    std::uint8_t direction;
    std::uint8_t invert;
    std::int16_t x; // the stick the direction names
    std::int16_t y;
};

// The stick sits at the dead zone (20 %), right or up on the stick, whatever the inversion.
TEST(CalibrationDeadZoneTest, TheTestKeysHoldTheStickAtTheDeadZone) {
    const DeadZoneTestCase cases[] = {
        {"F9 on the Xbox 360", kF9, kConsoleXbox360, profile::kDirectionRightStick, 0, 6553, 0},
        {"F10 on the Xbox 360", kF10, kConsoleXbox360, profile::kDirectionRightStick, 0, 0, 6553},
        {"F9 inverted", kF9, kConsoleXbox360, profile::kDirectionRightStick,
         profile::kInvertX | profile::kInvertY, 6553, 0},
        {"F10 inverted", kF10, kConsoleXbox360, profile::kDirectionRightStick,
         profile::kInvertX | profile::kInvertY, 0, 6553},
        {"F9 on the PS3, left stick", kF9, kConsolePs3, profile::kDirectionLeftStick, 0, 25 * 256,
         0},
        {"F10 on the PS3, inverted Y", kF10, kConsolePs3, profile::kDirectionLeftStick,
         profile::kInvertY, 0, 25 * 256},
    };
    for (const DeadZoneTestCase& test : cases) {
        SCOPED_TRACE(test.name);
        ProfileRecord profile = profileWith({2000});
        profile.bytes[profile::direction] = test.direction;
        profile.bytes[profile::invertFlags] = test.invert;
        const bool left = test.direction == profile::kDirectionLeftStick;
        const std::size_t xOffset = left ? state::leftStickX : state::rightStickX;
        const std::size_t yOffset = left ? state::leftStickY : state::rightStickY;
        Calibration calibration;
        ControllerState state;
        resetToRest(state);
        setStickValue(state, xOffset, -20000); // what the mouse wrote

        pressKeys(calibration, profile, {test.key}); // calibration is off: no test
        holdDeadZoneTest(calibration, state, test.mode, profile);
        EXPECT_EQ(stickValue(state, xOffset), -20000);

        pressKeys(calibration, profile, {kScrollLock, test.key});
        holdDeadZoneTest(calibration, state, test.mode, profile);
        EXPECT_EQ(stickValue(state, xOffset), test.x);
        EXPECT_EQ(stickValue(state, yOffset), test.y);

        pressKeys(calibration, profile, {}); // let go: the mouse has the stick again
        resetToRest(state);
        holdDeadZoneTest(calibration, state, test.mode, profile);
        EXPECT_EQ(stickValue(state, xOffset), 0);
        EXPECT_EQ(stickValue(state, yOffset), 0);
    }
}

// A run on the tick, or with the fast path, whose events keep the mouse records for the
// tick: every calibration key and both wheel directions are bound to a button.
class CalibrationRunTest : public CaptureRunTest, public ::testing::WithParamInterface<bool> {
protected:
    CalibrationRunTest() {
        const std::uint8_t keys[] = {kScrollLock, kF4, kF5, kF6, kF7, kF8, kF9, kF10};
        const ActionCode actions[] = {action::dpadUp,    action::dpadDown, action::dpadLeft,
                                      action::dpadRight, action::buttonY,  action::buttonX,
                                      action::buttonB,   action::buttonA};
        for (std::size_t i = 0; i < std::size(keys); ++i) {
            profile.bytes[profile::primaryKeys + static_cast<std::size_t>(actions[i])] = keys[i];
        }
        profile.bytes[profile::mouseBindings + mouse_flag::wheelUp] = kMouseActionY;
        profile.bytes[profile::mouseBindings + mouse_flag::wheelDown] = kMouseActionY;
        writeAimSettings(profile, {AimMode::classic, AimShape::circle, 2000, 0});
        setProfiles({profile});
        run.fastPath.enabled = GetParam();
        run.fastPath.events = {11, 12};
    }

    // The keys and records as they are now reach the run: at an event and the tick after
    // it, or at the tick alone.
    void step() {
        if (run.fastPath.enabled) {
            onDeviceEvent(services, context);
            clock.advanceMicroseconds(
                std::max<std::int64_t>(run.schedule.nextTickUs - microsecondsNow(clock), 0));
        }
        onCaptureTimer(services, context);
    }
    std::uint16_t buttons() const {
        return static_cast<std::uint16_t>(run.lastSent.bytes[state::buttons1] << 8 |
                                          run.lastSent.bytes[state::buttons2]);
    }
};

TEST_P(CalibrationRunTest, NoBindingFiresWhileCalibratingAndScrollLockNever) {
    start();
    step();
    press(kScrollLock);
    step();
    EXPECT_TRUE(run.calibration.on);
    EXPECT_EQ(buttons(), 0) << "Scroll Lock reaches no binding";
    release(kScrollLock);
    for (const std::uint8_t key : {kF5, kF6, kF7, kF8, kF9, kF10, kF4}) {
        press(key);
    }
    directInput.mouseBuffer = {wheel(120), wheel(-240)};
    step();
    EXPECT_EQ(buttons(), 0) << "calibration keys and the wheel reach no binding";
    EXPECT_TRUE(directInput.mouseBuffer.empty());
    EXPECT_EQ(run.calibration.picked, CalibratedValue::exponent); // F8 is the last pick

    for (const std::uint8_t key : {kF5, kF6, kF7, kF8, kF9, kF10, kF4}) {
        release(key);
    }
    press(kScrollLock);
    step();
    EXPECT_FALSE(run.calibration.on);
    EXPECT_EQ(buttons(), 0) << "nor when it ends calibration";
    release(kScrollLock);
    press(kF6);
    directInput.mouseBuffer = {wheel(120)};
    step();
    EXPECT_EQ(buttons(), buttons1::dpadRight << 8 | buttons2::y)
        << "off again, F6 and the wheel reach their bindings";
}

// The stored profile stays classic, byte for byte, until F4 saves the values into it.
TEST_P(CalibrationRunTest, AClassicProfileTurnsPreciseOnlyWhenSaved) {
    const std::string stored = dir.read("config.bin");
    start();
    step();
    press(kScrollLock);
    step();
    release(kScrollLock);
    step();
    EXPECT_EQ(readAimSettings(run.profile).mode, AimMode::precise) << "the run aims precisely";
    CalibrationViewInputs view = calibrationViewInputs(run.calibration, run.profile, mouse.aim);
    ASSERT_NE(view.notice, nullptr);
    EXPECT_EQ(view.saveResult, nullptr);

    directInput.mouseBuffer = {wheel(120)}; // the dead zone, picked from the start
    step();
    press(kScrollLock); // leave without saving, and come back
    step();
    release(kScrollLock);
    step();
    EXPECT_EQ(dir.read("config.bin"), stored);
    press(kScrollLock);
    step();
    release(kScrollLock);
    EXPECT_EQ(readAimSettings(run.profile).deadZoneHundredths, 2050) << "kept for the run";

    press(kF4);
    step();
    view = calibrationViewInputs(run.calibration, run.profile, mouse.aim);
    EXPECT_EQ(view.notice, nullptr);
    ASSERT_NE(view.saveResult, nullptr);
    EXPECT_STREQ(view.saveResult, "Saved to profile 0");
    ProfileRecord expected = profile;
    writeAimSettings(expected, {AimMode::precise, AimShape::circle, 2050, 0});
    EXPECT_EQ(dir.read("config.bin"),
              std::string(reinterpret_cast<const char*>(expected.bytes.data()), 144));
}

INSTANTIATE_TEST_SUITE_P(TickAndFastPath, CalibrationRunTest, ::testing::Bool());

struct SaveCase {
    const char* name;
    const char* current;
    void (*restrict)(RestrictedFileApi&);
    const char* result;
};

// F4 writes record CURRENT through the whole-store write: the other records and the bytes
// past COUNT stay, and so does the shape; a failure says why and changes nothing.
TEST(CalibrationSave, TheValuesGoIntoTheCurrentRecordOrTheViewSaysWhyNot) {
    const SaveCase cases[] = {
        {"saved", "1", [](RestrictedFileApi&) {}, "Saved to profile 1"},
        {"read-only", "1", [](RestrictedFileApi& f) { f.storeReadOnly = true; },
         "Not saved: config.bin cannot be written: access denied"},
        {"unreadable", "1", [](RestrictedFileApi& f) { f.openStoreError = EACCES; },
         "Not saved: config.bin cannot be read: access denied"},
        {"full disk", "1", [](RestrictedFileApi& f) { f.writeError = ENOSPC; },
         "Not saved: config.bin cannot be written: disk full"},
        {"no profile", "-1", [](RestrictedFileApi&) {}, "Not saved: no profile selected"},
        {"beyond COUNT", "2", [](RestrictedFileApi&) {}, "Not saved: no profile selected"},
    };
    for (const SaveCase& test : cases) {
        SCOPED_TRACE(test.name);
        TempDirectory dir;
        const ProgramPaths paths = makeProgramPaths(dir.path());
        HostProfileFile ini;
        ini.writePrivateProfileString("CONFIGURATION", "COUNT", "2", paths.settingIni.c_str());
        ini.writePrivateProfileString("CONFIGURATION", "CURRENT", test.current,
                                      paths.settingIni.c_str());
        ProfileRecord first = profileWith({100});
        setProfileName(first, "first");
        ProfileRecord second;
        setProfileName(second, "second");
        writeAimSettings(second, {AimMode::classic, AimShape::square, 1000, 3});
        const std::string hidden = "bytes past COUNT";
        const std::string stored =
            std::string(reinterpret_cast<const char*>(first.bytes.data()), 144) +
            std::string(reinterpret_cast<const char*>(second.bytes.data()), 144) + hidden;
        dir.write("config.bin", stored);

        ProfileRecord runProfile = second;
        Calibration calibration;
        pressKeys(calibration, runProfile, {kScrollLock});
        stepCalibratedValue(runProfile, CalibratedValue::deadZone, 3);
        stepCalibratedValue(runProfile, CalibratedValue::sensitivityY, 1);
        RestrictedFileApi files;
        test.restrict(files);
        saveCalibration(calibration, files, ini, paths, runProfile);

        EXPECT_STREQ(calibration.saveResult.data(), test.result);
        const bool saved = std::string(test.name) == "saved";
        EXPECT_EQ(calibration.storedClassic, !saved);
        ProfileRecord expected = second;
        writeAimSettings(expected, {AimMode::precise, AimShape::square, 1150, 3});
        writeZoomScale(expected, profile::yZoomScale, 0.5f);
        const std::string written =
            stored.substr(0, 144) +
            std::string(reinterpret_cast<const char*>(expected.bytes.data()), 144) + hidden;
        EXPECT_EQ(dir.read("config.bin"), saved ? written : stored);
        EXPECT_FALSE(dir.exists("config.bin.new"));
    }
}

} // namespace
} // namespace qora::testing
