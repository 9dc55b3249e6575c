#include "app/capture_steps.h"

#include "app/adapter_recovery.h"
#include "app/aim_trace_hooks.h"
#include "app/calibration.h"
#include "formats/run_keys.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "mapping/actions.h"
#include "mapping/layer_activity.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_records.h"
#include "mapping/precise_aim.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace qora {
namespace {

// A step reads the devices first, then follows the layers and the running profile, and
// only then builds the state from its rest values through the profile in effect, so one
// packet carries the whole change.

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

void redrawWindow(CaptureServices& services, const CaptureContext& context) {
    services.user.invalidateRect(context.mainWindow, false);
}

// The profile in effect and its binding modes made again from the running profile and its
// layers in effect (a run that holds no profile keeps the profile it has).
void remakeProfileInEffect(CaptureRun& run) {
    if (runningProfile(run.profiles) != nullptr) {
        run.profile = profileInEffect(run.profiles);
        remakeModesInEffect(run.profiles);
    }
}

// The actions the plain bindings leave to the binding modes.
std::uint32_t actionsLeftToModes(const CaptureRun& run) {
    return actionsWithModes(run.profiles.modes);
}

// Where calibration changes each value now.
CalibrationTargets calibrationTargetsOf(CaptureRun& run) {
    return calibrationTargets(run.profiles, run.profile);
}

// The calibration keys leave the snapshot before any binding sees it; F4 saves (the one
// step of a run that may allocate), and whatever the view shows redraws it.
void applyCalibrationKeys(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    const CalibrationKeys keys = takeCalibrationKeys(run.calibration, calibrationTargetsOf(run),
                                                     run.keyboardSnapshot.data());
    remakeProfileInEffect(run);
    if (keys.save) {
        RunProfile* running = runningProfile(run.profiles);
        LoadedProfile none;
        saveCalibration(run.calibration, services.files, services.ini, context.paths,
                        running != nullptr ? profileInUse(*running) : LayeredProfile{},
                        running != nullptr ? running->stored : none);
    }
    if (keys.changed || keys.save) {
        redrawWindow(services, context);
    }
}

// NEXT and PREVIOUS leave the snapshot too; a press switches the running profile, which
// ends every layer of the old one and calibration with it (its values stay in the old
// profile's copy for the rest of the run).
void applySwitchKeys(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    const int step = takeSwitchKeys(run.switchKeys, run.keyboardSnapshot.data());
    if (step == 0 ||
        !switchProfile(run.profiles, step, run.keyboardSnapshot.data(), context.mouse, nowUs)) {
        return;
    }
    run.calibration.on = false;
    run.calibration.test = DeadZoneTest::none;
    remakeProfileInEffect(run);
    redrawWindow(services, context);
}

// The keys a run keeps for itself leave the snapshot and act. A failed read owes a tick:
// no event would tell what changed meanwhile.
KeyboardRead takeKeyboardInput(CaptureServices& services, CaptureContext& context,
                               std::int64_t nowUs, StepResult& result) {
    const KeyboardRead read = readKeyboardInput(services, context);
    if (read == KeyboardRead::snapshot) {
        applyCalibrationKeys(services, context);
        applySwitchKeys(services, context, nowUs);
    } else if (read == KeyboardRead::failed) {
        result.tickOwed = true;
    }
    return read;
}

// The running profile's layers follow their triggers (the keys of the snapshot, the mouse's
// button flags and the buttons pressed within this step's records) as of nowUs.
void followRunningLayers(CaptureServices& services, CaptureContext& context,
                         std::uint8_t buttonsPressed, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    const RunProfile* running = runningProfile(run.profiles);
    if (running == nullptr || running->layers.empty()) {
        return;
    }
    const TriggerReading triggers =
        readTriggers(running->layers, run.keyboardSnapshot.data(), context.mouse, buttonsPressed);
    if (followLayers(run.profiles.activities, running->layers, triggers, nowUs)) {
        remakeProfileInEffect(run);
        redrawWindow(services, context);
    }
}

// The binding modes follow what is held, through the profile in effect, as of nowUs.
void followBindingModes(CaptureContext& context, std::uint8_t buttonsPressed, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    followModes(run.profiles.modeActivity, run.profiles.modes, run.profile,
                {run.keyboardSnapshot.data(), context.mouse, buttonsPressed}, nowUs);
    endFinishedMacros(run.profiles.modeActivity, run.profiles.modes, nowUs);
}

// Dispatches every key that is down in the snapshot, leaving toggled and repeating actions
// to the binding modes and scaling key-driven sticks while the walk key is held; false when
// F11 ended the run.
bool dispatchPressedKeys(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    const std::uint32_t leaveOut = actionsLeftToModes(run);
    const std::int32_t stickPercent =
        keyStickPercent(run.profiles.modeActivity, run.profiles.modes);
    for (std::size_t code = 0; code < kKeyboardSnapshotSize; ++code) {
        if ((run.keyboardSnapshot[code] & kKeyDown) == 0) {
            continue;
        }
        if (code == run_key::stop) {
            stopCaptureRun(services, context);
            return false;
        }
        dispatchKey(run.state, context.mode, run.profile, static_cast<std::uint8_t>(code), leaveOut,
                    stickPercent);
    }
    return true;
}

// The keys' part of the state: the dead-zone test's stick over the mouse's, then every key
// that is down, then the binding modes, whose macro steps take precedence; false when F11
// ended the run.
bool applyKeys(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    holdDeadZoneTest(run.calibration, run.state, context.mode, run.profile);
    if (!dispatchPressedKeys(services, context)) {
        return false;
    }
    applyModes(run.state, context.mode, run.profiles.modeActivity, run.profiles.modes, nowUs);
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
    redrawWindow(services, context);
}

// Where the records are first read: while calibrating, the wheel steps the picked value
// and its records go, so no wheel binding fires and none is counted twice. Returns how many
// records are left.
std::uint32_t takeWheelWhileCalibrating(CaptureServices& services, CaptureContext& context,
                                        MouseRecord* records, std::uint32_t count) {
    CaptureRun& run = context.run;
    const WheelTaken taken =
        takeCalibrationWheel(run.calibration, calibrationTargetsOf(run), records, count);
    if (taken.changed) {
        remakeProfileInEffect(run);
        redrawWindow(services, context);
    }
    return taken.count;
}

// The tick's mouse records in the run's record buffer: those kept since the last tick,
// oldest first, then the fresh ones, as many more from the device as fit. With none kept
// this is the plain read of 256. full: the read filled the buffer.
struct TickRecords {
    std::uint32_t kept = 0;
    std::uint32_t total = 0;
    bool full = false;
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

// When a read of the mouse ended: the moment its reports are known to have come by. A read
// may take a while (Wine's input thread may be handing reports over meanwhile), so the
// step's own moment, taken before it, can lie before reports the read returns.
std::int64_t readEndUs(CaptureServices& services) {
    return microsecondsNow(services.clock);
}

bool isMotion(const MouseRecord& record) {
    return record.dwOfs == mouse_offset::x || record.dwOfs == mouse_offset::y;
}

// What a step's mouse read leaves for the layers: the buttons pressed within its records.
// A full tick buffer owes another tick: the device may hold more, and no event announces
// records that are already there.
std::uint8_t readMouseAtTick(CaptureServices& services, CaptureContext& context,
                             TickRecords& records, StepResult& result) {
    CaptureRun& run = context.run;
    records = takeMouseRecords(services, context);
    const std::int64_t readUs = readEndUs(services);
    traceMouseRead(context, AimTraceStep::tick, readUs, run.mouseRecords.data() + records.kept,
                   records.total - records.kept);
    if (records.full) {
        result.tickOwed = true;
    }
    if (isPreciseAim(run.profile)) {
        // The kept records set their flags again (so a wheel action lasts to the second
        // tick after its event, as in classic aim), and their motion and the fresh records'
        // moves the velocity estimator. Kept records hold motion only when calibration
        // turned a classic run precise since they were read: it counts, as it would have at
        // the tick in classic aim.
        clearWheelFlags(context.mouse);
        readPreciseAimRecords(context.mouse, run.mouseRecords.data(), records.total, readUs);
    } else {
        // The record pass of the mouse processor sets the same flags again when it runs.
        applyButtonRecords(context.mouse, run.mouseRecords.data(), records.total);
    }
    return mouseButtonsPressedIn(run.mouseRecords.data(), records.total);
}

// The mouse's part of the tick's state: classic aim's processor on the tick's records, or
// precise aim as of now.
void writeMouseAtTick(CaptureServices& services, CaptureContext& context,
                      const TickRecords& records, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    if (isPreciseAim(run.profile)) {
        writePreciseAim(context.mouse, run.state, context.mode, run.profile, nowUs,
                        actionsLeftToModes(run));
        tracePreciseAim(context, AimTraceStep::tick, nowUs);
        return;
    }
    processMouse(context.mouse, run.state, context.mode, run.profile, run.mouseRecords.data(),
                 records.total, services.user, actionsLeftToModes(run));
}

// Reads what the device holds after the pending records, as far as there is room: once
// 256 wait, the rest stays in the device's buffer, as it would until the tick. Their
// button and wheel records set the flags now; classic motion waits for the tick, precise
// motion goes to the velocity estimator now and is not kept. Records kept owe the tick.
// Returns the buttons pressed within the records read.
std::uint8_t readMouseAtEvent(CaptureServices& services, CaptureContext& context,
                              StepResult& result) {
    FastPath& fastPath = context.run.fastPath;
    const std::span<MouseRecord> room =
        std::span(fastPath.pendingMouseRecords).subspan(fastPath.pendingMouseCount);
    const std::uint32_t returned =
        readMouseRecordsInto(services.directInput, context.devices, room);
    const std::int64_t readUs = readEndUs(services);
    traceMouseRead(context, AimTraceStep::event, readUs, room.data(), returned);
    const std::uint32_t read = takeWheelWhileCalibrating(services, context, room.data(), returned);
    const std::uint8_t pressed = mouseButtonsPressedIn(room.data(), read);
    std::uint32_t kept = read;
    if (isPreciseAim(context.run.profile)) {
        readPreciseAimRecords(context.mouse, room.data(), read, readUs);
        kept = static_cast<std::uint32_t>(
            std::remove_if(room.begin(), room.begin() + read, isMotion) - room.begin());
    } else {
        applyButtonRecords(context.mouse, room.data(), read);
    }
    fastPath.pendingMouseCount += kept;
    if (kept != 0) {
        result.tickOwed = true;
    }
    return pressed;
}

// The mouse's part of a state rebuilt between ticks: classic aim's last output, or
// precise aim as of now, then the actions of the mouse flags.
void writeMouseBetweenTicks(CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    if (isPreciseAim(run.profile)) {
        writePreciseAim(context.mouse, run.state, context.mode, run.profile, nowUs,
                        actionsLeftToModes(run));
        return;
    }
    writeMouseDeflection(run.state, run.profile, context.mouse.output);
    applyMouseFlagActions(context.mouse, run.state, context.mode, run.profile,
                          actionsLeftToModes(run));
}

// The keys go last, as at the tick, and only from a snapshot read in this step (the
// binding modes always); the state goes out when it changed. Nothing is sent when F11 ended
// the run.
void finishStep(CaptureServices& services, CaptureContext& context, KeyboardRead keyboard,
                std::int64_t nowUs) {
    CaptureRun& run = context.run;
    if (keyboard != KeyboardRead::snapshot) {
        applyModes(run.state, context.mode, run.profiles.modeActivity, run.profiles.modes, nowUs);
        sendChangedState(services, context);
        return;
    }
    if (applyKeys(services, context, nowUs)) {
        sendChangedState(services, context);
    }
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
    const bool mouse = mouseExists(context.devices);
    TickRecords records;
    const std::uint8_t buttonsPressed =
        mouse ? readMouseAtTick(services, context, records, result) : 0;
    const KeyboardRead keyboard = takeKeyboardInput(services, context, nowUs, result);
    followRunningLayers(services, context, buttonsPressed, nowUs);
    followBindingModes(context, buttonsPressed, nowUs);
    if (mouse) {
        writeMouseAtTick(services, context, records, nowUs);
    }
    finishStep(services, context, keyboard, nowUs);
    return result;
}

StepResult captureEvent(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    StepResult result;
    if (!run.active || !run.fastPath.enabled) {
        return result;
    }
    const bool mouse = mouseExists(context.devices);
    const std::uint8_t buttonsPressed = mouse ? readMouseAtEvent(services, context, result) : 0;
    run.keyboardSnapshot.fill(0);
    const KeyboardRead keyboard = takeKeyboardInput(services, context, nowUs, result);
    followRunningLayers(services, context, buttonsPressed, nowUs);
    followBindingModes(context, buttonsPressed, nowUs);
    resetToRest(run.state);
    if (mouse) {
        writeMouseBetweenTicks(context, nowUs);
        tracePreciseAim(context, AimTraceStep::event, nowUs);
    }
    finishStep(services, context, keyboard, nowUs);
    return result;
}

void refreshState(CaptureServices& services, CaptureContext& context, std::int64_t nowUs) {
    CaptureRun& run = context.run;
    if (!run.active) {
        return;
    }
    if (makeDueLayerChanges(run.profiles.activities, nowUs)) {
        remakeProfileInEffect(run);
        redrawWindow(services, context);
    }
    endFinishedMacros(run.profiles.modeActivity, run.profiles.modes, nowUs);
    resetToRest(run.state);
    if (mouseExists(context.devices)) {
        writeMouseBetweenTicks(context, nowUs);
        tracePreciseAim(context, AimTraceStep::refresh, nowUs);
    }
    if (applyKeys(services, context, nowUs)) {
        sendChangedState(services, context);
    }
}

void searchForLostAdapter(CaptureServices& services, CaptureContext& context) {
    if (context.run.active && context.run.adapterLost) {
        reopenLostAdapter(services, context);
    }
}

} // namespace qora
