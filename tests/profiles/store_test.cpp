#include "profiles/store.h"

#include "fakes/failing_file_api.h"
#include "fakes/temp_directory.h"
#include "platform/host/host_profile_file.h"
#include "profiles/profile_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qora {
namespace {

using testing::FailingFileApi;

// A store of n records whose every byte tells its record and position apart.
std::string storeOf(std::uint32_t n) {
    std::string bytes;
    for (std::uint32_t r = 0; r < n; ++r) {
        for (std::uint32_t i = 0; i < kProfileRecordSize; ++i) {
            bytes.push_back(static_cast<char>((r * 37 + i) & 0xFF));
        }
    }
    return bytes;
}

std::string recordOf(const std::string& store, std::uint32_t index) {
    return store.substr(index * kProfileRecordSize, kProfileRecordSize);
}

class StoreTest : public ::testing::Test {
protected:
    testing::TempDirectory dir;
    ProgramPaths paths = makeProgramPaths(dir.path());
    HostFileApi files;
    HostProfileFile ini;
};

TEST_F(StoreTest, ReadOfAMissingStoreCreatesItEmpty) {
    std::vector<std::uint8_t> buffer(2 * kProfileRecordSize, 0xCC);
    EXPECT_EQ(readStore(files, paths, buffer.data(), 288), 0u);
    EXPECT_TRUE(dir.exists("config.bin"));
    EXPECT_EQ(dir.read("config.bin"), "");
    EXPECT_EQ(buffer[0], 0xCC); // untouched: the caller decides what unread bytes hold
}

TEST_F(StoreTest, ReadOfAShortStoreLeavesTheTailAsPrepared) {
    dir.write("config.bin", storeOf(1));
    std::vector<std::uint8_t> buffer(2 * kProfileRecordSize, 0);
    EXPECT_EQ(readStore(files, paths, buffer.data(), 288), 144u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 144), storeOf(1));
    EXPECT_EQ(buffer[144], 0);
    EXPECT_EQ(buffer[287], 0);
}

TEST_F(StoreTest, CountSmallerThanTheFileReadsOnlyCountRecords) {
    dir.write("config.bin", storeOf(3));
    std::vector<std::uint8_t> buffer(kProfileRecordSize, 0);
    EXPECT_EQ(readStore(files, paths, buffer.data(), 144), 144u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), recordOf(storeOf(3), 0));
    // The next whole-store write of COUNT records drops the extra ones.
    EXPECT_EQ(writeStore(files, paths, buffer.data(), 144).bytesWritten, 144u);
    EXPECT_EQ(dir.read("config.bin"), recordOf(storeOf(3), 0));
}

TEST_F(StoreTest, RecordsRoundTripByteForByte) {
    ProfileRecord record;
    setProfileName(record, "Sniper");
    record.bytes[profile::primaryKeys + 4] = 0x11;
    record.bytes[profile::direction] = 2;
    record.bytes[profile::invertFlags] = 3;
    writeZoomScale(record, profile::xZoomScale, 0.7f);
    writeZoomScale(record, profile::yZoomScale, 3.14159f);
    const StoreWrite written = writeStore(files, paths, record.bytes.data(), 144);
    EXPECT_TRUE(written.replaced);
    EXPECT_EQ(written.bytesWritten, 144u);

    ProfileRecord back;
    ASSERT_EQ(readStore(files, paths, back.bytes.data(), 144), 144u);
    EXPECT_EQ(back, record);
    EXPECT_EQ(readZoomScale(back, profile::xZoomScale), 0.7f);
    EXPECT_EQ(readZoomScale(back, profile::yZoomScale), 3.14159f);
    EXPECT_FALSE(dir.exists("config.bin.new"));
}

TEST_F(StoreTest, DeletingTheLastRecordKeepsTheOthers) {
    const std::string store = storeOf(3);
    dir.write("config.bin", store);
    const StoreWrite result = deleteRecord(files, paths, 3, 2);
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(result.bytesWritten, 288u);
    EXPECT_EQ(dir.read("config.bin"), store.substr(0, 288));
}

TEST_F(StoreTest, DeletingAMiddleOrFirstRecordClosesTheGap) {
    const std::string store = storeOf(4);
    dir.write("config.bin", store);
    EXPECT_EQ(deleteRecord(files, paths, 4, 1).bytesWritten, 432u);
    EXPECT_EQ(dir.read("config.bin"), recordOf(store, 0) + recordOf(store, 2) + recordOf(store, 3));
    EXPECT_EQ(deleteRecord(files, paths, 3, 0).bytesWritten, 288u);
    EXPECT_EQ(dir.read("config.bin"), recordOf(store, 2) + recordOf(store, 3));
}

TEST_F(StoreTest, DeletingTheOnlyRecordLeavesAnEmptyStore) {
    dir.write("config.bin", storeOf(1));
    const StoreWrite result = deleteRecord(files, paths, 1, 0);
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(result.bytesWritten, 0u);
    EXPECT_TRUE(dir.exists("config.bin"));
    EXPECT_EQ(dir.read("config.bin"), "");
}

TEST_F(StoreTest, DeletingAtOrBeyondCountDoesNothing) {
    const std::string store = storeOf(2);
    dir.write("config.bin", store);
    for (const std::uint32_t index : {2u, 3u, 0xFFFFFFFFu}) {
        const StoreWrite result = deleteRecord(files, paths, 2, index);
        EXPECT_FALSE(result.replaced);
        EXPECT_EQ(result.bytesWritten, 0u);
    }
    EXPECT_FALSE(deleteRecord(files, paths, 0, 0).replaced);
    EXPECT_EQ(dir.read("config.bin"), store);
}

TEST_F(StoreTest, DeletingFromAStoreShorterThanCountKeepsZeros) {
    const std::string store = storeOf(2);
    dir.write("config.bin", store);
    EXPECT_EQ(deleteRecord(files, paths, 4, 0).bytesWritten, 432u);
    EXPECT_EQ(dir.read("config.bin"), recordOf(store, 1) + std::string(288, '\0'));
}

class FailedStoreWrite : public StoreTest,
                         public ::testing::WithParamInterface<FailingFileApi::Failure> {};

TEST_P(FailedStoreWrite, LeavesTheOldStoreExactlyAsItWas) {
    const std::string store = storeOf(3);
    dir.write("config.bin", store);
    FailingFileApi failing(GetParam());
    const std::vector<std::uint8_t> replacement(144, 0x5A);

    const StoreWrite written = writeStore(failing, paths, replacement.data(), 144);
    EXPECT_FALSE(written.replaced);
    EXPECT_EQ(written.bytesWritten, 0u);
    EXPECT_EQ(dir.read("config.bin"), store);
    EXPECT_FALSE(dir.exists("config.bin.new"));

    const StoreWrite deleted = deleteRecord(failing, paths, 3, 1);
    EXPECT_FALSE(deleted.replaced);
    EXPECT_EQ(deleted.bytesWritten, 0u);
    EXPECT_EQ(dir.read("config.bin"), store);
    EXPECT_FALSE(dir.exists("config.bin.new"));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedStoreWrite,
                         ::testing::Values(FailingFileApi::Failure::createTemporary,
                                           FailingFileApi::Failure::write,
                                           FailingFileApi::Failure::flush,
                                           FailingFileApi::Failure::close,
                                           FailingFileApi::Failure::move));

TEST_F(StoreTest, AStoreThatCannotBeOpenedReadsNothingAndDeletesNothing) {
    dir.write("config.bin", storeOf(2));
    FailingFileApi failing(FailingFileApi::Failure::openStore);
    std::vector<std::uint8_t> buffer(288, 0);
    EXPECT_EQ(readStore(failing, paths, buffer.data(), 288), 0u);
    EXPECT_FALSE(deleteRecord(failing, paths, 2, 0).replaced);
    EXPECT_EQ(dir.read("config.bin"), storeOf(2));
}

TEST_F(StoreTest, CountIsReadSafely) {
    struct Case {
        const char* text;
        std::uint32_t count;
    };
    const Case cases[] = {
        {"3", 3},          {"-1", 0},        {"-2147483648", 0},
        {"65535", 65535},  {"65536", 65535}, {"2147483647", 65535},
        {"4294967295", 0}, {"12abc", 12},
    };
    for (const auto& c : cases) {
        ini.writePrivateProfileString("CONFIGURATION", "COUNT", c.text, paths.settingIni.c_str());
        EXPECT_EQ(readProfileCount(ini, paths), c.count) << c.text;
    }
}

TEST_F(StoreTest, MissingCountAndCurrentReadAsZero) {
    EXPECT_EQ(readProfileCount(ini, paths), 0u);
    EXPECT_EQ(readCurrentProfile(ini, paths), 0);
}

TEST_F(StoreTest, CountAndCurrentAreWrittenAsDecimalText) {
    writeProfileCount(ini, paths, 12);
    writeCurrentProfile(ini, paths, -1);
    char text[16];
    ini.getPrivateProfileString("CONFIGURATION", "COUNT", "", text, 16, paths.settingIni.c_str());
    EXPECT_STREQ(text, "12");
    ini.getPrivateProfileString("CONFIGURATION", "CURRENT", "", text, 16, paths.settingIni.c_str());
    EXPECT_STREQ(text, "-1");
    EXPECT_EQ(readCurrentProfile(ini, paths), -1);
}

} // namespace
} // namespace qora
