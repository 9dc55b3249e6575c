#pragma once
// timeBeginPeriod and timeEndPeriod (winmm): the resolution of the system timer, which
// decides how closely a timed wait keeps its timeout (15.6 ms by default on Windows).

#include <cstdint>

namespace qora {

inline constexpr std::uint32_t kTimerNoError = 0; // TIMERR_NOERROR

struct TimePeriodApi {
    virtual ~TimePeriodApi() = default;

    // TIMERR_NOERROR, or TIMERR_NOCANDO when the period is out of range.
    virtual std::uint32_t timeBeginPeriod(std::uint32_t periodMs) = 0;
    virtual std::uint32_t timeEndPeriod(std::uint32_t periodMs) = 0;
};

} // namespace qora
