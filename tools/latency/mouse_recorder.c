/* A bare DirectInput mouse reader, set up as qora sets up its mouse (c_dfDIMouse2,
 * exclusive and foreground, a 256-record buffer, an event at every change) and waiting
 * as qora's fast path waits (MsgWaitForMultipleObjects on the event and the messages). At
 * every event it reads what the buffer holds and keeps, in memory, a line in the aim
 * trace's format (trace/aim_trace_file.h):
 *
 *   read TIME e [OFFSET DATA TIME_STAMP]...
 *
 * TIME in microseconds of QueryPerformanceCounter at the read, as qora's trace. The lines
 * go to mouse-records.txt in the current folder, appended whenever the mouse has been
 * quiet for a while, so no disk write falls in the middle of motion. What it records is
 * what any program receives: the bench puts it beside qora's own trace.
 *
 * usage: mouse-recorder.exe (its window is "mouse recorder"; focus it to acquire) */

#define DIRECTINPUT_VERSION 0x0800
#include <windows.h>

#include <dinput.h>

#include "bench_window.h"
#include <stdio.h>
#include <string.h>

#define MOUSE_BUFFER_RECORDS BENCH_MOUSE_BUFFER_RECORDS
#define QUIET_MS 200
#define TEXT_ROOM (16 * 1024 * 1024)
#define LINE_ROOM (MOUSE_BUFFER_RECORDS * 40 + 64)

static char text[TEXT_ROOM];
static size_t textUsed;

static IDirectInputDevice8A* openMouse(HINSTANCE instance, HWND window, HANDLE event) {
    IDirectInput8A* directInput = NULL;
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, &IID_IDirectInput8A,
                                  (void**)&directInput, NULL))) {
        return NULL;
    }
    return openBenchMouse(directInput, window, event);
}

static long long microsecondsNow(void) {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart / frequency.QuadPart * 1000000LL +
           count.QuadPart % frequency.QuadPart * 1000000LL / frequency.QuadPart;
}

/* One read, as qora's fast path makes it at an event. */
static void recordRead(IDirectInputDevice8A* mouse) {
    DIDEVICEOBJECTDATA records[MOUSE_BUFFER_RECORDS];
    DWORD count = MOUSE_BUFFER_RECORDS;
    const HRESULT result =
        IDirectInputDevice8_GetDeviceData(mouse, sizeof records[0], records, &count, 0);
    const long long readUs = microsecondsNow();
    if (FAILED(result)) {
        IDirectInputDevice8_Acquire(mouse);
        return;
    }
    if (TEXT_ROOM - textUsed < LINE_ROOM) {
        return;
    }
    textUsed += (size_t)sprintf(text + textUsed, "read %lld e", readUs);
    for (DWORD i = 0; i < count; ++i) {
        textUsed +=
            (size_t)sprintf(text + textUsed, " %lu %ld %lu", (unsigned long)records[i].dwOfs,
                            (long)(INT32)records[i].dwData, (unsigned long)records[i].dwTimeStamp);
    }
    text[textUsed++] = '\n';
}

static void writeKept(void) {
    if (textUsed == 0) {
        return;
    }
    FILE* file = fopen("mouse-records.txt", "ab");
    if (file != NULL) {
        fwrite(text, 1, textUsed, file);
        fclose(file);
    }
    textUsed = 0;
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
    const HWND window = createBenchWindow(instance, "mouse recorder");
    const HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
    if (window == NULL || event == NULL) {
        return 1;
    }
    ShowWindow(window, showCommand);
    IDirectInputDevice8A* mouse = openMouse(instance, window, event);
    if (mouse == NULL) {
        return 2;
    }
    fclose(fopen("mouse-records.txt", "wb"));
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, QUIET_MS, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            recordRead(mouse);
        } else if (woke == WAIT_TIMEOUT) {
            writeKept();
            IDirectInputDevice8_Acquire(mouse); /* the focus may have come without a message */
        } else if (woke != WAIT_OBJECT_0 + 1 || !pumpMessages()) {
            break;
        } else {
            IDirectInputDevice8_Acquire(mouse); /* a no-op once acquired */
        }
    }
    writeKept();
    return 0;
}
