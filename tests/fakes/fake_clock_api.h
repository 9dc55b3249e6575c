#pragma once
// A clock that stands still until a test moves it.

#include "platform/clock_api.h"

namespace qora::testing {

class FakeClockApi : public ClockApi {
public:
    std::uint64_t getTickCount64() override { return now; }

    std::uint64_t now = 5'000'000;
};

} // namespace qora::testing
