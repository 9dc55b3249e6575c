// What one capture tick costs on the heaviest input, against its 33 ms budget, what one
// event of the fast path costs between two ticks, the two steps that do the most work
// on their own, and one step of precise aim at a mouse event of a 1000 Hz mouse.

#include "app/capture_steps.h"
#include "fakes/busy_run.h"
#include "link/packet.h"
#include "mapping/mouse_motion.h"
#include "mapping/precise_aim.h"

#include <benchmark/benchmark.h>

#include <array>
#include <bit>

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

// The same event with eight layers of the running profile in effect, each changing
// everything a layer can change: the profile in effect is made from all of them at the
// step, since the held keys change.
void captureEventWithEightLayers(benchmark::State& state) {
    BusyRun busy(kConsoleXbox360, true);
    busy.addEightLayers(true);
    for (auto _ : state) {
        busy.run.fastPath.pendingMouseCount = 0;
        busy.alternateKeys();
        qora::captureEvent(busy.services, busy.context, 0);
    }
    state.counters["layers in effect"] =
        static_cast<double>(std::popcount(layersInEffect(busy.run.profiles.activities)));
}
BENCHMARK(captureEventWithEightLayers);

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

// A 1000 Hz mouse moving steadily on a diagonal, so the estimator holds its fullest
// window: each iteration is one report read at its event, the velocity through a curve
// with a dead zone and an exponent, and the state written.
void preciseAimStep(benchmark::State& state) {
    const auto mode = static_cast<ConsoleMode>(state.range(0));
    ProfileRecord profile;
    writeZoomScale(profile, profile::xZoomScale, 1.0f);
    writeZoomScale(profile, profile::yZoomScale, 1.0f);
    writeAimSettings(profile, AimSettings{AimMode::precise, AimShape::circle, 2000, 10});
    profile.bytes[profile::direction] = profile::kDirectionRightStick;
    MouseState mouse;
    ControllerState controller;
    std::int64_t nowUs = 0;
    std::uint32_t stamp = 0;
    std::array<MouseRecord, 2> records{};
    for (auto _ : state) {
        nowUs += 1000;
        ++stamp;
        records[0] = MouseRecord{mouse_offset::x, 5u + (stamp & 1u), stamp, 0, 0};
        records[1] = MouseRecord{mouse_offset::y, static_cast<std::uint32_t>(-3), stamp, 0, 0};
        readPreciseAimRecords(mouse, records.data(), 2, nowUs);
        resetToRest(controller);
        writePreciseAim(mouse, controller, mode, profile, nowUs);
        benchmark::DoNotOptimize(controller);
    }
    state.SetLabel(mode == kConsolePs3 ? "PS3" : "Xbox 360");
}
BENCHMARK(preciseAimStep)->Arg(kConsoleXbox360)->Arg(kConsolePs3);

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
