#pragma once
// Time in microseconds from the high-resolution counter: what the capture run's scheduler
// and the mouse's velocity are measured in.

#include "platform/clock_api.h"

#include <cstdint>
#include <limits>

namespace qora {

// A moment that never comes: the deadline of something not scheduled.
inline constexpr std::int64_t kNeverUs = std::numeric_limits<std::int64_t>::max();

inline constexpr std::int64_t kMicrosecondsPerMillisecond = 1000;
inline constexpr std::int64_t kMicrosecondsPerSecond = 1000 * kMicrosecondsPerMillisecond;

// The counter in microseconds, without overflow for any uptime; GetTickCount64 in
// microseconds should the counter fail (it does not on any supported Windows).
std::int64_t microsecondsNow(ClockApi& clock);

} // namespace qora
