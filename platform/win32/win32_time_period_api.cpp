#include "platform/win32/win32_time_period_api.h"

#include <windows.h>

#include <mmsystem.h>

namespace qora {

std::uint32_t Win32TimePeriodApi::timeBeginPeriod(std::uint32_t periodMs) {
    return ::timeBeginPeriod(periodMs);
}

std::uint32_t Win32TimePeriodApi::timeEndPeriod(std::uint32_t periodMs) {
    return ::timeEndPeriod(periodMs);
}

} // namespace qora
