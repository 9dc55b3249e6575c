#include "overlay/calibration_view.h"

#include "overlay_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qora::testing {
namespace {

// The plot spans x 200 .. 400 for the speeds and y 236 .. 128 for 0 .. 100 % deflection.
class CalibrationView : public OverlayFixture {
protected:
    CalibrationViewInputs inputs{AimCurve{1.0, 1.0, 0.2, 1.0, AimShape::circle},
                                 AimSettings{AimMode::precise, AimShape::circle, 2000, 0},
                                 1.0f,
                                 1.0f,
                                 AimValue::sensitivityY,
                                 5.0,
                                 0.6,
                                 nullptr,
                                 nullptr};

    void draw() { drawCalibrationView(gdi, resources, inputs); }

    static bool passesThrough(const GdiCall& polyline, GdiPoint point) {
        return std::any_of(polyline.points.begin(), polyline.points.end(),
                           [&](GdiPoint p) { return p.x == point.x && p.y == point.y; });
    }
};

// Sensitivity 1.0: full deflection at 10 counts/ms, the axis to 12.5. A dead zone of 20 %
// lifts the curve to 22 pixels at the first motion; 5 counts/ms give 60 %.
TEST_F(CalibrationView, TheCurveAndTheLivePointSitWhereTheValuesPutThem) {
    draw();
    const auto polylines = gdi.callsOf(GdiOp::polyline);
    ASSERT_EQ(polylines.size(), 1u) << "equal sensitivities share one curve";
    const GdiCall& curve = polylines[0];
    EXPECT_EQ(curve.state.pen, resources.redPen);
    ASSERT_GE(curve.points.size(), 4u);
    EXPECT_EQ(curve.points[0].y, 236);
    EXPECT_EQ(curve.points[1].x, 200);
    EXPECT_EQ(curve.points[1].y, 214);
    EXPECT_TRUE(passesThrough(curve, {280, 171}));
    EXPECT_TRUE(passesThrough(curve, {360, 128})) << "the bend at full deflection";
    EXPECT_EQ(curve.points.back().x, 400);
    EXPECT_EQ(curve.points.back().y, 128);

    const auto frames = gdi.callsOf(GdiOp::rectangle);
    ASSERT_EQ(frames.size(), 2u); // the panel, then the live point
    EXPECT_EQ(gdi.describe(frames[1]), "Rectangle back 277,168 284,175");
    const auto centres = gdi.callsOf(GdiOp::fillRect);
    ASSERT_EQ(centres.size(), 1u);
    EXPECT_EQ(gdi.describe(centres[0]), "FillRect back 278,169 283,174 red brush");
}

// Sensitivity Y 2.0 bends its own curve at 5 counts/ms; with exponent 2 and no dead zone
// half of either bend's speed gives 25 %.
TEST_F(CalibrationView, ADifferentSensitivityYGetsItsOwnCurveInBlue) {
    inputs.curve = AimCurve{1.0, 2.0, 0.0, 2.0, AimShape::circle};
    draw();
    const auto polylines = gdi.callsOf(GdiOp::polyline);
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_EQ(polylines[0].state.pen, resources.redPen);
    EXPECT_TRUE(passesThrough(polylines[0], {280, 209}));
    EXPECT_TRUE(passesThrough(polylines[0], {360, 128}));
    EXPECT_EQ(polylines[1].state.pen, resources.bluePen);
    EXPECT_TRUE(passesThrough(polylines[1], {240, 209}));
    EXPECT_TRUE(passesThrough(polylines[1], {280, 128}));
}

TEST_F(CalibrationView, ThePickedValueIsRedAndTheBackBufferIsLeftAsItWas) {
    gdi.setTextColor(resources.backBuffer, kColorRed);
    const DcState before = gdi.stateOf(resources.backBuffer);
    draw();
    const auto marker = textsAt(10, 174);
    ASSERT_EQ(marker.size(), 1u);
    EXPECT_EQ(marker[0].text, ">");
    const auto picked = textsAt(20, 174);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].text, "F7 sensitivity Y  1.00");
    EXPECT_EQ(picked[0].state.textColor, kColorRed);
    const auto deadZone = textsAt(20, 142);
    ASSERT_EQ(deadZone.size(), 1u);
    EXPECT_EQ(deadZone[0].text, "F5 dead zone  20.0 %");
    EXPECT_EQ(deadZone[0].state.textColor, kColorBlack);

    const DcState& after = gdi.stateOf(resources.backBuffer);
    EXPECT_EQ(after.backgroundMode, before.backgroundMode);
    EXPECT_EQ(after.textColor, before.textColor);
    EXPECT_EQ(after.pen, before.pen);
}

} // namespace
} // namespace qora::testing
