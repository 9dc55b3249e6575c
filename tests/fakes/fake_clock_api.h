#pragma once
// A clock that stands still until a test moves it. Both clocks read the same moment:
// GetTickCount64 in milliseconds, the performance counter at 10 MHz.

#include "platform/clock_api.h"

namespace qora::testing {

class FakeClockApi : public ClockApi {
public:
    static constexpr std::int64_t kFrequency = 10'000'000;

    std::uint64_t getTickCount64() override { return now; }
    bool queryPerformanceCounter(std::int64_t* count) override {
        *count = static_cast<std::int64_t>(now) * (kFrequency / 1000) + microsecondsPastNow * 10;
        return true;
    }
    bool queryPerformanceFrequency(std::int64_t* frequency) override {
        *frequency = kFrequency;
        return true;
    }

    // Moves both clocks on by us microseconds.
    void advanceMicroseconds(std::int64_t us) {
        const std::int64_t total = microsecondsPastNow + us;
        now += static_cast<std::uint64_t>(total / 1000);
        microsecondsPastNow = total % 1000;
    }

    std::uint64_t now = 5'000'000; // ms
    std::int64_t microsecondsPastNow = 0;
};

} // namespace qora::testing
