// The process entry of qora.exe: builds the Win32 implementations of every seam, registers
// the window class, creates the main window and runs the message loop. The window
// procedure only routes messages to the main window's rules.

#include "app/fast_path.h"
#include "app/keyboard_lending.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/program.h"
#include "app/run_scheduler.h"
#include "app/win32/win32_event_api.h"
#include "app/win32/win32_message_loop_api.h"
#include "app/win32/win32_window_api.h"
#include "input/win32/win32_direct_input_api.h"
#include "link/win32/win32_hid_api.h"
#include "overlay/win32/win32_gdi_api.h"
#include "platform/win32/win32_clock_api.h"
#include "platform/win32/win32_file_api.h"
#include "platform/win32/win32_profile_file_api.h"
#include "platform/win32/win32_time_period_api.h"
#include "platform/win32/win32_user_api.h"
#include "profiles/win32/win32_setting_dialog.h"
#include "resources/resource_ids.h"

#include <memory>
#include <span>
#include <string>

#ifdef QORA_PAINT_TIMES
#include <cstdio>
#endif

#include <windows.h>

namespace qora {
namespace {

// Everything the window procedure reaches, handed over through CreateWindowExA.
struct Application {
    Program& program;
    Platform& platform;
};

std::string moduleFileName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

#ifdef QORA_PAINT_TIMES
// A measuring build only (cmake -DQORA_PAINT_TIMES=ON): every WM_PAINT's duration on the
// high-resolution clock, one line each in paint-times.txt in the current folder: whether
// calibration and the overlay were on (1 or 0), then the microseconds.
void paintTimed(Program& program, Platform& platform) {
    static std::FILE* const times = std::fopen("paint-times.txt", "w");
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    onMainWindowPaint(program, platform);
    QueryPerformanceCounter(&end);
    if (times != nullptr) {
        std::fprintf(times, "%d %d %.1f\n", program.run.calibration.on ? 1 : 0,
                     program.window.overlayOn ? 1 : 0,
                     static_cast<double>(end.QuadPart - start.QuadPart) * 1.0e6 /
                         static_cast<double>(frequency.QuadPart));
    }
}
#endif

LRESULT routeMessage(Application& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Program& program = app.program;
    Platform& platform = app.platform;
    switch (message) {
    case WM_CREATE:
        onMainWindowCreate(program, platform, window);
        return 0;
    case WM_DESTROY:
        onMainWindowDestroy(program, platform);
        return 0;
    case WM_ACTIVATE:
        onMainWindowActivate(program, platform, wParam);
        return 1;
    case WM_PAINT:
#ifdef QORA_PAINT_TIMES
        paintTimed(program, platform);
#else
        onMainWindowPaint(program, platform);
#endif
        return 0;
    case WM_KEYUP:
        onMainWindowKeyUp(program, platform, static_cast<std::uint32_t>(wParam));
        return 0;
    // Alt combinations and F10 must not reach the menu through the default path; the
    // accelerators still work, they are translated in the message loop.
    case WM_SYSKEYDOWN:
        return 0;
    case WM_TIMER:
        onMainWindowTimer(program, platform, wParam);
        return 0;
    case WM_COMMAND:
        if (onMainWindowCommand(program, platform, LOWORD(wParam))) {
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* app = reinterpret_cast<Application*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (app == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return routeMessage(*app, window, message, wParam, lParam);
}

bool registerMainWindowClass(HINSTANCE instance, const char* className) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QORA));
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QORA_SMALL));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN);
    windowClass.lpszClassName = className;
    return RegisterClassExA(&windowClass) != 0;
}

// The capture run's side of the waiting loop: each call goes to the run's scheduler.
class CaptureEventHandler final : public SignalHandler {
public:
    CaptureEventHandler(Program& program, Platform& platform)
        : program_(program), platform_(platform) {}

    void onSignalled(std::size_t) override {
        CaptureServices services = captureServicesOf(platform_);
        CaptureContext context = captureContextOf(program_);
        onDeviceEvent(services, context);
    }
    std::uint32_t beforeWait() override {
        CaptureServices services = captureServicesOf(platform_);
        CaptureContext context = captureContextOf(program_);
        return beforeLoopWait(services, context);
    }
    void onTimeout() override {
        CaptureServices services = captureServicesOf(platform_);
        CaptureContext context = captureContextOf(program_);
        onWaitTimeout(services, context);
    }
    void beforeDispatch() override {
        CaptureServices services = captureServicesOf(platform_);
        CaptureContext context = captureContextOf(program_);
        beforeLoopMessage(services, context);
    }

private:
    Program& program_;
    Platform& platform_;
};

int runMainLoop(HINSTANCE instance, HWND window, Program& program, Platform& platform) {
    Win32MessageLoopApi loopApi;
    const MessageLoop loop{loopApi, window,
                           LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAIN))};
    const FastPath& fastPath = program.run.fastPath;
    std::span<const NativeHandle> events;
    if (fastPath.enabled) {
        events = fastPath.events;
    }
    CaptureEventHandler handler(program, platform);
    return runMessageLoop(loop, events, handler);
}

int runQora(HINSTANCE instance, int showCommand) {
    Win32FileApi files;
    Win32ProfileFileApi ini;
    Win32UserApi user;
    Win32HidApi hid;
    Win32DirectInputApi directInput;
    Win32GdiApi gdi;
    Win32WindowApi windows(instance);
    Win32ClockApi clock;
    Win32TimePeriodApi timePeriod;
    Platform platform{files, ini, user, hid, directInput, gdi, windows, clock, timePeriod};

    // Large fixed buffers (mouse records, samples): keep them off the stack.
    auto program = std::make_unique<Program>();
    program->paths = makeProgramPaths(directoryOf(moduleFileName()));
    readWindowTitle(ini, program->paths, program->window);
    Win32EventApi events;
    setUpFastPath(events, ini, program->paths, program->run.fastPath);

    Win32DialogApi dialogs;
    Win32MapDialogOpener mapDialogs(instance, files, ini, user, dialogs, directInput,
                                    program->devices, program->paths, program->window.mode);
    KeyboardLendingMapDialogOpener lendingMapDialogs(mapDialogs, *program, platform);
    SettingDialogEnvironment settingEnvironment{
        files, ini, user, dialogs, program->paths, program->window.mode, lendingMapDialogs};
    windows.settingDialog = [&](WindowHandle owner) {
        return openSettingDialog(instance, owner, settingEnvironment);
    };

    char className[kWindowTextSize] = {};
    LoadStringA(instance, IDS_CLASS_NAME, className, sizeof className);
    registerMainWindowClass(instance, className);

    Application app{*program, platform};
    const HWND window = CreateWindowExA(0, className, program->window.title.data(),
                                        WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, 0, kMainWindowWidth,
                                        kMainWindowHeight, nullptr, nullptr, instance, &app);
    if (window == nullptr) {
        tearDownFastPath(events, program->run.fastPath);
        return 0;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    const int exitCode = runMainLoop(instance, window, *program, platform);
    // A failed loop leaves the window up; destroying it ends the run, whose devices must be
    // released before the events they set are closed.
    if (IsWindow(window) != FALSE) {
        DestroyWindow(window);
    }
    tearDownFastPath(events, program->run.fastPath);
    return exitCode;
}

} // namespace
} // namespace qora

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return qora::runQora(instance, showCommand);
}
