#include "profiles/win32/win32_dialog_api.h"

#include "platform/win32/win32_handles.h"

namespace qora {

static_assert(kWmSetRedraw == WM_SETREDRAW && kEmLimitText == EM_LIMITTEXT);
static_assert(kLbAddString == LB_ADDSTRING && kLbDeleteString == LB_DELETESTRING &&
              kLbSetCurSel == LB_SETCURSEL && kLbGetCurSel == LB_GETCURSEL &&
              kLbGetCount == LB_GETCOUNT && kLbInitStorage == LB_INITSTORAGE && kLbErr == LB_ERR);
static_assert(kCbAddString == CB_ADDSTRING && kCbGetCurSel == CB_GETCURSEL &&
              kCbResetContent == CB_RESETCONTENT && kCbSetCurSel == CB_SETCURSEL &&
              kCbErr == CB_ERR);
static_assert(kEnChange == EN_CHANGE && kEnSetFocus == EN_SETFOCUS &&
              kEnKillFocus == EN_KILLFOCUS && kLbnDblClk == LBN_DBLCLK &&
              kCbnSelChange == CBN_SELCHANGE && kCbnSetFocus == CBN_SETFOCUS &&
              kBnClicked == BN_CLICKED && kBnSetFocus == BN_SETFOCUS);
static_assert(kBstUnchecked == BST_UNCHECKED && kBstChecked == BST_CHECKED);
static_assert(kSbCtl == SB_CTL);
static_assert(kSifRange == SIF_RANGE && kSifPage == SIF_PAGE && kSifPos == SIF_POS &&
              kSifTrackPos == SIF_TRACKPOS);
static_assert(kSbLineLeft == SB_LINELEFT && kSbLineRight == SB_LINERIGHT &&
              kSbPageLeft == SB_PAGELEFT && kSbPageRight == SB_PAGERIGHT &&
              kSbThumbPosition == SB_THUMBPOSITION && kSbThumbTrack == SB_THUMBTRACK &&
              kSbLeft == SB_LEFT && kSbRight == SB_RIGHT && kSbEndScroll == SB_ENDSCROLL);

namespace {

SCROLLINFO toScrollInfo(const ScrollInfo& info) {
    SCROLLINFO native{};
    native.cbSize = sizeof native;
    native.fMask = info.mask;
    native.nMin = info.min;
    native.nMax = info.max;
    native.nPage = info.page;
    native.nPos = info.pos;
    native.nTrackPos = info.trackPos;
    return native;
}

} // namespace

bool Win32DialogApi::setDlgItemText(WindowHandle dialog, std::int32_t id, const char* text) {
    return SetDlgItemTextA(toHwnd(dialog), id, text) != FALSE;
}

std::uint32_t Win32DialogApi::getDlgItemText(WindowHandle dialog, std::int32_t id, char* buffer,
                                             std::int32_t size) {
    return GetDlgItemTextA(toHwnd(dialog), id, buffer, size);
}

std::intptr_t Win32DialogApi::sendDlgItemMessage(WindowHandle dialog, std::int32_t id,
                                                 std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) {
    return SendDlgItemMessageA(toHwnd(dialog), id, message, wParam, lParam);
}

std::intptr_t Win32DialogApi::sendMessage(WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) {
    return SendMessageA(toHwnd(window), message, wParam, lParam);
}

bool Win32DialogApi::checkDlgButton(WindowHandle dialog, std::int32_t id, std::uint32_t check) {
    return CheckDlgButton(toHwnd(dialog), id, check) != FALSE;
}

std::uint32_t Win32DialogApi::isDlgButtonChecked(WindowHandle dialog, std::int32_t id) {
    return IsDlgButtonChecked(toHwnd(dialog), id);
}

WindowHandle Win32DialogApi::getDlgItem(WindowHandle dialog, std::int32_t id) {
    return GetDlgItem(toHwnd(dialog), id);
}

bool Win32DialogApi::getScrollInfo(WindowHandle window, std::int32_t bar, ScrollInfo& info) {
    SCROLLINFO native = toScrollInfo(info);
    if (GetScrollInfo(toHwnd(window), bar, &native) == FALSE) {
        return false;
    }
    info.min = native.nMin;
    info.max = native.nMax;
    info.page = native.nPage;
    info.pos = native.nPos;
    info.trackPos = native.nTrackPos;
    return true;
}

std::int32_t Win32DialogApi::setScrollInfo(WindowHandle window, std::int32_t bar,
                                           const ScrollInfo& info, bool redraw) {
    const SCROLLINFO native = toScrollInfo(info);
    return SetScrollInfo(toHwnd(window), bar, &native, redraw ? TRUE : FALSE);
}

WindowHandle Win32DialogApi::getFocus() {
    return GetFocus();
}

bool Win32DialogApi::isChild(WindowHandle parent, WindowHandle window) {
    return IsChild(toHwnd(parent), toHwnd(window)) != FALSE;
}

std::int32_t Win32DialogApi::getDlgCtrlID(WindowHandle window) {
    return GetDlgCtrlID(toHwnd(window));
}

bool Win32DialogApi::endDialog(WindowHandle dialog, std::intptr_t result) {
    return EndDialog(toHwnd(dialog), result) != FALSE;
}

bool Win32DialogApi::enableWindow(WindowHandle window, bool enable) {
    return EnableWindow(toHwnd(window), enable ? TRUE : FALSE) != FALSE;
}

} // namespace qora
