#include "app/calibration.h"

#include "mapping/aim_curve.h"
#include "mapping/mouse_motion.h"
#include "platform/file_failure.h"
#include "profiles/store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace qora {
namespace {

// The calibration keys in the order of their bits in Calibration::keysDown.
constexpr std::uint8_t kKeys[] = {
    calibration_key::toggle,       calibration_key::save,         calibration_key::deadZone,
    calibration_key::sensitivityX, calibration_key::sensitivityY, calibration_key::exponent,
    calibration_key::testRight,    calibration_key::testUp,
};
static_assert(std::size(kKeys) == 8, "one bit of keysDown each");

constexpr std::uint8_t bitOf(std::size_t index) {
    return static_cast<std::uint8_t>(1u << index);
}
constexpr std::uint8_t kToggleBit = bitOf(0);
constexpr std::uint8_t kSaveBit = bitOf(1);
constexpr std::size_t kFirstPickIndex = 2; // F5 .. F8, in AimValue's order
constexpr std::uint8_t kTestRightBit = bitOf(6);
constexpr std::uint8_t kTestUpBit = bitOf(7);

constexpr const char* kClassicNotice = "Classic profile: saving switches it to precise aim";
constexpr const char* kNoProfileText = "Not saved: no profile selected";

std::uint8_t keysDownIn(const std::uint8_t* snapshot) {
    std::uint8_t down = 0;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        if ((snapshot[kKeys[i]] & kKeyDown) != 0) {
            down |= bitOf(i);
        }
    }
    return down;
}

// Only what the player said for this run: the stored profile changes at a save.
void startCalibrating(Calibration& calibration, ProfileRecord& aimTarget) {
    calibration.on = true;
    calibration.saveResult[0] = '\0';
    AimSettings aim = readAimSettings(aimTarget);
    if (aim.mode == AimMode::classic) {
        calibration.storedClassic = true;
        aim.mode = AimMode::precise;
        writeAimSettings(aimTarget, aim);
    }
}

void stopCalibrating(Calibration& calibration) {
    calibration.on = false;
    calibration.test = DeadZoneTest::none;
}

// F9 wins when both test keys are down.
DeadZoneTest testHeldBy(std::uint8_t down) {
    if ((down & kTestRightBit) != 0) {
        return DeadZoneTest::right;
    }
    return (down & kTestUpBit) != 0 ? DeadZoneTest::up : DeadZoneTest::none;
}

// The keys of an active calibration: F5 .. F8 pick, F9 and F10 test while down.
bool followPickAndTest(Calibration& calibration, std::uint8_t down, std::uint8_t pressed) {
    bool changed = false;
    for (std::size_t i = 0; i < kAimValueCount; ++i) {
        const auto value = static_cast<AimValue>(i);
        if ((pressed & bitOf(kFirstPickIndex + i)) != 0 && calibration.picked != value) {
            calibration.picked = value;
            changed = true;
        }
    }
    const DeadZoneTest test = testHeldBy(down);
    if (test != calibration.test) {
        calibration.test = test;
        changed = true;
    }
    return changed;
}

void clearCalibrationKeys(std::uint8_t* snapshot) {
    for (const std::uint8_t code : kKeys) {
        snapshot[code] = 0;
    }
}

void stepSensitivity(ProfileRecord& profile, std::size_t offset, std::int32_t steps) {
    const std::int32_t hundredths =
        stepOnGrid(zoomHundredthsOf(readZoomScale(profile, offset)), kSensitivityGrid, steps);
    writeZoomScale(profile, offset, zoomScaleOf(hundredths));
}

void stepAim(ProfileRecord& profile, AimValue value, std::int32_t steps) {
    AimSettings aim = readAimSettings(profile);
    if (value == AimValue::deadZone) {
        aim.deadZoneHundredths =
            static_cast<std::uint16_t>(stepOnGrid(aim.deadZoneHundredths, kDeadZoneGrid, steps));
    } else {
        aim.exponentSteps =
            static_cast<std::int8_t>(stepOnGrid(aim.exponentSteps, kExponentGrid, steps));
    }
    writeAimSettings(profile, aim);
}

// One step per record in its direction, or one per notch of its data: up for a positive
// value, as the wheel flags read it.
std::int32_t wheelSteps(const MouseRecord& record) {
    const std::int64_t data = static_cast<std::int32_t>(record.dwData);
    const std::int64_t notches = std::max<std::int64_t>(1, std::llabs(data) / kWheelDelta);
    return static_cast<std::int32_t>(data >= 1 ? notches : -notches);
}

void keepSaveResult(Calibration& calibration, const std::string& text) {
    std::snprintf(calibration.saveResult.data(), calibration.saveResult.size(), "%s", text.c_str());
}

} // namespace

CalibrationKeys takeCalibrationKeys(Calibration& calibration, const CalibrationTargets& targets,
                                    std::uint8_t* snapshot) {
    const std::uint8_t down = keysDownIn(snapshot);
    const auto pressed = static_cast<std::uint8_t>(down & ~calibration.keysDown);
    calibration.keysDown = down;
    snapshot[calibration_key::toggle] = 0;
    CalibrationKeys result;
    if ((pressed & kToggleBit) != 0) {
        if (calibration.on) {
            stopCalibrating(calibration);
        } else {
            startCalibrating(calibration, *targets.aim);
        }
        result.changed = true;
    }
    if (!calibration.on) {
        return result;
    }
    clearCalibrationKeys(snapshot);
    result.changed = followPickAndTest(calibration, down, pressed) || result.changed;
    result.save = (pressed & kSaveBit) != 0;
    return result;
}

WheelTaken takeCalibrationWheel(Calibration& calibration, const CalibrationTargets& targets,
                                MouseRecord* records, std::uint32_t count) {
    if (!calibration.on) {
        return {count, false};
    }
    WheelTaken taken;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (records[i].dwOfs == mouse_offset::wheel) {
            taken.changed =
                stepAimValue(targets, calibration.picked, wheelSteps(records[i])) || taken.changed;
        } else {
            records[taken.count++] = records[i];
        }
    }
    if (taken.changed) {
        calibration.saveResult[0] = '\0'; // what is shown is no longer what was saved
    }
    return taken;
}

bool stepAimValue(ProfileRecord& profile, AimValue value, std::int32_t steps) {
    if (steps == 0) {
        return false;
    }
    const ProfileRecord before = profile;
    switch (value) {
    case AimValue::sensitivityX:
        stepSensitivity(profile, profile::xZoomScale, steps);
        break;
    case AimValue::sensitivityY:
        stepSensitivity(profile, profile::yZoomScale, steps);
        break;
    case AimValue::deadZone:
    case AimValue::exponent:
        stepAim(profile, value, steps);
        break;
    }
    return profile != before;
}

bool stepAimValue(const CalibrationTargets& targets, AimValue value, std::int32_t steps) {
    switch (value) {
    case AimValue::sensitivityX:
        return stepAimValue(*targets.zoomX, value, steps);
    case AimValue::sensitivityY:
        return stepAimValue(*targets.zoomY, value, steps);
    case AimValue::deadZone:
    case AimValue::exponent:
        break;
    }
    return stepAimValue(*targets.aim, value, steps);
}

void holdDeadZoneTest(const Calibration& calibration, ControllerState& state, ConsoleMode mode,
                      const ProfileRecord& profile) {
    if (!calibration.on || calibration.test == DeadZoneTest::none) {
        return;
    }
    const double deadZone = aimCurveOf(profile).deadZone;
    // The mouse's y grows towards the user: up is negative.
    const StickDeflection pointing = calibration.test == DeadZoneTest::right
                                         ? StickDeflection{deadZone, 0.0}
                                         : StickDeflection{0.0, -deadZone};
    MotionPair units = stickUnitsFor(pointing, mode);
    // Inverted beforehand, so the inversion writeMouseDeflection applies undoes it.
    const std::uint8_t invert = profile.bytes[profile::invertFlags];
    if ((invert & profile::kInvertX) != 0) {
        units.x = -units.x;
    }
    if ((invert & profile::kInvertY) != 0) {
        units.y = -units.y;
    }
    writeMouseDeflection(state, profile, units);
}

void saveCalibration(Calibration& calibration, FileApi& files, ProfileFileApi& ini,
                     const ProgramPaths& paths, const LayeredProfile& inUse,
                     LoadedProfile& loaded) {
    if (loaded.index < 0) {
        keepSaveResult(calibration, kNoProfileText);
        return;
    }
    const std::string profileText = "profile " + std::to_string(loaded.index);
    const LayeredReplace replaced =
        replaceLayeredProfile(files, paths, readProfileCount(ini, paths),
                              static_cast<std::uint32_t>(loaded.index), loaded.profile, inUse);
    switch (replaced.check) {
    case RecordCheck::gone:
        keepSaveResult(calibration, "Not saved: " + profileText + " was deleted");
        return;
    case RecordCheck::changed:
        keepSaveResult(calibration,
                       "Not saved: " + profileText + " is no longer the one this run loaded");
        return;
    case RecordCheck::same:
        break;
    }
    if (!replaced.change.done) {
        keepSaveResult(calibration, "Not saved: " + describeChange(replaced.change));
        return;
    }
    loaded.profile = inUse;
    calibration.storedClassic = false;
    keepSaveResult(calibration, "Saved to " + profileText);
}

const char* calibrationNotice(const Calibration& calibration) {
    return calibration.storedClassic ? kClassicNotice : nullptr;
}

const char* calibrationSaveResult(const Calibration& calibration) {
    return calibration.saveResult[0] != '\0' ? calibration.saveResult.data() : nullptr;
}

} // namespace qora
