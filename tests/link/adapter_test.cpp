#include "link/adapter.h"

#include "fakes/fake_hid_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::FakeHidApi;
using testing::FakeHidDevice;

const std::string kFirstPath = "\\\\?\\hid#vid_04b4&pid_0811#7&1a&0&0000#{4d1e55b2}";
const std::string kSecondPath = "\\\\?\\hid#vid_04b4&pid_0811#7&2b&0&0000#{4d1e55b2}";
const std::string kMousePath = "\\\\?\\hid#vid_046d&pid_c077#6&3c&0&0000#{4d1e55b2}";

FakeHidDevice adapterAt(const std::string& path) {
    FakeHidDevice device;
    device.interfacePath = path;
    device.vendorId = 0x04B4;
    device.productId = 0x0811;
    return device;
}

FakeHidDevice otherDevice(const std::string& path, std::uint16_t vendor, std::uint16_t product) {
    FakeHidDevice device;
    device.interfacePath = path;
    device.vendorId = vendor;
    device.productId = product;
    return device;
}

std::string pipe(const std::string& interfacePath) {
    return interfacePath + "\\PIPE1";
}

bool called(const FakeHidApi& hid, const std::string& call) {
    return std::find(hid.calls.begin(), hid.calls.end(), call) != hid.calls.end();
}

std::size_t positionOf(const FakeHidApi& hid, const std::string& call) {
    return static_cast<std::size_t>(std::find(hid.calls.begin(), hid.calls.end(), call) -
                                    hid.calls.begin());
}

// Every search, whatever it finds, must leave the machine as it found it: nothing open
// but the pipe it returns, every detail record and preparsed block freed, the device set
// destroyed, and no call misused.
class FindAdapter : public ::testing::Test {
protected:
    NativeHandle search() {
        result = findAdapter(hid);
        return result;
    }
    std::string resultPath() const {
        const auto open = hid.openPaths();
        return open.size() == 1 ? open.front() : std::string();
    }
    void TearDown() override {
        EXPECT_TRUE(hid.violations.empty()) << ::testing::PrintToString(hid.violations);
        EXPECT_EQ(hid.liveDetailBlocks(), 0u);
        EXPECT_EQ(hid.detailBlocksAllocated, hid.detailBlocksFreed);
        EXPECT_EQ(hid.livePreparsedData(), 0u);
        if (!hid.classDevsFails) {
            EXPECT_TRUE(hid.deviceSetDestroyed);
        }
        if (result == kInvalidHandle) {
            EXPECT_TRUE(hid.openPaths().empty()) << ::testing::PrintToString(hid.openPaths());
        } else {
            EXPECT_EQ(hid.openPaths().size(), 1u) << ::testing::PrintToString(hid.openPaths());
        }
    }

    FakeHidApi hid;
    NativeHandle result = kInvalidHandle;
};

TEST_F(FindAdapter, NoDeviceAtAll) {
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_EQ(hid.classDevsFlags, 0x12u);
    EXPECT_TRUE(called(hid, "Enum 0"));
    EXPECT_EQ(hid.detailBlocksAllocated, 0);
}

TEST_F(FindAdapter, OpensThePipeOfTheAdapter) {
    hid.devices = {otherDevice(kMousePath, 0x046D, 0xC077), adapterAt(kFirstPath)};
    ASSERT_NE(search(), kInvalidHandle);
    EXPECT_EQ(resultPath(), pipe(kFirstPath));
    EXPECT_FALSE(called(hid, "Open " + pipe(kMousePath)));
}

TEST_F(FindAdapter, TwoAdaptersTheFirstEnumeratedWins) {
    hid.devices = {adapterAt(kFirstPath), adapterAt(kSecondPath)};
    ASSERT_NE(search(), kInvalidHandle);
    EXPECT_EQ(resultPath(), pipe(kFirstPath));
    // The search stops at the first pipe that opens.
    EXPECT_FALSE(called(hid, "Enum 1"));
    EXPECT_FALSE(called(hid, "Open " + kSecondPath));
}

TEST_F(FindAdapter, AnAdapterWhosePipeFailsIsPassedOver) {
    hid.devices = {adapterAt(kFirstPath), adapterAt(kSecondPath)};
    hid.devices[0].pipeOpens = false;
    ASSERT_NE(search(), kInvalidHandle);
    EXPECT_TRUE(called(hid, "Open " + pipe(kFirstPath)));
    EXPECT_EQ(resultPath(), pipe(kSecondPath));
}

TEST_F(FindAdapter, NoPipeOpensMeansNoAdapter) {
    hid.devices = {adapterAt(kFirstPath), adapterAt(kSecondPath)};
    hid.devices[0].pipeOpens = false;
    hid.devices[1].pipeOpens = false;
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_TRUE(called(hid, "Enum 2"));
}

TEST_F(FindAdapter, RightVendorWithAnotherProductIsIgnored) {
    hid.devices = {otherDevice(kFirstPath, 0x04B4, 0x0812),
                   otherDevice(kSecondPath, 0x04B5, 0x0811)};
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_TRUE(called(hid, "Attributes " + kFirstPath));
    EXPECT_TRUE(called(hid, "Attributes " + kSecondPath));
    EXPECT_FALSE(called(hid, "Open " + pipe(kFirstPath)));
    EXPECT_FALSE(called(hid, "Open " + pipe(kSecondPath)));
}

TEST_F(FindAdapter, ADeviceRefusingTheFirstOpenIsSkippedUnread) {
    hid.devices = {adapterAt(kFirstPath), adapterAt(kSecondPath)};
    hid.devices[0].refusesOpen = true;
    ASSERT_NE(search(), kInvalidHandle);
    EXPECT_FALSE(called(hid, "Attributes " + kFirstPath));
    EXPECT_FALSE(called(hid, "Preparsed " + kFirstPath));
    // Even with the adapter's identity its pipe is not tried: the identity was never read.
    EXPECT_FALSE(called(hid, "Open " + pipe(kFirstPath)));
    EXPECT_EQ(resultPath(), pipe(kSecondPath));
}

TEST_F(FindAdapter, MissingPreparsedDataOnlySkipsTheCapabilities) {
    hid.devices = {adapterAt(kFirstPath)};
    hid.devices[0].preparsedDataFails = true;
    ASSERT_NE(search(), kInvalidHandle);
    EXPECT_FALSE(called(hid, "Caps"));
    EXPECT_FALSE(called(hid, "FreePreparsed"));
    EXPECT_EQ(resultPath(), pipe(kFirstPath));
}

TEST_F(FindAdapter, CapabilitiesAreReadAndTheirDataFreed) {
    hid.devices = {otherDevice(kMousePath, 0x046D, 0xC077)};
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_LT(positionOf(hid, "Caps"), positionOf(hid, "FreePreparsed"));
    EXPECT_LT(positionOf(hid, "FreePreparsed"), positionOf(hid, "Close " + kMousePath));
}

TEST_F(FindAdapter, UnreadableAttributesAreNotTakenForTheAdapter) {
    hid.devices = {adapterAt(kFirstPath), adapterAt(kSecondPath)};
    hid.devices[0].attributesFail = true;
    ASSERT_NE(search(), kInvalidHandle);
    EXPECT_FALSE(called(hid, "Open " + pipe(kFirstPath)));
    EXPECT_EQ(resultPath(), pipe(kSecondPath));
}

TEST_F(FindAdapter, OpensTheDeviceAndThePipeWithTheirOwnModes) {
    hid.devices = {adapterAt(kFirstPath)};
    ASSERT_NE(search(), kInvalidHandle);

    const auto& device = hid.lastOpenOf.at(kFirstPath);
    EXPECT_EQ(device.access, kGenericWrite);
    EXPECT_EQ(device.share, kFileShareWrite);
    EXPECT_EQ(device.disposition, kOpenExisting);
    EXPECT_EQ(device.flags, kFileFlagOverlapped);

    // The pipe is written synchronously, so no overlapped flag.
    const auto& pipeOpen = hid.lastOpenOf.at(pipe(kFirstPath));
    EXPECT_EQ(pipeOpen.access, kGenericRead | kGenericWrite);
    EXPECT_EQ(pipeOpen.share, kFileShareRead | kFileShareWrite);
    EXPECT_EQ(pipeOpen.disposition, kOpenExisting);
    EXPECT_EQ(pipeOpen.flags, 0u);

    // The identity handle is closed before the pipe opens.
    EXPECT_LT(positionOf(hid, "Close " + kFirstPath), positionOf(hid, "Open " + pipe(kFirstPath)));
}

TEST(FindAdapterDetail, SizeFieldIsTheFixedPartForTheBuild) {
    for (const std::uint32_t fixedSize : {5u, 8u}) {
        FakeHidApi machine;
        machine.detailFixedSize = fixedSize;
        machine.devices = {adapterAt(kFirstPath)};
        const NativeHandle pipeHandle = findAdapter(machine);
        EXPECT_NE(pipeHandle, kInvalidHandle) << "fixed size " << fixedSize;
        EXPECT_TRUE(machine.violations.empty()) << ::testing::PrintToString(machine.violations);
        EXPECT_TRUE(machine.closeHandle(pipeHandle));
        EXPECT_EQ(machine.liveDetailBlocks(), 0u);
    }
}

TEST_F(FindAdapter, EachDetailRecordIsFreedBeforeTheNextMember) {
    hid.devices = {otherDevice(kMousePath, 0x046D, 0xC077), adapterAt(kFirstPath)};
    hid.devices[1].pipeOpens = false;
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_EQ(hid.detailBlocksAllocated, 2);
    // The first block is freed before the second member is enumerated.
    EXPECT_LT(positionOf(hid, "GlobalFree"), positionOf(hid, "Enum 1"));
    // The detail record is sized for the path and its terminator.
    EXPECT_TRUE(called(hid, "GlobalAlloc " + std::to_string(4 + kMousePath.size() + 1)));
}

TEST_F(FindAdapter, AMemberWithoutDetailIsSkipped) {
    hid.devices = {adapterAt(kFirstPath)};
    hid.globalAllocFails = true;
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_FALSE(called(hid, "Open " + kFirstPath));
}

TEST_F(FindAdapter, AFailedDetailFillIsSkippedAndItsRecordFreed) {
    hid.devices = {adapterAt(kFirstPath), adapterAt(kSecondPath)};
    hid.detailFillFails = true;
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_EQ(hid.detailBlocksAllocated, 2);
    EXPECT_FALSE(called(hid, "Open " + kFirstPath));
}

TEST_F(FindAdapter, AnUnterminatedDevicePathIsNeverUsed) {
    hid.devices = {adapterAt(kFirstPath)};
    hid.detailPathUnterminated = true;
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_FALSE(called(hid, "Open " + kFirstPath));
}

TEST_F(FindAdapter, NoDeviceSetMeansNoAdapter) {
    hid.devices = {adapterAt(kFirstPath)};
    hid.classDevsFails = true;
    EXPECT_EQ(search(), kInvalidHandle);
    EXPECT_FALSE(called(hid, "Enum 0"));
    EXPECT_FALSE(called(hid, "DestroyDeviceSet"));
}

TEST_F(FindAdapter, TheProbeLeavesNothingOpenOnceThePipeIsClosed) {
    hid.devices = {otherDevice(kMousePath, 0x046D, 0xC077), adapterAt(kFirstPath),
                   adapterAt(kSecondPath)};
    const NativeHandle probe = search();
    ASSERT_NE(probe, kInvalidHandle);
    EXPECT_TRUE(hid.closeHandle(probe));
    EXPECT_TRUE(hid.openPaths().empty());
    result = kInvalidHandle; // already closed
}

} // namespace
} // namespace qora
