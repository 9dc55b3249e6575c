#include "mapping/tilt.h"

#include "formats/profile_record.h"

#include <algorithm>
#include <cstdlib>

namespace qora {
namespace {

bool isFullTilt(std::uint16_t value) {
    return value == kTiltFullLow || value == kTiltFullHigh;
}

std::int32_t clampToTiltLimit(std::int32_t value) {
    return std::clamp(value, -kTiltMouseLimit, kTiltMouseLimit);
}

} // namespace

void applyTiltAction(ControllerState& state, ActionCode code) {
    switch (code) {
    case action::tiltUp:
        setMotionValue(state, state::accelY, kTiltFullLow);
        break;
    case action::tiltDown:
        setMotionValue(state, state::accelY, kTiltFullHigh);
        break;
    case action::tiltLeft:
        setMotionValue(state, state::accelX, kTiltFullHigh);
        break;
    case action::tiltRight:
        setMotionValue(state, state::accelX, kTiltFullLow);
        break;
    default:
        return;
    }
    setMotionValue(state, state::accelZ, kTiltAccelZFull);
}

void combineTilt(ControllerState& state) {
    if (motionValue(state, state::accelZ) != kTiltAccelZFull) {
        return;
    }
    const std::uint16_t x = motionValue(state, state::accelX);
    const std::uint16_t y = motionValue(state, state::accelY);
    if (!isFullTilt(y) || !isFullTilt(x)) {
        return;
    }
    setMotionValue(state, state::accelX, x == kTiltFullLow ? kTiltDiagonalLow : kTiltDiagonalHigh);
    setMotionValue(state, state::accelY, y == kTiltFullLow ? kTiltDiagonalLow : kTiltDiagonalHigh);
    setMotionValue(state, state::accelZ, kTiltAccelZDiagonal);
}

void tiltFromMouse(ControllerState& state, std::int32_t x, std::int32_t y,
                   std::uint8_t invertFlags) {
    x = clampToTiltLimit(x);
    y = clampToTiltLimit(y);
    const std::int32_t m = std::max(std::abs(x), std::abs(y));
    const std::int32_t vx = (invertFlags & profile::kInvertX) != 0 ? x : -x;
    const std::int32_t vy = (invertFlags & profile::kInvertY) != 0 ? y : -y;
    setMotionValue(state, state::accelX, static_cast<std::uint16_t>(kAccelLevel + vx));
    setMotionValue(state, state::accelY, static_cast<std::uint16_t>(kAccelLevel + vy));
    setMotionValue(state, state::accelZ, static_cast<std::uint16_t>(kAccelZRest + m));
}

} // namespace qora
