#include "fakes/fake_hid_api.h"

#include <algorithm>
#include <cstring>

namespace qora::testing {
namespace {

constexpr DeviceInfoSet kFakeDeviceSet = 0x5E7;
constexpr std::uint32_t kExpectedClassDevsFlags = kDigcfPresent | kDigcfDeviceInterface;

bool sameGuid(const HidGuid& a, const HidGuid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::equal(std::begin(a.data4), std::end(a.data4), std::begin(b.data4));
}

std::string pipeOf(const FakeHidDevice& device) {
    return device.interfacePath + "\\PIPE1";
}

} // namespace

HidGuid FakeHidApi::hidClassGuid() {
    HidGuid guid;
    guid.data1 = 0x4D1E55B2;
    guid.data2 = 0xF16F;
    guid.data3 = 0x11CF;
    const std::uint8_t tail[8] = {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};
    std::copy(std::begin(tail), std::end(tail), std::begin(guid.data4));
    return guid;
}

void FakeHidApi::hidDGetHidGuid(HidGuid* guid) {
    calls.push_back("GetHidGuid");
    *guid = hidClassGuid();
}

DeviceInfoSet FakeHidApi::setupDiGetClassDevs(const HidGuid* classGuid, const char*, WindowHandle,
                                              std::uint32_t flags) {
    calls.push_back("GetClassDevs");
    classDevsFlags = flags;
    if (!sameGuid(*classGuid, hidClassGuid())) {
        violations.push_back("GetClassDevs without the HID class GUID");
    }
    if (classDevsFails) {
        return kInvalidDeviceInfoSet;
    }
    liveSet_ = kFakeDeviceSet;
    return liveSet_;
}

const FakeHidDevice* FakeHidApi::memberOf(DeviceInfoSet set, const DeviceInterfaceData* data) {
    if (set != liveSet_ || liveSet_ == kInvalidDeviceInfoSet) {
        violations.push_back("device set used while not open");
        return nullptr;
    }
    // reserved carries the member index + 1, as the enumeration filled it.
    if (data->reserved == 0 || data->reserved > devices.size()) {
        violations.push_back("interface data not from the enumeration");
        return nullptr;
    }
    return &devices[data->reserved - 1];
}

bool FakeHidApi::setupDiEnumDeviceInterfaces(DeviceInfoSet set, const HidGuid* interfaceClassGuid,
                                             std::uint32_t memberIndex,
                                             DeviceInterfaceData* interfaceData) {
    calls.push_back("Enum " + std::to_string(memberIndex));
    if (set != liveSet_ || liveSet_ == kInvalidDeviceInfoSet) {
        violations.push_back("Enum on a device set that is not open");
        return false;
    }
    if (!sameGuid(*interfaceClassGuid, hidClassGuid())) {
        violations.push_back("Enum without the HID class GUID");
    }
    if (memberIndex >= devices.size()) {
        return false;
    }
    interfaceData->interfaceClassGuid = hidClassGuid();
    interfaceData->flags = 1;
    interfaceData->reserved = memberIndex + 1;
    return true;
}

bool FakeHidApi::setupDiGetDeviceInterfaceDetail(DeviceInfoSet set,
                                                 const DeviceInterfaceData* interfaceData,
                                                 void* detail, std::uint32_t detailSize,
                                                 std::uint32_t* requiredSize) {
    const FakeHidDevice* device = memberOf(set, interfaceData);
    if (device == nullptr) {
        return false;
    }
    const std::string& path = device->interfacePath;
    const std::size_t terminator = detailPathUnterminated ? 0 : 1;
    const auto needed =
        static_cast<std::uint32_t>(interfaceDetail::devicePath + path.size() + terminator);
    if (requiredSize != nullptr) {
        *requiredSize = needed;
    }
    if (detail == nullptr) {
        calls.push_back("DetailSize " + path);
        return false; // ERROR_INSUFFICIENT_BUFFER
    }
    calls.push_back("Detail " + path);
    const auto block = blocks_.find(detail);
    if (block == blocks_.end()) {
        violations.push_back("detail record not from the global heap");
        return false;
    }
    if (detailSize < needed || block->second->size() < detailSize) {
        violations.push_back("detail record smaller than the size given");
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(detail);
    std::uint32_t sizeField = 0;
    std::memcpy(&sizeField, bytes + interfaceDetail::sizeField, sizeof sizeField);
    if (sizeField != detailFixedSize) {
        violations.push_back("detail size field " + std::to_string(sizeField));
        return false;
    }
    if (std::any_of(bytes + interfaceDetail::devicePath, bytes + detailSize,
                    [](unsigned char b) { return b != 0; })) {
        violations.push_back("detail record not zero-initialised");
    }
    if (detailFillFails) {
        return false;
    }
    std::memcpy(bytes + interfaceDetail::devicePath, path.data(), path.size());
    return true;
}

NativeHandle FakeHidApi::createFile(const char* path, std::uint32_t access, std::uint32_t share,
                                    std::uint32_t disposition, std::uint32_t flags) {
    const std::string name = path;
    calls.push_back("Open " + name);
    lastOpenOf[name] = OpenCall{access, share, disposition, flags};
    for (const FakeHidDevice& device : devices) {
        if (name == device.interfacePath && !device.refusesOpen) {
            handles_[nextHandle_] = OpenHandle{name, &device};
            return nextHandle_++;
        }
        if (name == pipeOf(device) && device.pipeOpens) {
            handles_[nextHandle_] = OpenHandle{name, nullptr};
            return nextHandle_++;
        }
    }
    return kInvalidHandle;
}

bool FakeHidApi::isOpenPipe(NativeHandle handle) const {
    const auto open = handles_.find(handle);
    return open != handles_.end() && open->second.device == nullptr;
}

std::string FakeHidApi::pathOf(NativeHandle handle) const {
    const auto open = handles_.find(handle);
    return open == handles_.end() ? std::string("<not open>") : open->second.path;
}

bool FakeHidApi::hidDGetAttributes(NativeHandle device, HidAttributes* attributes) {
    calls.push_back("Attributes " + pathOf(device));
    const auto open = handles_.find(device);
    if (open == handles_.end() || open->second.device == nullptr) {
        violations.push_back("Attributes on a handle that is not an open HID device");
        return false;
    }
    const FakeHidDevice& hid = *open->second.device;
    if (hid.attributesFail) {
        return false;
    }
    attributes->vendorId = hid.vendorId;
    attributes->productId = hid.productId;
    attributes->versionNumber = hid.versionNumber;
    return true;
}

bool FakeHidApi::hidDGetPreparsedData(NativeHandle device, HidPreparsedData* preparsedData) {
    calls.push_back("Preparsed " + pathOf(device));
    const auto open = handles_.find(device);
    if (open == handles_.end() || open->second.device == nullptr) {
        violations.push_back("Preparsed on a handle that is not an open HID device");
        return false;
    }
    if (open->second.device->preparsedDataFails) {
        return false;
    }
    auto token = std::make_unique<int>(0);
    *preparsedData = token.get();
    preparsed_[token.get()] = std::move(token);
    return true;
}

std::int32_t FakeHidApi::hidPGetCaps(HidPreparsedData preparsedData, HidCaps* caps) {
    calls.push_back("Caps");
    if (preparsed_.count(preparsedData) == 0) {
        violations.push_back("Caps on preparsed data that is not live");
        return -1;
    }
    caps->usagePage = 0xFF00;
    caps->outputReportByteLength = 50;
    return kHidpStatusSuccess;
}

bool FakeHidApi::hidDFreePreparsedData(HidPreparsedData preparsedData) {
    calls.push_back("FreePreparsed");
    if (preparsed_.erase(preparsedData) == 0) {
        violations.push_back("FreePreparsed on preparsed data that is not live");
        return false;
    }
    return true;
}

bool FakeHidApi::closeHandle(NativeHandle object) {
    calls.push_back("Close " + pathOf(object));
    if (handles_.erase(object) == 0) {
        violations.push_back("Close of a handle that is not open");
        return false;
    }
    return true;
}

bool FakeHidApi::setupDiDestroyDeviceInfoList(DeviceInfoSet set) {
    calls.push_back("DestroyDeviceSet");
    if (set != liveSet_ || liveSet_ == kInvalidDeviceInfoSet) {
        violations.push_back("Destroy of a device set that is not open");
        return false;
    }
    liveSet_ = kInvalidDeviceInfoSet;
    deviceSetDestroyed = true;
    return true;
}

void* FakeHidApi::globalAlloc(std::uint32_t flags, std::size_t bytes) {
    calls.push_back("GlobalAlloc " + std::to_string(bytes));
    if (flags != kGptr) {
        violations.push_back("GlobalAlloc without GPTR");
    }
    if (globalAllocFails) {
        return nullptr;
    }
    // Filled with garbage if the caller forgot GPTR, so a missing zero-fill shows.
    auto block = std::make_unique<std::vector<unsigned char>>(bytes, flags == kGptr ? 0 : 0xCD);
    void* memory = block->data();
    blocks_[memory] = std::move(block);
    ++detailBlocksAllocated;
    return memory;
}

void* FakeHidApi::globalFree(void* memory) {
    calls.push_back("GlobalFree");
    if (blocks_.erase(memory) == 0) {
        violations.push_back("GlobalFree of a block that is not live");
        return memory;
    }
    ++detailBlocksFreed;
    return nullptr;
}

std::vector<std::string> FakeHidApi::openPaths() const {
    std::vector<std::string> paths;
    for (const auto& [handle, open] : handles_) {
        paths.push_back(open.path);
    }
    return paths;
}

} // namespace qora::testing
