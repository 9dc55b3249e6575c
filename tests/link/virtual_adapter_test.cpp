#include "link/adapter.h"

#include "fakes/fake_hid_api.h"
#include "fakes/temp_directory.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"

#include <gtest/gtest.h>

#include <string>

namespace qora {
namespace {

using testing::FakeHidApi;
using testing::FakeHidDevice;
using testing::TempDirectory;

const std::string kAdapterPath = "\\\\?\\hid#vid_04b4&pid_0811#7&1a&0&0000";

class OpenAdapter : public ::testing::Test {
protected:
    OpenAdapter() : paths(makeProgramPaths(directory.path())) {
        FakeHidDevice adapter;
        adapter.interfacePath = kAdapterPath;
        adapter.vendorId = kAdapterVendorId;
        adapter.productId = kAdapterProductId;
        hid.devices = {adapter};
    }

    void setVirtual(const std::string& value) {
        directory.write("setting.ini",
                        "[SETTING]\r\nOSTYPE=1\r\n[ADAPTER]\r\nVIRTUAL=" + value + "\r\n");
    }
    NativeHandle open() { return openAdapter(hid, files, ini, paths); }

    // Writes packets the way the capture run does: whole 50-byte writes, then a close.
    void writePackets(NativeHandle adapter, const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 50) {
            std::uint32_t written = 0;
            ASSERT_TRUE(files.writeFile(adapter, bytes.data() + at, 50, &written));
            ASSERT_EQ(written, 50u);
        }
    }

    TempDirectory directory;
    ProgramPaths paths;
    FakeHidApi hid;
    HostFileApi files;
    HostProfileFile ini;
};

TEST_F(OpenAdapter, VirtualAdapterAppendsToPacketsBinWithoutSearching) {
    setVirtual("1");
    const NativeHandle adapter = open();
    ASSERT_NE(adapter, kInvalidHandle);
    EXPECT_TRUE(hid.calls.empty()) << "the HID search ran";
    EXPECT_TRUE(directory.exists("packets.bin"));

    const std::string first(50, '\x01');
    const std::string second(50, '\x02');
    writePackets(adapter, first + second);
    EXPECT_TRUE(files.closeHandle(adapter));
    EXPECT_EQ(directory.read("packets.bin"), first + second);
}

TEST_F(OpenAdapter, VirtualAdapterKeepsWhatEarlierRunsWrote) {
    setVirtual("1");
    directory.write("packets.bin", std::string(50, '\x07'));
    const NativeHandle adapter = open();
    ASSERT_NE(adapter, kInvalidHandle);
    writePackets(adapter, std::string(50, '\x08'));
    EXPECT_TRUE(files.closeHandle(adapter));
    EXPECT_EQ(directory.read("packets.bin"), std::string(50, '\x07') + std::string(50, '\x08'));
}

TEST_F(OpenAdapter, VirtualAdapterThatCannotBeCreatedIsNoAdapter) {
    setVirtual("1");
    paths.packetsBin = directory.file("missing-dir/packets.bin");
    EXPECT_EQ(open(), kInvalidHandle);
    // No falling back to a real adapter the user did not ask for.
    EXPECT_TRUE(hid.calls.empty());
}

TEST_F(OpenAdapter, WithoutTheKeyTheRealAdapterIsSearched) {
    directory.write("setting.ini", "[SETTING]\r\nOSTYPE=0\r\n");
    const NativeHandle adapter = open();
    ASSERT_NE(adapter, kInvalidHandle);
    EXPECT_EQ(hid.openPaths(), std::vector<std::string>{kAdapterPath + "\\PIPE1"});
    EXPECT_FALSE(directory.exists("packets.bin"));
    EXPECT_TRUE(hid.closeHandle(adapter));
}

TEST_F(OpenAdapter, WithoutSettingIniTheRealAdapterIsSearched) {
    const NativeHandle adapter = open();
    ASSERT_NE(adapter, kInvalidHandle);
    EXPECT_FALSE(directory.exists("packets.bin"));
    EXPECT_TRUE(hid.closeHandle(adapter));
}

TEST_F(OpenAdapter, AnyValueButOneMeansTheRealAdapter) {
    for (const char* value : {"0", "2", "-1", "11", "yes", ""}) {
        SCOPED_TRACE(value);
        setVirtual(value);
        FakeHidApi machine;
        machine.devices = hid.devices;
        machine.devices[0].pipeOpens = false; // so the search finds nothing
        EXPECT_EQ(openAdapter(machine, files, ini, paths), kInvalidHandle);
        EXPECT_FALSE(machine.calls.empty()) << "the HID search did not run";
        EXPECT_FALSE(directory.exists("packets.bin"));
    }
}

TEST_F(OpenAdapter, SettingIsReadAtEveryOpen) {
    setVirtual("0");
    const NativeHandle real = open();
    ASSERT_NE(real, kInvalidHandle);
    EXPECT_TRUE(hid.closeHandle(real));

    setVirtual("1");
    hid.calls.clear();
    const NativeHandle virtualAdapter = open();
    ASSERT_NE(virtualAdapter, kInvalidHandle);
    EXPECT_TRUE(hid.calls.empty());
    EXPECT_TRUE(files.closeHandle(virtualAdapter));
}

} // namespace
} // namespace qora
