#pragma once
// The curve of precise aim: the mouse velocity to a stick deflection, and the deflection
// to the stick's units on either console.
//
//   u = (ZOOMX * vx, ZOOMY * vy) / 10, so a sensitivity of 1.0 reaches full deflection
//   at 10 counts per millisecond;
//   circle: m = |u|, stick = (u / m) * (D + (1 - D) * min(1, m)^E), 0 when m = 0;
//   square: per axis s = sign(u) * (D + (1 - D) * min(1, |u|)^E), 0 when u = 0;
//
// with D the game's dead zone as a fraction and E the exponent. No axis snapping, no
// diagonal damping, no smoothing: the deflection is a function of the velocity alone.

#include "formats/profile_record.h"
#include "mapping/aim_velocity.h"
#include "mapping/mouse_state.h"
#include "platform/platform_types.h"

namespace qora {

// The velocity, in counts per millisecond, that a sensitivity of 1.0 turns into full
// deflection.
inline constexpr double kFullDeflectionSpeed = 10.0;

inline constexpr double kMaxDeadZone = 0.9;
inline constexpr double kMinExponent = 0.25;
inline constexpr double kMaxExponent = 4.0;

struct AimCurve {
    double sensitivityX = 0.0; // the zoom scales as stored; NaN and negative act as 0
    double sensitivityY = 0.0;
    double deadZone = 0.0; // fraction, 0 .. 0.9
    double exponent = 1.0; // 0.25 .. 4
    AimShape shape = AimShape::circle;
};

// The profile's zoom scales and precise-aim settings, clamped to what the rule takes.
AimCurve aimCurveOf(const ProfileRecord& profile);

// Each axis -1 .. 1, in the mouse's directions (y towards the user).
struct StickDeflection {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const StickDeflection&, const StickDeflection&) = default;
};

StickDeflection deflectionFor(AimVelocity velocity, const AimCurve& curve);

// The deflection in 16-bit stick units, as MouseState::output holds it. The Xbox 360
// takes all 16 bits: round(s * 32767). The PS3 report keeps only the high byte, so there
// the units are whole high bytes, round(s * 127) * 256: its 0-255 value is then the
// nearest one, centred, not the floor. A NaN axis gives 0.
MotionPair stickUnitsFor(StickDeflection deflection, ConsoleMode mode);

} // namespace qora
