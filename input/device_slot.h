#pragma once
// The capture device slots. Each slot holds a DirectInput object of its own and the device
// created from it, so opening or releasing the keyboard never touches the mouse's objects
// and the other way round.

#include "input/direct_input_api.h"
#include "platform/platform_types.h"
#include "platform/user_api.h"

#include <cstdint>

namespace qora {

struct DeviceSlot {
    DirectInputHandle directInput = nullptr;
    DirectInputDeviceHandle device = nullptr;
};

// The keyboard and mouse devices; one instance, owned by the application, both empty at
// start. The capture run and the Map dialog share the keyboard slot.
struct CaptureDevices {
    DeviceSlot keyboard;
    DeviceSlot mouse;
};

// A slot exists while its device interface is held.
bool slotHeld(const DeviceSlot& slot);

// Unacquires and releases the device, then releases the DirectInput object; the slot is
// empty afterwards. Harmless on an empty or half-built slot.
void releaseSlot(DirectInputApi& directInput, DeviceSlot& slot);

// Acquire never gives up on a device whose input was lost by itself, but a driver that
// keeps reporting it must not hang the GUI thread: the next read tries again anyway.
inline constexpr int kMaxAcquireAttempts = 10;

// Acquire, repeated while it reports DIERR_INPUTLOST; returns the last result.
HResult acquireUntilSettled(DirectInputApi& directInput, DirectInputDeviceHandle device);

// Has DirectInput set event at every change of the slot's device. DirectInput takes the
// event only on an unacquired device, so the device is unacquired for the call and acquired
// again (that result is ignored, as at creation). An empty slot gives DIERR_NOTINITIALIZED.
HResult notifyOnChange(DirectInputApi& directInput, const DeviceSlot& slot, NativeHandle event);

// What a slot's device is opened as.
struct DeviceSetup {
    SystemDevice systemDevice;
    DataFormat format;
    std::uint32_t cooperativeFlags;
};

// The creation steps both devices share: stop timer 0 of the owner, empty the slot, then
// DirectInput8Create, CreateDevice, SetDataFormat and SetCooperativeLevel. Returns the first
// failure at once; what was built so far stays in the slot for the caller to release.
HResult buildSlot(DirectInputApi& directInput, UserApi& user, DeviceSlot& slot, WindowHandle owner,
                  const DeviceSetup& setup);

// A failed creation: the error box on the owner window, then the partly built objects
// go and the slot is empty. The program carries on without the device.
void abandonSlot(DirectInputApi& directInput, UserApi& user, DeviceSlot& slot, WindowHandle owner,
                 const char* text, const char* caption);

} // namespace qora
