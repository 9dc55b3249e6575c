#include "profiles/win32/win32_setting_dialog.h"

#include "platform/win32/win32_handles.h"
#include "resources/resource_ids.h"

namespace qora {
namespace {

SettingDialogEnvironment* environmentOf(HWND dialog) {
    return reinterpret_cast<SettingDialogEnvironment*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK settingDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto& environment = *reinterpret_cast<SettingDialogEnvironment*>(lParam);
        return initSettingDialog(environment, dialog) ? TRUE : FALSE;
    }
    SettingDialogEnvironment* environment = environmentOf(dialog);
    if (environment == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        return onSettingCommand(*environment, dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE
                                                                                      : FALSE;
    case WM_DESTROY:
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::intptr_t openSettingDialog(HINSTANCE instance, WindowHandle owner,
                                SettingDialogEnvironment& environment) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTING), toHwnd(owner),
                           settingDialogProcedure, reinterpret_cast<LPARAM>(&environment));
}

} // namespace qora
