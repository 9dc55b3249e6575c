#pragma once
// The main window's rules: what it does at creation and destruction, for each message it
// handles and for each menu command. The Win32 window procedure only routes messages here.

#include "app/program.h"
#include "formats/setting_ini.h"

#include <cstdint>

namespace qora {

inline constexpr std::int32_t kMainWindowWidth = 420;
inline constexpr std::int32_t kMainWindowHeight = 400;
inline constexpr std::uint32_t kVirtualKeyF12 = 0x7B;

inline constexpr const char* kDebugItemText = "&Debug";
inline constexpr const char* kDebugDisabledText = "Debug disabled";
inline constexpr std::int32_t kToolMenuPosition = 1;

// SETTING/TITLE, cut to 31 characters; empty when missing.
void readWindowTitle(ProfileFileApi& ini, const ProgramPaths& paths, MainWindow& window);

// The controller picture for a console: Xbox 360, PS3, or the notice for anything else.
std::int32_t backgroundPictureFor(ConsoleMode mode);

// WM_CREATE, in its order: console, centring, drawing resources, adapter probe, the Debug
// item, smoothing depth, background picture.
void onMainWindowCreate(Program& program, Platform& platform, WindowHandle window);

// WM_DESTROY: quit message, end of any capture run, every GDI object freed.
void onMainWindowDestroy(Program& program, Platform& platform);

// WM_ACTIVATE with the whole wParam.
void onMainWindowActivate(Program& program, Platform& platform, std::uintptr_t wParam);

// WM_KEYUP: F12 starts a capture run on release.
void onMainWindowKeyUp(Program& program, Platform& platform, std::uint32_t virtualKey);

// WM_TIMER.
void onMainWindowTimer(Program& program, Platform& platform, std::uintptr_t timerId);

// WM_PAINT.
void onMainWindowPaint(Program& program, Platform& platform);

// WM_COMMAND with the low 16 bits of wParam; false for ids the window does not handle.
bool onMainWindowCommand(Program& program, Platform& platform, std::uint32_t commandId);

} // namespace qora
