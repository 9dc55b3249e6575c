#pragma once
// The process-wide state of qora, one instance owned by the process entry, and the seams
// it works through. Everything else receives the parts it needs from here.

#include "app/capture_run.h"
#include "app/window_api.h"
#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "link/hid_api.h"
#include "mapping/mouse_state.h"
#include "overlay/gdi_api.h"
#include "overlay/icon_positions.h"
#include "overlay/overlay.h"
#include "platform/clock_api.h"
#include "platform/file_api.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "platform/time_period_api.h"
#include "platform/user_api.h"

#include <array>

namespace qora {

inline constexpr std::size_t kWindowTextSize = 32; // title and class name, with the NUL

struct MainWindow {
    WindowHandle handle = nullptr;
    std::array<char, kWindowTextSize> title{};
    ConsoleMode mode = kConsoleNotSet;
    bool overlayOn = false;
    DrawingResources drawing;
    GdiObjectHandle backgroundPicture = nullptr;
    GdiObjectHandle backBufferBitmap = nullptr;
    GdiObjectHandle dotMask = nullptr;
    GdiObjectHandle dotIcon = nullptr;
};

struct Program {
    ProgramPaths paths;
    MainWindow window;
    CaptureRun run;
    CaptureDevices devices;
    MouseState mouse;
    IconPositions icons;
};

struct Platform {
    FileApi& files;
    ProfileFileApi& ini;
    UserApi& user;
    HidApi& hid;
    DirectInputApi& directInput;
    GdiApi& gdi;
    WindowApi& windows;
    ClockApi& clock;
    TimePeriodApi& timePeriod;
};

inline CaptureServices captureServicesOf(Platform& platform) {
    return CaptureServices{platform.hid,  platform.files, platform.ini,       platform.directInput,
                           platform.user, platform.clock, platform.timePeriod};
}

inline CaptureContext captureContextOf(Program& program) {
    return CaptureContext{program.run,   program.devices,     program.mouse,        program.icons,
                          program.paths, program.window.mode, program.window.handle};
}

} // namespace qora
