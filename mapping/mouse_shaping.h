#pragma once
// Turning the drained motion into stick deflection: step gain with the zoom scale,
// diagonal damping, and the moving average over the last ticks.

#include "mapping/mouse_state.h"

#include <cstdint>

namespace qora {

inline constexpr std::int32_t kMaxDeflection = 127;

// The deflection step for |value| (0 gives none, 6 and above the top step) times zoom,
// cut toward zero and limited to +/-127, with the sign of value. The zoom is used exactly
// as stored, so a stored 0.7f with |value| 4 gives 27. NaN zooms give 0.
std::int32_t stepGain(std::int32_t value, float zoom);

// When the drained values moved equally on both axes, both deflections shrink to 4/5 so
// a diagonal does not outrun a straight motion.
MotionPair dampDiagonal(MotionPair drained, MotionPair deflection);

// 0 acts as 1 and 5-255 as 4.
std::uint8_t clampSmoothingDepth(std::uint8_t depth);

// The stored depth is the low byte of the setting, so 260 acts as 4 and 256 as 0.
std::uint8_t smoothingDepthFromSetting(std::int32_t packetBufferLength);

// Clamps the depth in place, pushes value into the history and returns the average of
// the last depth values, cut toward zero.
MotionPair smoothMotion(SmoothingHistory& history, std::uint8_t& depth, MotionPair value);

} // namespace qora
