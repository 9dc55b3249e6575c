#include "app/capture_events.h"

#include "app/capture_steps.h"
#include "app/main_window.h"
#include "input/device_slot.h"
#include "input/mouse_device.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_records.h"

#include <algorithm>
#include <span>

namespace qora {
namespace {

// Auto-reset: the wait that sees an event set clears it again.
constexpr bool kManualReset = false;
constexpr bool kInitiallySet = false;

bool lowLatencyWanted(ProfileFileApi& ini, const ProgramPaths& paths) {
    return ini.getPrivateProfileInt(kSettingSection, kLowLatencyKey, kLowLatencyDefault,
                                    paths.settingIni.c_str()) == 1;
}

// Moves what the device holds into the pending records, as far as there is room: once
// 256 wait, the rest stays in the device's buffer, as it would until the tick. Returns
// how many it moved.
std::uint32_t keepMouseRecords(CaptureServices& services, CaptureContext& context) {
    FastPath& fastPath = context.run.fastPath;
    const std::span<MouseRecord> room =
        std::span(fastPath.pendingMouseRecords).subspan(fastPath.pendingMouseCount);
    const std::uint32_t read = readMouseRecordsInto(services.directInput, context.devices, room);
    applyButtonRecords(context.mouse, room.data(), read);
    fastPath.pendingMouseCount += read;
    return read;
}

// What processMouse wrote at the last tick, with the mouse flags as they stand now.
void applyMouseInput(CaptureContext& context) {
    CaptureRun& run = context.run;
    writeMouseDeflection(run.state, run.profile, context.mouse.output);
    applyMouseFlagActions(context.mouse, run.state, context.mode, run.profile);
}

// A running timer is left alone: setting it again would restart its countdown.
void setTimerIfPaused(CaptureServices& services, CaptureContext& context) {
    FastPath& fastPath = context.run.fastPath;
    if (fastPath.tickPaused) {
        services.user.setTimer(context.mainWindow, kCaptureTimerId, kCaptureTimerPeriodMs);
        fastPath.tickPaused = false;
    }
}

bool tickCouldChangeSomething(const CaptureContext& context) {
    const CaptureRun& run = context.run;
    const FastPath& fastPath = run.fastPath;
    if (fastPath.tickNeeded || run.adapterLost || !fastPath.keyboardArmed ||
        fastPath.pendingMouseCount != 0) {
        return true;
    }
    return mouseExists(context.devices) && (!fastPath.mouseArmed || !mouseAtRest(context.mouse));
}

} // namespace

void setUpFastPath(EventApi& events, ProfileFileApi& ini, const ProgramPaths& paths,
                   FastPath& fastPath) {
    fastPath.enabled = false;
    if (!lowLatencyWanted(ini, paths)) {
        return;
    }
    for (NativeHandle& event : fastPath.events) {
        event = events.createEvent(kManualReset, kInitiallySet, nullptr);
    }
    const bool allMade = std::none_of(fastPath.events.begin(), fastPath.events.end(),
                                      [](NativeHandle event) { return event == kNoEvent; });
    if (!allMade) {
        tearDownFastPath(events, fastPath);
        return;
    }
    fastPath.enabled = true;
}

void tearDownFastPath(EventApi& events, FastPath& fastPath) {
    for (NativeHandle& event : fastPath.events) {
        if (event != kNoEvent) {
            events.closeHandle(event);
            event = kNoEvent;
        }
    }
    fastPath.enabled = false;
}

void armFastPath(CaptureServices& services, CaptureContext& context) {
    FastPath& fastPath = context.run.fastPath;
    if (!fastPath.enabled) {
        return;
    }
    disarmFastPath(fastPath);
    armKeyboardEvent(services, context);
    if (mouseExists(context.devices)) {
        fastPath.mouseArmed = directInputSucceeded(notifyOnChange(
            services.directInput, context.devices.mouse, fastPath.events[kMouseEvent]));
    }
}

// A failed notification leaves that device to the tick.
void armKeyboardEvent(CaptureServices& services, CaptureContext& context) {
    FastPath& fastPath = context.run.fastPath;
    if (!fastPath.enabled) {
        return;
    }
    fastPath.keyboardArmed =
        slotHeld(context.devices.keyboard) &&
        directInputSucceeded(notifyOnChange(services.directInput, context.devices.keyboard,
                                            fastPath.events[kKeyboardEvent]));
    fastPath.tickNeeded = true;
}

void disarmFastPath(FastPath& fastPath) {
    fastPath.pendingMouseCount = 0;
    fastPath.keyboardArmed = false;
    fastPath.mouseArmed = false;
    fastPath.tickPaused = false;
    fastPath.tickNeeded = false;
}

std::uint32_t takeMouseRecords(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    FastPath& fastPath = run.fastPath;
    const std::uint32_t kept = fastPath.pendingMouseCount;
    std::copy_n(fastPath.pendingMouseRecords.begin(), kept, run.mouseRecords.begin());
    fastPath.pendingMouseCount = 0;
    const std::span<MouseRecord> room = std::span(run.mouseRecords).subspan(kept);
    const std::uint32_t taken =
        kept + readMouseRecordsInto(services.directInput, context.devices, room);
    // The device may hold more, and no event announces records that are already there.
    if (taken == kMouseRecordCapacity) {
        fastPath.tickNeeded = true;
    }
    return taken;
}

void pauseTickWhileIdle(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.active || !run.fastPath.enabled) {
        return;
    }
    if (tickCouldChangeSomething(context)) {
        setTimerIfPaused(services, context);
        return;
    }
    if (!run.fastPath.tickPaused) {
        services.user.killTimer(context.mainWindow, kCaptureTimerId);
        run.fastPath.tickPaused = true;
    }
}

void resumeTick(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.active || !run.fastPath.enabled) {
        return;
    }
    run.fastPath.tickNeeded = true;
    setTimerIfPaused(services, context);
}

void captureEvent(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.active || !run.fastPath.enabled) {
        return;
    }
    resetToRest(run.state);
    std::uint32_t kept = 0;
    if (mouseExists(context.devices)) {
        kept = keepMouseRecords(services, context);
        applyMouseInput(context);
    }
    run.keyboardSnapshot.fill(0);
    if (keyboardReadable(services, context) && !dispatchPressedKeys(services, context)) {
        return;
    }
    sendChangedState(services, context);
    // Motion needs its tick back, but only after the packet: the press goes out first.
    if (kept != 0) {
        resumeTick(services, context);
    }
}

} // namespace qora
