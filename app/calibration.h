#pragma once
// Live calibration of precise aim during a capture run. Scroll Lock turns it on and off;
// games played through a console never see that key, and it is rarely bound on the PC, so
// it is reserved like F11 and F12 and never reaches a binding. While calibration is on:
//
//   F5, F6, F7, F8 pick the dead zone, sensitivity X, sensitivity Y or the exponent;
//   the mouse wheel steps the picked value: 0.5 % of dead zone (0 .. 90 %), 0.05 of
//   sensitivity (0.5 .. 5.0), 0.05 of exponent (0.25 .. 4.0), one step per wheel record in
//   its direction (one per 120 of its data, at least one), kept within those limits;
//   F9 held holds the stick at the dead zone pointing right, F10 pointing up;
//   F4 saves the values into the current profile.
//
// Those keys and the wheel reach no binding; everything else works as usual. The values
// live in the run's copy of the profile, so the mouse aims with each step at once; a
// classic profile's copy switches to precise aim (with its stored precise values) when
// calibration starts, the stored profile only when the player saves. Leaving calibration
// keeps the values, and precise aim, for the rest of the run. Nothing here allocates but
// the save.

#include "formats/aim_values.h"
#include "formats/profile_record.h"
#include "formats/run_keys.h"
#include "input/mouse_record.h"
#include "mapping/aim_velocity.h"
#include "mapping/controller_state.h"
#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "profiles/layer_store.h"
#include "profiles/store.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

// The calibration keys, which a run keeps for itself (formats/run_keys.h).
namespace calibration_key = run_key::calibration;

// A wheel record's data per notch.
inline constexpr std::int32_t kWheelDelta = 120;

enum class DeadZoneTest : std::uint8_t { none, right, up };

inline constexpr std::size_t kCalibrationMessageSize = 96;

struct Calibration {
    bool on = false;
    AimValue picked = AimValue::deadZone;
    DeadZoneTest test = DeadZoneTest::none;
    // The calibration keys down at the last read, one bit each, so a key acts once per
    // press.
    std::uint8_t keysDown = 0;
    // The stored profile aims the classic way: saving switches it to precise aim.
    bool storedClassic = false;
    // "Saved to profile 2", "Not saved: ...", or empty before the first save.
    std::array<char, kCalibrationMessageSize> saveResult{};
};

// Where each value calibration changes lives: in the running profile's base, or in the
// values of the layer in effect that changes it (the later of several), or, in a run that
// holds no profile, in the run's profile itself.
struct CalibrationTargets {
    ProfileRecord* aim; // the aim set: mode, shape, dead zone, exponent
    ProfileRecord* zoomX;
    ProfileRecord* zoomY;
};
inline CalibrationTargets targetsIn(ProfileRecord& profile) {
    return {&profile, &profile, &profile};
}

// What a keyboard snapshot did to calibration.
struct CalibrationKeys {
    bool changed = false; // on or off, the pick or the test: the view must be redrawn
    bool save = false;    // F4 went down
};

// Takes the calibration keys out of the snapshot before its keys are dispatched: Scroll
// Lock always, the others while calibration is on (on and off included). Acts on presses;
// the test follows F9 and F10 while they are down.
CalibrationKeys takeCalibrationKeys(Calibration& calibration, const CalibrationTargets& targets,
                                    std::uint8_t* snapshot);

// While calibration is on, removes the wheel records from records[0 .. count - 1] (keeping
// the others in order), each stepping the picked value. Returns how many are left; changed
// tells whether a value moved.
struct WheelTaken {
    std::uint32_t count = 0;
    bool changed = false;
};
WheelTaken takeCalibrationWheel(Calibration& calibration, const CalibrationTargets& targets,
                                MouseRecord* records, std::uint32_t count);

// Moves one value steps grid points up (positive) or down: the first step goes to the next
// grid point on its side, so a value between grid points lands on one; the result is kept
// within the limits. True when the profile changed.
bool stepAimValue(ProfileRecord& profile, AimValue value, std::int32_t steps);
bool stepAimValue(const CalibrationTargets& targets, AimValue value, std::int32_t steps);

// While F9 or F10 is down, the stick the profile's Direction names sits exactly at the dead
// zone, pointing right or up on the stick whatever the inversion. Writes over the mouse's
// deflection; nothing otherwise.
void holdDeadZoneTest(const Calibration& calibration, ControllerState& state, ConsoleMode mode,
                      const ProfileRecord& profile);

// F4: the running profile as the run uses it (inUse: its base and layers with the
// calibrated values where they live) replaces the profile the run loaded, through the
// store's whole-or-nothing writes, and only while the store still holds that profile,
// record and layers, as loaded: one that the Setting or Map dialog changed or deleted
// since is left alone. A save becomes what the store holds. The result is kept for the
// view. May allocate.
void saveCalibration(Calibration& calibration, FileApi& files, ProfileFileApi& ini,
                     const ProgramPaths& paths, const LayeredProfile& inUse, LoadedProfile& loaded);

// The view's own line about the profile (a classic profile that a save switches to precise
// aim), or nullptr; and the last save's result, or nullptr before the first.
const char* calibrationNotice(const Calibration& calibration);
const char* calibrationSaveResult(const Calibration& calibration);

} // namespace qora
