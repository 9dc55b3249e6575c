#pragma once
// The capture run: the running state in which qora reads the keyboard and the mouse every
// 33 ms, rebuilds the ControllerState from scratch and writes a packet to the adapter only
// when the state differs from the last one sent.

#include "app/fast_path.h"
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
#include "platform/user_api.h"
#include "profiles/store.h"

#include <array>
#include <cstdint>

namespace qora {

inline constexpr std::uintptr_t kCaptureTimerId = 0;
inline constexpr std::uint32_t kCaptureTimerPeriodMs = 33;
inline constexpr std::uint8_t kStopKey = 0x57; // F11
inline constexpr std::uint8_t kCaptureKeyboardBackgroundMode = 1;

inline constexpr const char* kWarningCaption = "Warning";

struct CaptureRun {
    bool active = false;
    AdapterLink adapter;
    // A write to the adapter failed: the run searches for it again (app/adapter_recovery.h).
    bool adapterLost = false;
    std::uint64_t lastAdapterSearchMs = 0; // when it was lost or last searched for
    ProfileRecord profile;
    ControllerState state = idleControllerState();
    // The state as it stood when it was last found changed; a stop does not clear it.
    ControllerState lastSent = idleControllerState();
    std::array<std::uint8_t, kKeyboardSnapshotSize> keyboardSnapshot{};
    std::array<MouseRecord, kMouseRecordCapacity> mouseRecords{};
    // While the Map dialog holds the keyboard slot the tick leaves the keyboard alone.
    bool keyboardOnLoan = false;
    FastPath fastPath;
};

// The seams a run works through.
struct CaptureServices {
    HidApi& hid;
    FileApi& files;
    ProfileFileApi& ini;
    DirectInputApi& directInput;
    UserApi& user;
    ClockApi& clock;
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
// answers or config.bin cannot be read. A keyboard that cannot be created undoes the start, so
// Start works again.
void startCaptureRun(CaptureServices& services, CaptureContext& context);

// Timer 0 of the main window. Allocates nothing and touches no file.
void captureTick(CaptureServices& services, CaptureContext& context);

// F11 in a tick, or the main window going away. Harmless when no run is active.
void stopCaptureRun(CaptureServices& services, CaptureContext& context);

// The profile a run uses: record CURRENT of the store when 0 <= CURRENT < COUNT, otherwise
// an all-zero profile with nothing bound; read tells whether config.bin could be read.
struct CurrentProfile {
    ProfileRecord record;
    StoreRead read;
};
CurrentProfile loadCurrentProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths);

// The Map dialog needs the keyboard slot for itself. Before it opens, an active run
// releases its keyboard; after it closes the run gets a background keyboard on the main
// window again (and its timer, which creating a keyboard stops), so F11 still ends it.
void lendKeyboardToMapDialog(CaptureServices& services, CaptureContext& context);
void returnKeyboardFromMapDialog(CaptureServices& services, CaptureContext& context);

} // namespace qora
