/* The platform's own floor for the time from an input to a file write: a bare window, a
 * DirectInput device that sets an event at every change, a loop that waits on that event
 * and on the messages, and one write to latency-floor.bin in the current folder for every
 * event. Nothing else happens between the event and the write.
 *
 *   latency-floor.exe          the keyboard (background): one byte per event, SPACE's state
 *   latency-floor.exe mouse    the mouse, set up as qora sets it up (exclusive, foreground,
 *                              buffered): one 12-byte record per event, the motion it read
 *
 * A mouse record is three little-endian 32-bit integers: the sum of the X motion, the sum
 * of the Y motion and the number of motion records read at that event, so the bench can
 * check that every count it sent arrived. */

#define DIRECTINPUT_VERSION 0x0800
#include <windows.h>

#include <dinput.h>

#include "bench_window.h"
#include <string.h>

#define KEY_COUNT 256
#define MOUSE_BUFFER_RECORDS BENCH_MOUSE_BUFFER_RECORDS

typedef struct {
    INT32 x;
    INT32 y;
    INT32 motionRecords;
} MouseMotion;

static IDirectInput8A* openDirectInput(HINSTANCE instance) {
    IDirectInput8A* directInput = NULL;
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, &IID_IDirectInput8A,
                                  (void**)&directInput, NULL))) {
        return NULL;
    }
    return directInput;
}

static IDirectInputDevice8A* openKeyboard(IDirectInput8A* directInput, HWND window, HANDLE event) {
    IDirectInputDevice8A* keyboard = NULL;
    if (FAILED(IDirectInput8_CreateDevice(directInput, &GUID_SysKeyboard, &keyboard, NULL)) ||
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

static void addMotion(MouseMotion* motion, const DIDEVICEOBJECTDATA* records, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        if (records[i].dwOfs == DIMOFS_X) {
            motion->x += (INT32)records[i].dwData;
            ++motion->motionRecords;
        } else if (records[i].dwOfs == DIMOFS_Y) {
            motion->y += (INT32)records[i].dwData;
            ++motion->motionRecords;
        }
    }
}

/* Reads everything the buffer holds, then writes one record. */
static void appendMouseMotion(IDirectInputDevice8A* mouse, HANDLE file) {
    DIDEVICEOBJECTDATA records[MOUSE_BUFFER_RECORDS];
    MouseMotion motion = {0, 0, 0};
    DWORD count = MOUSE_BUFFER_RECORDS;
    while (SUCCEEDED(
               IDirectInputDevice8_GetDeviceData(mouse, sizeof records[0], records, &count, 0)) &&
           count > 0) {
        addMotion(&motion, records, count);
        count = MOUSE_BUFFER_RECORDS;
    }
    DWORD written = 0;
    WriteFile(file, &motion, sizeof motion, &written, NULL);
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

static BOOL mouseMode(const char* commandLine) {
    return strstr(commandLine, "mouse") != NULL;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    (void)previous;
    const BOOL mouse = mouseMode(commandLine);
    const HWND window = createBenchWindow(instance, "latency floor");
    const HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
    const HANDLE file = CreateFileA("latency-floor.bin", FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (window == NULL || event == NULL || file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    ShowWindow(window, showCommand);
    IDirectInput8A* directInput = openDirectInput(instance);
    IDirectInputDevice8A* device = directInput == NULL ? NULL
                                   : mouse             ? openBenchMouse(directInput, window, event)
                                                       : openKeyboard(directInput, window, event);
    if (device == NULL) {
        return 2;
    }
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            if (mouse) {
                appendMouseMotion(device, file);
            } else {
                appendKeyState(device, file);
            }
        } else if (woke != WAIT_OBJECT_0 + 1 || !pumpMessages()) {
            break;
        } else if (mouse) {
            IDirectInputDevice8_Acquire(device); /* a no-op once acquired */
        }
    }
    CloseHandle(file);
    return 0;
}
