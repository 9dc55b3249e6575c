#include "mapping/mouse_motion.h"

#include "mapping/actions.h"
#include "mapping/mouse_records.h"
#include "mapping/mouse_samples.h"
#include "mapping/mouse_shaping.h"
#include "mapping/tilt.h"

#include <algorithm>

namespace qora {
namespace {

// Classic aim's deflection goes into the high byte of the 16-bit axis, the low byte 0.
constexpr std::int32_t kDeflectionScale = 256;
// Both signs stop at the same magnitude, so a negated axis stays the exact negation.
constexpr std::int32_t kLargestStickUnits = 32767;

std::int32_t limitedUnits(std::int32_t units) {
    return std::clamp(units, -kLargestStickUnits, kLargestStickUnits);
}

void writeStickAxis(ControllerState& state, std::size_t offset, std::int32_t units) {
    setStickValue(state, offset, static_cast<std::int16_t>(units));
}

// Stick units back on the -127..127 scale, rounded half away from zero; wide, so no
// value can overflow.
std::int32_t tiltScale(std::int32_t units) {
    const std::int64_t wide = units;
    const std::int64_t half = kDeflectionScale / 2;
    return static_cast<std::int32_t>(wide >= 0 ? (wide + half) / kDeflectionScale
                                               : (wide - half) / kDeflectionScale);
}

// The mouse's Y grows towards the user, the stick's upwards, so Y is negated unless the
// profile inverts it.
void writeStick(ControllerState& state, std::size_t xOffset, std::size_t yOffset,
                std::uint8_t invertFlags, MotionPair value) {
    const bool invertX = (invertFlags & profile::kInvertX) != 0;
    const bool invertY = (invertFlags & profile::kInvertY) != 0;
    const std::int32_t x = limitedUnits(value.x);
    const std::int32_t y = limitedUnits(value.y);
    writeStickAxis(state, xOffset, invertX ? -x : x);
    writeStickAxis(state, yOffset, invertY ? y : -y);
}

} // namespace

bool mouseAtRest(const MouseState& mouse) {
    const auto zero = [](std::int32_t value) { return value == 0; };
    return mouse.samples.count < kMinDrainedSamples &&
           std::all_of(mouse.history.x.begin(), mouse.history.x.end(), zero) &&
           std::all_of(mouse.history.y.begin(), mouse.history.y.end(), zero) &&
           mouse.output == MotionPair{0, 0} && mouse.flags[mouse_flag::wheelUp] == 0 &&
           mouse.flags[mouse_flag::wheelDown] == 0 &&
           mouse.smoothingDepth == clampSmoothingDepth(mouse.smoothingDepth);
}

void writeMouseDeflection(ControllerState& state, const ProfileRecord& profile, MotionPair units) {
    const std::uint8_t invertFlags = profile.bytes[profile::invertFlags];
    switch (profile.bytes[profile::direction]) {
    case profile::kDirectionRightStick:
        writeStick(state, state::rightStickX, state::rightStickY, invertFlags, units);
        break;
    case profile::kDirectionTilt:
        tiltFromMouse(state, tiltScale(units.x), tiltScale(units.y), invertFlags);
        break;
    default: // "Left Stick", and any unknown Direction
        writeStick(state, state::leftStickX, state::leftStickY, invertFlags, units);
        break;
    }
}

void applyMouseFlagActions(const MouseState& mouse, ControllerState& state, ConsoleMode mode,
                           const ProfileRecord& profile, std::uint32_t leaveOut) {
    for (std::size_t i = 0; i < kMouseFlagCount; ++i) {
        if (mouse.flags[i] == 0) {
            continue;
        }
        // An unbound input gives NoAction, which still runs the tilt-combining step.
        const ActionCode code = mouseBindingAction(mouseBinding(profile, i));
        if (code != action::noAction && (leaveOut >> static_cast<unsigned>(code) & 1u) != 0) {
            continue;
        }
        applyAction(state, mode, code);
    }
}

void processMouse(MouseState& mouse, ControllerState& state, ConsoleMode mode,
                  const ProfileRecord& profile, const MouseRecord* records, std::uint32_t count,
                  UserApi& debugOutput, std::uint32_t leaveOut) {
    runRecordPass(mouse, records, count, debugOutput);
    const MotionPair drained = drainMotionSamples(mouse.samples);
    const MotionPair gained{stepGain(drained.x, readZoomScale(profile, profile::xZoomScale)),
                            stepGain(drained.y, readZoomScale(profile, profile::yZoomScale))};
    const MotionPair damped = dampDiagonal(drained, gained);
    const MotionPair smoothed = smoothMotion(mouse.history, mouse.smoothingDepth, damped);
    mouse.output = MotionPair{smoothed.x * kDeflectionScale, smoothed.y * kDeflectionScale};
    writeMouseDeflection(state, profile, mouse.output);
    applyMouseFlagActions(mouse, state, mode, profile, leaveOut);
}

} // namespace qora
