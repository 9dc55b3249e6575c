#include "app/win32/win32_window_api.h"

#include "overlay/win32/win32_gdi_handles.h"
#include "platform/win32/win32_handles.h"
#include "resources/resource_ids.h"

namespace qora {
namespace {

static_assert(kSmCxScreen == SM_CXSCREEN && kSmCyScreen == SM_CYSCREEN);
static_assert(kSwShow == SW_SHOW && kPsSolid == PS_SOLID);
static_assert(kMfString == MF_STRING && kMfByCommand == MF_BYCOMMAND &&
              kMfUnchecked == MF_UNCHECKED && kMfChecked == MF_CHECKED);

HMENU toHmenu(MenuHandle menu) {
    return reinterpret_cast<HMENU>(menu);
}
MenuHandle fromHmenu(HMENU menu) {
    return reinterpret_cast<MenuHandle>(menu);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

std::int32_t Win32WindowApi::getSystemMetrics(std::int32_t index) {
    return GetSystemMetrics(index);
}

bool Win32WindowApi::getWindowRect(WindowHandle window, GdiRect& rect) {
    RECT r;
    if (GetWindowRect(toHwnd(window), &r) == FALSE) {
        return false;
    }
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

bool Win32WindowApi::moveWindow(WindowHandle window, std::int32_t x, std::int32_t y,
                                std::int32_t width, std::int32_t height, bool repaint) {
    return MoveWindow(toHwnd(window), x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

bool Win32WindowApi::showWindow(WindowHandle window, std::int32_t command) {
    return ShowWindow(toHwnd(window), command) != FALSE;
}

bool Win32WindowApi::destroyWindow(WindowHandle window) {
    return DestroyWindow(toHwnd(window)) != FALSE;
}

void Win32WindowApi::postQuitMessage(std::int32_t exitCode) {
    PostQuitMessage(exitCode);
}

MenuHandle Win32WindowApi::getMenu(WindowHandle window) {
    return fromHmenu(GetMenu(toHwnd(window)));
}

MenuHandle Win32WindowApi::getSubMenu(MenuHandle menu, std::int32_t position) {
    return fromHmenu(GetSubMenu(toHmenu(menu), position));
}

bool Win32WindowApi::appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                                const char* text) {
    return AppendMenuA(toHmenu(menu), flags, id, text) != FALSE;
}

std::uint32_t Win32WindowApi::getMenuState(MenuHandle menu, std::uint32_t id, std::uint32_t flags) {
    return GetMenuState(toHmenu(menu), id, flags);
}

std::uint32_t Win32WindowApi::checkMenuItem(MenuHandle menu, std::uint32_t id,
                                            std::uint32_t flags) {
    return CheckMenuItem(toHmenu(menu), id, flags);
}

GdiObjectHandle Win32WindowApi::loadBitmap(std::int32_t resourceId) {
    return fromHgdiobj(LoadBitmapA(instance_, MAKEINTRESOURCEA(resourceId)));
}

GdiObjectHandle Win32WindowApi::createSolidBrush(ColorRef color) {
    return fromHgdiobj(CreateSolidBrush(color));
}

GdiObjectHandle Win32WindowApi::createPen(std::int32_t style, std::int32_t width, ColorRef color) {
    return fromHgdiobj(CreatePen(style, width, color));
}

DcHandle Win32WindowApi::getDC(WindowHandle window) {
    return fromHdc(GetDC(toHwnd(window)));
}

std::int32_t Win32WindowApi::releaseDC(WindowHandle window, DcHandle dc) {
    return ReleaseDC(toHwnd(window), toHdc(dc));
}

DcHandle Win32WindowApi::createCompatibleDC(DcHandle dc) {
    return fromHdc(CreateCompatibleDC(toHdc(dc)));
}

GdiObjectHandle Win32WindowApi::createCompatibleBitmap(DcHandle dc, std::int32_t width,
                                                       std::int32_t height) {
    return fromHgdiobj(CreateCompatibleBitmap(toHdc(dc), width, height));
}

bool Win32WindowApi::deleteDC(DcHandle dc) {
    return DeleteDC(toHdc(dc)) != FALSE;
}

bool Win32WindowApi::deleteObject(GdiObjectHandle object) {
    return DeleteObject(toHgdiobj(object)) != FALSE;
}

std::intptr_t Win32WindowApi::showAboutDialog(WindowHandle owner, const char* title) {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), toHwnd(owner), aboutDialogProc,
                           reinterpret_cast<LPARAM>(title));
}

std::intptr_t Win32WindowApi::showSettingDialog(WindowHandle owner) {
    return settingDialog ? settingDialog(owner) : 0;
}

} // namespace qora
