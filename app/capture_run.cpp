#include "app/capture_run.h"

#include "app/aim_trace_hooks.h"
#include "app/run_scheduler.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "platform/file_failure.h"
#include "profiles/store.h"

#include <string>
#include <utility>
#include <vector>

namespace qora {
namespace {

void showWarning(CaptureServices& services, const CaptureContext& context, const char* text) {
    services.user.messageBox(context.mainWindow, text, kWarningCaption, kMbOk);
}

// The start cannot go on: without a keyboard nothing could stop the run, without a tick
// nothing would be read.
void undoStart(CaptureServices& services, CaptureContext& context) {
    releaseMouse(services.directInput, context.devices);
    releaseKeyboard(services.directInput, context.devices);
    closeAdapter(services.files, context.run.adapter);
    disarmFastPath(context.run.fastPath);
    resetToIdle(context.run.state);
    services.user.invalidateRect(context.mainWindow, false);
}

// Start's first half: the adapter and the profile. False when the run cannot start.
bool takeAdapterAndProfile(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    const AdapterLink adapter =
        openAdapter(services.hid, services.files, services.ini, context.paths);
    if (!isOpen(adapter)) {
        showWarning(services, context, adapterUnavailableText(adapter, context.paths).c_str());
        return false;
    }
    run.adapter = adapter;
    services.user.invalidateRect(context.mainWindow, true);

    // A run on a profile that could not be read would have nothing bound: say so instead.
    LoadedProfiles loaded = loadRunProfiles(services.files, services.ini, context.paths);
    if (loaded.failure) {
        showFileFailure(services.user, context.mainWindow, describeFailure(*loaded.failure));
        undoStart(services, context);
        return false;
    }
    run.profiles = std::move(loaded.profiles);
    run.switchKeys = readSwitchKeys(services.ini, context.paths);
    run.profile = profileInEffect(run.profiles);
    run.calibration = Calibration{};
    return true;
}

} // namespace

void startCaptureRun(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (context.mode == kConsoleNotSet || !takeAdapterAndProfile(services, context)) {
        return;
    }
    openOrCloseKeyboard(services.directInput, services.user, context.devices, context.mainWindow,
                        kCaptureKeyboardBackgroundMode);
    if (!keyboardExists(context.devices)) {
        undoStart(services, context);
        return;
    }
    openOrCloseMouse(services.directInput, services.user, context.devices, context.mainWindow);
    armFastPath(services.directInput, context.devices, run.fastPath);
    if (!startRunSchedule(services, context)) {
        stopRunSchedule(services, context);
        showWarning(services, context, kTimerUnavailableText);
        undoStart(services, context);
        return;
    }
    loadIconPositions(context.icons, services.ini, context.paths, context.mode);
    beginRunTrace(context);
    run.active = true;
    services.user.invalidateRect(context.mainWindow, false);
}

void stopCaptureRun(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    endRunTrace(services, context);
    stopRunSchedule(services, context);
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
    // Without a keyboard nothing could stop the run: end it now.
    if (!keyboardExists(context.devices)) {
        stopCaptureRun(services, context);
        return;
    }
    armKeyboardEvent(services.directInput, context.devices, run.fastPath);
    if (!restartTickAfterKeyboardReturn(services, context)) {
        stopCaptureRun(services, context);
        showWarning(services, context, kTimerUnavailableText);
    }
}

} // namespace qora
