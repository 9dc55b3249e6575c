#include "link/adapter.h"

#include <cstring>

namespace qora {
namespace {

// The interface detail block from the global heap, freed on every way out of the
// examination of one member.
class InterfaceDetail {
public:
    explicit InterfaceDetail(HidApi& hid) : hid_(hid) {}
    ~InterfaceDetail() {
        if (block_ != nullptr) {
            hid_.globalFree(block_);
        }
    }
    InterfaceDetail(const InterfaceDetail&) = delete;
    InterfaceDetail& operator=(const InterfaceDetail&) = delete;

    bool allocate(std::uint32_t size) {
        block_ = hid_.globalAlloc(kGptr, size);
        size_ = block_ != nullptr ? size : 0;
        return block_ != nullptr;
    }
    void setSizeField(std::uint32_t value) {
        std::memcpy(bytes() + interfaceDetail::sizeField, &value, sizeof value);
    }
    // The device path, or nullptr when the block holds no terminated path.
    const char* devicePath() const {
        const auto* path = reinterpret_cast<const char*>(bytes() + interfaceDetail::devicePath);
        const std::size_t room = size_ - interfaceDetail::devicePath;
        return std::memchr(path, '\0', room) != nullptr ? path : nullptr;
    }
    void* block() const { return block_; }
    std::uint32_t size() const { return size_; }

private:
    unsigned char* bytes() const { return static_cast<unsigned char*>(block_); }

    HidApi& hid_;
    void* block_ = nullptr;
    std::uint32_t size_ = 0;
};

// Fills detail for the member; false when it yields no usable device path.
bool readInterfaceDetail(HidApi& hid, DeviceInfoSet devices,
                         const DeviceInterfaceData& interfaceData, InterfaceDetail& detail) {
    std::uint32_t required = 0;
    // Fails by design (the buffer is too small) and reports the size needed.
    hid.setupDiGetDeviceInterfaceDetail(devices, &interfaceData, nullptr, 0, &required);
    if (required <= interfaceDetail::devicePath || !detail.allocate(required)) {
        return false;
    }
    detail.setSizeField(hid.deviceInterfaceDetailFixedSize());
    if (!hid.setupDiGetDeviceInterfaceDetail(devices, &interfaceData, detail.block(), detail.size(),
                                             nullptr)) {
        return false;
    }
    return detail.devicePath() != nullptr;
}

// The capabilities are read for diagnosis only; nothing depends on them.
void readCapabilities(HidApi& hid, NativeHandle device) {
    HidPreparsedData preparsed = nullptr;
    if (!hid.hidDGetPreparsedData(device, &preparsed)) {
        return;
    }
    HidCaps caps;
    hid.hidPGetCaps(preparsed, &caps);
    hid.hidDFreePreparsedData(preparsed);
}

// Opens the HID device briefly to read its identity. A device that refuses the open
// (held exclusively elsewhere, for example) is not the adapter as far as we can tell.
bool hasAdapterIdentity(HidApi& hid, const char* interfacePath) {
    const NativeHandle device = hid.createFile(interfacePath, kGenericWrite, kFileShareWrite,
                                               kOpenExisting, kFileFlagOverlapped);
    if (device == kInvalidHandle) {
        return false;
    }
    HidAttributes attributes;
    const bool identified = hid.hidDGetAttributes(device, &attributes);
    readCapabilities(hid, device);
    hid.closeHandle(device);
    return identified && isAdapterIdentity(attributes);
}

NativeHandle openPipe(HidApi& hid, const char* interfacePath) {
    const std::string pipe = pipePathFor(interfacePath);
    return hid.createFile(pipe.c_str(), kGenericRead | kGenericWrite,
                          kFileShareRead | kFileShareWrite, kOpenExisting, 0);
}

NativeHandle examineMember(HidApi& hid, DeviceInfoSet devices,
                           const DeviceInterfaceData& interfaceData) {
    InterfaceDetail detail(hid);
    if (!readInterfaceDetail(hid, devices, interfaceData, detail)) {
        return kInvalidHandle;
    }
    const char* interfacePath = detail.devicePath();
    if (!hasAdapterIdentity(hid, interfacePath)) {
        return kInvalidHandle;
    }
    return openPipe(hid, interfacePath);
}

} // namespace

bool isAdapterIdentity(const HidAttributes& attributes) {
    return attributes.vendorId == kAdapterVendorId && attributes.productId == kAdapterProductId;
}

std::string pipePathFor(const std::string& interfacePath) {
    return interfacePath + kPipeSuffix;
}

NativeHandle findAdapter(HidApi& hid) {
    HidGuid hidGuid;
    hid.hidDGetHidGuid(&hidGuid);
    const DeviceInfoSet devices =
        hid.setupDiGetClassDevs(&hidGuid, nullptr, nullptr, kDigcfPresent | kDigcfDeviceInterface);
    if (devices == kInvalidDeviceInfoSet) {
        return kInvalidHandle;
    }
    NativeHandle result = kInvalidHandle;
    DeviceInterfaceData interfaceData;
    for (std::uint32_t index = 0;
         result == kInvalidHandle &&
         hid.setupDiEnumDeviceInterfaces(devices, &hidGuid, index, &interfaceData);
         ++index) {
        result = examineMember(hid, devices, interfaceData);
    }
    hid.setupDiDestroyDeviceInfoList(devices);
    return result;
}

} // namespace qora
