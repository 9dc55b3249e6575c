#pragma once
#include "link/hid_api.h"

namespace qora {

class Win32HidApi final : public HidApi {
public:
    void hidDGetHidGuid(HidGuid* guid) override;
    DeviceInfoSet setupDiGetClassDevs(const HidGuid* classGuid, const char* enumerator,
                                      WindowHandle parent, std::uint32_t flags) override;
    bool setupDiEnumDeviceInterfaces(DeviceInfoSet set, const HidGuid* interfaceClassGuid,
                                     std::uint32_t memberIndex,
                                     DeviceInterfaceData* interfaceData) override;
    bool setupDiGetDeviceInterfaceDetail(DeviceInfoSet set,
                                         const DeviceInterfaceData* interfaceData, void* detail,
                                         std::uint32_t detailSize,
                                         std::uint32_t* requiredSize) override;
    std::uint32_t deviceInterfaceDetailFixedSize() override;
    NativeHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition, std::uint32_t flags) override;
    bool hidDGetAttributes(NativeHandle device, HidAttributes* attributes) override;
    bool hidDGetPreparsedData(NativeHandle device, HidPreparsedData* preparsedData) override;
    std::int32_t hidPGetCaps(HidPreparsedData preparsedData, HidCaps* caps) override;
    bool hidDFreePreparsedData(HidPreparsedData preparsedData) override;
    bool closeHandle(NativeHandle object) override;
    bool setupDiDestroyDeviceInfoList(DeviceInfoSet set) override;
    void* globalAlloc(std::uint32_t flags, std::size_t bytes) override;
    void* globalFree(void* memory) override;
};

} // namespace qora
