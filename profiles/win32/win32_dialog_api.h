#pragma once
#include "profiles/dialog_api.h"

namespace qora {

class Win32DialogApi final : public DialogApi {
public:
    bool setDlgItemText(WindowHandle dialog, std::int32_t id, const char* text) override;
    std::uint32_t getDlgItemText(WindowHandle dialog, std::int32_t id, char* buffer,
                                 std::int32_t size) override;
    std::intptr_t sendDlgItemMessage(WindowHandle dialog, std::int32_t id, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool checkDlgButton(WindowHandle dialog, std::int32_t id, std::uint32_t check) override;
    std::uint32_t isDlgButtonChecked(WindowHandle dialog, std::int32_t id) override;
    WindowHandle getDlgItem(WindowHandle dialog, std::int32_t id) override;
    bool getScrollInfo(WindowHandle window, std::int32_t bar, ScrollInfo& info) override;
    std::int32_t setScrollInfo(WindowHandle window, std::int32_t bar, const ScrollInfo& info,
                               bool redraw) override;
    WindowHandle getFocus() override;
    bool isChild(WindowHandle parent, WindowHandle window) override;
    std::int32_t getDlgCtrlID(WindowHandle window) override;
    bool endDialog(WindowHandle dialog, std::intptr_t result) override;
    bool enableWindow(WindowHandle window, bool enable) override;
};

} // namespace qora
