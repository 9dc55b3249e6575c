#pragma once
#include "platform/user_api.h"

namespace qora {

class Win32UserApi final : public UserApi {
public:
    std::int32_t messageBox(WindowHandle owner, const char* text, const char* caption,
                            std::uint32_t type) override;
    bool setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) override;
    bool killTimer(WindowHandle window, std::uintptr_t id) override;
    bool invalidateRect(WindowHandle window, bool erase) override;
    void outputDebugString(const char* text) override;
};

} // namespace qora
