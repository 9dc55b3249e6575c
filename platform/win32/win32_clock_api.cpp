#include "platform/win32/win32_clock_api.h"

#include <windows.h>

namespace qora {

std::uint64_t Win32ClockApi::getTickCount64() {
    return GetTickCount64();
}

bool Win32ClockApi::queryPerformanceCounter(std::int64_t* count) {
    LARGE_INTEGER value;
    if (QueryPerformanceCounter(&value) == FALSE) {
        return false;
    }
    *count = value.QuadPart;
    return true;
}

bool Win32ClockApi::queryPerformanceFrequency(std::int64_t* frequency) {
    LARGE_INTEGER value;
    if (QueryPerformanceFrequency(&value) == FALSE) {
        return false;
    }
    *frequency = value.QuadPart;
    return true;
}

} // namespace qora
