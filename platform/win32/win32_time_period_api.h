#pragma once
#include "platform/time_period_api.h"

namespace qora {

class Win32TimePeriodApi final : public TimePeriodApi {
public:
    std::uint32_t timeBeginPeriod(std::uint32_t periodMs) override;
    std::uint32_t timeEndPeriod(std::uint32_t periodMs) override;
};

} // namespace qora
