#pragma once
// Motion samples: the rounding of single-precision averages, axis snapping on the way
// into the sample list, and the drain that averages the pending samples once per tick.

#include "mapping/mouse_state.h"

#include <cstdint>

namespace qora {

// Samples whose minor axis is this many times smaller, or this much smaller, lose it.
inline constexpr std::int64_t kSnapRatioLimit = 5;
inline constexpr std::int64_t kSnapDifferenceLimit = 15;

// v >= 0 gives trunc(v + 0.5), v < 0 gives trunc(v - 0.5). Results of magnitude 2^31 and
// beyond saturate at +/-(2^31 - 1), alike for both signs, and NaN gives 0, so no float
// reaches an undefined conversion.
std::int32_t roundHalfAway(float v);

// sum / divisor as a single-precision quotient, rounded half away from zero; divisor > 0.
std::int32_t roundedAverage(std::int64_t sum, std::uint32_t divisor);

// Drops the minor axis of a nearly straight motion, then appends the sample; at the
// limit the sample lands in the last slot uncounted.
void pushMotionSample(MotionSampleList& list, std::int32_t x, std::int32_t y,
                      std::uint32_t timeStamp);

// The drain takes the pending samples only once this many wait.
inline constexpr std::uint32_t kMinDrainedSamples = 2;

// With two or more pending samples: their rounded average, and the list empties. With
// fewer: (0, 0), and a lone sample waits for the next one.
MotionPair drainMotionSamples(MotionSampleList& list);

} // namespace qora
