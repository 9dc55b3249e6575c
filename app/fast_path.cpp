#include "app/fast_path.h"

#include "formats/setting_ini.h"
#include "input/mouse_device.h"

#include <algorithm>

namespace qora {
namespace {

// CreateEventA's bManualReset: false makes an auto-reset event, which the wait that sees
// it set clears again.
constexpr bool kAutoReset = false;
constexpr bool kInitiallySet = false;

bool lowLatencyWanted(ProfileFileApi& ini, const ProgramPaths& paths) {
    return ini.getPrivateProfileInt(kSettingSection, kLowLatencyKey, kLowLatencyDefault,
                                    paths.settingIni.c_str()) == 1;
}

} // namespace

void setUpFastPath(EventApi& events, ProfileFileApi& ini, const ProgramPaths& paths,
                   FastPath& fastPath) {
    fastPath.enabled = false;
    if (!lowLatencyWanted(ini, paths)) {
        return;
    }
    for (NativeHandle& event : fastPath.events) {
        event = events.createEvent(kAutoReset, kInitiallySet, nullptr);
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

void armFastPath(DirectInputApi& directInput, const CaptureDevices& devices, FastPath& fastPath) {
    if (!fastPath.enabled) {
        return;
    }
    disarmFastPath(fastPath);
    armKeyboardEvent(directInput, devices, fastPath);
    if (mouseExists(devices)) {
        fastPath.mouseArmed = directInputSucceeded(
            notifyOnChange(directInput, devices.mouse, fastPath.events[kMouseEvent]));
    }
}

// A failed notification leaves that device to the tick.
void armKeyboardEvent(DirectInputApi& directInput, const CaptureDevices& devices,
                      FastPath& fastPath) {
    if (!fastPath.enabled) {
        return;
    }
    fastPath.keyboardArmed = slotHeld(devices.keyboard) &&
                             directInputSucceeded(notifyOnChange(directInput, devices.keyboard,
                                                                 fastPath.events[kKeyboardEvent]));
}

void disarmFastPath(FastPath& fastPath) {
    fastPath.pendingMouseCount = 0;
    fastPath.keyboardArmed = false;
    fastPath.mouseArmed = false;
}

} // namespace qora
