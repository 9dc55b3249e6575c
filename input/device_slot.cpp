#include "input/device_slot.h"

namespace qora {

namespace {

// Both owners (the main window's capture tick and the Map dialog's poll) read the device
// from timer 0; it is stopped so no tick can read a slot that is being rebuilt.
constexpr std::uintptr_t kOwnerReadTimerId = 0;

constexpr std::uint32_t kCreationFailureBoxType = kMbOk | kMbIconError;

// The out parameters are kept only on success, so a failing call can never leave a
// stale pointer in the slot for the release to trip over.
HResult createDirectInput(DirectInputApi& directInput, DeviceSlot& slot) {
    const ModuleHandle executable = directInput.getModuleHandle(nullptr);
    DirectInputHandle created = nullptr;
    const HResult result =
        directInput.directInput8Create(executable, kDirectInputVersion, &created);
    if (!directInputSucceeded(result)) {
        return result;
    }
    if (created == nullptr) {
        return kEPointer;
    }
    slot.directInput = created;
    return result;
}

HResult createDevice(DirectInputApi& directInput, DeviceSlot& slot, SystemDevice which) {
    DirectInputDeviceHandle created = nullptr;
    const HResult result = directInput.createDevice(slot.directInput, which, &created);
    if (!directInputSucceeded(result)) {
        return result;
    }
    if (created == nullptr) {
        return kEPointer;
    }
    slot.device = created;
    return result;
}

} // namespace

bool slotHeld(const DeviceSlot& slot) {
    return slot.device != nullptr;
}

void releaseSlot(DirectInputApi& directInput, DeviceSlot& slot) {
    if (slot.device != nullptr) {
        directInput.unacquire(slot.device);
        directInput.releaseDevice(slot.device);
        slot.device = nullptr;
    }
    if (slot.directInput != nullptr) {
        directInput.releaseDirectInput(slot.directInput);
        slot.directInput = nullptr;
    }
}

HResult acquireUntilSettled(DirectInputApi& directInput, DirectInputDeviceHandle device) {
    HResult result = directInput.acquire(device);
    for (int attempt = 1; result == kDierrInputLost && attempt < kMaxAcquireAttempts; ++attempt) {
        result = directInput.acquire(device);
    }
    return result;
}

HResult notifyOnChange(DirectInputApi& directInput, const DeviceSlot& slot, NativeHandle event) {
    if (!slotHeld(slot)) {
        return kDierrNotInitialized;
    }
    directInput.unacquire(slot.device);
    const HResult result = directInput.setEventNotification(slot.device, event);
    directInput.acquire(slot.device);
    return result;
}

HResult buildSlot(DirectInputApi& directInput, UserApi& user, DeviceSlot& slot, WindowHandle owner,
                  const DeviceSetup& setup) {
    user.killTimer(owner, kOwnerReadTimerId);
    releaseSlot(directInput, slot);

    HResult result = createDirectInput(directInput, slot);
    if (!directInputSucceeded(result)) {
        return result;
    }
    result = createDevice(directInput, slot, setup.systemDevice);
    if (!directInputSucceeded(result)) {
        return result;
    }
    result = directInput.setDataFormat(slot.device, setup.format);
    if (!directInputSucceeded(result)) {
        return result;
    }
    return directInput.setCooperativeLevel(slot.device, owner, setup.cooperativeFlags);
}

void abandonSlot(DirectInputApi& directInput, UserApi& user, DeviceSlot& slot, WindowHandle owner,
                 const char* text, const char* caption) {
    user.messageBox(owner, text, caption, kCreationFailureBoxType);
    releaseSlot(directInput, slot);
}

} // namespace qora
