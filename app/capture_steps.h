#pragma once
// The steps of a capture run: read the devices, map what they report to the
// ControllerState, send the state when it changed. The scheduler (app/run_scheduler.h)
// decides when each step runs; no step keeps time or sets a timer.

#include "app/capture_run.h"

#include <cstdint>

namespace qora {

// What a step found that only a later tick can pick up: records kept for it, a device
// that may hold more than one read took, a keyboard read that failed.
struct StepResult {
    bool tickOwed = false;
};

// Timer 0's work: the mouse records (those kept since the last tick first, then the
// device's), the keyboard snapshot, the state rebuilt from its rest values and sent when
// it changed. F11 ends the run. Allocates nothing and touches no file but the adapter,
// save for F4 during live calibration, which writes config.bin (see applyCalibrationKeys).
StepResult captureTick(CaptureServices& services, CaptureContext& context, std::int64_t nowUs);

// A device event between two ticks: new mouse records are kept for the tick (their button
// and wheel records set the flags at once), then the whole state is rebuilt (rest values,
// the mouse output, the actions of the mouse flags, the keys that are down) and sent if it
// changed. F11 ends the run, and F4 during live calibration saves, as at the tick; a
// keyboard on loan is left alone. Nothing without the fast path.
StepResult captureEvent(CaptureServices& services, CaptureContext& context, std::int64_t nowUs);

// At a moment the scheduler named, between events: the layer changes due by now are made,
// and the state is rebuilt with precise aim's velocity as of now and the keys as last
// read, and sent if it changed.
void refreshState(CaptureServices& services, CaptureContext& context, std::int64_t nowUs);

// After a write failed: when the lost adapter answers the same discovery again, it gets
// the current state at once.
void searchForLostAdapter(CaptureServices& services, CaptureContext& context);

} // namespace qora
