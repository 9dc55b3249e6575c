#pragma once
// The DirectInput 8 calls the program makes, one method each: DirectInput8Create (with
// GetModuleHandleA for the module handle), IDirectInput8A CreateDevice and Release, and
// IDirectInputDevice8A SetDataFormat, SetCooperativeLevel, SetProperty, SetEventNotification,
// Acquire, Unacquire, GetDeviceState, GetDeviceData and Release.

#include "input/mouse_record.h"
#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// A loaded module (HMODULE / HINSTANCE); nullptr is none.
using ModuleHandle = void*;

// Opaque handles for the two interfaces. The structs are never defined: behind the seam a
// DirectInputHandle is an IDirectInput8A* and a DirectInputDeviceHandle an
// IDirectInputDevice8A*. nullptr is none.
struct DirectInputObject;
struct DirectInputDevice;
using DirectInputHandle = DirectInputObject*;
using DirectInputDeviceHandle = DirectInputDevice*;

inline constexpr std::uint32_t kDirectInputVersion = 0x0800;

// Status codes the program tests for, with their DirectInput values.
inline constexpr HResult kDiOk = 0;
inline constexpr HResult kDiBufferOverflow = 1; // S_FALSE: records were lost, the rest are valid
inline constexpr HResult kDiNoEffect = 1;       // S_FALSE: e.g. Acquire on an acquired device
inline constexpr HResult kDierrOtherAppHasPrio = static_cast<HResult>(0x80070005u);
inline constexpr HResult kDierrNotAcquired = static_cast<HResult>(0x8007000Cu);
inline constexpr HResult kDierrInputLost = static_cast<HResult>(0x8007001Eu);
inline constexpr HResult kDierrNotInitialized = static_cast<HResult>(0x80070015u);
inline constexpr HResult kDierrInvalidParam = static_cast<HResult>(0x80070057u);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003u);

// SUCCEEDED(): every non-negative status is a success.
inline bool directInputSucceeded(HResult result) {
    return result >= 0;
}

// The system devices CreateDevice is asked for: GUID_SysKeyboard and GUID_SysMouse.
enum class SystemDevice { keyboard, mouse };

// The predefined data formats: c_dfDIKeyboard (256 key bytes) and c_dfDIMouse2 (three
// relative axes and eight buttons).
enum class DataFormat { keyboard, mouse2 };

// SetCooperativeLevel flags (DISCL_).
inline constexpr std::uint32_t kDisclExclusive = 0x01;
inline constexpr std::uint32_t kDisclNonExclusive = 0x02;
inline constexpr std::uint32_t kDisclForeground = 0x04;
inline constexpr std::uint32_t kDisclBackground = 0x08;

// Device properties SetProperty is used for: DIPROP_BUFFERSIZE.
enum class DeviceProperty { bufferSize };

// DIPROPHEADER / DIPROPDWORD, field for field.
struct DiPropHeader {
    std::uint32_t dwSize;
    std::uint32_t dwHeaderSize;
    std::uint32_t dwObj;
    std::uint32_t dwHow;
};

struct DiPropDword {
    DiPropHeader diph;
    std::uint32_t dwData;
};

static_assert(sizeof(DiPropHeader) == 16 && sizeof(DiPropDword) == 20, "the DirectInput layouts");

inline constexpr std::uint32_t kDiphDevice = 0; // the property applies to the whole device

// GetDeviceData flags: 0 removes the records it returns (DIGDD_PEEK would leave them).
inline constexpr std::uint32_t kGetDeviceDataRemove = 0;

struct DirectInputApi {
    virtual ~DirectInputApi() = default;

    // GetModuleHandleA; nullptr asks for the executable itself.
    virtual ModuleHandle getModuleHandle(const char* moduleName) = 0;

    // DirectInput8Create for IID_IDirectInput8A with no outer object.
    virtual HResult directInput8Create(ModuleHandle instance, std::uint32_t version,
                                       DirectInputHandle* directInput) = 0;

    // IDirectInput8A methods.
    virtual HResult createDevice(DirectInputHandle directInput, SystemDevice which,
                                 DirectInputDeviceHandle* device) = 0;
    virtual std::uint32_t releaseDirectInput(DirectInputHandle directInput) = 0;

    // IDirectInputDevice8A methods.
    virtual HResult setDataFormat(DirectInputDeviceHandle device, DataFormat format) = 0;
    virtual HResult setCooperativeLevel(DirectInputDeviceHandle device, WindowHandle window,
                                        std::uint32_t flags) = 0;
    virtual HResult setProperty(DirectInputDeviceHandle device, DeviceProperty property,
                                const DiPropDword& value) = 0;
    // event is a Win32 event handle that DirectInput sets at every change of the device's
    // state; 0 detaches it. The device must not be acquired.
    virtual HResult setEventNotification(DirectInputDeviceHandle device, NativeHandle event) = 0;
    virtual HResult acquire(DirectInputDeviceHandle device) = 0;
    virtual HResult unacquire(DirectInputDeviceHandle device) = 0;
    virtual HResult getDeviceState(DirectInputDeviceHandle device, std::uint32_t size,
                                   void* state) = 0;
    // recordSize is sizeof(MouseRecord); *count holds the room in records on entry and the
    // number of records delivered on return.
    virtual HResult getDeviceData(DirectInputDeviceHandle device, std::uint32_t recordSize,
                                  MouseRecord* records, std::uint32_t* count,
                                  std::uint32_t flags) = 0;
    virtual std::uint32_t releaseDevice(DirectInputDeviceHandle device) = 0;
};

} // namespace qora
