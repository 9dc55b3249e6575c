#include "app/win32/win32_event_api.h"

#include "platform/win32/win32_handles.h"

namespace qora {

static_assert(kNoEvent == 0, "CreateEventA returns NULL on failure");

NativeHandle Win32EventApi::createEvent(bool manualReset, bool initiallySet, const char* name) {
    return fromWin32Handle(
        CreateEventA(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, name));
}

bool Win32EventApi::closeHandle(NativeHandle handle) {
    return CloseHandle(toWin32Handle(handle)) != FALSE;
}

} // namespace qora
