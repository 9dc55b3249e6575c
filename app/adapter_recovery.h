#pragma once
// An adapter that stops taking packets (unplugged, or the virtual adapter's disk full) is
// marked lost; the run then looks for it again with the same discovery (the scheduler
// decides when: at most once a second) and sends it the current state as soon as it
// answers. Meanwhile the run goes on, and F11 still ends it.

#include "app/capture_run.h"

#include <cstdint>

namespace qora {

// Encodes the run's current state for its console and writes it to the open adapter;
// false when it did not go out whole.
bool sendCurrentState(CaptureServices& services, CaptureContext& context);

// After a failed write: closes the adapter and marks it lost.
void markAdapterLost(CaptureServices& services, CaptureContext& context);

// Searches for the lost adapter once; one that answers gets the current state at once and
// is no longer lost.
void reopenLostAdapter(CaptureServices& services, CaptureContext& context);

} // namespace qora
