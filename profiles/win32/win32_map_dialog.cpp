#include "profiles/win32/win32_map_dialog.h"

#include "platform/win32/win32_handles.h"

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
