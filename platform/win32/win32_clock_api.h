#pragma once
#include "platform/clock_api.h"

namespace qora {

class Win32ClockApi final : public ClockApi {
public:
    std::uint64_t getTickCount64() override;
    bool queryPerformanceCounter(std::int64_t* count) override;
    bool queryPerformanceFrequency(std::int64_t* frequency) override;
};

} // namespace qora
