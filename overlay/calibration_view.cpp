#include "overlay/calibration_view.h"

#include "formats/aim_values.h"
#include "overlay/draw_helpers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace qora {
namespace {

constexpr double kMinSensitivity = 0.5;
constexpr double kMaxSensitivity = 5.0;

// The text column left of the plot, one line every 16 pixels.
constexpr std::int32_t kTextLeft = 10;
constexpr std::int32_t kTitleTop = 122;
constexpr std::int32_t kFirstValueTop = 142;
constexpr std::int32_t kLineHeight = 16;
constexpr std::int32_t kFirstHintTop = 210;
constexpr std::int32_t kNoticeTop = 258;
constexpr std::int32_t kSaveResultTop = 274;

constexpr const char* kTitle = "Calibration (Scroll Lock)";
// While a layer holds the picked value, the title names it: the wheel changes the layer's.
constexpr const char* kLayerTitle = "Calibrating layer ";
constexpr const char* kHints[] = {"Wheel: change it", "F9/F10: test dead zone", "F4: save"};

// The labels around the plot.
constexpr std::int32_t kFullDeflectionLabelLeft = 162;
constexpr std::int32_t kDeadZoneLabelLeft = 176;
constexpr std::int32_t kLabelRise = 8; // a label centred on its line
constexpr std::int32_t kSpeedLabelGap = 2;
constexpr std::int32_t kMaxSpeedLabelWidth = 24;
constexpr std::int32_t kUnitLabelOffset = 70;

// The live point: a black frame with a red centre.
constexpr std::int32_t kPointFrame = 3;
constexpr std::int32_t kPointCentre = 2;

constexpr std::size_t kLineCapacity = 48;
using Line = std::array<char, kLineCapacity>;

// Within the plot's own axes: speed 0 .. maxSpeed left to right, deflection 0 .. 1 upwards.
struct PlotScale {
    double maxSpeed;

    std::int32_t x(double speed) const {
        const double share = std::clamp(speed / maxSpeed, 0.0, 1.0);
        const std::int32_t width = kCalibrationPlot.right - kCalibrationPlot.left;
        return kCalibrationPlot.left + static_cast<std::int32_t>(std::lround(share * width));
    }
    std::int32_t y(double deflection) const {
        const double share = std::isnan(deflection) ? 0.0 : std::clamp(deflection, 0.0, 1.0);
        const std::int32_t height = kCalibrationPlot.bottom - kCalibrationPlot.top;
        return kCalibrationPlot.bottom - static_cast<std::int32_t>(std::lround(share * height));
    }
};

double usableSensitivity(double sensitivity) {
    return std::clamp(sensitivity, kMinSensitivity, kMaxSensitivity);
}

enum class Axis { x, y };

double axisSensitivity(const AimCurve& curve, Axis axis) {
    return axis == Axis::x ? curve.sensitivityX : curve.sensitivityY;
}

// The deflection the program's own rule gives to motion along one axis alone.
double axisDeflection(const AimCurve& curve, Axis axis, double speed) {
    if (axis == Axis::x) {
        return std::abs(deflectionFor(AimVelocity{speed, 0.0}, curve).x);
    }
    return std::abs(deflectionFor(AimVelocity{0.0, speed}, curve).y);
}

// The curve jumps to the dead zone at the first motion, rises to its bend at full
// deflection and stays flat from there.
constexpr std::size_t kCurvePointCapacity = kCurveSamples + 3;
using CurvePoints = std::array<GdiPoint, kCurvePointCapacity>;

std::int32_t curvePoints(const AimCurve& curve, Axis axis, const PlotScale& scale,
                         CurvePoints& points) {
    const double sensitivity = axisSensitivity(curve, axis);
    const double bend = sensitivity > 0.0
                            ? std::min(kFullDeflectionSpeed / sensitivity, scale.maxSpeed)
                            : scale.maxSpeed;
    std::size_t count = 0;
    points[count++] = GdiPoint{scale.x(0.0), scale.y(0.0)};
    points[count++] = GdiPoint{scale.x(0.0), scale.y(curve.deadZone)};
    for (std::int32_t i = 1; i <= kCurveSamples; ++i) {
        const double speed = bend * i / kCurveSamples;
        points[count++] = GdiPoint{scale.x(speed), scale.y(axisDeflection(curve, axis, speed))};
    }
    if (bend < scale.maxSpeed) {
        const double flat = axisDeflection(curve, axis, scale.maxSpeed);
        points[count++] = GdiPoint{scale.x(scale.maxSpeed), scale.y(flat)};
    }
    return static_cast<std::int32_t>(count);
}

Line valueText(const CalibrationViewInputs& inputs, AimValue value) {
    Line line{};
    switch (value) {
    case AimValue::deadZone:
        std::snprintf(line.data(), line.size(), "F5 dead zone  %s",
                      deadZoneLabel(inputs.aim.deadZoneHundredths).data());
        break;
    case AimValue::sensitivityX:
        std::snprintf(line.data(), line.size(), "F6 sensitivity X  %.2f",
                      static_cast<double>(inputs.zoomX));
        break;
    case AimValue::sensitivityY:
        std::snprintf(line.data(), line.size(), "F7 sensitivity Y  %.2f",
                      static_cast<double>(inputs.zoomY));
        break;
    case AimValue::exponent:
        std::snprintf(line.data(), line.size(), "F8 exponent  %s",
                      exponentLabel(inputs.aim.exponentSteps).data());
        break;
    }
    return line;
}

// The picked value in red behind a marker, the others in black.
void drawValues(GdiApi& gdi, const DrawingResources& resources,
                const CalibrationViewInputs& inputs) {
    for (std::size_t i = 0; i < kAimValueCount; ++i) {
        const auto value = static_cast<AimValue>(i);
        const bool picked = value == inputs.picked;
        const Line line = valueText(inputs, value);
        const std::int32_t top = kFirstValueTop + static_cast<std::int32_t>(i) * kLineHeight;
        gdi.setTextColor(resources.backBuffer, picked ? kColorRed : kColorBlack);
        if (picked) {
            drawText(gdi, resources.backBuffer, kTextLeft, top, ">");
        }
        drawText(gdi, resources.backBuffer, kTextLeft + 10, top, line.data());
    }
    gdi.setTextColor(resources.backBuffer, kColorBlack);
}

void drawTexts(GdiApi& gdi, const DrawingResources& resources,
               const CalibrationViewInputs& inputs) {
    if (inputs.pickedLayer != nullptr) {
        Line title{};
        std::snprintf(title.data(), title.size(), "%s%s", kLayerTitle, inputs.pickedLayer);
        drawText(gdi, resources.backBuffer, kTextLeft, kTitleTop, title.data());
    } else {
        drawText(gdi, resources.backBuffer, kTextLeft, kTitleTop, kTitle);
    }
    drawValues(gdi, resources, inputs);
    std::int32_t top = kFirstHintTop;
    for (const char* hint : kHints) {
        drawText(gdi, resources.backBuffer, kTextLeft, top, hint);
        top += kLineHeight;
    }
    if (inputs.notice != nullptr) {
        drawText(gdi, resources.backBuffer, kTextLeft, kNoticeTop, inputs.notice);
    }
    if (inputs.saveResult != nullptr) {
        drawText(gdi, resources.backBuffer, kTextLeft, kSaveResultTop, inputs.saveResult);
    }
}

void drawLine(GdiApi& gdi, DcHandle dc, GdiPoint from, GdiPoint to) {
    gdi.moveToEx(dc, from.x, from.y, nullptr);
    gdi.lineTo(dc, to.x, to.y);
}

// The axes, the dead zone's level across the plot, and their labels.
void drawAxes(GdiApi& gdi, const DrawingResources& resources, const PlotScale& scale,
              double deadZone) {
    const DcHandle dc = resources.backBuffer;
    const GdiRect& plot = kCalibrationPlot;
    gdi.moveToEx(dc, plot.left, plot.top, nullptr);
    gdi.lineTo(dc, plot.left, plot.bottom);
    gdi.lineTo(dc, plot.right, plot.bottom);
    const std::int32_t deadZoneY = scale.y(deadZone);
    drawLine(gdi, dc, {plot.left, deadZoneY}, {plot.right, deadZoneY});

    drawText(gdi, dc, kFullDeflectionLabelLeft, plot.top - kLabelRise, "100%");
    drawText(gdi, dc, kDeadZoneLabelLeft, deadZoneY - kLabelRise, "DZ");
    const std::int32_t labelTop = plot.bottom + kSpeedLabelGap;
    drawText(gdi, dc, plot.left, labelTop, "0");
    drawText(gdi, dc, plot.left + kUnitLabelOffset, labelTop, "counts/ms");
    Line maxSpeed{};
    std::snprintf(maxSpeed.data(), maxSpeed.size(), "%.1f", scale.maxSpeed);
    drawText(gdi, dc, plot.right - kMaxSpeedLabelWidth, labelTop, maxSpeed.data());
}

void drawCurve(GdiApi& gdi, DcHandle dc, const AimCurve& curve, Axis axis, const PlotScale& scale) {
    CurvePoints points;
    const std::int32_t count = curvePoints(curve, axis, scale, points);
    gdi.polyline(dc, points.data(), count);
}

// The X curve in red; the Y curve in blue over it only when it differs.
void drawCurves(GdiApi& gdi, const DrawingResources& resources, const AimCurve& curve,
                const PlotScale& scale) {
    gdi.selectObject(resources.backBuffer, resources.redPen);
    drawCurve(gdi, resources.backBuffer, curve, Axis::x, scale);
    if (curve.sensitivityY != curve.sensitivityX) {
        gdi.selectObject(resources.backBuffer, resources.bluePen);
        drawCurve(gdi, resources.backBuffer, curve, Axis::y, scale);
    }
}

void drawLivePoint(GdiApi& gdi, const DrawingResources& resources, const PlotScale& scale,
                   const CalibrationViewInputs& inputs) {
    const std::int32_t x = scale.x(inputs.liveSpeed);
    const std::int32_t y = scale.y(inputs.liveDeflection);
    gdi.selectObject(resources.backBuffer, resources.blackPen);
    gdi.rectangle(resources.backBuffer, x - kPointFrame, y - kPointFrame, x + kPointFrame + 1,
                  y + kPointFrame + 1);
    gdi.fillRect(
        resources.backBuffer,
        GdiRect{x - kPointCentre, y - kPointCentre, x + kPointCentre + 1, y + kPointCentre + 1},
        resources.redBrush);
}

} // namespace

double calibrationPlotSpeed(const AimCurve& curve) {
    const double slower =
        std::min(usableSensitivity(curve.sensitivityX), usableSensitivity(curve.sensitivityY));
    return kSpeedAxisReach * kFullDeflectionSpeed / slower;
}

void drawCalibrationView(GdiApi& gdi, const DrawingResources& resources,
                         const CalibrationViewInputs& inputs) {
    const DcHandle dc = resources.backBuffer;
    const std::int32_t mode = gdi.setBkMode(dc, kBkTransparent);
    const ColorRef color = gdi.setTextColor(dc, kColorBlack);
    const GdiObjectHandle pen = gdi.selectObject(dc, resources.blackPen);

    // The panel blanks out the picture beneath it with the default white brush.
    gdi.rectangle(dc, kCalibrationPanel.left, kCalibrationPanel.top, kCalibrationPanel.right,
                  kCalibrationPanel.bottom);
    drawTexts(gdi, resources, inputs);
    const PlotScale scale{calibrationPlotSpeed(inputs.curve)};
    drawAxes(gdi, resources, scale, inputs.curve.deadZone);
    drawCurves(gdi, resources, inputs.curve, scale);
    drawLivePoint(gdi, resources, scale, inputs);

    if (pen != nullptr) {
        gdi.selectObject(dc, pen);
    }
    gdi.setTextColor(dc, color);
    gdi.setBkMode(dc, mode);
}

} // namespace qora
