#pragma once
// The drawing steps the overlay is made of, each on the back buffer of the resources.

#include "overlay/gdi_api.h"
#include "overlay/icon_positions.h"
#include "overlay/overlay.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qora {

// The mask and icon bitmaps are 16 x 16.
inline constexpr std::int32_t kDotSize = 16;

// Room for "%8d:%8d" of two signed 16-bit values (17 characters) and the terminator.
inline constexpr std::size_t kStickTextCapacity = 18;

// The mask with SRCAND punches a black disc into the picture, the icon with SRCPAINT
// paints it red; the cell's corners keep the picture.
void drawDot(GdiApi& gdi, const DrawingResources& resources, IconPosition place);

// TextOutA with the exact length of text.
void drawText(GdiApi& gdi, DcHandle dc, std::int32_t x, std::int32_t y, const char* text);

// The D-pad slot of the first rule that holds (the diagonals first, then up, down, left,
// right), or none when no direction bit is set.
std::optional<std::size_t> dpadSlot(std::uint8_t buttons1);

// How far the crosshair moves for a stick's high byte: v x 38 x (the float nearest
// 1/127), truncated toward zero. That float lies just below 1/127, so +-127 reach only
// +-37 while -128 reaches -38.
std::int32_t crosshairOffset(std::int8_t highByte);

// The crosshair of a stick box whose top-left corner is boxCorner. Selects the black pen
// into the back buffer and leaves it there.
void drawCrosshair(GdiApi& gdi, const DrawingResources& resources, std::int8_t highX,
                   std::int8_t highY, GdiPoint boxCorner);

// (LT - RT) x 50 / 255, truncated toward zero: positive when the left trigger is pressed
// harder.
std::int32_t triggerBarExtent(std::uint8_t leftTrigger, std::uint8_t rightTrigger);

// The Xbox 360 trigger bar: frame, red bar from the centre toward the harder pressed
// trigger, the labels "LT" and "RT" in black (the colour stays black afterwards) and the
// centre line.
void drawTriggerBar(GdiApi& gdi, const DrawingResources& resources, std::uint8_t leftTrigger,
                    std::uint8_t rightTrigger);

// "%8d:%8d" of the two values; returns the length of the text (17).
std::int32_t formatStickValues(char (&text)[kStickTextCapacity], std::int16_t x, std::int16_t y);

} // namespace qora
