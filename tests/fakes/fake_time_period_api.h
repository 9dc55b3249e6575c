#pragma once
// A recording TimePeriodApi: each call is an entry in the shared call log.

#include "platform/time_period_api.h"

#include <string>
#include <vector>

namespace qora::testing {

class FakeTimePeriodApi : public TimePeriodApi {
public:
    explicit FakeTimePeriodApi(std::vector<std::string>& log) : calls(log) {}

    std::uint32_t timeBeginPeriod(std::uint32_t periodMs) override {
        calls.push_back("timeBeginPeriod " + std::to_string(periodMs));
        return result;
    }
    std::uint32_t timeEndPeriod(std::uint32_t periodMs) override {
        calls.push_back("timeEndPeriod " + std::to_string(periodMs));
        return kTimerNoError;
    }

    std::vector<std::string>& calls;
    std::uint32_t result = kTimerNoError;
};

} // namespace qora::testing
