#pragma once
// Conversions between the portable handle types and the Win32 ones.

#include "platform/platform_types.h"

#include <windows.h>

namespace qora {

inline HANDLE toWin32Handle(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}
inline NativeHandle fromWin32Handle(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}
inline HWND toHwnd(WindowHandle window) {
    return static_cast<HWND>(window);
}

static_assert(sizeof(NativeHandle) == sizeof(HANDLE));
static_assert(kInvalidHandle == -1, "INVALID_HANDLE_VALUE is (HANDLE)-1");

} // namespace qora
