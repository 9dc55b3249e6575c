#pragma once
// The fast path's steps: setting it up at start-up, arming the devices of a run, serving
// an event between two ticks, and handing the records it kept to the tick.

#include "app/capture_run.h"
#include "app/event_api.h"
#include "formats/setting_ini.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <cstdint>

namespace qora {

// [SETTING] LOWLATENCY, read at start-up: exactly 1 turns the fast path on, and its two
// auto-reset events are made. When either cannot be made the run keeps to the tick.
void setUpFastPath(EventApi& events, ProfileFileApi& ini, const ProgramPaths& paths,
                   FastPath& fastPath);

// Closes the events; the devices that were told about them must be released already.
void tearDownFastPath(EventApi& events, FastPath& fastPath);

// At the start of a run, after both devices are made: each held device sets its event
// from now on, and no record of an earlier run is pending. Nothing without the fast path.
void armFastPath(CaptureServices& services, CaptureContext& context);

// The keyboard came back from the Map dialog as a new device: it sets its event again.
void armKeyboardEvent(CaptureServices& services, CaptureContext& context);

// The tick's mouse records, into the run's record buffer: those kept since the last tick,
// oldest first, then as many more from the device as fit. With none kept this is the
// plain readMouseRecords of 256. A full buffer owes another tick: the device may hold more.
std::uint32_t takeMouseRecords(CaptureServices& services, CaptureContext& context);

// Before the main loop waits. While a tick could change nothing the 33 ms timer is
// killed; otherwise a paused timer is set again. Nothing can change at a tick once it has
// run since the last message, event records and device arming, its reads succeeded, the
// mouse processor is at rest, the adapter is present and both devices set their events:
// then only an event or a message brings news, and both resume the tick.
void pauseTickWhileIdle(CaptureServices& services, CaptureContext& context);

// A tick is owed: before the main loop dispatches a message (it may open a modal loop,
// which only the tick serves, or re-acquire a device) and when an event keeps mouse
// records. A paused timer is set again; a running one keeps its countdown.
void resumeTick(CaptureServices& services, CaptureContext& context);

// The end of a run: nothing of its fast path is left for the next one.
void disarmFastPath(FastPath& fastPath);

// A device event between two ticks: new mouse records are kept for the tick (their button
// and wheel records set the flags at once), then the whole state is rebuilt (rest values,
// the mouse processor's last output, the actions of the mouse flags, the keys that are
// down) and sent if it changed. F11 ends the run; a keyboard on loan is left alone.
void captureEvent(CaptureServices& services, CaptureContext& context);

} // namespace qora
