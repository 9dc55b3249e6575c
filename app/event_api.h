#pragma once
// The kernel event calls of the fast path: CreateEventA and CloseHandle.

#include "platform/platform_types.h"

namespace qora {

// CreateEventA gives NULL, not INVALID_HANDLE_VALUE, when it fails.
inline constexpr NativeHandle kNoEvent = 0;

struct EventApi {
    virtual ~EventApi() = default;

    // CreateEventA without security attributes; name may be nullptr. kNoEvent on failure.
    virtual NativeHandle createEvent(bool manualReset, bool initiallySet, const char* name) = 0;
    virtual bool closeHandle(NativeHandle handle) = 0;
};

} // namespace qora
