#pragma once
// The calibration view: while live calibration of precise aim is on, a panel over the lower
// part of the main window shows the four values, which one the wheel changes, the notice of
// a classic profile and the last save's result, and draws the curve of mouse speed
// (counts/ms) to stick deflection (%) for the current values, with the dead zone marked and
// the mouse's live point on it. It is drawn into the back buffer after the overlay, whose
// stick boxes, values and trigger bar stay visible above it, and leaves the back buffer's
// text mode, text colour and pen as it found them.

#include "formats/aim_values.h"
#include "formats/profile_record.h"
#include "mapping/aim_curve.h"
#include "overlay/gdi_api.h"
#include "overlay/overlay.h"

#include <cstdint>

namespace qora {

// What one paint of the view shows.
struct CalibrationViewInputs {
    AimCurve curve;  // the values as the run aims with them
    AimSettings aim; // the dead zone and exponent as the profile holds them, for the text
    float zoomX;     // the sensitivities as the profile holds them
    float zoomY;
    AimValue picked;        // the value the wheel changes
    double liveSpeed;       // the mouse's speed, counts per millisecond
    double liveDeflection;  // the deflection it gives, 0 .. 1
    const char* notice;     // a line of its own (the classic profile), or nullptr
    const char* saveResult; // the last save's outcome, or nullptr
    // The layer whose value the wheel changes, for the title, or nullptr for the base.
    const char* pickedLayer = nullptr;
};

// The panel, and the plot within it: its left edge is speed 0, its right edge
// calibrationPlotSpeed; its bottom is no deflection, its top full deflection.
inline constexpr GdiRect kCalibrationPanel{4, 118, 410, 296};
inline constexpr GdiRect kCalibrationPlot{200, 128, 400, 236};

// The speed axis runs a quarter past the speed at which the less sensitive axis reaches full
// deflection (sensitivities taken within 0.5 .. 5.0), so the bend always shows.
inline constexpr double kSpeedAxisReach = 1.25;
double calibrationPlotSpeed(const AimCurve& curve);

// Points on each curve from speed 0 to its bend; the flat stretch after it takes one more.
inline constexpr std::int32_t kCurveSamples = 40;

void drawCalibrationView(GdiApi& gdi, const DrawingResources& resources,
                         const CalibrationViewInputs& inputs);

} // namespace qora
