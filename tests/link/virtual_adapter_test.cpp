#include "link/adapter.h"
#include "link/adapter_link.h"
#include "link/virtual_adapter.h"

#include "fakes/failing_file_api.h"
#include "fakes/fake_hid_api.h"
#include "fakes/temp_directory.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qora {
namespace {

using testing::FailingFileApi;
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
    AdapterLink open() { return openAdapter(hid, files, ini, paths); }

    // Writes packets the way the capture run does: one packet per write.
    void writePackets(AdapterLink& adapter, const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += kPacketSize) {
            ASSERT_TRUE(writeAdapterPacket(files, paths, adapter, packetOf(bytes.substr(at))));
        }
    }
    static Packet packetOf(const std::string& bytes) {
        Packet packet{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), kPacketSize), packet.begin());
        return packet;
    }
    std::uintmax_t sizeOf(const char* name) const {
        return std::filesystem::file_size(directory.file(name));
    }
    // A large file that takes no room: only its length matters here.
    void makeSparse(const char* name, std::uintmax_t length) const {
        directory.write(name, "");
        std::filesystem::resize_file(directory.file(name), length);
    }

    TempDirectory directory;
    ProgramPaths paths;
    FakeHidApi hid;
    HostFileApi files;
    HostProfileFile ini;
};

TEST_F(OpenAdapter, VirtualAdapterAppendsToPacketsBinWithoutSearching) {
    setVirtual("1");
    AdapterLink adapter = open();
    ASSERT_TRUE(isOpen(adapter));
    EXPECT_TRUE(hid.calls.empty()) << "the HID search ran";
    EXPECT_TRUE(directory.exists("packets.bin"));

    const std::string first(50, '\x01');
    const std::string second(50, '\x02');
    writePackets(adapter, first + second);
    closeAdapter(files, adapter);
    EXPECT_EQ(directory.read("packets.bin"), first + second);
}

// Earlier runs are kept, except part of a packet a full disk left at the end: the next
// packet must start on a packet boundary.
TEST_F(OpenAdapter, VirtualAdapterKeepsTheWholePacketsEarlierRunsWrote) {
    setVirtual("1");
    const std::string earlier(50, '\x07');
    const std::string next(50, '\x08');
    const std::pair<std::string, std::string> cases[] = {
        {"", next},
        {std::string(49, '\x07'), next},
        {earlier, earlier + next},
        {earlier + earlier + std::string(20, '\x07'), earlier + earlier + next},
    };
    for (const auto& [before, after] : cases) {
        directory.write("packets.bin", before);
        AdapterLink adapter = open();
        ASSERT_TRUE(isOpen(adapter)) << before.size();
        writePackets(adapter, next);
        closeAdapter(files, adapter);
        EXPECT_EQ(directory.read("packets.bin"), after) << before.size();
    }
}

TEST_F(OpenAdapter, VirtualAdapterThatCannotBeCreatedIsNoAdapterAndSaysWhichFileAndWhy) {
    setVirtual("1");
    const std::string unreachable = directory.file("missing-dir/packets.bin");
    struct Case {
        std::string packetsBin;
        FailingFileApi::Failure failure;
        bool full; // a file at the cap, which must move to packets.old.bin first
        const char* reason;
    };
    const Case cases[] = {
        {unreachable, FailingFileApi::Failure::none, false, "file not found"},
        {paths.packetsBin, FailingFileApi::Failure::openFile, false, "access denied"},
        {paths.packetsBin, FailingFileApi::Failure::move, true, "access denied"},
    };
    for (const Case& refused : cases) {
        SCOPED_TRACE(refused.reason);
        ProgramPaths where = paths;
        where.packetsBin = refused.packetsBin;
        if (refused.full) {
            makeSparse("packets.bin", kPacketsFileCap);
        }
        FailingFileApi failing(refused.failure);
        const AdapterLink adapter = openAdapter(hid, failing, ini, where);
        EXPECT_FALSE(isOpen(adapter));
        // No falling back to a real adapter the user did not ask for.
        EXPECT_TRUE(hid.calls.empty());
        EXPECT_EQ(adapterUnavailableText(adapter, where),
                  "Can not create " + where.packetsBin +
                      " for the virtual adapter: " + refused.reason);
    }
    EXPECT_EQ(adapterUnavailableText(AdapterLink{}, paths), "Can not find QORA");
}

TEST_F(OpenAdapter, AShortWriteLeavesOnlyWholePacketsAndFails) {
    setVirtual("1");
    directory.write("packets.bin", std::string(100, '\x07'));
    FailingFileApi fullDisk(FailingFileApi::Failure::write);
    AdapterLink adapter = openAdapter(hid, fullDisk, ini, paths);
    ASSERT_TRUE(isOpen(adapter));
    EXPECT_FALSE(writeAdapterPacket(fullDisk, paths, adapter, packetOf(std::string(50, 'x'))));
    EXPECT_EQ(directory.read("packets.bin"), std::string(100, '\x07'));

    // Room again: the same link goes on at the boundary.
    writePackets(adapter, std::string(50, '\x08'));
    closeAdapter(files, adapter);
    EXPECT_EQ(directory.read("packets.bin"), std::string(100, '\x07') + std::string(50, '\x08'));
}

// The cap holds 1 342 177 whole packets; the one after them starts a fresh file.
TEST_F(OpenAdapter, PacketsBinPastTheCapStartsAFreshFileAndKeepsThePreviousOne) {
    setVirtual("1");
    constexpr std::uintmax_t kFull = kPacketsFileCap / kPacketSize * kPacketSize;
    makeSparse("packets.bin", kFull - kPacketSize);
    directory.write("packets.old.bin", "an older file");
    AdapterLink adapter = open();
    ASSERT_TRUE(isOpen(adapter));
    writePackets(adapter, std::string(50, '\x01')); // the last one that fits
    EXPECT_EQ(sizeOf("packets.bin"), kFull);
    writePackets(adapter, std::string(50, '\x02'));
    closeAdapter(files, adapter);
    EXPECT_EQ(sizeOf("packets.old.bin"), kFull);
    EXPECT_EQ(directory.read("packets.bin"), std::string(50, '\x02'));

    // A file from before the cap, larger than it, is moved away at the open.
    makeSparse("packets.bin", 3'000'000'000u);
    adapter = open();
    ASSERT_TRUE(isOpen(adapter));
    closeAdapter(files, adapter);
    EXPECT_EQ(sizeOf("packets.old.bin"), 3'000'000'000u);
    EXPECT_EQ(sizeOf("packets.bin"), 0u);
}

TEST_F(OpenAdapter, AFullFileThatCannotBeMovedAwayStopsTheWrites) {
    setVirtual("1");
    makeSparse("packets.bin", kPacketsFileCap / kPacketSize * kPacketSize - kPacketSize);
    FailingFileApi refusedMove(FailingFileApi::Failure::move);
    AdapterLink adapter = openAdapter(hid, refusedMove, ini, paths);
    ASSERT_TRUE(isOpen(adapter));
    ASSERT_TRUE(writeAdapterPacket(refusedMove, paths, adapter, packetOf("")));
    EXPECT_FALSE(writeAdapterPacket(refusedMove, paths, adapter, packetOf("")));
    EXPECT_FALSE(isOpen(adapter));
    EXPECT_EQ(sizeOf("packets.bin"), kPacketsFileCap / kPacketSize * kPacketSize);
    EXPECT_FALSE(directory.exists("packets.old.bin"));
}

TEST_F(OpenAdapter, WithoutTheKeyTheRealAdapterIsSearched) {
    directory.write("setting.ini", "[SETTING]\r\nOSTYPE=0\r\n");
    const AdapterLink adapter = open();
    ASSERT_TRUE(isOpen(adapter));
    EXPECT_FALSE(adapter.isVirtual);
    EXPECT_EQ(hid.openPaths(), std::vector<std::string>{kAdapterPath + "\\PIPE1"});
    EXPECT_FALSE(directory.exists("packets.bin"));
    EXPECT_TRUE(hid.closeHandle(adapter.handle));
}

TEST_F(OpenAdapter, WithoutSettingIniTheRealAdapterIsSearched) {
    const AdapterLink adapter = open();
    ASSERT_TRUE(isOpen(adapter));
    EXPECT_FALSE(directory.exists("packets.bin"));
    EXPECT_TRUE(hid.closeHandle(adapter.handle));
}

TEST_F(OpenAdapter, AnyValueButOneMeansTheRealAdapter) {
    for (const char* value : {"0", "2", "-1", "11", "yes", ""}) {
        SCOPED_TRACE(value);
        setVirtual(value);
        FakeHidApi machine;
        machine.devices = hid.devices;
        machine.devices[0].pipeOpens = false; // so the search finds nothing
        const AdapterLink adapter = openAdapter(machine, files, ini, paths);
        EXPECT_FALSE(isOpen(adapter));
        EXPECT_EQ(adapterUnavailableText(adapter, paths), "Can not find QORA");
        EXPECT_FALSE(machine.calls.empty()) << "the HID search did not run";
        EXPECT_FALSE(directory.exists("packets.bin"));
    }
}

TEST_F(OpenAdapter, SettingIsReadAtEveryOpen) {
    setVirtual("0");
    const AdapterLink real = open();
    ASSERT_TRUE(isOpen(real));
    EXPECT_TRUE(hid.closeHandle(real.handle));

    setVirtual("1");
    hid.calls.clear();
    AdapterLink virtualAdapter = open();
    ASSERT_TRUE(isOpen(virtualAdapter));
    EXPECT_TRUE(hid.calls.empty());
    closeAdapter(files, virtualAdapter);
}

} // namespace
} // namespace qora
