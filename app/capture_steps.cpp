#include "app/capture_steps.h"

#include "app/adapter_recovery.h"
#include "app/aim_trace_hooks.h"
#include "app/calibration.h"
#include "formats/run_keys.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "mapping/actions.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_records.h"
#include "mapping/precise_aim.h"

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
        if (code == run_key::stop) {
            stopCaptureRun(services, context);
            return false;
        }
        dispatchKey(run.state, context.mode, run.profile, static_cast<std::uint8_t>(code));
    }
    return true;
}

// The keys' part of the state: the dead-zone test's stick over the mouse's, then every key
// that is down; false when F11 ended the run.
bool applyKeys(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    holdDeadZoneTest(run.calibration, run.state, context.mode, run.profile);
    return dispatchPressedKeys(services, context);
}

// The calibration keys leave the snapshot before any binding sees it; F4 saves (the one
// step of a run that may allocate), and whatever the view shows redraws it.
void applyCalibrationKeys(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    const CalibrationKeys keys =
        takeCalibrationKeys(run.calibration, run.profile, run.keyboardSnapshot.data());
    if (keys.save) {
        saveCalibration(run.calibration, services.files, services.ini, context.paths, run.profile,
                        run.loadedProfile);
    }
    if (keys.changed || keys.save) {
        services.user.invalidateRect(context.mainWindow, false);
    }
}

// The keys go last, as at the tick; false when F11 ended the run. A failed read owes a
// tick: no event would tell what changed meanwhile.
bool applyKeyboardInput(CaptureServices& services, CaptureContext& context, StepResult& result) {
    switch (readKeyboardInput(services, context)) {
    case KeyboardRead::snapshot:
        applyCalibrationKeys(services, context);
        return applyKeys(services, context);
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
    traceSentPacket(services, context);
    run.lastSent = run.state;
    services.user.invalidateRect(context.mainWindow, false);
}

// Where the records are first read: while calibrating, the wheel steps the picked value
// and its records go, so no wheel binding fires and none is counted twice. Returns how many
// records are left.
std::uint32_t takeWheelWhileCalibrating(CaptureServices& services, CaptureContext& context,
                                        MouseRecord* records, std::uint32_t count) {
    CaptureRun& run = context.run;
    const WheelTaken taken = takeCalibrationWheel(run.calibration, run.profile, records, count);
    if (taken.changed) {
        services.user.invalidateRect(context.mainWindow, false);
    }
    return taken.count;
}

// The tick's mouse records in the run's record buffer: those kept since the last tick,
// oldest first, then the fresh ones, as many more from the device as fit. With none kept
// this is the plain read of 256. full: the read filled the buffer.
struct TickRecords {
    std::uint32_t kept;
    std::uint32_t total;
    bool full;
};

TickRecords takeMouseRecords(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    FastPath& fastPath = run.fastPath;
    const std::uint32_t kept = fastPath.pendingMouseCount;
    std::copy_n(fastPath.pendingMouseRecords.begin(), kept, run.mouseRecords.begin());
    fastPath.pendingMouseCount = 0;
    const std::span<MouseRecord> room = std::span(run.mouseRecords).subspan(kept);
    const std::uint32_t read = readMouseRecordsInto(services.directInput, context.devices, room);
    const std::uint32_t fresh = takeWheelWhileCalibrating(services, context, room.data(), read);
    return {kept, kept + fresh, kept + read == kMouseRecordCapacity};
}

bool isMotion(const MouseRecord& record) {
    return record.dwOfs == mouse_offset::x || record.dwOfs == mouse_offset::y;
}

// Reads what the device holds after the pending records, as far as there is room: once
// 256 wait, the rest stays in the device's buffer, as it would until the tick. Their
// button and wheel records set the flags now; classic motion waits for the tick, precise
// motion goes to the velocity estimator now and is not kept. True when records were kept.
bool keepMouseRecords(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    FastPath& fastPath = context.run.fastPath;
    const std::span<MouseRecord> room =
        std::span(fastPath.pendingMouseRecords).subspan(fastPath.pendingMouseCount);
    const std::uint32_t returned =
        readMouseRecordsInto(services.directInput, context.devices, room);
    traceMouseRead(context, AimTraceStep::event, nowUs, room.data(), returned);
    const std::uint32_t read = takeWheelWhileCalibrating(services, context, room.data(), returned);
    if (!isPreciseAim(context.run.profile)) {
        applyButtonRecords(context.mouse, room.data(), read);
        fastPath.pendingMouseCount += read;
        return read != 0;
    }
    readPreciseAimRecords(context.mouse, room.data(), read, nowUs);
    const auto end = std::remove_if(room.begin(), room.begin() + read, isMotion);
    const auto kept = static_cast<std::uint32_t>(end - room.begin());
    fastPath.pendingMouseCount += kept;
    return kept != 0;
}

// Precise aim at a tick: the kept records set their flags again (so a wheel action lasts
// to the second tick after its event, as in classic aim), and their motion and the fresh
// records' moves the velocity estimator. Kept records hold motion only when calibration
// turned a classic run precise since they were read: it counts, as it would have at the
// tick in classic aim.
void processPreciseMouse(CaptureContext& context, TickRecords records, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    clearWheelFlags(context.mouse);
    readPreciseAimRecords(context.mouse, run.mouseRecords.data(), records.total, nowUs);
    writePreciseAim(context.mouse, run.state, context.mode, run.profile, nowUs);
    tracePreciseAim(context, AimTraceStep::tick, nowUs);
}

// A full buffer owes another tick: the device may hold more, and no event announces
// records that are already there.
void readMouseAtTick(CaptureServices& services, CaptureContext& context, std::int64_t nowUs,
                     StepResult& result) {
    CaptureRun& run = context.run;
    const TickRecords records = takeMouseRecords(services, context);
    traceMouseRead(context, AimTraceStep::tick, nowUs, run.mouseRecords.data() + records.kept,
                   records.total - records.kept);
    if (records.full) {
        result.tickOwed = true;
    }
    if (isPreciseAim(run.profile)) {
        processPreciseMouse(context, records, nowUs);
        return;
    }
    processMouse(context.mouse, run.state, context.mode, run.profile, run.mouseRecords.data(),
                 records.total, services.user);
}

// The mouse's part of a state rebuilt between ticks: classic aim's last output, or
// precise aim as of now, then the actions of the mouse flags.
void writeMouseInput(CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    if (isPreciseAim(run.profile)) {
        writePreciseAim(context.mouse, run.state, context.mode, run.profile, nowUs);
        return;
    }
    writeMouseDeflection(run.state, run.profile, context.mouse.output);
    applyMouseFlagActions(context.mouse, run.state, context.mode, run.profile);
}

// Records kept for the tick owe it; classic motion waits for its mouse processor, precise
// aim is written as of now.
void readMouseAtEvent(CaptureServices& services, CaptureContext& context, std::int64_t nowUs,
                      StepResult& result) {
    if (keepMouseRecords(services, context, nowUs)) {
        result.tickOwed = true;
    }
    writeMouseInput(context, nowUs);
    tracePreciseAim(context, AimTraceStep::event, nowUs);
}

} // namespace

StepResult captureTick(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    std::memset(run.mouseRecords.data(), 0, sizeof(MouseRecord) * run.mouseRecords.size());
    run.keyboardSnapshot.fill(0);
    resetToRest(run.state);
    StepResult result;
    if (!run.active) {
        return result;
    }
    if (mouseExists(context.devices)) {
        readMouseAtTick(services, context, nowUs, result);
    }
    if (applyKeyboardInput(services, context, result)) {
        sendChangedState(services, context);
    }
    return result;
}

StepResult captureEvent(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    StepResult result;
    if (!run.active || !run.fastPath.enabled) {
        return result;
    }
    resetToRest(run.state);
    if (mouseExists(context.devices)) {
        readMouseAtEvent(services, context, nowUs, result);
    }
    run.keyboardSnapshot.fill(0);
    if (applyKeyboardInput(services, context, result)) {
        sendChangedState(services, context);
    }
    return result;
}

void refreshAim(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    if (!run.active || !mouseExists(context.devices)) {
        return;
    }
    resetToRest(run.state);
    writeMouseInput(context, nowUs);
    tracePreciseAim(context, AimTraceStep::refresh, nowUs);
    if (applyKeys(services, context)) {
        sendChangedState(services, context);
    }
}

void searchForLostAdapter(CaptureServices& services, CaptureContext& context) {
    if (context.run.active && context.run.adapterLost) {
        reopenLostAdapter(services, context);
    }
}

} // namespace qora
