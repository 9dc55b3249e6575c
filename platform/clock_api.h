#pragma once
// The system clocks the program reads: GetTickCount64, and QueryPerformanceCounter with
// its frequency for what needs better than the system timer's 10-16 ms.

#include <cstdint>

namespace qora {

struct ClockApi {
    virtual ~ClockApi() = default;

    // Milliseconds since the system started; never wraps.
    virtual std::uint64_t getTickCount64() = 0;
    // The high-resolution counter and its counts per second; false when the call fails.
    virtual bool queryPerformanceCounter(std::int64_t* count) = 0;
    virtual bool queryPerformanceFrequency(std::int64_t* frequency) = 0;
};

} // namespace qora
