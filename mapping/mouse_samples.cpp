#include "mapping/mouse_samples.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace qora {
namespace {

constexpr std::int32_t kLargestMagnitude = std::numeric_limits<std::int32_t>::max();
// The first magnitude that no longer fits: 2^31, which is also the float nearest to the
// largest one.
constexpr double kOutOfRange = static_cast<double>(kLargestMagnitude) + 1.0;

// Wide enough that neither INT32_MIN nor INT32_MIN / -1 can overflow.
bool snapsAway(std::int64_t major, std::int64_t minor) {
    if (minor == 0) {
        return false;
    }
    return std::llabs(major / minor) > kSnapRatioLimit ||
           std::llabs(major) - std::llabs(minor) > kSnapDifferenceLimit;
}

} // namespace

std::int32_t roundHalfAway(float v) {
    if (std::isnan(v)) {
        return 0;
    }
    // v +/- 0.5 is exact in double, so a float just below one half cannot round up.
    const double shifted = v >= 0.0f ? static_cast<double>(v) + 0.5 : static_cast<double>(v) - 0.5;
    // Both signs saturate at the same magnitude, so motion to the left gives exactly the
    // negation of the same motion to the right, even at the limit.
    if (shifted >= kOutOfRange) {
        return kLargestMagnitude;
    }
    if (shifted <= -kOutOfRange) {
        return -kLargestMagnitude;
    }
    return static_cast<std::int32_t>(shifted); // truncates toward zero
}

std::int32_t roundedAverage(std::int64_t sum, std::uint32_t divisor) {
    return roundHalfAway(static_cast<float>(sum) / static_cast<float>(divisor));
}

void pushMotionSample(MotionSampleList& list, std::int32_t x, std::int32_t y,
                      std::uint32_t timeStamp) {
    if (snapsAway(x, y)) {
        y = 0;
    }
    // Sees y as the first test left it, so at most one axis goes.
    if (snapsAway(y, x)) {
        x = 0;
    }
    list.slots[list.count] = MotionSample{x, y, timeStamp};
    if (list.count < kMotionSampleLimit) {
        ++list.count;
    }
}

MotionPair drainMotionSamples(MotionSampleList& list) {
    if (list.count < kMinDrainedSamples) {
        return {0, 0};
    }
    std::int64_t sumX = 0;
    std::int64_t sumY = 0;
    for (std::uint32_t i = 0; i < list.count; ++i) {
        sumX += list.slots[i].x;
        sumY += list.slots[i].y;
    }
    const MotionPair average{roundedAverage(sumX, list.count), roundedAverage(sumY, list.count)};
    list.count = 0;
    return average;
}

} // namespace qora
