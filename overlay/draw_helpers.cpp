#include "overlay/draw_helpers.h"

#include "mapping/controller_state.h"

#include <cstdio>
#include <cstring>

namespace qora {
namespace {

struct DpadRule {
    std::uint8_t bits; // all of them must be set
    std::size_t slot;
};

// Diagonals before single directions; among opposite directions up and left win.
constexpr DpadRule kDpadRules[] = {
    {buttons1::dpadUp | buttons1::dpadLeft, icon::dpadUpLeft},
    {buttons1::dpadUp | buttons1::dpadRight, icon::dpadUpRight},
    {buttons1::dpadDown | buttons1::dpadRight, icon::dpadDownRight},
    {buttons1::dpadDown | buttons1::dpadLeft, icon::dpadDownLeft},
    {buttons1::dpadUp, icon::dpadUp},
    {buttons1::dpadDown, icon::dpadDown},
    {buttons1::dpadLeft, icon::dpadLeft},
    {buttons1::dpadRight, icon::dpadRight},
};

// Half the 80-pixel stick box; the cross may move 2 pixels less so it stays inside.
constexpr std::int32_t kStickBoxHalf = 40;
constexpr std::int32_t kCrosshairReach = 38;
constexpr std::int32_t kCrosshairArm = 3;
// 1/127 in single precision; its rounding is what keeps full deflection one pixel short.
constexpr float kStickScale = 1.0f / 127.0f;
static_assert(static_cast<double>(kStickScale) < 1.0 / 127.0,
              "the float nearest 1/127 lies below it, which keeps +-127 at +-37");

constexpr std::int32_t kTriggerRange = 255;
constexpr std::int32_t kTriggerBarReach = 50;
constexpr GdiRect kTriggerFrame{154, 19, 256, 41};
constexpr std::int32_t kTriggerCentreX = 205;
constexpr std::int32_t kTriggerBarTop = 20;
constexpr std::int32_t kTriggerBarBottom = 40;
constexpr GdiPoint kLeftTriggerLabel{125, 20};
constexpr GdiPoint kRightTriggerLabel{265, 20};

} // namespace

void drawDot(GdiApi& gdi, const DrawingResources& resources, IconPosition place) {
    gdi.bitBlt(resources.backBuffer, place.x, place.y, kDotSize, kDotSize, resources.mask, 0, 0,
               kSrcAnd);
    gdi.bitBlt(resources.backBuffer, place.x, place.y, kDotSize, kDotSize, resources.icon, 0, 0,
               kSrcPaint);
}

void drawText(GdiApi& gdi, DcHandle dc, std::int32_t x, std::int32_t y, const char* text) {
    gdi.textOut(dc, x, y, text, static_cast<std::int32_t>(std::strlen(text)));
}

std::optional<std::size_t> dpadSlot(std::uint8_t buttons1) {
    for (const DpadRule& rule : kDpadRules) {
        if ((buttons1 & rule.bits) == rule.bits) {
            return rule.slot;
        }
    }
    return std::nullopt;
}

std::int32_t crosshairOffset(std::int8_t highByte) {
    // Exact in double: a 13-bit integer times a 24-bit mantissa.
    const double offset =
        static_cast<double>(highByte * kCrosshairReach) * static_cast<double>(kStickScale);
    return static_cast<std::int32_t>(offset);
}

void drawCrosshair(GdiApi& gdi, const DrawingResources& resources, std::int8_t highX,
                   std::int8_t highY, GdiPoint boxCorner) {
    // Screen y grows downward, stick y upward.
    const std::int32_t cx = boxCorner.x + kStickBoxHalf + crosshairOffset(highX);
    const std::int32_t cy = boxCorner.y + kStickBoxHalf - crosshairOffset(highY);
    const DcHandle dc = resources.backBuffer;
    gdi.selectObject(dc, resources.blackPen);
    gdi.moveToEx(dc, cx - kCrosshairArm, cy, nullptr);
    gdi.lineTo(dc, cx + kCrosshairArm, cy);
    gdi.moveToEx(dc, cx, cy - kCrosshairArm, nullptr);
    gdi.lineTo(dc, cx, cy + kCrosshairArm);
}

std::int32_t triggerBarExtent(std::uint8_t leftTrigger, std::uint8_t rightTrigger) {
    const std::int32_t difference =
        static_cast<std::int32_t>(leftTrigger) - static_cast<std::int32_t>(rightTrigger);
    return difference * kTriggerBarReach / kTriggerRange;
}

void drawTriggerBar(GdiApi& gdi, const DrawingResources& resources, std::uint8_t leftTrigger,
                    std::uint8_t rightTrigger) {
    const DcHandle dc = resources.backBuffer;
    const std::int32_t extent = triggerBarExtent(leftTrigger, rightTrigger);
    gdi.rectangle(dc, kTriggerFrame.left, kTriggerFrame.top, kTriggerFrame.right,
                  kTriggerFrame.bottom);
    // The rectangle is left unordered on purpose: right lies left of the centre when the
    // left trigger wins, so the bar grows toward "LT". Equal triggers fill nothing.
    if (extent != 0) {
        const GdiRect bar{kTriggerCentreX, kTriggerBarTop, kTriggerCentreX - extent,
                          kTriggerBarBottom};
        gdi.fillRect(dc, bar, resources.redBrush);
    }
    gdi.setTextColor(dc, kColorBlack);
    drawText(gdi, dc, kLeftTriggerLabel.x, kLeftTriggerLabel.y, "LT");
    drawText(gdi, dc, kRightTriggerLabel.x, kRightTriggerLabel.y, "RT");
    gdi.moveToEx(dc, kTriggerCentreX, kTriggerBarTop, nullptr);
    gdi.lineTo(dc, kTriggerCentreX, kTriggerBarBottom);
}

std::int32_t formatStickValues(char (&text)[kStickTextCapacity], std::int16_t x, std::int16_t y) {
    const int length =
        std::snprintf(text, sizeof text, "%8d:%8d", static_cast<int>(x), static_cast<int>(y));
    if (length < 0) {
        text[0] = '\0';
        return 0;
    }
    return static_cast<std::int32_t>(std::strlen(text));
}

} // namespace qora
