#include "platform/win32/win32_user_api.h"

#include "platform/win32/win32_handles.h"

namespace qora {

static_assert(kMbOk == MB_OK && kMbYesNo == MB_YESNO && kMbIconError == MB_ICONERROR &&
              kMbIconWarning == MB_ICONWARNING);
static_assert(kIdOk == IDOK && kIdYes == IDYES && kIdNo == IDNO);

std::int32_t Win32UserApi::messageBox(WindowHandle owner, const char* text, const char* caption,
                                      std::uint32_t type) {
    return MessageBoxA(toHwnd(owner), text, caption, type);
}

bool Win32UserApi::setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) {
    return SetTimer(toHwnd(window), id, periodMs, nullptr) != 0;
}

bool Win32UserApi::killTimer(WindowHandle window, std::uintptr_t id) {
    return KillTimer(toHwnd(window), id) != FALSE;
}

bool Win32UserApi::invalidateRect(WindowHandle window, bool erase) {
    return InvalidateRect(toHwnd(window), nullptr, erase ? TRUE : FALSE) != FALSE;
}

void Win32UserApi::outputDebugString(const char* text) {
    OutputDebugStringA(text);
}

} // namespace qora
