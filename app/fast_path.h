#pragma once
// The fast path of a capture run, on with [SETTING] LOWLATENCY=1: DirectInput sets an
// event at every change of the keyboard or the mouse, and the GUI thread sends the state
// at once instead of at the next tick. Mouse motion keeps its tick: the records read
// between ticks wait here, in their order, for the mouse processor.

#include "app/event_api.h"
#include "input/mouse_record.h"
#include "platform/platform_types.h"

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
    // The 33 ms timer is killed while a tick could change nothing (pauseTickWhileIdle).
    bool tickPaused = false;
    // The next tick may find what no event reports: a device armed since (it reports
    // changes, not the keys already down), a failed keyboard read, a full record buffer,
    // a message handled. Each tick clears it first.
    bool tickNeeded = false;
};

} // namespace qora
