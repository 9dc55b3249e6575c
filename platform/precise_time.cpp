#include "platform/precise_time.h"

namespace qora {

std::int64_t microsecondsNow(ClockApi& clock) {
    std::int64_t count = 0;
    std::int64_t frequency = 0;
    if (!clock.queryPerformanceCounter(&count) || !clock.queryPerformanceFrequency(&frequency) ||
        frequency <= 0) {
        return static_cast<std::int64_t>(clock.getTickCount64()) * kMicrosecondsPerMillisecond;
    }
    // Whole seconds and the rest apart, so count * 10^6 never overflows.
    return count / frequency * kMicrosecondsPerSecond +
           count % frequency * kMicrosecondsPerSecond / frequency;
}

} // namespace qora
