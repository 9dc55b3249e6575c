#include "profiles/store.h"

#include "fakes/failing_file_api.h"
#include "fakes/restricted_files.h"
#include "fakes/temp_directory.h"
#include "formats/profile_record.h"
#include "platform/host/host_profile_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
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

TEST_F(StoreTest, AMissingStoreReadsAsNoRecordsAndIsNotCreated) {
    std::vector<std::uint8_t> buffer(2 * kProfileRecordSize, 0xCC);
    const StoreRead read = readStore(files, paths, buffer.data(), 288);
    EXPECT_EQ(read.state, StoreState::missing);
    EXPECT_TRUE(read.readable());
    EXPECT_EQ(read.bytesRead, 0u);
    EXPECT_FALSE(dir.exists("config.bin"));
    EXPECT_EQ(buffer[0], 0xCC); // untouched: the caller decides what unread bytes hold
}

TEST_F(StoreTest, ReadOfAShortStoreLeavesTheTailAsPrepared) {
    dir.write("config.bin", storeOf(1));
    std::vector<std::uint8_t> buffer(2 * kProfileRecordSize, 0);
    const StoreRead read = readStore(files, paths, buffer.data(), 288);
    EXPECT_EQ(read.state, StoreState::read);
    EXPECT_EQ(read.bytesRead, 144u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 144), storeOf(1));
    EXPECT_EQ(buffer[144], 0);
    EXPECT_EQ(buffer[287], 0);
}

TEST_F(StoreTest, CountSmallerThanTheFileReadsOnlyCountRecords) {
    dir.write("config.bin", storeOf(3));
    std::vector<std::uint8_t> buffer(kProfileRecordSize, 0);
    EXPECT_EQ(readStore(files, paths, buffer.data(), 144).bytesRead, 144u);
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
    ASSERT_EQ(readStore(files, paths, back.bytes.data(), 144).bytesRead, 144u);
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

struct WriteFault {
    FailingFileApi::Failure failure;
    const char* message;
};

class FailedStoreWrite : public StoreTest, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(FailedStoreWrite, LeavesTheOldStoreExactlyAsItWasAndSaysWhy) {
    const std::string store = storeOf(3);
    dir.write("config.bin", store);
    FailingFileApi failing(GetParam().failure);
    const std::vector<std::uint8_t> replacement(144, 0x5A);

    const StoreWrite written = writeStore(failing, paths, replacement.data(), 144);
    EXPECT_FALSE(written.replaced);
    EXPECT_EQ(written.bytesWritten, 0u);
    EXPECT_EQ(describeFailure(written.failure), GetParam().message);
    EXPECT_EQ(dir.read("config.bin"), store);
    EXPECT_FALSE(dir.exists("config.bin.new"));

    const StoreWrite deleted = deleteRecord(failing, paths, 3, 1);
    EXPECT_FALSE(deleted.replaced);
    EXPECT_EQ(deleted.bytesWritten, 0u);
    EXPECT_EQ(describeFailure(deleted.failure), GetParam().message);
    EXPECT_EQ(dir.read("config.bin"), store);
    EXPECT_FALSE(dir.exists("config.bin.new"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, FailedStoreWrite,
    ::testing::Values(
        WriteFault{FailingFileApi::Failure::createTemporary,
                   "config.bin cannot be written: access denied"},
        WriteFault{FailingFileApi::Failure::write, "config.bin cannot be written: disk full"},
        WriteFault{FailingFileApi::Failure::flush, "config.bin cannot be written: device failure"},
        WriteFault{FailingFileApi::Failure::close, "config.bin cannot be written: device failure"},
        WriteFault{FailingFileApi::Failure::move, "config.bin cannot be written: access denied"}));

TEST_F(StoreTest, AStoreThatCannotBeOpenedIsUnreadableAndDeletesNothing) {
    dir.write("config.bin", storeOf(2));
    FailingFileApi failing(FailingFileApi::Failure::openStore);
    std::vector<std::uint8_t> buffer(288, 0);
    const StoreRead read = readStore(failing, paths, buffer.data(), 288);
    EXPECT_EQ(read.state, StoreState::unreadable);
    EXPECT_EQ(read.bytesRead, 0u);
    EXPECT_EQ(describeFailure(read.failure), "config.bin cannot be read: access denied");
    const StoreWrite deleted = deleteRecord(failing, paths, 2, 0);
    EXPECT_FALSE(deleted.replaced);
    EXPECT_EQ(describeFailure(deleted.failure), "config.bin cannot be read: access denied");
    EXPECT_EQ(dir.read("config.bin"), storeOf(2));
}

TEST_F(StoreTest, AReadOnlyStoreIsReadButNeverReplaced) {
    dir.write("config.bin", storeOf(2));
    using std::filesystem::perms;
    std::filesystem::permissions(dir.file("config.bin"),
                                 perms::owner_read | perms::group_read | perms::others_read);
    std::vector<std::uint8_t> buffer(288, 0);
    EXPECT_EQ(readStore(files, paths, buffer.data(), 288).state, StoreState::read);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), storeOf(2));

    const StoreWrite written = writeStore(files, paths, buffer.data(), 144);
    EXPECT_FALSE(written.replaced);
    EXPECT_EQ(describeFailure(written.failure), "config.bin cannot be written: access denied");
    EXPECT_EQ(dir.read("config.bin"), storeOf(2));
    EXPECT_FALSE(dir.exists("config.bin.new"));
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
    EXPECT_FALSE(writeProfileCount(ini, files, paths, 12));
    EXPECT_FALSE(writeCurrentProfile(ini, files, paths, -1));
    char text[16];
    ini.getPrivateProfileString("CONFIGURATION", "COUNT", "", text, 16, paths.settingIni.c_str());
    EXPECT_STREQ(text, "12");
    ini.getPrivateProfileString("CONFIGURATION", "CURRENT", "", text, 16, paths.settingIni.c_str());
    EXPECT_STREQ(text, "-1");
    EXPECT_EQ(readCurrentProfile(ini, paths), -1);
}

// ---- Changes of config.bin and COUNT together -------------------------------------------

class StoreChangeTest : public StoreTest {
protected:
    void SetUp() override {
        dir.write("config.bin", original);
        restrictedIni.writePrivateProfileString("CONFIGURATION", "COUNT", "2",
                                                paths.settingIni.c_str());
    }

    // Two records in COUNT, a third beyond it and a torn tail: a change writes two or
    // three records, so only an exact restore brings all of it back.
    const std::string original = storeOf(3) + "tail";
    testing::RestrictedFileApi restricted;
    testing::RestrictedProfileFile restrictedIni;
};

TEST_F(StoreChangeTest, AppendAndRemoveChangeTheStoreAndCountTogether) {
    ProfileRecord added;
    setProfileName(added, "added");
    ASSERT_TRUE(appendProfile(restricted, restrictedIni, paths, 2, added).done);
    EXPECT_EQ(dir.read("config.bin"),
              storeOf(2) + std::string(added.bytes.begin(), added.bytes.end()));
    EXPECT_EQ(readProfileCount(restrictedIni, paths), 3u);

    ASSERT_TRUE(removeProfile(restricted, restrictedIni, paths, 3, 0).done);
    EXPECT_EQ(dir.read("config.bin"),
              recordOf(storeOf(2), 1) + std::string(added.bytes.begin(), added.bytes.end()));
    EXPECT_EQ(readProfileCount(restrictedIni, paths), 2u);
}

TEST_F(StoreChangeTest, AFailedChangeLeavesConfigBinAndCountExactlyAsTheyWere) {
    using Restrict =
        std::function<void(testing::RestrictedFileApi&, testing::RestrictedProfileFile&)>;
    struct Fault {
        const char* name;
        Restrict restrict;
        const char* message;
    };
    const Fault faults[] = {
        {"config.bin unreadable", [](auto& f, auto&) { f.openStoreError = EACCES; },
         "config.bin cannot be read: access denied"},
        {"config.bin held by another program", [](auto& f, auto&) { f.openStoreError = EBUSY; },
         "config.bin cannot be read: in use by another program"},
        {"config.bin read-only", [](auto& f, auto&) { f.storeReadOnly = true; },
         "config.bin cannot be written: access denied"},
        {"folder read-only", [](auto& f, auto&) { f.createTemporaryError = EACCES; },
         "config.bin cannot be written: access denied"},
        {"disk full", [](auto& f, auto&) { f.writeError = ENOSPC; },
         "config.bin cannot be written: disk full"},
        {"setting.ini read-only", [](auto&, auto& i) { i.readOnly = true; },
         "setting.ini cannot be written: access denied"},
    };
    for (const Fault& fault : faults) {
        for (const bool append : {true, false}) {
            SCOPED_TRACE(std::string(fault.name) + (append ? ", append" : ", remove"));
            restricted.clear();
            restrictedIni.readOnly = false;
            fault.restrict(restricted, restrictedIni);

            const StoreChange change =
                append ? appendProfile(restricted, restrictedIni, paths, 2, ProfileRecord{})
                       : removeProfile(restricted, restrictedIni, paths, 2, 0);
            EXPECT_FALSE(change.done);
            EXPECT_EQ(describeChange(change), fault.message);
            EXPECT_EQ(dir.read("config.bin"), original);
            EXPECT_FALSE(dir.exists("config.bin.new"));
            EXPECT_EQ(readProfileCount(restrictedIni, paths), 2u);
        }
    }
}

TEST_F(StoreChangeTest, AMissingStoreStaysMissingWhenCountCannotBeWritten) {
    std::filesystem::remove(dir.file("config.bin"));
    restrictedIni.readOnly = true;
    EXPECT_FALSE(appendProfile(restricted, restrictedIni, paths, 2, ProfileRecord{}).done);
    EXPECT_FALSE(dir.exists("config.bin"));
}

TEST_F(StoreChangeTest, AStoreThatCannotBePutBackIsNamedToo) {
    restrictedIni.readOnly = true;
    restricted.replaceStoreError = EACCES;
    restricted.replacesBeforeError = 1; // the change goes through, the restore does not
    const StoreChange change = removeProfile(restricted, restrictedIni, paths, 2, 1);
    EXPECT_FALSE(change.done);
    EXPECT_EQ(describeChange(change), "setting.ini cannot be written: access denied\n"
                                      "config.bin cannot be written: access denied");
}

TEST_F(StoreChangeTest, ChangesCountCannotHoldAreRefusedUntouched) {
    restrictedIni.writePrivateProfileString("CONFIGURATION", "COUNT", "65535",
                                            paths.settingIni.c_str());
    EXPECT_FALSE(
        appendProfile(restricted, restrictedIni, paths, kMaxProfileCount, ProfileRecord{}).done);
    EXPECT_FALSE(removeProfile(restricted, restrictedIni, paths, 2, 2).done);
    EXPECT_EQ(dir.read("config.bin"), original);
    EXPECT_EQ(readProfileCount(restrictedIni, paths), kMaxProfileCount);
}

} // namespace
} // namespace qora
