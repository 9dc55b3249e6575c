#pragma once
// The few USER32 and KERNEL32 calls shared by several subsystems: message boxes, window
// timers, invalidation and the debugger output.

#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// MessageBoxA types and results.
inline constexpr std::uint32_t kMbOk = 0x00000000u;
inline constexpr std::uint32_t kMbYesNo = 0x00000004u;
inline constexpr std::uint32_t kMbIconError = 0x00000010u;
inline constexpr std::uint32_t kMbIconWarning = 0x00000030u;
inline constexpr std::int32_t kIdOk = 1;
inline constexpr std::int32_t kIdYes = 6;
inline constexpr std::int32_t kIdNo = 7;

struct UserApi {
    virtual ~UserApi() = default;

    virtual std::int32_t messageBox(WindowHandle owner, const char* text, const char* caption,
                                    std::uint32_t type) = 0;
    virtual bool setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) = 0;
    virtual bool killTimer(WindowHandle window, std::uintptr_t id) = 0;
    // InvalidateRect over the whole client area.
    virtual bool invalidateRect(WindowHandle window, bool erase) = 0;
    virtual void outputDebugString(const char* text) = 0;
};

} // namespace qora
