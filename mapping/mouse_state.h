#pragma once
// The mouse processor's state that lives from tick to tick: the nine mouse flags, the
// pending motion samples, the smoothing history and the smoothing depth of classic aim,
// and the velocity estimator of precise aim. One instance is owned by the application
// layer and passed in; zero-initialised it is the state at program start.

#include "mapping/aim_velocity.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

// One motion group's average motion per event, after axis snapping.
struct MotionSample {
    std::int32_t x;
    std::int32_t y;
    std::uint32_t timeStamp; // the group's dwTimeStamp; kept with the sample, read by no step

    friend bool operator==(const MotionSample&, const MotionSample&) = default;
};

static_assert(sizeof(MotionSample) == 12, "a sample is 12 bytes");

inline constexpr std::size_t kMotionSampleSlots = 256;
// Samples beyond this many are written into the last slot uncounted, and so are lost.
inline constexpr std::uint32_t kMotionSampleLimit = 255;

struct MotionSampleList {
    std::array<MotionSample, kMotionSampleSlots> slots{};
    std::uint32_t count = 0; // slots 0 .. count - 1 are pending, oldest first

    friend bool operator==(const MotionSampleList&, const MotionSampleList&) = default;
};

inline constexpr std::size_t kMouseFlagCount = 9;

// Flags 0-6 follow buttons 0-6 and keep their value across ticks; the wheel flags last
// one tick. Flag i triggers mouse binding i of the profile.
namespace mouse_flag {
inline constexpr std::size_t firstButton = 0;
inline constexpr std::size_t lastButton = 6;
inline constexpr std::size_t wheelUp = 7;
inline constexpr std::size_t wheelDown = 8;
} // namespace mouse_flag

inline constexpr std::size_t kSmoothingHistorySize = 4;
inline constexpr std::uint8_t kMinSmoothingDepth = 1;
inline constexpr std::uint8_t kMaxSmoothingDepth = 4;

// Per-tick deflections, oldest first; only the first `depth` entries take part.
struct SmoothingHistory {
    std::array<std::int32_t, kSmoothingHistorySize> x{};
    std::array<std::int32_t, kSmoothingHistorySize> y{};

    friend bool operator==(const SmoothingHistory&, const SmoothingHistory&) = default;
};

// A pair of per-axis values on their way from the samples to the stick.
struct MotionPair {
    std::int32_t x;
    std::int32_t y;

    friend bool operator==(const MotionPair&, const MotionPair&) = default;
};

struct MouseState {
    std::array<std::uint8_t, kMouseFlagCount> flags{};
    MotionSampleList samples;
    SmoothingHistory history;
    // Low byte of SETTING/PACKETBUFFERLENGTH; clamped to 1-4 in place at every tick.
    std::uint8_t smoothingDepth = 0;
    // What the last call wrote to the stick or the tilt (before inversion), in 16-bit
    // stick units: classic aim writes its -127..127 deflection times 256. It stands until
    // the next call, so a state rebuilt in between shows it too.
    MotionPair output{};
    // Precise aim only: the velocity estimator, and the velocity behind output, which is
    // what the stick shows (the estimator may hold a value the stick no longer does).
    AimVelocityEstimator aim;
    AimVelocity outputVelocity;

    friend bool operator==(const MouseState&, const MouseState&) = default;
};

} // namespace qora
