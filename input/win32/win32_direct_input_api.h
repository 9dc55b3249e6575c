#pragma once
#include "input/direct_input_api.h"
#include "input/mouse_record.h"

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>

#include <dinput.h>

#include <array>

namespace qora {

class Win32DirectInputApi final : public DirectInputApi {
public:
    ModuleHandle getModuleHandle(const char* moduleName) override;
    HResult directInput8Create(ModuleHandle instance, std::uint32_t version,
                               DirectInputHandle* directInput) override;
    HResult createDevice(DirectInputHandle directInput, SystemDevice which,
                         DirectInputDeviceHandle* device) override;
    std::uint32_t releaseDirectInput(DirectInputHandle directInput) override;
    HResult setDataFormat(DirectInputDeviceHandle device, DataFormat format) override;
    HResult setCooperativeLevel(DirectInputDeviceHandle device, WindowHandle window,
                                std::uint32_t flags) override;
    HResult setProperty(DirectInputDeviceHandle device, DeviceProperty property,
                        const DiPropDword& value) override;
    HResult setEventNotification(DirectInputDeviceHandle device, NativeHandle event) override;
    HResult acquire(DirectInputDeviceHandle device) override;
    HResult unacquire(DirectInputDeviceHandle device) override;
    HResult getDeviceState(DirectInputDeviceHandle device, std::uint32_t size,
                           void* state) override;
    HResult getDeviceData(DirectInputDeviceHandle device, std::uint32_t recordSize,
                          MouseRecord* records, std::uint32_t* count, std::uint32_t flags) override;
    std::uint32_t releaseDevice(DirectInputDeviceHandle device) override;

private:
    // The native record carries a pointer-sized uAppData (24 bytes on 64-bit Windows), so
    // records are read here and copied into the 20-byte portable layout. A member, so the
    // per-tick read allocates nothing.
    std::array<DIDEVICEOBJECTDATA, kMouseRecordCapacity> nativeRecords_{};
};

} // namespace qora
