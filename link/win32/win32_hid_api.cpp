#include "link/win32/win32_hid_api.h"

#include "platform/win32/win32_handles.h"

#include <windows.h>

#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
}

#include <cstddef>
#include <cstring>

namespace qora {
namespace {

static_assert(kDigcfPresent == DIGCF_PRESENT && kDigcfDeviceInterface == DIGCF_DEVICEINTERFACE);
static_assert(kGptr == GPTR);
static_assert(kHidpStatusSuccess == HIDP_STATUS_SUCCESS);
static_assert(interfaceDetail::sizeField == offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, cbSize));
static_assert(interfaceDetail::devicePath ==
              offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
static_assert(sizeof(HidGuid) == sizeof(GUID));

GUID toGuid(const HidGuid& guid) {
    GUID result;
    result.Data1 = guid.data1;
    result.Data2 = guid.data2;
    result.Data3 = guid.data3;
    std::memcpy(result.Data4, guid.data4, sizeof result.Data4);
    return result;
}

HidGuid fromGuid(const GUID& guid) {
    HidGuid result;
    result.data1 = guid.Data1;
    result.data2 = guid.Data2;
    result.data3 = guid.Data3;
    std::memcpy(result.data4, guid.Data4, sizeof result.data4);
    return result;
}

HDEVINFO toDevInfo(DeviceInfoSet set) {
    return reinterpret_cast<HDEVINFO>(set);
}

SP_DEVICE_INTERFACE_DATA toInterfaceData(const DeviceInterfaceData& data) {
    SP_DEVICE_INTERFACE_DATA result;
    result.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
    result.InterfaceClassGuid = toGuid(data.interfaceClassGuid);
    result.Flags = data.flags;
    result.Reserved = static_cast<ULONG_PTR>(data.reserved);
    return result;
}

} // namespace

void Win32HidApi::hidDGetHidGuid(HidGuid* guid) {
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    *guid = fromGuid(hidGuid);
}

DeviceInfoSet Win32HidApi::setupDiGetClassDevs(const HidGuid* classGuid, const char* enumerator,
                                               WindowHandle parent, std::uint32_t flags) {
    const GUID guid = toGuid(*classGuid);
    const HDEVINFO set = SetupDiGetClassDevsA(&guid, enumerator, toHwnd(parent), flags);
    return reinterpret_cast<DeviceInfoSet>(set);
}

bool Win32HidApi::setupDiEnumDeviceInterfaces(DeviceInfoSet set, const HidGuid* interfaceClassGuid,
                                              std::uint32_t memberIndex,
                                              DeviceInterfaceData* interfaceData) {
    const GUID guid = toGuid(*interfaceClassGuid);
    SP_DEVICE_INTERFACE_DATA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
    const BOOL ok = SetupDiEnumDeviceInterfaces(toDevInfo(set), nullptr, &guid, memberIndex, &data);
    interfaceData->interfaceClassGuid = fromGuid(data.InterfaceClassGuid);
    interfaceData->flags = data.Flags;
    interfaceData->reserved = static_cast<std::uintptr_t>(data.Reserved);
    return ok != FALSE;
}

bool Win32HidApi::setupDiGetDeviceInterfaceDetail(DeviceInfoSet set,
                                                  const DeviceInterfaceData* interfaceData,
                                                  void* detail, std::uint32_t detailSize,
                                                  std::uint32_t* requiredSize) {
    SP_DEVICE_INTERFACE_DATA data = toInterfaceData(*interfaceData);
    DWORD required = 0;
    const BOOL ok = SetupDiGetDeviceInterfaceDetailA(
        toDevInfo(set), &data, static_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(detail), detailSize,
        requiredSize != nullptr ? &required : nullptr, nullptr);
    if (requiredSize != nullptr) {
        *requiredSize = required;
    }
    return ok != FALSE;
}

std::uint32_t Win32HidApi::deviceInterfaceDetailFixedSize() {
    return sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
}

NativeHandle Win32HidApi::createFile(const char* path, std::uint32_t access, std::uint32_t share,
                                     std::uint32_t disposition, std::uint32_t flags) {
    return fromWin32Handle(CreateFileA(path, access, share, nullptr, disposition, flags, nullptr));
}

bool Win32HidApi::hidDGetAttributes(NativeHandle device, HidAttributes* attributes) {
    HIDD_ATTRIBUTES raw;
    std::memset(&raw, 0, sizeof raw);
    raw.Size = sizeof(HIDD_ATTRIBUTES);
    const BOOLEAN ok = HidD_GetAttributes(toWin32Handle(device), &raw);
    attributes->vendorId = raw.VendorID;
    attributes->productId = raw.ProductID;
    attributes->versionNumber = raw.VersionNumber;
    return ok != FALSE;
}

bool Win32HidApi::hidDGetPreparsedData(NativeHandle device, HidPreparsedData* preparsedData) {
    PHIDP_PREPARSED_DATA raw = nullptr;
    const BOOLEAN ok = HidD_GetPreparsedData(toWin32Handle(device), &raw);
    *preparsedData = raw;
    return ok != FALSE;
}

std::int32_t Win32HidApi::hidPGetCaps(HidPreparsedData preparsedData, HidCaps* caps) {
    HIDP_CAPS raw;
    std::memset(&raw, 0, sizeof raw);
    const NTSTATUS status = HidP_GetCaps(static_cast<PHIDP_PREPARSED_DATA>(preparsedData), &raw);
    caps->usage = raw.Usage;
    caps->usagePage = raw.UsagePage;
    caps->inputReportByteLength = raw.InputReportByteLength;
    caps->outputReportByteLength = raw.OutputReportByteLength;
    caps->featureReportByteLength = raw.FeatureReportByteLength;
    return status;
}

bool Win32HidApi::hidDFreePreparsedData(HidPreparsedData preparsedData) {
    return HidD_FreePreparsedData(static_cast<PHIDP_PREPARSED_DATA>(preparsedData)) != FALSE;
}

bool Win32HidApi::closeHandle(NativeHandle object) {
    return CloseHandle(toWin32Handle(object)) != FALSE;
}

bool Win32HidApi::setupDiDestroyDeviceInfoList(DeviceInfoSet set) {
    return SetupDiDestroyDeviceInfoList(toDevInfo(set)) != FALSE;
}

void* Win32HidApi::globalAlloc(std::uint32_t flags, std::size_t bytes) {
    return reinterpret_cast<void*>(GlobalAlloc(flags, bytes));
}

void* Win32HidApi::globalFree(void* memory) {
    return reinterpret_cast<void*>(GlobalFree(reinterpret_cast<HGLOBAL>(memory)));
}

} // namespace qora
