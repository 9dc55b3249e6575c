#pragma once
// The USER32 calls the Setting and Map dialogs make on their controls, one method each:
// SetDlgItemTextA, GetDlgItemTextA, SendDlgItemMessageA, SendMessageA, CheckDlgButton,
// IsDlgButtonChecked, GetDlgItem, GetScrollInfo, SetScrollInfo, GetFocus, IsChild,
// GetDlgCtrlID, EndDialog and EnableWindow. Timers and message boxes go through UserApi.
//
// Opening the Map dialog (DialogBoxParamA with the Map dialog procedure) is the separate
// seam MapDialogOpener below, so the application can wrap that one call.

#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// Window messages sent to the list box, combo boxes and edit controls.
inline constexpr std::uint32_t kWmSetRedraw = 0x000B;
inline constexpr std::uint32_t kEmLimitText = 0x00C5;
inline constexpr std::uint32_t kLbAddString = 0x0180;
inline constexpr std::uint32_t kLbDeleteString = 0x0182;
inline constexpr std::uint32_t kLbResetContent = 0x0184;
inline constexpr std::uint32_t kLbSetCurSel = 0x0186;
inline constexpr std::uint32_t kLbGetCurSel = 0x0188;
inline constexpr std::uint32_t kLbGetCount = 0x018B;
inline constexpr std::uint32_t kLbInitStorage = 0x01A8;
inline constexpr std::uint32_t kCbAddString = 0x0143;
inline constexpr std::uint32_t kCbGetCurSel = 0x0147;
inline constexpr std::uint32_t kCbResetContent = 0x014B;
inline constexpr std::uint32_t kCbSetCurSel = 0x014E;

// LB_ERR and CB_ERR: no selection, or an index the control does not have.
inline constexpr std::intptr_t kLbErr = -1;
inline constexpr std::intptr_t kCbErr = -1;

// Notification codes (high word of a WM_COMMAND wParam).
inline constexpr std::uint32_t kEnChange = 0x0300;
inline constexpr std::uint32_t kEnSetFocus = 0x0100;
inline constexpr std::uint32_t kEnKillFocus = 0x0200;
inline constexpr std::uint32_t kLbnSelChange = 1;
inline constexpr std::uint32_t kLbnDblClk = 2;
inline constexpr std::uint32_t kCbnSelChange = 1;
inline constexpr std::uint32_t kCbnSetFocus = 3;
inline constexpr std::uint32_t kBnClicked = 0;
inline constexpr std::uint32_t kBnSetFocus = 6; // from buttons with BS_NOTIFY

// CheckDlgButton / IsDlgButtonChecked states, for check boxes and radio buttons alike.
inline constexpr std::uint32_t kBstUnchecked = 0;
inline constexpr std::uint32_t kBstChecked = 1;

// GetScrollInfo / SetScrollInfo: the bar is a scroll bar control (SB_CTL) and the mask
// says which fields count (SIF_).
inline constexpr std::int32_t kSbCtl = 2;
inline constexpr std::uint32_t kSifRange = 0x0001;
inline constexpr std::uint32_t kSifPage = 0x0002;
inline constexpr std::uint32_t kSifPos = 0x0004;
inline constexpr std::uint32_t kSifTrackPos = 0x0010;

// WM_HSCROLL request codes (low word of wParam).
inline constexpr std::uint32_t kSbLineLeft = 0;
inline constexpr std::uint32_t kSbLineRight = 1;
inline constexpr std::uint32_t kSbPageLeft = 2;
inline constexpr std::uint32_t kSbPageRight = 3;
inline constexpr std::uint32_t kSbThumbPosition = 4;
inline constexpr std::uint32_t kSbThumbTrack = 5;
inline constexpr std::uint32_t kSbLeft = 6;  // Home on a focused bar
inline constexpr std::uint32_t kSbRight = 7; // End on a focused bar
inline constexpr std::uint32_t kSbEndScroll = 8;

// SCROLLINFO without cbSize, which the Win32 side fills in.
struct ScrollInfo {
    std::uint32_t mask = 0;
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::uint32_t page = 0;
    std::int32_t pos = 0;
    std::int32_t trackPos = 0;
};

struct DialogApi {
    virtual ~DialogApi() = default;

    virtual bool setDlgItemText(WindowHandle dialog, std::int32_t id, const char* text) = 0;
    // Copies at most size - 1 characters and a NUL; returns the characters copied.
    virtual std::uint32_t getDlgItemText(WindowHandle dialog, std::int32_t id, char* buffer,
                                         std::int32_t size) = 0;
    // lParam carries a string pointer for LB_ADDSTRING and CB_ADDSTRING.
    virtual std::intptr_t sendDlgItemMessage(WindowHandle dialog, std::int32_t id,
                                             std::uint32_t message, std::uintptr_t wParam,
                                             std::intptr_t lParam) = 0;
    // A message straight to a control's window (from getDlgItem), for many in a row:
    // SendDlgItemMessageA looks the control up again for each.
    virtual std::intptr_t sendMessage(WindowHandle window, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual bool checkDlgButton(WindowHandle dialog, std::int32_t id, std::uint32_t check) = 0;
    virtual std::uint32_t isDlgButtonChecked(WindowHandle dialog, std::int32_t id) = 0;
    virtual WindowHandle getDlgItem(WindowHandle dialog, std::int32_t id) = 0;
    // Fills the fields named by info.mask.
    virtual bool getScrollInfo(WindowHandle window, std::int32_t bar, ScrollInfo& info) = 0;
    // Sets the fields named by info.mask; the control keeps the position within its range.
    // Returns the position it then has.
    virtual std::int32_t setScrollInfo(WindowHandle window, std::int32_t bar,
                                       const ScrollInfo& info, bool redraw) = 0;
    // The window with the keyboard focus on this thread; nullptr when none.
    virtual WindowHandle getFocus() = 0;
    virtual bool isChild(WindowHandle parent, WindowHandle window) = 0;
    virtual std::int32_t getDlgCtrlID(WindowHandle window) = 0;
    virtual bool endDialog(WindowHandle dialog, std::intptr_t result) = 0;
    // Enables or disables a control (from getDlgItem); true when it was disabled before.
    virtual bool enableWindow(WindowHandle window, bool enable) = 0;
};

// Results of the Map dialog.
inline constexpr std::intptr_t kMapDialogConfirmed = 1;
inline constexpr std::intptr_t kMapDialogCancelled = 2;

// Runs the Map dialog modally over owner (DialogBoxParamA with template 139 or 140 and the
// Map dialog procedure) and returns its result.
//
// The Setting dialog opens the Map dialog through this one call and nothing else. The Map
// dialog takes the one keyboard device slot for itself, so while a capture run is active
// the application wraps this call: the run lends its keyboard for the time of the call
// and gets a new one when the Map dialog has closed.
struct MapDialogOpener {
    virtual ~MapDialogOpener() = default;

    virtual std::intptr_t openMapDialog(WindowHandle owner, std::int32_t templateId,
                                        std::int32_t profileIndex) = 0;
};

} // namespace qora
