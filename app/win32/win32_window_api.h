#pragma once
#include "app/window_api.h"

#include <functional>

#include <windows.h>

namespace qora {

class Win32WindowApi final : public WindowApi {
public:
    explicit Win32WindowApi(HINSTANCE instance) : instance_(instance) {}

    std::int32_t getSystemMetrics(std::int32_t index) override;
    bool getWindowRect(WindowHandle window, GdiRect& rect) override;
    bool moveWindow(WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, bool repaint) override;
    bool showWindow(WindowHandle window, std::int32_t command) override;
    bool destroyWindow(WindowHandle window) override;
    void postQuitMessage(std::int32_t exitCode) override;
    MenuHandle getMenu(WindowHandle window) override;
    MenuHandle getSubMenu(MenuHandle menu, std::int32_t position) override;
    bool appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                    const char* text) override;
    std::uint32_t getMenuState(MenuHandle menu, std::uint32_t id, std::uint32_t flags) override;
    std::uint32_t checkMenuItem(MenuHandle menu, std::uint32_t id, std::uint32_t flags) override;
    GdiObjectHandle loadBitmap(std::int32_t resourceId) override;
    GdiObjectHandle createSolidBrush(ColorRef color) override;
    GdiObjectHandle createPen(std::int32_t style, std::int32_t width, ColorRef color) override;
    DcHandle getDC(WindowHandle window) override;
    std::int32_t releaseDC(WindowHandle window, DcHandle dc) override;
    DcHandle createCompatibleDC(DcHandle dc) override;
    GdiObjectHandle createCompatibleBitmap(DcHandle dc, std::int32_t width,
                                           std::int32_t height) override;
    bool deleteDC(DcHandle dc) override;
    bool deleteObject(GdiObjectHandle object) override;
    std::intptr_t showAboutDialog(WindowHandle owner, const char* title) override;
    std::intptr_t showSettingDialog(WindowHandle owner) override;

    // Set by the process entry once everything the Setting dialog needs exists.
    std::function<std::intptr_t(WindowHandle)> settingDialog;

private:
    HINSTANCE instance_;
};

} // namespace qora
