#include "profiles/win32/win32_modes_dialog.h"

#include "platform/win32/win32_handles.h"
#include "resources/resource_ids.h"

#include <string>

namespace qora {
namespace {

// What the dialog procedure needs, handed over through the lParam of DialogBoxParamA and
// kept in the dialog's DWLP_USER slot.
struct ModesDialogLaunch {
    ModesDialogState& state;
    ModesDialogEnvironment& environment;
    ModesEdit& edit;
};

ModesDialogLaunch* launchOf(HWND dialog) {
    return reinterpret_cast<ModesDialogLaunch*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

constexpr int kLineIndent = 2; // pixels between the list's edge and a line's text

// WM_CTLCOLOR*: a control that shows a part of the base's in a layer is drawn in grey on
// the background it has anyway (background: a system colour index). FALSE leaves every
// other control to the default colours.
INT_PTR colourOfField(const ModesDialogState& state, WPARAM wParam, LPARAM lParam, int background) {
    if (!modesControlShowsBase(state, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) {
        return FALSE;
    }
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(background));
}

// WM_DRAWITEM of the owner-drawn macro list: a line as a list box draws it, in grey when it
// shows a macro of the base's.
void drawMacroLine(const ModesDialogState& state, const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) {
        if ((item.itemState & ODS_FOCUS) != 0) {
            DrawFocusRect(item.hDC, &item.rcItem);
        }
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const LRESULT length = SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) {
        std::string buffer(text.size() + 1, '\0');
        SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID,
                     reinterpret_cast<LPARAM>(buffer.data()));
        text.assign(buffer.c_str());
    }
    const int colour = macroLineShowsBase(state, item.itemID)
                           ? COLOR_GRAYTEXT
                           : (selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    SetTextColor(item.hDC, GetSysColor(colour));
    SetBkMode(item.hDC, TRANSPARENT);
    RECT textRect = item.rcItem;
    textRect.left += kLineIndent;
    DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

INT_PTR CALLBACK modesDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto& launch = *reinterpret_cast<ModesDialogLaunch*>(lParam);
        return initModesDialog(launch.state, launch.environment, dialog, launch.edit) ? TRUE
                                                                                      : FALSE;
    }
    ModesDialogLaunch* launch = launchOf(dialog);
    if (launch == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        return onModesCommand(launch->state, launch->environment, LOWORD(wParam), HIWORD(wParam))
                   ? TRUE
                   : FALSE;
    case WM_TIMER:
        if (wParam != kModesCaptureTimerId) {
            return FALSE;
        }
        onModesTimer(launch->state, launch->environment);
        return TRUE;
    case WM_CTLCOLOREDIT:
        return colourOfField(launch->state, wParam, lParam, COLOR_WINDOW);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return colourOfField(launch->state, wParam, lParam, COLOR_BTNFACE);
    case WM_DRAWITEM:
        if (wParam != IDC_MODES_MACRO_LIST) {
            return FALSE;
        }
        drawMacroLine(launch->state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        destroyModesDialog(launch->state, launch->environment);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::intptr_t Win32ModesDialogOpener::openModesDialog(WindowHandle owner, ModesEdit& edit) {
    ModesDialogState state;
    ModesDialogLaunch launch{state, environment_, edit};
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(static_cast<WORD>(IDD_MODES)), toHwnd(owner),
                           modesDialogProcedure, reinterpret_cast<LPARAM>(&launch));
}

} // namespace qora
