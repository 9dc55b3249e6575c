#pragma once
// The SetupAPI, HID and KERNEL32 calls that finding the adapter makes, one method each,
// with portable stand-ins for the Win32 records. The Win32 side fills the size fields of
// the records it passes on from the Win32 types themselves.

#include "platform/platform_types.h"

#include <cstddef>
#include <cstdint>

namespace qora {

// A GUID.
struct HidGuid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
};

// A device information set (HDEVINFO). kInvalidDeviceInfoSet is INVALID_HANDLE_VALUE.
using DeviceInfoSet = std::intptr_t;
inline constexpr DeviceInfoSet kInvalidDeviceInfoSet = -1;

// SetupDiGetClassDevsA flags.
inline constexpr std::uint32_t kDigcfPresent = 0x00000002u;
inline constexpr std::uint32_t kDigcfDeviceInterface = 0x00000010u;

// SP_DEVICE_INTERFACE_DATA without its size field.
struct DeviceInterfaceData {
    HidGuid interfaceClassGuid;
    std::uint32_t flags = 0;
    std::uintptr_t reserved = 0;
};

// SP_DEVICE_INTERFACE_DETAIL_DATA_A is a variable-length block: a 32-bit size field
// holding the size of the fixed part, then the NUL-terminated device path.
namespace interfaceDetail {
inline constexpr std::size_t sizeField = 0;
inline constexpr std::size_t devicePath = 4;
} // namespace interfaceDetail

// HIDD_ATTRIBUTES without its size field.
struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// PHIDP_PREPARSED_DATA; nullptr is none.
using HidPreparsedData = void*;

// The leading fields of HIDP_CAPS.
struct HidCaps {
    std::uint16_t usage = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;
};

// HidP_GetCaps result.
inline constexpr std::int32_t kHidpStatusSuccess = 0x00110000;

// GlobalAlloc flags: GPTR is fixed, zero-initialised memory.
inline constexpr std::uint32_t kGptr = 0x0040u;

struct HidApi {
    virtual ~HidApi() = default;

    virtual void hidDGetHidGuid(HidGuid* guid) = 0;
    virtual DeviceInfoSet setupDiGetClassDevs(const HidGuid* classGuid, const char* enumerator,
                                              WindowHandle parent, std::uint32_t flags) = 0;
    virtual bool setupDiEnumDeviceInterfaces(DeviceInfoSet set, const HidGuid* interfaceClassGuid,
                                             std::uint32_t memberIndex,
                                             DeviceInterfaceData* interfaceData) = 0;
    // detail is a block laid out as interfaceDetail describes, or nullptr with a size of 0
    // to learn the size needed.
    virtual bool setupDiGetDeviceInterfaceDetail(DeviceInfoSet set,
                                                 const DeviceInterfaceData* interfaceData,
                                                 void* detail, std::uint32_t detailSize,
                                                 std::uint32_t* requiredSize) = 0;
    // sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) for this build (5 on 32-bit, 8 on 64-bit):
    // what the detail block's size field must hold.
    virtual std::uint32_t deviceInterfaceDetailFixedSize() = 0;
    virtual NativeHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                                    std::uint32_t disposition, std::uint32_t flags) = 0;
    virtual bool hidDGetAttributes(NativeHandle device, HidAttributes* attributes) = 0;
    virtual bool hidDGetPreparsedData(NativeHandle device, HidPreparsedData* preparsedData) = 0;
    virtual std::int32_t hidPGetCaps(HidPreparsedData preparsedData, HidCaps* caps) = 0;
    virtual bool hidDFreePreparsedData(HidPreparsedData preparsedData) = 0;
    virtual bool closeHandle(NativeHandle object) = 0;
    virtual bool setupDiDestroyDeviceInfoList(DeviceInfoSet set) = 0;
    // Returns nullptr on failure.
    virtual void* globalAlloc(std::uint32_t flags, std::size_t bytes) = 0;
    // Returns nullptr on success.
    virtual void* globalFree(void* memory) = 0;
};

} // namespace qora
