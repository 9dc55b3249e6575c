#pragma once
// The capture run: the running state in which qora reads the keyboard and the mouse,
// rebuilds the ControllerState from scratch and writes a packet to the adapter only when
// the state differs from the last one sent. Its start and stop live here, its steps in
// app/capture_steps.h, and when they run in app/run_scheduler.h.

#include "app/calibration.h"
#include "app/fast_path.h"
#include "app/run_profiles.h"
#include "app/run_schedule.h"
#include "formats/profile_record.h"
#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "input/mouse_record.h"
#include "link/adapter_link.h"
#include "link/hid_api.h"
#include "mapping/controller_state.h"
#include "mapping/mouse_state.h"
#include "overlay/icon_positions.h"
#include "platform/clock_api.h"
#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "platform/time_period_api.h"
#include "platform/user_api.h"
#include "profiles/store.h"

#include <array>
#include <cstdint>

#ifdef QORA_AIM_TRACE
#include "trace/aim_trace.h"

#include <memory>
#endif

namespace qora {

inline constexpr std::uint8_t kCaptureKeyboardBackgroundMode = 1;

inline constexpr const char* kWarningCaption = "Warning";
inline constexpr const char* kTimerUnavailableText = "Can not set the capture timer";

struct CaptureRun {
    bool active = false;
    AdapterLink adapter;
    // A write to the adapter failed: the run searches for it again (app/adapter_recovery.h).
    bool adapterLost = false;
    // Every profile with its layers, held from the start: the running one, its layers in
    // effect, and the keys that switch between them.
    RunProfiles profiles;
    SwitchKeys switchKeys;
    // The profile in effect: the running profile's base with its layers in effect over it.
    // Every step maps through it; it is made again whenever a layer, the running profile or
    // a calibrated value changes.
    ProfileRecord profile;
    ControllerState state = idleControllerState();
    // The state as it stood when it was last found changed; a stop does not clear it.
    ControllerState lastSent = idleControllerState();
    std::array<std::uint8_t, kKeyboardSnapshotSize> keyboardSnapshot{};
    std::array<MouseRecord, kMouseRecordCapacity> mouseRecords{};
    // While the Map dialog holds the keyboard slot the tick leaves the keyboard alone.
    bool keyboardOnLoan = false;
    FastPath fastPath;
    RunSchedule schedule;
    // Live calibration of precise aim (app/calibration.h); off at every start.
    Calibration calibration;
#ifdef QORA_AIM_TRACE
    // The measuring build's trace (app/aim_trace_hooks.h), its room taken at the first start.
    std::unique_ptr<AimTrace> aimTrace;
#endif
};

// The seams a run works through.
struct CaptureServices {
    HidApi& hid;
    FileApi& files;
    ProfileFileApi& ini;
    DirectInputApi& directInput;
    UserApi& user;
    ClockApi& clock;
    TimePeriodApi& timePeriod;
};

// What a run shares with the rest of the program: all owned by the application.
struct CaptureContext {
    CaptureRun& run;
    CaptureDevices& devices;
    MouseState& mouse;
    IconPositions& icons;
    const ProgramPaths& paths;
    ConsoleMode mode;
    WindowHandle mainWindow;
};

// The Start command. Does nothing when no console is set; tells the user when no adapter
// answers, config.bin cannot be read or the run's timer cannot be set. A keyboard that
// cannot be created undoes the start, so Start works again.
void startCaptureRun(CaptureServices& services, CaptureContext& context);

// F11 in a tick, or the main window going away. Harmless when no run is active.
void stopCaptureRun(CaptureServices& services, CaptureContext& context);

// The Map dialog needs the keyboard slot for itself. Before it opens, an active run
// releases its keyboard; after it closes the run gets a background keyboard on the main
// window again (and its timer, which creating a keyboard stops), so F11 still ends it. A
// run that cannot get either back ends, the missing timer with a message.
void lendKeyboardToMapDialog(CaptureServices& services, CaptureContext& context);
void returnKeyboardFromMapDialog(CaptureServices& services, CaptureContext& context);

} // namespace qora
