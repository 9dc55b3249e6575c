#include "fakes/fake_direct_input.h"

#include <algorithm>
#include <cstring>

namespace qora::testing {

namespace {

const char* deviceName(SystemDevice which) {
    return which == SystemDevice::keyboard ? "GUID_SysKeyboard" : "GUID_SysMouse";
}

const char* formatName(DataFormat format) {
    return format == DataFormat::keyboard ? "c_dfDIKeyboard" : "c_dfDIMouse2";
}

std::string hex(std::uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    if (text.size() < 2) {
        text.insert(text.begin(), '0');
    }
    return "0x" + text;
}

} // namespace

HResult ResultScript::take() {
    if (next.empty()) {
        return otherwise;
    }
    const HResult result = next.front();
    next.pop_front();
    return result;
}

std::string FakeDirectInput::nameOf(const void* handle) const {
    if (handle == nullptr) {
        return "null";
    }
    const auto found = names_.find(handle);
    return found == names_.end() ? "unknown" : found->second;
}

// Handles are small distinct numbers dressed as pointers; they are never dereferenced.
void* FakeDirectInput::newHandle(const char* kind) {
    const std::uintptr_t number = ++created_;
    void* handle = reinterpret_cast<void*>(number * 16);
    names_[handle] = std::string(kind) + std::to_string(number);
    live_.insert(handle);
    return handle;
}

bool FakeDirectInput::checkLive(const void* handle, const char* call) {
    if (live_.count(handle) != 0) {
        return true;
    }
    misuse.push_back(std::string(call) + " on " + nameOf(handle));
    return false;
}

ModuleHandle FakeDirectInput::getModuleHandle(const char* moduleName) {
    record(std::string("GetModuleHandleA ") + (moduleName == nullptr ? "null" : moduleName));
    return moduleName == nullptr ? kExecutable : nullptr;
}

HResult FakeDirectInput::directInput8Create(ModuleHandle instance, std::uint32_t version,
                                            DirectInputHandle* directInput) {
    createInstances.push_back(instance);
    createVersions.push_back(version);
    const HResult result = createResults.take();
    if (result < 0 || nullObjectOnSuccess) {
        record(result < 0 ? "DirectInput8Create failed" : "DirectInput8Create null");
        *directInput = nullptr;
        return result;
    }
    *directInput = static_cast<DirectInputHandle>(newHandle("object"));
    record("DirectInput8Create " + nameOf(*directInput));
    return result;
}

HResult FakeDirectInput::createDevice(DirectInputHandle directInput, SystemDevice which,
                                      DirectInputDeviceHandle* device) {
    checkLive(directInput, "CreateDevice");
    const HResult result = createDeviceResults.take();
    const std::string prefix =
        "CreateDevice " + std::string(deviceName(which)) + " on " + nameOf(directInput);
    if (result < 0 || nullDeviceOnSuccess) {
        record(prefix + (result < 0 ? " failed" : " null"));
        *device = nullptr;
        return result;
    }
    *device = static_cast<DirectInputDeviceHandle>(newHandle("device"));
    record(prefix + " " + nameOf(*device));
    return result;
}

std::uint32_t FakeDirectInput::releaseDirectInput(DirectInputHandle directInput) {
    record("Release " + nameOf(directInput));
    if (checkLive(directInput, "Release")) {
        live_.erase(directInput);
    }
    return 0;
}

HResult FakeDirectInput::setDataFormat(DirectInputDeviceHandle device, DataFormat format) {
    record("SetDataFormat " + nameOf(device) + " " + formatName(format));
    checkLive(device, "SetDataFormat");
    return setDataFormatResults.take();
}

HResult FakeDirectInput::setCooperativeLevel(DirectInputDeviceHandle device, WindowHandle window,
                                             std::uint32_t flags) {
    record("SetCooperativeLevel " + nameOf(device) + " " + hex(flags));
    checkLive(device, "SetCooperativeLevel");
    cooperativeLevels.push_back({nameOf(device), window, flags});
    return setCooperativeLevelResults.take();
}

HResult FakeDirectInput::setProperty(DirectInputDeviceHandle device, DeviceProperty property,
                                     const DiPropDword& value) {
    const char* name = property == DeviceProperty::bufferSize ? "DIPROP_BUFFERSIZE" : "?";
    record("SetProperty " + nameOf(device) + " " + name);
    checkLive(device, "SetProperty");
    properties.push_back(value);
    return setPropertyResults.take();
}

// The handle goes into the log as its number: tests hand out small distinct ones.
HResult FakeDirectInput::setEventNotification(DirectInputDeviceHandle device, NativeHandle event) {
    record("SetEventNotification " + nameOf(device) + " " + std::to_string(event));
    checkLive(device, "SetEventNotification");
    return setEventNotificationResults.take();
}

HResult FakeDirectInput::acquire(DirectInputDeviceHandle device) {
    record("Acquire " + nameOf(device));
    checkLive(device, "Acquire");
    return acquireResults.take();
}

HResult FakeDirectInput::unacquire(DirectInputDeviceHandle device) {
    record("Unacquire " + nameOf(device));
    checkLive(device, "Unacquire");
    return kDiOk;
}

HResult FakeDirectInput::getDeviceState(DirectInputDeviceHandle device, std::uint32_t size,
                                        void* state) {
    record("GetDeviceState " + nameOf(device));
    checkLive(device, "GetDeviceState");
    stateReads.push_back({nameOf(device), size, state});
    const HResult result = getDeviceStateResults.take();
    if (result >= 0) {
        std::memcpy(state, keyState.data(), std::min<std::size_t>(size, keyState.size()));
    }
    return result;
}

HResult FakeDirectInput::getDeviceData(DirectInputDeviceHandle device, std::uint32_t recordSize,
                                       MouseRecord* records, std::uint32_t* count,
                                       std::uint32_t flags) {
    record("GetDeviceData " + nameOf(device));
    checkLive(device, "GetDeviceData");
    dataReads.push_back({nameOf(device), recordSize, *count, flags});
    if (whileReading) {
        whileReading();
    }
    if (reads.empty()) {
        const std::size_t taken = std::min<std::size_t>(mouseBuffer.size(), *count);
        std::copy_n(mouseBuffer.begin(), taken, records);
        mouseBuffer.erase(mouseBuffer.begin(), mouseBuffer.begin() + taken);
        *count = static_cast<std::uint32_t>(taken);
        return kDiOk;
    }
    ScriptedRead read = reads.front();
    reads.pop_front();
    const std::size_t written = std::min<std::size_t>(read.records.size(), *count);
    std::copy_n(read.records.begin(), written, records);
    if (read.reportedCount.has_value()) {
        *count = *read.reportedCount;
    } else if (read.result >= 0) {
        *count = static_cast<std::uint32_t>(written);
    }
    return read.result;
}

std::uint32_t FakeDirectInput::releaseDevice(DirectInputDeviceHandle device) {
    record("Release " + nameOf(device));
    if (checkLive(device, "Release")) {
        live_.erase(device);
    }
    return 0;
}

} // namespace qora::testing
