#include "input/win32/win32_direct_input_api.h"

#include "platform/win32/win32_handles.h"

#include <algorithm>
#include <cstddef>

namespace qora {

static_assert(kDirectInputVersion == DIRECTINPUT_VERSION);
static_assert(kDiOk == DI_OK && kDiBufferOverflow == DI_BUFFEROVERFLOW &&
              kDiNoEffect == DI_NOEFFECT);
static_assert(kDierrOtherAppHasPrio == DIERR_OTHERAPPHASPRIO &&
              kDierrNotAcquired == DIERR_NOTACQUIRED && kDierrInputLost == DIERR_INPUTLOST &&
              kDierrNotInitialized == DIERR_NOTINITIALIZED &&
              kDierrInvalidParam == DIERR_INVALIDPARAM && kEPointer == E_POINTER);
static_assert(kDisclExclusive == DISCL_EXCLUSIVE && kDisclNonExclusive == DISCL_NONEXCLUSIVE &&
              kDisclForeground == DISCL_FOREGROUND && kDisclBackground == DISCL_BACKGROUND);
static_assert(kDiphDevice == DIPH_DEVICE);

static_assert(sizeof(DiPropHeader) == sizeof(DIPROPHEADER) &&
              sizeof(DiPropDword) == sizeof(DIPROPDWORD));
static_assert(offsetof(DiPropDword, dwData) == offsetof(DIPROPDWORD, dwData));

namespace {

IDirectInput8A* toDirectInput(DirectInputHandle handle) {
    return reinterpret_cast<IDirectInput8A*>(handle);
}

IDirectInputDevice8A* toDevice(DirectInputDeviceHandle handle) {
    return reinterpret_cast<IDirectInputDevice8A*>(handle);
}

REFGUID deviceGuid(SystemDevice which) {
    return which == SystemDevice::keyboard ? GUID_SysKeyboard : GUID_SysMouse;
}

LPCDIDATAFORMAT dataFormat(DataFormat format) {
    return format == DataFormat::keyboard ? &c_dfDIKeyboard : &c_dfDIMouse2;
}

// The event buffer size is the only property the program sets.
REFGUID propertyGuid(DeviceProperty) {
    return DIPROP_BUFFERSIZE;
}

DIPROPDWORD toNative(const DiPropDword& value) {
    DIPROPDWORD native{};
    native.diph.dwSize = value.diph.dwSize;
    native.diph.dwHeaderSize = value.diph.dwHeaderSize;
    native.diph.dwObj = value.diph.dwObj;
    native.diph.dwHow = value.diph.dwHow;
    native.dwData = value.dwData;
    return native;
}

MouseRecord toPortable(const DIDEVICEOBJECTDATA& native) {
    MouseRecord record{};
    record.dwOfs = native.dwOfs;
    record.dwData = native.dwData;
    record.dwTimeStamp = native.dwTimeStamp;
    record.dwSequence = native.dwSequence;
    record.uAppData = static_cast<std::uint32_t>(native.uAppData);
    return record;
}

} // namespace

ModuleHandle Win32DirectInputApi::getModuleHandle(const char* moduleName) {
    return GetModuleHandleA(moduleName);
}

HResult Win32DirectInputApi::directInput8Create(ModuleHandle instance, std::uint32_t version,
                                                DirectInputHandle* directInput) {
    void* created = nullptr;
    const HRESULT result = DirectInput8Create(static_cast<HINSTANCE>(instance), version,
                                              IID_IDirectInput8A, &created, nullptr);
    *directInput = static_cast<DirectInputHandle>(created);
    return result;
}

HResult Win32DirectInputApi::createDevice(DirectInputHandle directInput, SystemDevice which,
                                          DirectInputDeviceHandle* device) {
    IDirectInputDevice8A* created = nullptr;
    const HRESULT result =
        toDirectInput(directInput)->CreateDevice(deviceGuid(which), &created, nullptr);
    *device = reinterpret_cast<DirectInputDeviceHandle>(created);
    return result;
}

std::uint32_t Win32DirectInputApi::releaseDirectInput(DirectInputHandle directInput) {
    return toDirectInput(directInput)->Release();
}

HResult Win32DirectInputApi::setDataFormat(DirectInputDeviceHandle device, DataFormat format) {
    return toDevice(device)->SetDataFormat(dataFormat(format));
}

HResult Win32DirectInputApi::setCooperativeLevel(DirectInputDeviceHandle device,
                                                 WindowHandle window, std::uint32_t flags) {
    return toDevice(device)->SetCooperativeLevel(toHwnd(window), flags);
}

HResult Win32DirectInputApi::setProperty(DirectInputDeviceHandle device, DeviceProperty property,
                                         const DiPropDword& value) {
    const DIPROPDWORD native = toNative(value);
    return toDevice(device)->SetProperty(propertyGuid(property), &native.diph);
}

HResult Win32DirectInputApi::setEventNotification(DirectInputDeviceHandle device,
                                                  NativeHandle event) {
    return toDevice(device)->SetEventNotification(toWin32Handle(event));
}

HResult Win32DirectInputApi::acquire(DirectInputDeviceHandle device) {
    return toDevice(device)->Acquire();
}

HResult Win32DirectInputApi::unacquire(DirectInputDeviceHandle device) {
    return toDevice(device)->Unacquire();
}

HResult Win32DirectInputApi::getDeviceState(DirectInputDeviceHandle device, std::uint32_t size,
                                            void* state) {
    return toDevice(device)->GetDeviceState(size, state);
}

HResult Win32DirectInputApi::getDeviceData(DirectInputDeviceHandle device, std::uint32_t recordSize,
                                           MouseRecord* records, std::uint32_t* count,
                                           std::uint32_t flags) {
    if (recordSize != sizeof(MouseRecord)) {
        return kDierrInvalidParam;
    }
    DWORD delivered = std::min<DWORD>(*count, static_cast<DWORD>(nativeRecords_.size()));
    const HRESULT result = toDevice(device)->GetDeviceData(
        sizeof(DIDEVICEOBJECTDATA), nativeRecords_.data(), &delivered, flags);
    // A failed call leaves the native count undefined; it delivered nothing.
    if (FAILED(result)) {
        delivered = 0;
    }
    delivered = std::min<DWORD>(delivered, static_cast<DWORD>(nativeRecords_.size()));
    std::transform(nativeRecords_.begin(), nativeRecords_.begin() + delivered, records, toPortable);
    *count = delivered;
    return result;
}

std::uint32_t Win32DirectInputApi::releaseDevice(DirectInputDeviceHandle device) {
    return toDevice(device)->Release();
}

} // namespace qora
