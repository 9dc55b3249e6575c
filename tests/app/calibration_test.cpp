#include "app/calibration.h"

#include "app/calibration_view_inputs.h"
#include "mapping/precise_aim.h"

#include "capture_run_fixture.h"
#include "fakes/restricted_files.h"

#include <cerrno>
#include <climits>

namespace qora::testing {
namespace {

namespace key = calibration_key;

MouseRecord wheel(std::int32_t data) {
    return MouseRecord{mouse_offset::wheel, static_cast<std::uint32_t>(data), 7, 0, 0};
}

// One snapshot with these keys down, through the calibration keys.
void pressKeys(Calibration& calibration, ProfileRecord& profile,
               std::initializer_list<std::uint8_t> keys) {
    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};
    for (const std::uint8_t code : keys) {
        snapshot[code] = kKeyDown;
    }
    takeCalibrationKeys(calibration, targetsIn(profile), snapshot.data());
}

std::string bytesOf(const ProfileRecord& record) {
    return std::string(reinterpret_cast<const char*>(record.bytes.data()), kProfileRecordSize);
}

// The four values as the profile stores them: dead zone, zoom X, zoom Y, exponent steps.
using Values = std::tuple<int, float, float, int>;

Values valuesOf(const ProfileRecord& profile) {
    const AimSettings aim = readAimSettings(profile);
    return {aim.deadZoneHundredths, readZoomScale(profile, profile::xZoomScale),
            readZoomScale(profile, profile::yZoomScale), aim.exponentSteps};
}

ProfileRecord profileWith(const Values& values) {
    const auto [deadZone, zoomX, zoomY, exponent] = values;
    ProfileRecord profile;
    writeAimSettings(profile,
                     {AimMode::precise, AimShape::square, static_cast<std::uint16_t>(deadZone),
                      static_cast<std::int8_t>(exponent)});
    writeZoomScale(profile, profile::xZoomScale, zoomX);
    writeZoomScale(profile, profile::yZoomScale, zoomY);
    return profile;
}

struct StepCase {
    std::uint8_t pick;
    std::vector<std::int32_t> wheelData;
    Values before;
    Values after;
};

// Each wheel record (or notch) moves the picked value to the next grid point on its side,
// within the limits; the other values and the shape stay.
TEST(Calibration, TheWheelStepsThePickedValueOnItsGridWithinItsLimits) {
    const StepCase cases[] = {
        {key::deadZone, {120, 120}, {2000, 1, 1, 0}, {2100, 1, 1, 0}},
        {key::deadZone, {-360}, {2000, 1, 1, 0}, {1850, 1, 1, 0}}, // three notches
        {key::deadZone, {40}, {2000, 1, 1, 0}, {2050, 1, 1, 0}},   // under a notch
        {key::deadZone, {120}, {2395, 1, 1, 0}, {2400, 1, 1, 0}},  // a finer value
        {key::deadZone, {-120}, {2395, 1, 1, 0}, {2350, 1, 1, 0}},
        {key::deadZone, {120}, {9000, 1, 1, 0}, {9000, 1, 1, 0}},  // 90 %
        {key::deadZone, {-120}, {9500, 1, 1, 0}, {9000, 1, 1, 0}}, // beyond it
        {key::deadZone, {INT_MIN}, {2000, 1, 1, 0}, {0, 1, 1, 0}}, // 0 %
        {key::sensitivityX, {120}, {0, 1.37f, 1, 0}, {0, 1.4f, 1, 0}},
        {key::sensitivityX, {-120}, {0, 0.5f, 1, 0}, {0, 0.5f, 1, 0}},
        {key::sensitivityY, {120}, {0, 1, 5.0f, 0}, {0, 1, 5.0f, 0}},
        {key::sensitivityY, {-120}, {0, 1, 1.0f, 0}, {0, 1, 0.95f, 0}},
        {key::sensitivityY, {120}, {0, 1, 0.0f, 0}, {0, 1, 0.5f, 0}}, // unset
        {key::exponent, {-120}, {0, 1, 1, 1}, {0, 1, 1, 0}},
        {key::exponent, {-120}, {0, 1, 1, -15}, {0, 1, 1, -15}},   // 0.25
        {key::exponent, {120 * 100}, {0, 1, 1, 0}, {0, 1, 1, 60}}, // to 4.0
    };
    for (const StepCase& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.before) + " " + std::to_string(test.pick));
        ProfileRecord profile = profileWith(test.before);
        Calibration calibration;
        pressKeys(calibration, profile, {key::toggle});
        pressKeys(calibration, profile, {test.pick});
        std::vector<MouseRecord> records;
        for (const std::int32_t data : test.wheelData) {
            records.push_back(wheel(data));
        }
        const WheelTaken taken =
            takeCalibrationWheel(calibration, targetsIn(profile), records.data(),
                                 static_cast<std::uint32_t>(records.size()));
        EXPECT_EQ(taken.count, 0u);
        EXPECT_EQ(taken.changed, test.after != test.before);
        EXPECT_EQ(valuesOf(profile), test.after);
        EXPECT_EQ(readAimSettings(profile).shape, AimShape::square);
    }
}

// At a 20 % dead zone: 6553 of 32767 on the Xbox 360, the high byte 25 on the PS3; right
// and up on the stick whatever the inversion, and only while calibrating.
TEST(Calibration, TheTestKeysHoldTheStickAtTheDeadZone) {
    struct Case {
        std::uint8_t test;
        ConsoleMode mode;
        std::uint8_t direction;
        std::uint8_t invert;
        std::int16_t x;
        std::int16_t y;
    };
    constexpr std::uint8_t kBoth = profile::kInvertX | profile::kInvertY;
    const Case cases[] = {
        {key::testRight, kConsoleXbox360, profile::kDirectionRightStick, 0, 6553, 0},
        {key::testUp, kConsoleXbox360, profile::kDirectionRightStick, kBoth, 0, 6553},
        {key::testRight, kConsolePs3, profile::kDirectionLeftStick, kBoth, 25 * 256, 0},
        {key::testUp, kConsolePs3, profile::kDirectionLeftStick, 0, 0, 25 * 256},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.test) + " " + std::to_string(test.mode));
        ProfileRecord profile = profileWith({2000, 1, 1, 0});
        profile.bytes[profile::direction] = test.direction;
        profile.bytes[profile::invertFlags] = test.invert;
        const bool left = test.direction == profile::kDirectionLeftStick;
        const std::size_t x = left ? state::leftStickX : state::rightStickX;
        const std::size_t y = left ? state::leftStickY : state::rightStickY;
        Calibration calibration;
        ControllerState state;
        resetToRest(state);
        pressKeys(calibration, profile, {test.test}); // not calibrating: a key like any other
        holdDeadZoneTest(calibration, state, test.mode, profile);
        EXPECT_EQ(stickValue(state, x), 0);

        pressKeys(calibration, profile, {key::toggle, test.test});
        holdDeadZoneTest(calibration, state, test.mode, profile);
        EXPECT_EQ(stickValue(state, x), test.x);
        EXPECT_EQ(stickValue(state, y), test.y);
    }
}

// A run on the tick alone, or with the fast path, whose events keep the mouse records for
// the tick. Every calibration key and the wheel are bound to a button.
class CalibrationRun : public CaptureRunTest, public ::testing::WithParamInterface<bool> {
protected:
    CalibrationRun() {
        const std::uint8_t keys[] = {key::toggle,       key::save,         key::deadZone,
                                     key::sensitivityX, key::sensitivityY, key::exponent,
                                     key::testRight,    key::testUp};
        const ActionCode actions[] = {action::dpadUp,    action::dpadDown, action::dpadLeft,
                                      action::dpadRight, action::buttonY,  action::buttonX,
                                      action::buttonB,   action::buttonA};
        for (std::size_t i = 0; i < std::size(keys); ++i) {
            profile.bytes[profile::primaryKeys + static_cast<std::size_t>(actions[i])] = keys[i];
        }
        profile.bytes[profile::mouseBindings + mouse_flag::wheelUp] = 1; // Y
        setProfiles({profile});
        run.fastPath.enabled = GetParam();
        run.fastPath.events = {11, 12};
    }

    // What the devices hold now reaches the run: at an event and the next tick, or the tick.
    void step(std::initializer_list<std::uint8_t> keys = {},
              std::vector<MouseRecord> records = {}) {
        directInput.keyState.fill(0);
        for (const std::uint8_t code : keys) {
            press(code);
        }
        directInput.mouseBuffer.assign(records.begin(), records.end());
        if (run.fastPath.enabled) {
            onDeviceEvent(services, context);
            clock.advanceMicroseconds(
                std::max<std::int64_t>(run.schedule.nextTickUs - microsecondsNow(clock), 0));
        }
        onCaptureTimer(services, context);
    }
    int buttons() const {
        return run.lastSent.bytes[state::buttons1] << 8 | run.lastSent.bytes[state::buttons2];
    }
};

TEST_P(CalibrationRun, NoBindingFiresWhileCalibratingAndScrollLockNever) {
    start();
    step({key::toggle});
    EXPECT_TRUE(run.calibration.on);
    EXPECT_EQ(buttons(), 0);
    step({key::save, key::deadZone, key::sensitivityX, key::sensitivityY, key::exponent,
          key::testRight, key::testUp},
         {wheel(120), wheel(-240)});
    EXPECT_EQ(buttons(), 0);
    EXPECT_TRUE(directInput.mouseBuffer.empty());
    step({key::toggle});
    EXPECT_FALSE(run.calibration.on);
    EXPECT_EQ(buttons(), 0);
    step({key::sensitivityX}, {wheel(120)});
    EXPECT_EQ(buttons(), buttons1::dpadRight << 8 | buttons2::y) << "off: both reach bindings";
}

// The stored profile stays classic, byte for byte, until F4 saves the values into it.
TEST_P(CalibrationRun, AClassicProfileTurnsPreciseOnlyWhenSaved) {
    start();
    step({key::toggle});
    EXPECT_EQ(readAimSettings(run.profile).mode, AimMode::precise) << "the run aims precisely";
    EXPECT_NE(calibrationNotice(run.calibration), nullptr);
    step({}, {wheel(120)}); // the dead zone, picked from the start
    step({key::toggle});    // leave without saving, and come back
    step();
    step({key::toggle});
    EXPECT_EQ(dir.read("config.bin"), bytesOf(profile));
    EXPECT_EQ(readAimSettings(run.profile).deadZoneHundredths, 50) << "kept for the run";

    step({key::save});
    EXPECT_EQ(calibrationNotice(run.calibration), nullptr);
    EXPECT_STREQ(calibrationSaveResult(run.calibration), "Saved to profile 0");
    writeAimSettings(profile, {AimMode::precise, AimShape::circle, 50, 0});
    EXPECT_EQ(dir.read("config.bin"), bytesOf(profile));
}

INSTANTIATE_TEST_SUITE_P(TickAndFastPath, CalibrationRun, ::testing::Bool());

MouseRecord motionX(std::int32_t counts, std::uint32_t stampMs) {
    return MouseRecord{mouse_offset::x, static_cast<std::uint32_t>(counts), stampMs, 0, 0};
}

// A fast-path run that calibrates: the main loop's waits and wake-ups on a fake clock.
class CalibratingFastPath : public CaptureRunTest {
protected:
    CalibratingFastPath() {
        profile.bytes[profile::direction] = profile::kDirectionRightStick;
        writeZoomScale(profile, profile::xZoomScale, 1.0f);
        writeZoomScale(profile, profile::yZoomScale, 1.0f);
        setProfiles({profile});
        run.fastPath.enabled = true;
        run.fastPath.events = {11, 12};
    }
    void event(std::vector<MouseRecord> records = {}) {
        directInput.mouseBuffer.assign(records.begin(), records.end());
        onDeviceEvent(services, context);
    }
    void toggleCalibration() {
        press(key::toggle);
        event();
        release(key::toggle);
        event();
    }
    // The loop waits as long as the scheduler says, at most maxUs, and wakes at its timeout.
    void waitAtMost(std::int64_t maxUs) {
        const std::int64_t waitUs =
            std::int64_t{beforeLoopWait(services, context)} * kMicrosecondsPerMillisecond;
        clock.advanceMicroseconds(std::clamp<std::int64_t>(waitUs, 1, maxUs));
        onWaitTimeout(services, context);
    }
    std::int16_t stickX() const { return stickValue(run.lastSent, state::rightStickX); }
    double liveSpeed() const {
        return calibrationViewInputs(run.calibration, run.profile, mouse).liveSpeed;
    }
};

// The view's live point shows the speed behind the stick: it is 0 as soon as the stick is
// centred after the hand stops, though the estimator still holds the last speed then.
TEST_F(CalibratingFastPath, TheLivePointIsAtRestOnceTheStickIsCentred) {
    writeAimSettings(profile, {AimMode::precise, AimShape::circle, 0, 0});
    setProfiles({profile});
    start();
    toggleCalibration();
    for (std::uint32_t ms = 1; ms <= 20; ++ms) {
        clock.advanceMicroseconds(kMicrosecondsPerMillisecond);
        event({motionX(4, ms)});
    }
    ASSERT_GT(stickX(), 0);
    EXPECT_NEAR(liveSpeed(), 4.0, 0.5);
    for (int wake = 0; wake < 100 && stickX() != 0; ++wake) {
        waitAtMost(kMicrosecondsPerMillisecond);
    }
    ASSERT_EQ(stickX(), 0);
    EXPECT_EQ(liveSpeed(), 0.0);
}

// Scroll Lock turns a classic run precise between ticks: the motion its events kept for the
// classic tick moves the stick at the tick instead of being lost.
TEST_F(CalibratingFastPath, MotionKeptForAClassicTickCountsOnceCalibrationAimsPrecisely) {
    start();
    std::vector<MouseRecord> motion;
    for (std::uint32_t ms = 1; ms <= 8; ++ms) {
        motion.push_back(motionX(5, ms));
    }
    clock.advanceMicroseconds(kMicrosecondsPerMillisecond);
    event(motion);
    ASSERT_EQ(run.fastPath.pendingMouseCount, 8u) << "kept for the classic tick";
    toggleCalibration();
    ASSERT_TRUE(isPreciseAim(run.profile));
    clock.advanceMicroseconds(
        std::max<std::int64_t>(run.schedule.nextTickUs - microsecondsNow(clock), 0));
    tick();
    EXPECT_GT(stickX(), 0);
}

// F4 writes the record the run loaded through the whole-store write, the rest of the file
// and the shape as stored, whatever CURRENT says by then; a record that the dialogs changed
// or deleted since, and any failure, leave the file as it was and say why.
TEST(Calibration, TheSaveWritesTheLoadedRecordOnlyWhileItIsAsLoaded) {
    using Limit = void (*)(RestrictedFileApi&);
    const auto none = [](RestrictedFileApi&) {};
    struct Case {
        std::int32_t loaded;    // the record the run loaded, -1 for none
        const char* count;      // COUNT at the save
        const char* storedName; // the name of record 1 in config.bin at the save
        Limit limit;
        const char* result;
    };
    const Case cases[] = {
        {1, "2", "second", none, "Saved to profile 1"},
        {1, "3", "second", none, "Saved to profile 1"}, // New added a profile meanwhile
        {1, "2", "second", [](RestrictedFileApi& f) { f.storeReadOnly = true; },
         "Not saved: config.bin cannot be written: access denied"},
        {1, "2", "second", [](RestrictedFileApi& f) { f.openStoreError = EACCES; },
         "Not saved: config.bin cannot be read: access denied"},
        {1, "2", "second", [](RestrictedFileApi& f) { f.writeError = ENOSPC; },
         "Not saved: config.bin cannot be written: disk full"},
        {-1, "2", "second", none, "Not saved: no profile selected"},
        {1, "1", "second", none, "Not saved: profile 1 was deleted"},
        {1, "2", "renamed", none, "Not saved: profile 1 is no longer the one this run loaded"},
        {0, "2", "second", none, "Not saved: profile 0 is no longer the one this run loaded"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.result);
        TempDirectory dir;
        const ProgramPaths paths = makeProgramPaths(dir.path());
        HostProfileFile ini;
        ini.writePrivateProfileString("CONFIGURATION", "COUNT", test.count,
                                      paths.settingIni.c_str());
        // The Setting dialog may have selected another profile meanwhile.
        ini.writePrivateProfileString("CONFIGURATION", "CURRENT", "0", paths.settingIni.c_str());
        ProfileRecord second;
        setProfileName(second, "second");
        writeAimSettings(second, {AimMode::classic, AimShape::square, 1000, 3});
        const ProfileRecord first = profileWith({100, 1, 1, 0});
        ProfileRecord storedSecond = second;
        setProfileName(storedSecond, test.storedName);
        const std::string stored = bytesOf(first) + bytesOf(storedSecond) + "past COUNT";
        dir.write("config.bin", stored);

        // Loaded as record 0 stands for the record that a delete moved from 1 to 0.
        LoadedProfile loaded{test.loaded, {test.loaded < 0 ? ProfileRecord{} : second, {}}};
        const ProfileRecord loadedBefore = loaded.profile.base;
        ProfileRecord runProfile = loaded.profile.base;
        Calibration calibration;
        pressKeys(calibration, runProfile, {key::toggle});
        stepAimValue(runProfile, AimValue::deadZone, 3);
        stepAimValue(runProfile, AimValue::sensitivityY, 1);
        RestrictedFileApi files;
        test.limit(files);
        saveCalibration(calibration, files, ini, paths, {runProfile, {}}, loaded);

        EXPECT_STREQ(calibration.saveResult.data(), test.result);
        const bool saved = std::string(test.result) == "Saved to profile 1";
        EXPECT_EQ(calibration.storedClassic, !saved);
        writeAimSettings(second, {AimMode::precise, AimShape::square, 1150, 3});
        writeZoomScale(second, profile::yZoomScale, 0.5f);
        EXPECT_EQ(dir.read("config.bin"),
                  saved ? bytesOf(first) + bytesOf(second) + "past COUNT" : stored);
        EXPECT_EQ(loaded.profile.base, saved ? second : loadedBefore) << "what the store holds now";
        EXPECT_FALSE(dir.exists("config.bin.new"));
    }
}

} // namespace
} // namespace qora::testing
