/* What the bare DirectInput bench programs share: their one plain window, and the mouse
 * opened as qora opens it. Include after <windows.h> and <dinput.h>. */

#ifndef QORA_BENCH_WINDOW_H
#define QORA_BENCH_WINDOW_H

#include <string.h>

#define BENCH_MOUSE_BUFFER_RECORDS 256

static LRESULT CALLBACK benchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* A 320 x 120 window whose class and title are name. */
static HWND createBenchWindow(HINSTANCE instance, const char* name) {
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = benchWindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    if (RegisterClassA(&windowClass) == 0) {
        return NULL;
    }
    return CreateWindowExA(0, name, name, WS_OVERLAPPEDWINDOW, 0, 0, 320, 120, NULL, NULL, instance,
                           NULL);
}

/* The mouse as qora opens it: c_dfDIMouse2, exclusive and foreground, a 256-record buffer,
 * the event set at every change. It can be acquired only once the window has the focus;
 * the loops retry. */
static IDirectInputDevice8A* openBenchMouse(IDirectInput8A* directInput, HWND window,
                                            HANDLE event) {
    IDirectInputDevice8A* mouse = NULL;
    DIPROPDWORD bufferSize;
    memset(&bufferSize, 0, sizeof bufferSize);
    bufferSize.diph.dwSize = sizeof bufferSize;
    bufferSize.diph.dwHeaderSize = sizeof bufferSize.diph;
    bufferSize.diph.dwHow = DIPH_DEVICE;
    bufferSize.dwData = BENCH_MOUSE_BUFFER_RECORDS;
    if (FAILED(IDirectInput8_CreateDevice(directInput, &GUID_SysMouse, &mouse, NULL)) ||
        FAILED(IDirectInputDevice8_SetDataFormat(mouse, &c_dfDIMouse2)) ||
        FAILED(IDirectInputDevice8_SetCooperativeLevel(mouse, window,
                                                       DISCL_EXCLUSIVE | DISCL_FOREGROUND)) ||
        FAILED(IDirectInputDevice8_SetProperty(mouse, DIPROP_BUFFERSIZE, &bufferSize.diph)) ||
        FAILED(IDirectInputDevice8_SetEventNotification(mouse, event))) {
        return NULL;
    }
    IDirectInputDevice8_Acquire(mouse);
    return mouse;
}

#endif
