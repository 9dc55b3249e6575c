#include "app/run_scheduler.h"

#include "app/adapter_recovery.h"
#include "app/capture_steps.h"
#include "app/message_loop_api.h"
#include "input/mouse_device.h"
#include "mapping/aim_velocity.h"
#include "mapping/layer_activity.h"
#include "mapping/mode_activity.h"
#include "mapping/mouse_motion.h"
#include "mapping/precise_aim.h"

#include <algorithm>

namespace qora {
namespace {

bool fastPathRun(const CaptureContext& context) {
    return context.run.active && context.run.fastPath.enabled;
}

// The first point of the tick's grid after now.
std::int64_t nextGridPoint(const RunSchedule& schedule, std::int64_t nowUs) {
    const std::int64_t elapsed = std::max<std::int64_t>(nowUs - schedule.gridStartUs, 0);
    return schedule.gridStartUs + (elapsed / kTickPeriodUs + 1) * kTickPeriodUs;
}

void setTimerUnlessSet(CaptureServices& services, CaptureContext& context) {
    RunSchedule& schedule = context.run.schedule;
    if (!schedule.timerSet) {
        schedule.timerSet =
            services.user.setTimer(context.mainWindow, kCaptureTimerId, kCaptureTimerPeriodMs);
    }
}

void killTimer(CaptureServices& services, CaptureContext& context) {
    services.user.killTimer(context.mainWindow, kCaptureTimerId);
    context.run.schedule.timerSet = false;
}

void pauseTick(CaptureServices& services, CaptureContext& context) {
    RunSchedule& schedule = context.run.schedule;
    if (!schedule.tickPaused) {
        killTimer(services, context);
        schedule.tickPaused = true;
    }
}

// A paused tick comes back on its grid, so motion is ticked when it would be without the
// pause; a running timer keeps its countdown. A timer that could not be set is tried again.
void resumeTick(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    RunSchedule& schedule = context.run.schedule;
    if (schedule.tickPaused) {
        schedule.tickPaused = false;
        schedule.nextTickUs = nextGridPoint(schedule, nowUs);
    }
    setTimerUnlessSet(services, context);
}

bool wheelFlagSet(const MouseState& mouse) {
    return mouse.flags[mouse_flag::wheelUp] != 0 || mouse.flags[mouse_flag::wheelDown] != 0;
}

// Held buttons do not matter: their actions are the same at every tick. Precise aim's
// motion keeps its own time (aimDueUs); only its wheel flags wait for the tick.
bool mouseNeedsTick(const CaptureContext& context) {
    if (!mouseExists(context.devices)) {
        return false;
    }
    if (!context.run.fastPath.mouseArmed) {
        return true;
    }
    if (isPreciseAim(context.run.profile)) {
        return wheelFlagSet(context.mouse);
    }
    return !mouseAtRest(context.mouse);
}

// After anything that looked at precise aim, the layers or the binding modes: when the
// state must be made again without news from a device. Precise aim at rest, never; while
// the mouse moves, when its velocity may change without new motion (new motion comes with
// an event). A layer, when its delay or release delay runs out. A turbo action at each of
// its edges, a macro at the end of each step.
void scheduleMoments(CaptureContext& context, std::int64_t nowUs) {
    RunSchedule& schedule = context.run.schedule;
    const RunProfiles& profiles = context.run.profiles;
    schedule.layerDueUs = context.run.active ? nextLayerChange(profiles.activities) : kNeverUs;
    schedule.modeDueUs = context.run.active
                             ? nextModeChange(profiles.modeActivity, profiles.modes, nowUs)
                             : kNeverUs;
    if (!context.run.active || !isPreciseAim(context.run.profile) ||
        !mouseExists(context.devices)) {
        schedule.aimDueUs = kNeverUs;
        return;
    }
    schedule.aimDueUs = nextVelocityChange(context.mouse.aim, nowUs);
}

std::int64_t nextMoment(const RunSchedule& schedule) {
    return std::min({schedule.aimDueUs, schedule.layerDueUs, schedule.modeDueUs});
}

// Nothing can change at a tick once it has run since whatever else a tick might pick up,
// the adapter is present and both devices set their events: then only an event or a
// message brings news, and both resume the tick.
bool tickCouldChangeSomething(const CaptureContext& context) {
    const CaptureRun& run = context.run;
    return run.schedule.tickOwed || run.adapterLost || !run.fastPath.keyboardArmed ||
           run.fastPath.pendingMouseCount != 0 || mouseNeedsTick(context);
}

// The first search comes a second after the loss, the next a second after the last one.
void trackAdapter(CaptureContext& context, std::int64_t nowUs) {
    RunSchedule& schedule = context.run.schedule;
    if (!context.run.adapterLost) {
        schedule.adapterSearchDueUs = kNeverUs;
    } else if (schedule.adapterSearchDueUs == kNeverUs) {
        schedule.adapterSearchDueUs = nowUs + kAdapterSearchIntervalUs;
    }
}

void searchAdapterIfDue(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    RunSchedule& schedule = context.run.schedule;
    trackAdapter(context, nowUs);
    if (nowUs < schedule.adapterSearchDueUs) {
        return;
    }
    searchForLostAdapter(services, context);
    schedule.adapterSearchDueUs = nowUs + kAdapterSearchIntervalUs;
    trackAdapter(context, nowUs);
}

void runTick(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    RunSchedule& schedule = context.run.schedule;
    schedule.tickOwed = false;
    const StepResult result = captureTick(services, context, nowUs);
    if (!context.run.active) {
        return;
    }
    schedule.tickOwed = result.tickOwed;
    schedule.nextTickUs = nextGridPoint(schedule, nowUs);
    scheduleMoments(context, nowUs);
    searchAdapterIfDue(services, context, nowUs);
}

// Milliseconds from now until dueUs, rounded up so the wait never ends before it.
std::uint32_t millisecondsUntil(std::int64_t dueUs, std::int64_t nowUs) {
    if (dueUs == kNeverUs) {
        return kInfinite;
    }
    if (dueUs <= nowUs) {
        return 0;
    }
    const std::int64_t ms =
        (dueUs - nowUs + kMicrosecondsPerMillisecond - 1) / kMicrosecondsPerMillisecond;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, kInfinite - 1));
}

// The wait for a moment: a long one ends early (see kLongWaitMs).
std::uint32_t waitForMoment(std::int64_t servedFromUs, std::int64_t nowUs) {
    const std::uint32_t ms = millisecondsUntil(servedFromUs, nowUs);
    return ms >= kLongWaitMs && ms != kInfinite ? ms - kLongWaitCutMs : ms;
}

} // namespace

bool startRunSchedule(CaptureServices& services, CaptureContext& context) {
    RunSchedule& schedule = context.run.schedule;
    const std::int64_t nowUs = microsecondsNow(services.clock);
    schedule = RunSchedule{};
    schedule.gridStartUs = nowUs;
    schedule.nextTickUs = nowUs + kTickPeriodUs;
    schedule.tickOwed = true;
    setTimerUnlessSet(services, context);
    if (!context.run.fastPath.enabled) {
        return schedule.timerSet;
    }
    schedule.timerResolutionHeld =
        services.timePeriod.timeBeginPeriod(kTimerResolutionMs) == kTimerNoError;
    return true;
}

void stopRunSchedule(CaptureServices& services, CaptureContext& context) {
    RunSchedule& schedule = context.run.schedule;
    killTimer(services, context);
    if (schedule.timerResolutionHeld) {
        services.timePeriod.timeEndPeriod(kTimerResolutionMs);
    }
    schedule = RunSchedule{};
}

bool restartTickAfterKeyboardReturn(CaptureServices& services, CaptureContext& context) {
    RunSchedule& schedule = context.run.schedule;
    schedule.timerSet = false; // making the keyboard killed it
    schedule.tickOwed = true;
    resumeTick(services, context, microsecondsNow(services.clock));
    return schedule.timerSet || context.run.fastPath.enabled;
}

void onCaptureTimer(CaptureServices& services, CaptureContext& context) {
    const std::int64_t nowUs = microsecondsNow(services.clock);
    const RunSchedule& schedule = context.run.schedule;
    if (fastPathRun(context) && nowUs + kTimerMessageSlackUs < schedule.nextTickUs) {
        return;
    }
    runTick(services, context, nowUs);
}

void onDeviceEvent(CaptureServices& services, CaptureContext& context) {
    if (!fastPathRun(context)) {
        return;
    }
    const std::int64_t nowUs = microsecondsNow(services.clock);
    const StepResult result = captureEvent(services, context, nowUs);
    if (!context.run.active) {
        return;
    }
    trackAdapter(context, nowUs);
    scheduleMoments(context, nowUs);
    // Only after the packet: the change goes out first.
    if (result.tickOwed) {
        context.run.schedule.tickOwed = true;
        resumeTick(services, context, nowUs);
    }
}

std::uint32_t beforeLoopWait(CaptureServices& services, CaptureContext& context) {
    if (!fastPathRun(context)) {
        return kInfinite;
    }
    const std::int64_t nowUs = microsecondsNow(services.clock);
    if (tickCouldChangeSomething(context)) {
        resumeTick(services, context, nowUs);
    } else {
        pauseTick(services, context);
    }
    const RunSchedule& schedule = context.run.schedule;
    const std::int64_t tickDueUs = schedule.tickPaused ? kNeverUs : schedule.nextTickUs;
    const std::int64_t momentUs = nextMoment(schedule);
    const std::int64_t servedFromUs = momentUs == kNeverUs ? kNeverUs : momentUs - kMomentEarlyUs;
    return std::min(millisecondsUntil(tickDueUs, nowUs), waitForMoment(servedFromUs, nowUs));
}

void onWaitTimeout(CaptureServices& services, CaptureContext& context) {
    if (!fastPathRun(context)) {
        return;
    }
    const std::int64_t nowUs = microsecondsNow(services.clock);
    const RunSchedule& schedule = context.run.schedule;
    if (!schedule.tickPaused && nowUs >= schedule.nextTickUs) {
        runTick(services, context, nowUs);
    }
    const std::int64_t momentUs = nextMoment(schedule);
    if (context.run.active && momentUs != kNeverUs && nowUs + kMomentEarlyUs >= momentUs) {
        // As of the moment itself, so the next one is the one after it.
        const std::int64_t servedUs = std::max(nowUs, momentUs);
        refreshState(services, context, servedUs);
        if (context.run.active) {
            trackAdapter(context, nowUs);
            scheduleMoments(context, servedUs);
        }
    }
}

void beforeLoopMessage(CaptureServices& services, CaptureContext& context) {
    if (!fastPathRun(context)) {
        return;
    }
    context.run.schedule.tickOwed = true;
    resumeTick(services, context, microsecondsNow(services.clock));
}

} // namespace qora
