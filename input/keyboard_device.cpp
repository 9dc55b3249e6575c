#include "input/keyboard_device.h"

namespace qora {

namespace {

bool reportsUnacquired(HResult acquireResult) {
    return acquireResult == kDierrOtherAppHasPrio || acquireResult == kDierrNotAcquired;
}

} // namespace

std::uint32_t keyboardCooperativeFlags(std::uint8_t backgroundMode) {
    return backgroundMode != 0 ? kKeyboardBackgroundFlags : kKeyboardForegroundFlags;
}

bool keyboardExists(const CaptureDevices& devices) {
    return slotHeld(devices.keyboard);
}

HResult createKeyboardDevice(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                             WindowHandle owner, std::uint8_t backgroundMode) {
    const DeviceSetup setup{SystemDevice::keyboard, DataFormat::keyboard,
                            keyboardCooperativeFlags(backgroundMode)};
    const HResult result = buildSlot(directInput, user, devices.keyboard, owner, setup);
    if (!directInputSucceeded(result)) {
        return result;
    }
    directInput.acquire(devices.keyboard.device);
    return kDiOk;
}

bool openOrCloseKeyboard(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                         WindowHandle owner, std::uint8_t backgroundMode) {
    if (keyboardExists(devices)) {
        releaseKeyboard(directInput, devices);
        return false;
    }
    const HResult result = createKeyboardDevice(directInput, user, devices, owner, backgroundMode);
    if (!directInputSucceeded(result)) {
        abandonSlot(directInput, user, devices.keyboard, owner, kKeyboardCreateFailedText,
                    kKeyboardCaption);
        return false;
    }
    return true;
}

bool readKeyboardSnapshot(DirectInputApi& directInput, UserApi& user, const CaptureDevices& devices,
                          std::uint8_t* snapshot, std::uint32_t size) {
    if (!keyboardExists(devices)) {
        return true;
    }
    const DirectInputDeviceHandle device = devices.keyboard.device;
    if (directInputSucceeded(directInput.getDeviceState(device, size, snapshot))) {
        return true;
    }
    // No second read in this call: the caller's next tick reads again.
    if (reportsUnacquired(acquireUntilSettled(directInput, device))) {
        user.outputDebugString(kUnacquiredText);
    }
    return false;
}

void reacquireKeyboard(DirectInputApi& directInput, const CaptureDevices& devices) {
    if (keyboardExists(devices)) {
        directInput.acquire(devices.keyboard.device);
    }
}

void unacquireKeyboard(DirectInputApi& directInput, const CaptureDevices& devices) {
    if (keyboardExists(devices)) {
        directInput.unacquire(devices.keyboard.device);
    }
}

void releaseKeyboard(DirectInputApi& directInput, CaptureDevices& devices) {
    releaseSlot(directInput, devices.keyboard);
}

} // namespace qora
