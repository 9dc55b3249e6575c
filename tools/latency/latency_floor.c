/* The platform's own floor for the time from a key press to a file write: a bare window, a
 * background DirectInput keyboard that sets an event at every change, a loop that waits on
 * that event and on the messages, and one byte appended to latency-floor.bin in the
 * current folder for every event. Nothing else happens between the event and the write. */

#define DIRECTINPUT_VERSION 0x0800
#include <windows.h>

#include <dinput.h>

#define KEY_COUNT 256
#define WINDOW_WIDTH 320
#define WINDOW_HEIGHT 120

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND createMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "latency floor";
    if (RegisterClassA(&windowClass) == 0) {
        return NULL;
    }
    return CreateWindowExA(0, "latency floor", "latency floor", WS_OVERLAPPEDWINDOW, 0, 0,
                           WINDOW_WIDTH, WINDOW_HEIGHT, NULL, NULL, instance, NULL);
}

static IDirectInputDevice8A* openKeyboard(HINSTANCE instance, HWND window, HANDLE event) {
    IDirectInput8A* directInput = NULL;
    IDirectInputDevice8A* keyboard = NULL;
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, &IID_IDirectInput8A,
                                  (void**)&directInput, NULL)) ||
        FAILED(IDirectInput8_CreateDevice(directInput, &GUID_SysKeyboard, &keyboard, NULL)) ||
        FAILED(IDirectInputDevice8_SetDataFormat(keyboard, &c_dfDIKeyboard)) ||
        FAILED(IDirectInputDevice8_SetCooperativeLevel(keyboard, window,
                                                       DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)) ||
        FAILED(IDirectInputDevice8_SetEventNotification(keyboard, event))) {
        return NULL;
    }
    IDirectInputDevice8_Acquire(keyboard);
    return keyboard;
}

static void appendKeyState(IDirectInputDevice8A* keyboard, HANDLE file) {
    BYTE keys[KEY_COUNT];
    DWORD written = 0;
    if (SUCCEEDED(IDirectInputDevice8_GetDeviceState(keyboard, sizeof keys, keys))) {
        WriteFile(file, &keys[DIK_SPACE], 1, &written, NULL);
    }
}

/* False once the quit message came. */
static BOOL pumpMessages(void) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            return FALSE;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return TRUE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    (void)previous;
    (void)commandLine;
    const HWND window = createMainWindow(instance);
    const HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
    const HANDLE file = CreateFileA("latency-floor.bin", FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (window == NULL || event == NULL || file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    ShowWindow(window, showCommand);
    IDirectInputDevice8A* keyboard = openKeyboard(instance, window, event);
    if (keyboard == NULL) {
        return 2;
    }
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            appendKeyState(keyboard, file);
        } else if (woke != WAIT_OBJECT_0 + 1 || !pumpMessages()) {
            break;
        }
    }
    CloseHandle(file);
    return 0;
}
