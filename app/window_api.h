#pragma once
// The USER32 and GDI32 calls of the main window that the drawing seam does not cover: the
// window's place and menu, the life of its GDI objects, and the two modal dialogs it opens.

#include "overlay/gdi_api.h"
#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// A menu (HMENU); nullptr is none.
struct MenuObject;
using MenuHandle = MenuObject*;

// GetSystemMetrics indices.
inline constexpr std::int32_t kSmCxScreen = 0;
inline constexpr std::int32_t kSmCyScreen = 1;

// ShowWindow commands.
inline constexpr std::int32_t kSwShow = 5;

// Menu flags (MF_).
inline constexpr std::uint32_t kMfString = 0x0000;
inline constexpr std::uint32_t kMfByCommand = 0x0000;
inline constexpr std::uint32_t kMfUnchecked = 0x0000;
inline constexpr std::uint32_t kMfChecked = 0x0008;

// CreatePen styles.
inline constexpr std::int32_t kPsSolid = 0;

struct WindowApi {
    virtual ~WindowApi() = default;

    virtual std::int32_t getSystemMetrics(std::int32_t index) = 0;
    virtual bool getWindowRect(WindowHandle window, GdiRect& rect) = 0;
    virtual bool moveWindow(WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, bool repaint) = 0;
    virtual bool showWindow(WindowHandle window, std::int32_t command) = 0;
    virtual bool destroyWindow(WindowHandle window) = 0;
    virtual void postQuitMessage(std::int32_t exitCode) = 0;

    virtual MenuHandle getMenu(WindowHandle window) = 0;
    virtual MenuHandle getSubMenu(MenuHandle menu, std::int32_t position) = 0;
    virtual bool appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                            const char* text) = 0;
    // GetMenuState: the item's flags, or 0xFFFFFFFF when there is no such item.
    virtual std::uint32_t getMenuState(MenuHandle menu, std::uint32_t id, std::uint32_t flags) = 0;
    virtual std::uint32_t checkMenuItem(MenuHandle menu, std::uint32_t id, std::uint32_t flags) = 0;

    // LoadBitmapA from the executable's resources.
    virtual GdiObjectHandle loadBitmap(std::int32_t resourceId) = 0;
    virtual GdiObjectHandle createSolidBrush(ColorRef color) = 0;
    virtual GdiObjectHandle createPen(std::int32_t style, std::int32_t width, ColorRef color) = 0;
    virtual DcHandle getDC(WindowHandle window) = 0;
    virtual std::int32_t releaseDC(WindowHandle window, DcHandle dc) = 0;
    virtual DcHandle createCompatibleDC(DcHandle dc) = 0;
    virtual GdiObjectHandle createCompatibleBitmap(DcHandle dc, std::int32_t width,
                                                   std::int32_t height) = 0;
    virtual bool deleteDC(DcHandle dc) = 0;
    virtual bool deleteObject(GdiObjectHandle object) = 0;

    // DialogBoxParamA of the About box (103), which shows the title in static 1063.
    virtual std::intptr_t showAboutDialog(WindowHandle owner, const char* title) = 0;
    // DialogBoxParamA of the Setting dialog (136).
    virtual std::intptr_t showSettingDialog(WindowHandle owner) = 0;
};

} // namespace qora
