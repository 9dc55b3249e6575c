#include "profiles/win32/win32_map_dialog.h"

#include "platform/win32/win32_handles.h"
#include "profiles/map_dialog_layers.h"

namespace qora {
namespace {

// What the dialog procedure needs, handed over through the lParam of DialogBoxParamA and
// kept in the dialog's DWLP_USER slot.
struct MapDialogLaunch {
    MapDialogState& state;
    MapDialogEnvironment& environment;
    std::int32_t templateId;
    std::int32_t profileIndex;
};

MapDialogLaunch* launchOf(HWND dialog) {
    return reinterpret_cast<MapDialogLaunch*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// WM_CTLCOLOR*: a field that shows the base's value in a layer is drawn in grey on the
// background it has anyway (background: a system colour index). FALSE leaves every other
// control to the default colours.
INT_PTR colourOfField(const MapDialogState& state, WPARAM wParam, LPARAM lParam, int background) {
    if (!controlShowsBase(state, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) {
        return FALSE;
    }
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(background));
}

INT_PTR CALLBACK mapDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // Kept before the rules run: setting the key field texts sends EN_CHANGE at once.
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto& launch = *reinterpret_cast<MapDialogLaunch*>(lParam);
        return initMapDialog(launch.state, launch.environment, dialog, launch.templateId,
                             launch.profileIndex)
                   ? TRUE
                   : FALSE;
    }
    MapDialogLaunch* launch = launchOf(dialog);
    if (launch == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        return onMapCommand(launch->state, launch->environment, LOWORD(wParam), HIWORD(wParam))
                   ? TRUE
                   : FALSE;
    case WM_TIMER:
        if (wParam != kMapCaptureTimerId) {
            return FALSE;
        }
        onMapTimer(launch->state, launch->environment);
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return colourOfField(launch->state, wParam, lParam, COLOR_WINDOW);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return colourOfField(launch->state, wParam, lParam, COLOR_BTNFACE);
    case WM_HSCROLL:
        onMapScroll(launch->state, launch->environment, reinterpret_cast<HWND>(lParam),
                    LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        destroyMapDialog(launch->state, launch->environment);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::intptr_t Win32MapDialogOpener::openMapDialog(WindowHandle owner, std::int32_t templateId,
                                                  std::int32_t profileIndex) {
    MapDialogState state;
    MapDialogLaunch launch{state, environment_, templateId, profileIndex};
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(static_cast<WORD>(templateId)),
                           toHwnd(owner), mapDialogProcedure, reinterpret_cast<LPARAM>(&launch));
}

} // namespace qora
