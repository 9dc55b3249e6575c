#include "formats/profile_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace qora {
namespace {

TEST(ProfileRecord, ZoomScalesAreLittleEndianSinglesAtOddOffsets) {
    ProfileRecord record;
    writeZoomScale(record, profile::xZoomScale, 1.0f);
    writeZoomScale(record, profile::yZoomScale, 0.7f);
    EXPECT_EQ(record.bytes[134], 0x00);
    EXPECT_EQ(record.bytes[135], 0x00);
    EXPECT_EQ(record.bytes[136], 0x00);
    EXPECT_EQ(record.bytes[137], 0x80);
    EXPECT_EQ(record.bytes[138], 0x3F);
    // 0.7f is 0x3F333333.
    EXPECT_EQ(record.bytes[139], 0x33);
    EXPECT_EQ(record.bytes[140], 0x33);
    EXPECT_EQ(record.bytes[141], 0x33);
    EXPECT_EQ(record.bytes[142], 0x3F);
    EXPECT_EQ(record.bytes[143], 0x00);
    EXPECT_EQ(readZoomScale(record, profile::yZoomScale), 0.7f);
}

TEST(ProfileRecord, NamesStopAtTheFirstNulAndNeverLeaveTheField) {
    ProfileRecord record;
    record.bytes.fill('x');
    EXPECT_EQ(profileName(record).size(), 64u); // no NUL: the field ends the name

    setProfileName(record, "Shooter");
    EXPECT_EQ(profileName(record), "Shooter");
    EXPECT_EQ(record.bytes[7], 0);
    EXPECT_EQ(record.bytes[8], 'x'); // the rest of the field keeps its bytes

    setProfileName(record, std::string(100, 'n'));
    EXPECT_EQ(profileName(record), std::string(63, 'n'));
    EXPECT_EQ(record.bytes[63], 0);
    EXPECT_EQ(record.bytes[64], 'x');
}

TEST(ProfileRecord, RecordsSitAt144ByteStrides) {
    std::vector<std::uint8_t> store(3 * kProfileRecordSize, 0);
    ProfileRecord record;
    record.bytes.front() = 'A';
    record.bytes.back() = 0xEE;
    storeRecord(store.data(), 2, record);
    EXPECT_EQ(store[288], 'A');
    EXPECT_EQ(store[431], 0xEE);
    EXPECT_EQ(loadRecord(store.data(), 2), record);
}

} // namespace
} // namespace qora
