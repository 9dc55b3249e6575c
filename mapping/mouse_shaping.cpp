#include "mapping/mouse_shaping.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace qora {
namespace {

// Deflection steps by |value|; everything from 6 up shares the last step.
constexpr std::array<double, 7> kDeflectionSteps{0.0, 16.0, 24.0, 32.0, 40.0, 48.0, 64.0};

constexpr std::int32_t kDampNumerator = 4;
constexpr std::int32_t kDampDenominator = 5;

std::int32_t smoothAxis(std::array<std::int32_t, kSmoothingHistorySize>& entries, std::size_t depth,
                        std::int32_t value) {
    std::int64_t sum = 0;
    for (std::size_t i = 1; i < depth; ++i) {
        entries[i - 1] = entries[i];
        sum += entries[i - 1];
    }
    entries[depth - 1] = value;
    sum += value;
    // The mean of int32 values fits int32 again; division cuts toward zero.
    return static_cast<std::int32_t>(sum / static_cast<std::int64_t>(depth));
}

} // namespace

std::int32_t stepGain(std::int32_t value, float zoom) {
    if (value == 0 || std::isnan(zoom)) {
        return 0;
    }
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(value));
    const std::size_t step = magnitude < static_cast<std::int64_t>(kDeflectionSteps.size())
                                 ? static_cast<std::size_t>(magnitude)
                                 : kDeflectionSteps.size() - 1;
    // The product of a float and a small integer is exact in double.
    double gain = std::trunc(static_cast<double>(zoom) * kDeflectionSteps[step]);
    if (gain > kMaxDeflection) {
        gain = kMaxDeflection;
    } else if (gain < -kMaxDeflection) {
        gain = -kMaxDeflection; // only a damaged profile holds a negative zoom
    }
    const auto deflection = static_cast<std::int32_t>(gain);
    return value < 0 ? -deflection : deflection;
}

MotionPair dampDiagonal(MotionPair drained, MotionPair deflection) {
    if (std::llabs(static_cast<std::int64_t>(drained.x)) !=
        std::llabs(static_cast<std::int64_t>(drained.y))) {
        return deflection;
    }
    return {kDampNumerator * deflection.x / kDampDenominator,
            kDampNumerator * deflection.y / kDampDenominator};
}

std::uint8_t clampSmoothingDepth(std::uint8_t depth) {
    if (depth < kMinSmoothingDepth) {
        return kMinSmoothingDepth;
    }
    if (depth > kMaxSmoothingDepth) {
        return kMaxSmoothingDepth;
    }
    return depth;
}

std::uint8_t smoothingDepthFromSetting(std::int32_t packetBufferLength) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(packetBufferLength) & 0xFFu);
}

MotionPair smoothMotion(SmoothingHistory& history, std::uint8_t& depth, MotionPair value) {
    depth = clampSmoothingDepth(depth);
    return {smoothAxis(history.x, depth, value.x), smoothAxis(history.y, depth, value.y)};
}

} // namespace qora
