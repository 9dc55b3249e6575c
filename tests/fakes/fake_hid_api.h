#pragma once
// A scripted machine of HID devices behind the HidApi seam. It hands out handles, device
// sets, preparsed data and global-heap blocks and keeps track of each, so tests can see
// what was opened, read, closed and freed, and it records every misuse of the calls
// (wrong flags, wrong sizes, unknown or already closed handles) in violations.

#include "link/hid_api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qora::testing {

struct FakeHidDevice {
    std::string interfacePath;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0x0100;
    bool refusesOpen = false;    // the open of the interface path fails
    bool pipeOpens = true;       // the open of "<interface path>\PIPE1" succeeds
    bool attributesFail = false; // HidD_GetAttributes fails
    bool preparsedDataFails = false;
};

class FakeHidApi : public HidApi {
public:
    static HidGuid hidClassGuid();

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
    std::uint32_t deviceInterfaceDetailFixedSize() override { return detailFixedSize; }
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

    // The script.
    std::vector<FakeHidDevice> devices;
    std::uint32_t detailFixedSize = 8;
    bool classDevsFails = false;
    bool globalAllocFails = false;
    bool detailFillFails = false;
    // Reports a size with no room for the path's terminating NUL and fills without one.
    bool detailPathUnterminated = false;

    // What happened.
    std::vector<std::string> calls; // "Open <path>", "Attributes <path>", "Close <path>", ...
    std::vector<std::string> violations;
    std::uint32_t classDevsFlags = 0;
    int detailBlocksAllocated = 0;
    int detailBlocksFreed = 0;
    bool deviceSetDestroyed = false;

    std::vector<std::string> openPaths() const; // paths of the handles still open
    bool isOpenPipe(NativeHandle handle) const;
    std::size_t liveDetailBlocks() const { return blocks_.size(); }
    std::size_t livePreparsedData() const { return preparsed_.size(); }
    // The arguments of the last open of path.
    struct OpenCall {
        std::uint32_t access = 0;
        std::uint32_t share = 0;
        std::uint32_t disposition = 0;
        std::uint32_t flags = 0;
    };
    std::map<std::string, OpenCall> lastOpenOf;

private:
    struct OpenHandle {
        std::string path;
        const FakeHidDevice* device; // nullptr for a pipe
    };
    const FakeHidDevice* memberOf(DeviceInfoSet set, const DeviceInterfaceData* data);
    std::string pathOf(NativeHandle handle) const;

    DeviceInfoSet liveSet_ = kInvalidDeviceInfoSet;
    NativeHandle nextHandle_ = 100;
    std::map<NativeHandle, OpenHandle> handles_;
    std::map<void*, std::unique_ptr<std::vector<unsigned char>>> blocks_;
    std::map<HidPreparsedData, std::unique_ptr<int>> preparsed_;
};

} // namespace qora::testing
