#pragma once
// The fast path of a capture run, on with [SETTING] LOWLATENCY=1: DirectInput sets an
// event at every change of the keyboard or the mouse, and the main loop serves it at once
// instead of at the next tick (app/run_scheduler.h decides when what runs). Mouse motion
// of classic aim keeps its tick: the records read between ticks wait here, in their
// order, for the mouse processor.

#include "app/event_api.h"
#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "input/mouse_record.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

inline constexpr std::size_t kKeyboardEvent = 0;
inline constexpr std::size_t kMouseEvent = 1;
inline constexpr std::size_t kFastPathEventCount = 2;

struct FastPath {
    // LOWLATENCY=1 at start-up and both events made; fixed for the life of the process.
    bool enabled = false;
    // Auto-reset events, at kKeyboardEvent and kMouseEvent; kNoEvent when not made.
    std::array<NativeHandle, kFastPathEventCount> events{kNoEvent, kNoEvent};
    // Records read since the last tick, oldest first; the tick takes them before any
    // others, so it sees the same records in the same order as without the fast path.
    std::array<MouseRecord, kMouseRecordCapacity> pendingMouseRecords{};
    std::uint32_t pendingMouseCount = 0;
    // Whether each device of the run took its event; one that did not is served by the
    // tick alone.
    bool keyboardArmed = false;
    bool mouseArmed = false;
};

// [SETTING] LOWLATENCY, read at start-up: exactly 1 turns the fast path on, and its two
// auto-reset events are made. When either cannot be made the run keeps to the tick.
void setUpFastPath(EventApi& events, ProfileFileApi& ini, const ProgramPaths& paths,
                   FastPath& fastPath);

// Closes the events; the devices that were told about them must be released already.
void tearDownFastPath(EventApi& events, FastPath& fastPath);

// At the start of a run, after both devices are made: each held device sets its event
// from now on, and no record of an earlier run is pending. Nothing without the fast path.
void armFastPath(DirectInputApi& directInput, const CaptureDevices& devices, FastPath& fastPath);

// The keyboard came back from the Map dialog as a new device: it sets its event again.
void armKeyboardEvent(DirectInputApi& directInput, const CaptureDevices& devices,
                      FastPath& fastPath);

// The end of a run: nothing of its fast path is left for the next one.
void disarmFastPath(FastPath& fastPath);

} // namespace qora
