#include "mapping/aim_curve.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace qora {
namespace {

// The stored dead zone is in hundredths of a percent; an exponent step is 1/20.
constexpr double kDeadZoneHundredthsPerUnit = 10000.0;
constexpr double kExponentStepsPerUnit = 20.0;
static_assert(profile::kExponentStep == 1.0f / 20.0f);

constexpr double kXbox360FullUnits = 32767.0;
constexpr double kPs3FullHighByte = 127.0;
constexpr std::int32_t kHighByteUnits = 256;

// NaN and negative zoom scales act as 0; an infinite one as the largest float, so a
// product with a velocity stays finite.
double sensitivityOf(float zoom) {
    if (std::isnan(zoom) || zoom < 0.0f) {
        return 0.0;
    }
    return std::min(static_cast<double>(zoom), static_cast<double>(FLT_MAX));
}

double scaledVelocity(double sensitivity, double velocity) {
    return sensitivity * velocity / kFullDeflectionSpeed;
}

// D + (1 - D) * min(1, magnitude)^E for a magnitude above 0.
double shapedMagnitude(double magnitude, const AimCurve& curve) {
    return curve.deadZone +
           (1.0 - curve.deadZone) * std::pow(std::min(1.0, magnitude), curve.exponent);
}

double squareAxis(double u, const AimCurve& curve) {
    if (u == 0.0 || std::isnan(u)) {
        return 0.0;
    }
    const double magnitude = shapedMagnitude(std::abs(u), curve);
    return u < 0.0 ? -magnitude : magnitude;
}

StickDeflection circle(double ux, double uy, const AimCurve& curve) {
    const double m = std::hypot(ux, uy);
    if (m == 0.0 || std::isnan(m)) {
        return {};
    }
    const double radius = shapedMagnitude(m, curve);
    return {ux / m * radius, uy / m * radius};
}

std::int32_t roundedUnits(double deflection, double fullScale) {
    if (std::isnan(deflection)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::lround(std::clamp(deflection, -1.0, 1.0) * fullScale));
}

} // namespace

AimCurve aimCurveOf(const ProfileRecord& profile) {
    const AimSettings aim = readAimSettings(profile);
    AimCurve curve;
    curve.sensitivityX = sensitivityOf(readZoomScale(profile, profile::xZoomScale));
    curve.sensitivityY = sensitivityOf(readZoomScale(profile, profile::yZoomScale));
    curve.deadZone = std::min(aim.deadZoneHundredths / kDeadZoneHundredthsPerUnit, kMaxDeadZone);
    curve.exponent =
        std::clamp(1.0 + aim.exponentSteps / kExponentStepsPerUnit, kMinExponent, kMaxExponent);
    curve.shape = aim.shape;
    return curve;
}

StickDeflection deflectionFor(AimVelocity velocity, const AimCurve& curve) {
    const double ux = scaledVelocity(curve.sensitivityX, velocity.x);
    const double uy = scaledVelocity(curve.sensitivityY, velocity.y);
    if (curve.shape == AimShape::square) {
        return {squareAxis(ux, curve), squareAxis(uy, curve)};
    }
    return circle(ux, uy, curve);
}

MotionPair stickUnitsFor(StickDeflection deflection, ConsoleMode mode) {
    if (mode == kConsolePs3) {
        return {roundedUnits(deflection.x, kPs3FullHighByte) * kHighByteUnits,
                roundedUnits(deflection.y, kPs3FullHighByte) * kHighByteUnits};
    }
    return {roundedUnits(deflection.x, kXbox360FullUnits),
            roundedUnits(deflection.y, kXbox360FullUnits)};
}

} // namespace qora
