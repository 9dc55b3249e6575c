#pragma once
// When a capture run does what: the one small state of its timing, kept by the scheduler
// (app/run_scheduler.h) and by nothing else.

#include "platform/precise_time.h"

#include <cstdint>

namespace qora {

// Every span of time a capture run keeps.
//
// Window timer 0 ticks the run every 33 ms: the classic pace of reading and sending.
inline constexpr std::uintptr_t kCaptureTimerId = 0;
inline constexpr std::uint32_t kCaptureTimerPeriodMs = 33;
inline constexpr std::int64_t kTickPeriodUs =
    static_cast<std::int64_t>(kCaptureTimerPeriodMs) * kMicrosecondsPerMillisecond;
// A timer message this close before the grid's tick runs it (the wait would, a moment later).
inline constexpr std::int64_t kTimerMessageSlackUs = 1000;
// A moment of precise aim or of a layer counts as come this long before it: the wait's
// timeout runs in whole milliseconds and wakes a fraction of one late, so a moment served
// only once it has passed goes out up to a millisecond and more late (the stop of precise
// aim among them, which has 8 ms to come). Served when the nearest whole millisecond
// comes, it goes out within about half a millisecond either way.
inline constexpr std::int64_t kMomentEarlyUs = 500;
// Wine's timed wait wakes later the longer it waits: about 0.1 ms late after 1 ms, 0.9 ms
// after 100 ms and more (scripts/mode-timing.sh measures it). A wait of kLongWaitMs or
// more for a moment ends kLongWaitCutMs early, and a short wait takes the run the rest of
// the way, so a turbo edge or a macro step seconds away is as punctual as a near one.
inline constexpr std::uint32_t kLongWaitMs = 10;
inline constexpr std::uint32_t kLongWaitCutMs = 1;
// The resolution asked of the system timer during a fast-path run.
inline constexpr std::uint32_t kTimerResolutionMs = 1;
// A lost adapter is searched for at most this often.
inline constexpr std::uint64_t kAdapterSearchIntervalMs = 1000;
inline constexpr std::int64_t kAdapterSearchIntervalUs =
    static_cast<std::int64_t>(kAdapterSearchIntervalMs) * kMicrosecondsPerMillisecond;

struct RunSchedule {
    // Window timer 0 (33 ms) is set. It is the tick of a run without the fast path; with
    // it, the main loop's wait keeps the tick's grid, and the timer carries the tick
    // through modal loops, which do not wait on the events. False too after a SetTimer
    // that failed, which is tried again.
    bool timerSet = false;
    // Fast path: the tick is paused (the timer killed) while a tick could change nothing.
    bool tickPaused = false;
    // The next tick may find what no event reports: a device armed since (it reports
    // changes, not the keys already down), records kept for it, a failed keyboard read,
    // a full record buffer, a message handled.
    bool tickOwed = false;
    // Fast path: the ticks fall at gridStartUs + n x 33 ms, as the timer's ticks do in a
    // run without it, also after a pause.
    std::int64_t gridStartUs = 0;
    std::int64_t nextTickUs = kNeverUs;
    // Precise aim: when the mouse's velocity may change without new motion.
    std::int64_t aimDueUs = kNeverUs;
    // When a layer of the running profile takes effect or ends after its delay.
    std::int64_t layerDueUs = kNeverUs;
    // A turbo action's next edge, or the end of a macro's step.
    std::int64_t modeDueUs = kNeverUs;
    // A lost adapter is searched for at most once a second, from a second after the loss.
    std::int64_t adapterSearchDueUs = kNeverUs;
    // timeBeginPeriod(1) holds, so the wait keeps its timeout to the millisecond.
    bool timerResolutionHeld = false;
};

} // namespace qora
