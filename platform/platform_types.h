#pragma once
// Portable stand-ins for the handle and status types of the Win32 API. The Win32
// implementations of the seams convert between these and the real types one to one.

#include "formats/console_mode.h" // ConsoleMode, which many seams' callers pass along

#include <cstdint>

namespace qora {

// A kernel object handle (HANDLE). kInvalidHandle is INVALID_HANDLE_VALUE.
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kInvalidHandle = -1;

// A window (HWND); nullptr is no window.
using WindowHandle = void*;

// A COM status code (HRESULT): negative is failure.
using HResult = std::int32_t;
inline constexpr HResult kSOk = 0;

} // namespace qora
