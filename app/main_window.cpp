#include "app/main_window.h"

#include "app/calibration.h"
#include "app/calibration_view_inputs.h"
#include "app/run_scheduler.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "link/adapter_link.h"
#include "resources/resource_ids.h"

#include <array>
#include <optional>
#include <string>

namespace qora {
namespace {

constexpr std::int32_t kCurvePenWidth = 2;
// A profile's name and the names of eight layers, with their separators.
constexpr std::size_t kRunningProfileTextSize =
    profile::nameSize + kMaxLayers * (kLayerNameSize + 3);

std::int32_t readIniInt(Platform& platform, const Program& program, const char* section,
                        const char* key, std::int32_t defaultValue) {
    return static_cast<std::int32_t>(platform.ini.getPrivateProfileInt(
        section, key, defaultValue, program.paths.settingIni.c_str()));
}

void centreOnScreen(Platform& platform, WindowHandle window) {
    GdiRect frame;
    platform.windows.getWindowRect(window, frame);
    const std::int32_t width = frame.right - frame.left;
    const std::int32_t height = frame.bottom - frame.top;
    const std::int32_t x = (platform.windows.getSystemMetrics(kSmCxScreen) - width) / 2;
    const std::int32_t y = (platform.windows.getSystemMetrics(kSmCyScreen) - height) / 2;
    platform.windows.moveWindow(window, x, y, width, height, true);
    platform.windows.showWindow(window, kSwShow);
}

void createDrawingResources(Program& program, Platform& platform, DcHandle windowDc) {
    MainWindow& window = program.window;
    WindowApi& windows = platform.windows;
    window.drawing.redBrush = windows.createSolidBrush(kColorRed);
    window.drawing.redPen = windows.createPen(kPsSolid, kCurvePenWidth, kColorRed);
    window.drawing.bluePen = windows.createPen(kPsSolid, kCurvePenWidth, kColorBlue);
    window.drawing.blackPen = windows.createPen(kPsSolid, 1, kColorBlack);
    window.dotIcon = windows.loadBitmap(IDB_DOT_ICON);
    window.dotMask = windows.loadBitmap(IDB_DOT_MASK);
    window.drawing.background = windows.createCompatibleDC(windowDc);
    window.drawing.backBuffer = windows.createCompatibleDC(windowDc);
    window.drawing.icon = windows.createCompatibleDC(windowDc);
    window.drawing.mask = windows.createCompatibleDC(windowDc);

    GdiRect client;
    platform.gdi.getClientRect(window.handle, client);
    window.backBufferBitmap = windows.createCompatibleBitmap(windowDc, client.right, client.bottom);
    platform.gdi.selectObject(window.drawing.backBuffer, window.backBufferBitmap);
}

// The start-up probe never keeps the adapter open.
void probeAdapter(Program& program, Platform& platform) {
    AdapterLink adapter = openAdapter(platform.hid, platform.files, platform.ini, program.paths);
    if (!isOpen(adapter)) {
        const std::string text = adapterUnavailableText(adapter, program.paths);
        platform.user.messageBox(program.window.handle, text.c_str(), kWarningCaption, kMbOk);
        return;
    }
    closeAdapter(platform.files, adapter);
    platform.user.invalidateRect(program.window.handle, true);
}

void addDebugItemWhenEnabled(Program& program, Platform& platform) {
    if (readIniInt(platform, program, kDebugSection, kDebugEnableKey, kDebugEnableDefault) != 1) {
        return;
    }
    WindowApi& windows = platform.windows;
    const MenuHandle tool =
        windows.getSubMenu(windows.getMenu(program.window.handle), kToolMenuPosition);
    windows.appendMenu(tool, kMfString, IDM_DEBUG, kDebugItemText);
}

void selectPictures(Program& program, Platform& platform) {
    MainWindow& window = program.window;
    window.backgroundPicture = platform.windows.loadBitmap(backgroundPictureFor(window.mode));
    platform.gdi.selectObject(window.drawing.background, window.backgroundPicture);
    platform.gdi.selectObject(window.drawing.icon, window.dotIcon);
    platform.gdi.selectObject(window.drawing.mask, window.dotMask);
}

// After the Setting dialog: a fresh picture replaces the one in the background context.
// When none can be loaded the old one stays: it is selected there, so it could not be
// freed, and it is still the picture of the same console.
void replaceBackgroundPicture(Program& program, Platform& platform) {
    MainWindow& window = program.window;
    const GdiObjectHandle fresh = platform.windows.loadBitmap(backgroundPictureFor(window.mode));
    if (fresh != nullptr) {
        platform.gdi.selectObject(window.drawing.background, fresh);
        platform.windows.deleteObject(window.backgroundPicture);
        window.backgroundPicture = fresh;
    }
    platform.user.invalidateRect(window.handle, false);
}

void toggleDebugOverlay(Program& program, Platform& platform) {
    MainWindow& window = program.window;
    if (readIniInt(platform, program, kDebugSection, kDebugEnableKey, kDebugEnableDefault) == 0) {
        platform.user.messageBox(window.handle, kDebugDisabledText, kWarningCaption, kMbOk);
        return;
    }
    const MenuHandle menu = platform.windows.getMenu(window.handle);
    const std::uint32_t itemState = platform.windows.getMenuState(menu, IDM_DEBUG, kMfByCommand);
    const bool checked = itemState != 0xFFFFFFFFu && (itemState & kMfChecked) != 0;
    platform.windows.checkMenuItem(menu, IDM_DEBUG,
                                   kMfByCommand | (checked ? kMfUnchecked : kMfChecked));
    window.overlayOn = !checked;
    platform.user.invalidateRect(window.handle, false);
}

void startFromMenu(Program& program, Platform& platform) {
    if (program.run.active) {
        return;
    }
    CaptureServices services = captureServicesOf(platform);
    CaptureContext context = captureContextOf(program);
    startCaptureRun(services, context);
}

} // namespace

void readWindowTitle(ProfileFileApi& ini, const ProgramPaths& paths, MainWindow& window) {
    ini.getPrivateProfileString(kSettingSection, kTitleKey, "", window.title.data(),
                                static_cast<std::uint32_t>(window.title.size()),
                                paths.settingIni.c_str());
}

std::int32_t backgroundPictureFor(ConsoleMode mode) {
    if (mode == kConsoleXbox360) {
        return IDB_PAD_360;
    }
    if (mode == kConsolePs3) {
        return IDB_PAD_PS3;
    }
    return IDB_NOTICE;
}

void onMainWindowCreate(Program& program, Platform& platform, WindowHandle window) {
    MainWindow& main = program.window;
    main.handle = window;
    main.mode = readIniInt(platform, program, kSettingSection, kConsoleKey, kConsoleDefault);
    centreOnScreen(platform, window);

    const DcHandle windowDc = platform.windows.getDC(window);
    createDrawingResources(program, platform, windowDc);
    probeAdapter(program, platform);
    addDebugItemWhenEnabled(program, platform);
    program.mouse.smoothingDepth = static_cast<std::uint8_t>(
        readIniInt(platform, program, kSettingSection, kSmoothingKey, kSmoothingDefault));
    selectPictures(program, platform);

    platform.windows.releaseDC(window, windowDc);
    platform.user.invalidateRect(window, true);
}

void onMainWindowDestroy(Program& program, Platform& platform) {
    platform.windows.postQuitMessage(0);
    CaptureServices services = captureServicesOf(platform);
    CaptureContext context = captureContextOf(program);
    stopCaptureRun(services, context);

    MainWindow& window = program.window;
    WindowApi& windows = platform.windows;
    for (DcHandle* dc : {&window.drawing.background, &window.drawing.backBuffer,
                         &window.drawing.icon, &window.drawing.mask}) {
        windows.deleteDC(*dc);
        *dc = nullptr;
    }
    for (GdiObjectHandle* object :
         {&window.backgroundPicture, &window.backBufferBitmap, &window.dotMask, &window.dotIcon,
          &window.drawing.blackPen, &window.drawing.redBrush, &window.drawing.redPen,
          &window.drawing.bluePen}) {
        windows.deleteObject(*object);
        *object = nullptr;
    }
}

void onMainWindowActivate(Program& program, Platform& platform, std::uintptr_t wParam) {
    if (wParam == 0) {
        return;
    }
    reacquireKeyboard(platform.directInput, program.devices);
    reacquireMouse(platform.directInput, program.devices);
}

void onMainWindowKeyUp(Program& program, Platform& platform, std::uint32_t virtualKey) {
    if (virtualKey == kVirtualKeyF12) {
        onMainWindowCommand(program, platform, IDM_START);
    }
}

void onMainWindowTimer(Program& program, Platform& platform, std::uintptr_t timerId) {
    if (timerId != kCaptureTimerId) {
        return;
    }
    CaptureServices services = captureServicesOf(platform);
    CaptureContext context = captureContextOf(program);
    onCaptureTimer(services, context);
}

void onMainWindowPaint(Program& program, Platform& platform) {
    const CaptureRun& run = program.run;
    std::optional<CalibrationViewInputs> calibration;
    if (run.active && run.calibration.on) {
        calibration = calibrationViewInputs(run.calibration, run.profile, program.mouse,
                                            layerHolding(run.profiles, run.calibration.picked));
    }
    std::array<char, kRunningProfileTextSize> running{};
    if (run.active) {
        describeRunningProfile(run.profiles, running.data(), running.size());
    }
    const PaintInputs inputs{run.state,
                             program.window.mode,
                             program.icons,
                             program.window.overlayOn,
                             run.active,
                             run.adapterLost,
                             calibration ? &*calibration : nullptr,
                             running.data()};
    paintMainWindow(platform.gdi, program.window.handle, program.window.drawing, inputs);
}

bool onMainWindowCommand(Program& program, Platform& platform, std::uint32_t commandId) {
    switch (commandId) {
    case IDM_ABOUT:
        platform.windows.showAboutDialog(program.window.handle, program.window.title.data());
        return true;
    case IDM_EXIT:
        platform.windows.destroyWindow(program.window.handle);
        return true;
    case IDM_DEBUG:
        toggleDebugOverlay(program, platform);
        return true;
    case IDM_START:
        startFromMenu(program, platform);
        return true;
    case IDM_SETTING:
        platform.windows.showSettingDialog(program.window.handle);
        replaceBackgroundPicture(program, platform);
        return true;
    default:
        return false;
    }
}

} // namespace qora
