#include "app/capture_steps.h"

#include "app/adapter_recovery.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "mapping/actions.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_records.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace qora {
namespace {

enum class KeyboardRead { snapshot, none, failed };

// Reads the keyboard snapshot unless the keyboard is on loan or missing.
KeyboardRead readKeyboardInput(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (run.keyboardOnLoan || !keyboardExists(context.devices)) {
        return KeyboardRead::none;
    }
    return readKeyboardSnapshot(services.directInput, services.user, context.devices,
                                run.keyboardSnapshot.data(), kKeyboardSnapshotSize)
               ? KeyboardRead::snapshot
               : KeyboardRead::failed;
}

// Dispatches every key that is down in the snapshot; false when F11 ended the run.
bool dispatchPressedKeys(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    for (std::size_t code = 0; code < kKeyboardSnapshotSize; ++code) {
        if ((run.keyboardSnapshot[code] & kKeyDown) == 0) {
            continue;
        }
        if (code == kStopKey) {
            stopCaptureRun(services, context);
            return false;
        }
        dispatchKey(run.state, context.mode, run.profile, static_cast<std::uint8_t>(code));
    }
    return true;
}

// The keys go last, as at the tick; false when F11 ended the run. A failed read owes a
// tick: no event would tell what changed meanwhile.
bool applyKeyboardInput(CaptureServices& services, CaptureContext& context, StepResult& result) {
    switch (readKeyboardInput(services, context)) {
    case KeyboardRead::snapshot:
        return dispatchPressedKeys(services, context);
    case KeyboardRead::failed:
        result.tickOwed = true;
        return true;
    case KeyboardRead::none:
        return true;
    }
    return true;
}

// Writes the state to the adapter when it differs from the last one sent. A failed write
// is not retried: the same state is not sent again until it changes, or until the lost
// adapter comes back.
void sendChangedState(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (run.state == run.lastSent) {
        return;
    }
    if (isOpen(run.adapter) && !sendCurrentState(services, context)) {
        markAdapterLost(services, context);
    }
    run.lastSent = run.state;
    services.user.invalidateRect(context.mainWindow, false);
}

// The tick's mouse records, into the run's record buffer: those kept since the last tick,
// oldest first, then as many more from the device as fit. With none kept this is the
// plain read of 256.
std::uint32_t takeMouseRecords(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    FastPath& fastPath = run.fastPath;
    const std::uint32_t kept = fastPath.pendingMouseCount;
    std::copy_n(fastPath.pendingMouseRecords.begin(), kept, run.mouseRecords.begin());
    fastPath.pendingMouseCount = 0;
    const std::span<MouseRecord> room = std::span(run.mouseRecords).subspan(kept);
    return kept + readMouseRecordsInto(services.directInput, context.devices, room);
}

// Moves what the device holds into the pending records, as far as there is room: once
// 256 wait, the rest stays in the device's buffer, as it would until the tick. Their
// button and wheel records set the flags now. Returns how many it moved.
std::uint32_t keepMouseRecords(CaptureServices& services, CaptureContext& context) {
    FastPath& fastPath = context.run.fastPath;
    const std::span<MouseRecord> room =
        std::span(fastPath.pendingMouseRecords).subspan(fastPath.pendingMouseCount);
    const std::uint32_t read = readMouseRecordsInto(services.directInput, context.devices, room);
    applyButtonRecords(context.mouse, room.data(), read);
    fastPath.pendingMouseCount += read;
    return read;
}

// A full buffer owes another tick: the device may hold more, and no event announces
// records that are already there.
void readMouseAtTick(CaptureServices& services, CaptureContext& context, StepResult& result) {
    CaptureRun& run = context.run;
    const std::uint32_t count = takeMouseRecords(services, context);
    if (count == kMouseRecordCapacity) {
        result.tickOwed = true;
    }
    processMouse(context.mouse, run.state, context.mode, run.profile, run.mouseRecords.data(),
                 count, services.user);
}

// Motion waits for the tick, which owes it its mouse processor.
void readMouseAtEvent(CaptureServices& services, CaptureContext& context, StepResult& result) {
    CaptureRun& run = context.run;
    if (keepMouseRecords(services, context) != 0) {
        result.tickOwed = true;
    }
    writeMouseDeflection(run.state, run.profile, context.mouse.output);
    applyMouseFlagActions(context.mouse, run.state, context.mode, run.profile);
}

} // namespace

StepResult captureTick(CaptureServices& services, CaptureContext& context, std::int64_t) {
    CaptureRun& run = context.run;
    std::memset(run.mouseRecords.data(), 0, sizeof(MouseRecord) * run.mouseRecords.size());
    run.keyboardSnapshot.fill(0);
    resetToRest(run.state);
    StepResult result;
    if (!run.active) {
        return result;
    }
    if (mouseExists(context.devices)) {
        readMouseAtTick(services, context, result);
    }
    if (applyKeyboardInput(services, context, result)) {
        sendChangedState(services, context);
    }
    return result;
}

StepResult captureEvent(CaptureServices& services, CaptureContext& context, std::int64_t) {
    CaptureRun& run = context.run;
    StepResult result;
    if (!run.active || !run.fastPath.enabled) {
        return result;
    }
    resetToRest(run.state);
    if (mouseExists(context.devices)) {
        readMouseAtEvent(services, context, result);
    }
    run.keyboardSnapshot.fill(0);
    if (applyKeyboardInput(services, context, result)) {
        sendChangedState(services, context);
    }
    return result;
}

void searchForLostAdapter(CaptureServices& services, CaptureContext& context) {
    if (context.run.active && context.run.adapterLost) {
        reopenLostAdapter(services, context);
    }
}

} // namespace qora
