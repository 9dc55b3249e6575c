#include "app/capture_run.h"

#include "app/adapter_recovery.h"
#include "app/capture_events.h"
#include "app/capture_steps.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "mapping/actions.h"
#include "mapping/mouse_motion.h"
#include "platform/file_failure.h"
#include "profiles/store.h"

#include <cstring>
#include <string>
#include <vector>

namespace qora {
namespace {

void startCaptureTimer(UserApi& user, const CaptureContext& context) {
    user.setTimer(context.mainWindow, kCaptureTimerId, kCaptureTimerPeriodMs);
}

// The start cannot go on without a keyboard: nothing could stop the run.
void undoStart(CaptureServices& services, CaptureContext& context) {
    releaseMouse(services.directInput, context.devices);
    releaseKeyboard(services.directInput, context.devices);
    closeAdapter(services.files, context.run.adapter);
    resetToIdle(context.run.state);
    services.user.invalidateRect(context.mainWindow, false);
}

void readMouseInput(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    const std::uint32_t count = takeMouseRecords(services, context);
    processMouse(context.mouse, run.state, context.mode, run.profile, run.mouseRecords.data(),
                 count, services.user);
}

} // namespace

// Dispatches every key that is down; false when F11 ended the run.
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

bool keyboardReadable(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (run.keyboardOnLoan || !keyboardExists(context.devices)) {
        return false;
    }
    if (readKeyboardSnapshot(services.directInput, services.user, context.devices,
                             run.keyboardSnapshot.data(), kKeyboardSnapshotSize)) {
        return true;
    }
    // The next tick reads again; no event would tell it what changed meanwhile.
    run.fastPath.tickNeeded = true;
    return false;
}

void sendChangedState(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (run.state == run.lastSent) {
        return;
    }
    // A failed write is not retried: the same state is not sent again until it changes,
    // or until the lost adapter comes back.
    if (isOpen(run.adapter) && !sendCurrentState(services, context)) {
        markAdapterLost(services, context);
    }
    run.lastSent = run.state;
    services.user.invalidateRect(context.mainWindow, false);
}

CurrentProfile loadCurrentProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths) {
    const std::uint32_t count = readProfileCount(ini, paths);
    const std::int32_t current = readCurrentProfile(ini, paths);
    std::vector<std::uint8_t> store(static_cast<std::size_t>(count) * kProfileRecordSize, 0);
    const StoreRead read =
        readStore(files, paths, store.data(), static_cast<std::uint32_t>(store.size()));
    if (current < 0 || static_cast<std::uint32_t>(current) >= count) {
        return {ProfileRecord{}, read};
    }
    return {loadRecord(store.data(), static_cast<std::size_t>(current)), read};
}

void startCaptureRun(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (context.mode == kConsoleNotSet) {
        return;
    }
    const AdapterLink adapter =
        openAdapter(services.hid, services.files, services.ini, context.paths);
    if (!isOpen(adapter)) {
        const std::string text = adapterUnavailableText(adapter, context.paths);
        services.user.messageBox(context.mainWindow, text.c_str(), kWarningCaption, kMbOk);
        return;
    }
    run.adapter = adapter;
    services.user.invalidateRect(context.mainWindow, true);

    // A run on a profile that could not be read would have nothing bound: say so instead.
    const CurrentProfile current = loadCurrentProfile(services.files, services.ini, context.paths);
    if (!current.read.readable()) {
        showFileFailure(services.user, context.mainWindow, describeFailure(current.read.failure));
        undoStart(services, context);
        return;
    }
    run.profile = current.record;

    openOrCloseKeyboard(services.directInput, services.user, context.devices, context.mainWindow,
                        kCaptureKeyboardBackgroundMode);
    if (!keyboardExists(context.devices)) {
        undoStart(services, context);
        return;
    }
    openOrCloseMouse(services.directInput, services.user, context.devices, context.mainWindow);
    armFastPath(services, context);
    startCaptureTimer(services.user, context);
    loadIconPositions(context.icons, services.ini, context.paths, context.mode);

    run.active = true;
    services.user.invalidateRect(context.mainWindow, false);
}

void captureTick(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    std::memset(run.mouseRecords.data(), 0, sizeof(MouseRecord) * run.mouseRecords.size());
    run.keyboardSnapshot.fill(0);
    resetToRest(run.state);
    run.fastPath.tickNeeded = false;
    if (!run.active) {
        return;
    }
    if (mouseExists(context.devices)) {
        readMouseInput(services, context);
    }
    if (keyboardReadable(services, context) && !dispatchPressedKeys(services, context)) {
        return;
    }
    retryLostAdapter(services, context);
    sendChangedState(services, context);
}

void stopCaptureRun(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    services.user.killTimer(context.mainWindow, kCaptureTimerId);
    releaseMouse(services.directInput, context.devices);
    // A keyboard on loan belongs to the Map dialog, which releases it itself.
    if (!run.keyboardOnLoan) {
        releaseKeyboard(services.directInput, context.devices);
    }
    closeAdapter(services.files, run.adapter);
    run.adapterLost = false;
    disarmFastPath(run.fastPath);
    resetToIdle(run.state);
    run.active = false;
    services.user.invalidateRect(context.mainWindow, false);
}

void lendKeyboardToMapDialog(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.active || run.keyboardOnLoan) {
        return;
    }
    releaseKeyboard(services.directInput, context.devices);
    run.keyboardOnLoan = true;
    run.fastPath.keyboardArmed = false;
}

void returnKeyboardFromMapDialog(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.keyboardOnLoan) {
        return;
    }
    run.keyboardOnLoan = false;
    if (!run.active) {
        return;
    }
    if (!keyboardExists(context.devices)) {
        openOrCloseKeyboard(services.directInput, services.user, context.devices,
                            context.mainWindow, kCaptureKeyboardBackgroundMode);
    }
    if (keyboardExists(context.devices)) {
        armKeyboardEvent(services, context);
        startCaptureTimer(services.user, context);
    } else {
        // Without a keyboard nothing could stop the run: end it now.
        stopCaptureRun(services, context);
    }
}

} // namespace qora
