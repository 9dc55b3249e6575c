#pragma once
// The steps of the capture tick that the fast path takes as well, so both build and send
// the state the same way.

#include "app/capture_run.h"

namespace qora {

// Reads the keyboard snapshot unless the keyboard is on loan or missing; false when there
// is no snapshot to dispatch.
bool keyboardReadable(CaptureServices& services, CaptureContext& context);

// Dispatches every key that is down in the snapshot; false when F11 ended the run.
bool dispatchPressedKeys(CaptureServices& services, CaptureContext& context);

// Writes the state to the adapter when it differs from the last one sent.
void sendChangedState(CaptureServices& services, CaptureContext& context);

} // namespace qora
