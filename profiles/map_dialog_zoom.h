#pragma once
// The zoom scale scroll bars of the Map dialog: position p stands for the scale p / 10 (on
// the sensitivity grid of formats/aim_values.h, where live calibration moves it too), and
// the bars run from 5 to 50, that is 0.5 to 5.0 in steps of 0.1.

#include "profiles/dialog_api.h"

#include <array>
#include <cstdint>

namespace qora {

inline constexpr std::int32_t kZoomMinPosition = 5;
inline constexpr std::int32_t kZoomMaxPosition = 50;
inline constexpr std::uint32_t kZoomPage = 0;
inline constexpr std::int32_t kZoomLineStep = 1;
inline constexpr std::int32_t kZoomPageStep = 10;

// The scale times 10, rounded to the nearest whole number. The bar puts a value outside its
// range to the nearer end; a scale too large for any position gives a value far outside,
// and one that is not a number gives the minimum.
std::int32_t zoomPositionOf(float scale);

// p / 10 as the profile stores it: zoomScaleOf(10 p).
float zoomScaleAt(std::int32_t position);

// The position a WM_HSCROLL request asks for, from the bar's current state (position and
// track position). Unknown requests, SB_ENDSCROLL among them, keep the position.
std::int32_t scrolledPosition(const ScrollInfo& bar, std::uint32_t request);

// The scale as its label shows it: "%01.1f" ("1.0", "0.5"). Room for any float.
using ZoomLabel = std::array<char, 64>;
ZoomLabel formatZoomScale(float scale);

} // namespace qora
