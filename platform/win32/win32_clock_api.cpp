#include "platform/win32/win32_clock_api.h"

#include <windows.h>

namespace qora {

std::uint64_t Win32ClockApi::getTickCount64() {
    return GetTickCount64();
}

} // namespace qora
