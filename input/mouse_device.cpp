#include "input/mouse_device.h"

#include <algorithm>

namespace qora {

namespace {

constexpr std::uint32_t kMouseRecordSize = sizeof(MouseRecord);

HResult setEventBuffer(DirectInputApi& directInput, DirectInputDeviceHandle device) {
    return directInput.setProperty(device, DeviceProperty::bufferSize, mouseBufferSizeProperty());
}

// A failed GetDeviceData delivered nothing, whatever it left in the count.
std::uint32_t deliveredCount(HResult readResult, std::uint32_t count, std::uint32_t room) {
    if (!directInputSucceeded(readResult)) {
        return 0;
    }
    return std::min(count, room);
}

} // namespace

DiPropDword mouseBufferSizeProperty() {
    DiPropDword property{};
    property.diph.dwSize = sizeof(DiPropDword);
    property.diph.dwHeaderSize = sizeof(DiPropHeader);
    property.diph.dwObj = 0;
    property.diph.dwHow = kDiphDevice;
    property.dwData = kMouseBufferSize;
    return property;
}

bool mouseExists(const CaptureDevices& devices) {
    return slotHeld(devices.mouse);
}

HResult createMouseDevice(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                          WindowHandle owner) {
    const DeviceSetup setup{SystemDevice::mouse, DataFormat::mouse2, kMouseCooperativeFlags};
    HResult result = buildSlot(directInput, user, devices.mouse, owner, setup);
    if (!directInputSucceeded(result)) {
        return result;
    }
    result = setEventBuffer(directInput, devices.mouse.device);
    if (!directInputSucceeded(result)) {
        return result;
    }
    directInput.acquire(devices.mouse.device);
    return kDiOk;
}

void openOrCloseMouse(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                      WindowHandle owner) {
    if (mouseExists(devices)) {
        releaseMouse(directInput, devices);
        return;
    }
    if (!directInputSucceeded(createMouseDevice(directInput, user, devices, owner))) {
        abandonSlot(directInput, user, devices.mouse, owner, kMouseCreateFailedText, kMouseCaption);
    }
}

std::uint32_t readMouseRecords(DirectInputApi& directInput, const CaptureDevices& devices,
                               std::span<MouseRecord, kMouseRecordCapacity> records) {
    return readMouseRecordsInto(directInput, devices, records);
}

std::uint32_t readMouseRecordsInto(DirectInputApi& directInput, const CaptureDevices& devices,
                                   std::span<MouseRecord> room) {
    const auto roomCount =
        static_cast<std::uint32_t>(std::min<std::size_t>(room.size(), kMouseRecordCapacity));
    if (!mouseExists(devices) || roomCount == 0) {
        return 0;
    }
    const DirectInputDeviceHandle device = devices.mouse.device;
    std::uint32_t count = roomCount;
    const HResult readResult = directInput.getDeviceData(device, kMouseRecordSize, room.data(),
                                                         &count, kGetDeviceDataRemove);
    if (readResult == kDiOk) {
        return deliveredCount(readResult, count, roomCount);
    }
    // DI_BUFFEROVERFLOW included: the device is re-acquired, and the records of a
    // successful read still count once it is.
    if (!directInputSucceeded(acquireUntilSettled(directInput, device))) {
        return 0;
    }
    return deliveredCount(readResult, count, roomCount);
}

void reacquireMouse(DirectInputApi& directInput, const CaptureDevices& devices) {
    if (mouseExists(devices)) {
        directInput.acquire(devices.mouse.device);
    }
}

void releaseMouse(DirectInputApi& directInput, CaptureDevices& devices) {
    releaseSlot(directInput, devices.mouse);
}

} // namespace qora
