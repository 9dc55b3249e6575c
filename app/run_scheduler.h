#pragma once
// The scheduler of a capture run: the one place that decides when the steps run (the
// tick, the device events, precise aim's moments, the pause while idle, the search for a
// lost adapter). It keeps RunSchedule and calls the steps of app/capture_steps.h, which
// read the devices, map and send.
//
// Without the fast path the run is the classic one: window timer 0 calls the tick every
// 33 ms. With it, the main loop waits on the device events and the message queue with a
// timeout: the scheduler tells it how long (the next tick on the grid, or precise aim's
// next moment) and is called back at an event, at the timeout and before each message.

#include "app/capture_run.h"

#include <cstdint>

namespace qora {

// The run's devices are made: the tick starts, its grid from now, and with the fast path
// the system timer's resolution is raised to 1 ms. False when nothing can carry the tick
// (SetTimer failed and there is no fast path): the start must be undone.
bool startRunSchedule(CaptureServices& services, CaptureContext& context);

// The run ends: the timer is killed, the resolution given back, the schedule cleared.
void stopRunSchedule(CaptureServices& services, CaptureContext& context);

// The keyboard came back from the Map dialog (making it killed timer 0): the tick goes on
// at once. False when nothing can carry the tick: the run must end.
bool restartTickAfterKeyboardReturn(CaptureServices& services, CaptureContext& context);

// WM_TIMER of timer 0. Without the fast path, the tick. With it, the tick only when the
// grid's tick is due (the wait serves it otherwise), as in modal loops.
void onCaptureTimer(CaptureServices& services, CaptureContext& context);

// The main loop's side, with the fast path (each does nothing without an active run).
// An event was set: the event step at once.
void onDeviceEvent(CaptureServices& services, CaptureContext& context);
// The loop is about to wait: pauses the tick while a tick could change nothing, sets the
// timer again when it must run, and returns how long the wait may last, in ms.
std::uint32_t beforeLoopWait(CaptureServices& services, CaptureContext& context);
// The wait's time ran out: what is due runs.
void onWaitTimeout(CaptureServices& services, CaptureContext& context);
// A message is about to be dispatched: it may open a modal loop, which only the timer
// serves, or re-acquire a device; the tick is owed and a paused timer is set again.
void beforeLoopMessage(CaptureServices& services, CaptureContext& context);

} // namespace qora
