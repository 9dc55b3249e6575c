// What one capture tick costs on the heaviest input, against its 33 ms budget, what one
// event of the fast path costs between two ticks, and the two steps that do the most work
// on their own.

#include "app/capture_steps.h"
#include "fakes/busy_run.h"
#include "link/packet.h"
#include "mapping/mouse_motion.h"

#include <benchmark/benchmark.h>

namespace qora::testing {
namespace {

void captureTick(benchmark::State& state) {
    BusyRun busy(static_cast<ConsoleMode>(state.range(0)), false);
    for (auto _ : state) {
        busy.tick();
    }
    state.SetLabel(state.range(0) == kConsolePs3 ? "PS3" : "Xbox 360");
}
BENCHMARK(captureTick)->Arg(kConsoleXbox360)->Arg(kConsolePs3);

// The heaviest event: 256 new mouse records to keep (the room a tick would have emptied)
// and a changed key state, so a packet goes out each time.
void captureEvent(benchmark::State& state) {
    BusyRun busy(static_cast<ConsoleMode>(state.range(0)), true);
    for (auto _ : state) {
        busy.run.fastPath.pendingMouseCount = 0;
        busy.alternateKeys();
        qora::captureEvent(busy.services, busy.context, 0);
    }
    state.SetLabel(state.range(0) == kConsolePs3 ? "PS3" : "Xbox 360");
}
BENCHMARK(captureEvent)->Arg(kConsoleXbox360)->Arg(kConsolePs3);

void processMouse(benchmark::State& state) {
    BusyRun busy(kConsolePs3, false);
    ControllerState controller;
    for (auto _ : state) {
        resetToRest(controller);
        qora::processMouse(busy.mouse, controller, kConsolePs3, busy.run.profile,
                           busy.directInput.records.data(), busy.directInput.recordCount,
                           busy.user);
        benchmark::DoNotOptimize(controller);
    }
}
BENCHMARK(processMouse);

void encodePacket(benchmark::State& state) {
    ControllerState controller;
    resetToRest(controller);
    controller.bytes[state::buttons1] = 0xFF;
    controller.bytes[state::buttons2] = 0xF7;
    controller.bytes[state::leftTrigger] = 0xFF;
    Packet packet;
    for (auto _ : state) {
        qora::encodePacket(static_cast<ConsoleMode>(state.range(0)), controller, packet);
        benchmark::DoNotOptimize(packet);
    }
}
BENCHMARK(encodePacket)->Arg(kConsoleXbox360)->Arg(kConsolePs3);

} // namespace
} // namespace qora::testing

BENCHMARK_MAIN();
