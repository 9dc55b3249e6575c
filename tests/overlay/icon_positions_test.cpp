#include "overlay/icon_positions.h"

#include "fakes/temp_directory.h"
#include "platform/host/host_profile_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace qora {
namespace {

// Every key of the table, x before y, in the order they must be read.
const std::vector<std::string> kKeysInOrder = {
    "PLCX",      "PLCY",      "PRCX",        "PRCY",        "PLEFTX",     "PLEFTY",     "PRIGHTX",
    "PRIGHTY",   "PDOWNX",    "PDOWNY",      "PUPX",        "PUPY",       "PUPLEFTX",   "PUPLEFTY",
    "PUPRIGHTX", "PUPRIGHTY", "PDOWNRIGHTX", "PDOWNRIGHTY", "PDOWNLEFTX", "PDOWNLEFTY", "PBACKX",
    "PBACKY",    "PHOMEX",    "PHOMEY",      "PSTARTX",     "PSTARTY",    "PXX",        "PXY",
    "PYX",       "PYY",       "PAX",         "PAY",         "PBX",        "PBY",        "PLTX",
    "PLTY",      "PLBX",      "PLBY",        "PRTX",        "PRTY",       "PRBX",       "PRBY",
};

struct IniRead {
    std::string section;
    std::string key;
    std::int32_t defaultValue;
    std::string path;
};

// Answers integer reads from a map (missing keys give the default) and records each read.
class RecordingIni : public ProfileFileApi {
public:
    std::uint32_t getPrivateProfileInt(const char* section, const char* key,
                                       std::int32_t defaultValue, const char* path) override {
        reads.push_back({section, key, defaultValue, path});
        const auto found = values.find(key);
        return found == values.end() ? static_cast<std::uint32_t>(defaultValue) : found->second;
    }
    std::uint32_t getPrivateProfileString(const char*, const char*, const char*, char* buffer,
                                          std::uint32_t size, const char*) override {
        ++otherCalls;
        if (buffer != nullptr && size > 0) {
            buffer[0] = '\0';
        }
        return 0;
    }
    bool writePrivateProfileString(const char*, const char*, const char*, const char*) override {
        ++otherCalls;
        return false;
    }

    std::map<std::string, std::uint32_t> values;
    std::vector<IniRead> reads;
    int otherCalls = 0;
};

IconPositions tableFilledWith(std::uint16_t value) {
    IconPositions table;
    for (IconPosition& place : table.places) {
        place = IconPosition{value, value};
    }
    return table;
}

class LoadIconPositions : public ::testing::Test {
protected:
    RecordingIni ini;
    ProgramPaths paths = makeProgramPaths("C:\\qora\\");
    IconPositions table;
};

TEST_F(LoadIconPositions, ReadsAllFortyTwoKeysInTableOrderFromTheXbox360Section) {
    loadIconPositions(table, ini, paths, kConsoleXbox360);

    ASSERT_EQ(ini.reads.size(), kKeysInOrder.size());
    for (std::size_t i = 0; i < kKeysInOrder.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ini.reads[i].section, "LOCATION_360");
        EXPECT_EQ(ini.reads[i].key, kKeysInOrder[i]);
        EXPECT_EQ(ini.reads[i].defaultValue, 0);
        EXPECT_EQ(ini.reads[i].path, "C:\\qora\\setting.ini");
    }
    EXPECT_EQ(ini.otherCalls, 0);
}

TEST_F(LoadIconPositions, Ps3ReadsTheSameKeysFromItsOwnSection) {
    loadIconPositions(table, ini, paths, kConsolePs3);

    ASSERT_EQ(ini.reads.size(), kKeysInOrder.size());
    for (std::size_t i = 0; i < kKeysInOrder.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ini.reads[i].section, "LOCATION_PS3");
        EXPECT_EQ(ini.reads[i].key, kKeysInOrder[i]);
    }
}

TEST_F(LoadIconPositions, EachKeyLandsInItsSlot) {
    // A distinct value per key: x keys 100 + read index, y keys 200 + read index.
    for (std::size_t i = 0; i < kKeysInOrder.size(); ++i) {
        ini.values[kKeysInOrder[i]] = static_cast<std::uint32_t>((i % 2 == 0 ? 100 : 200) + i);
    }
    loadIconPositions(table, ini, paths, kConsoleXbox360);

    for (std::size_t slot = 0; slot < kIconPositionCount; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(table.places[slot].x, 100 + 2 * slot);
        EXPECT_EQ(table.places[slot].y, 200 + 2 * slot + 1);
    }
    // Spot checks of the named slots against their keys.
    EXPECT_EQ(table.places[icon::guide].x, 100 + 22);       // PHOMEX
    EXPECT_EQ(table.places[icon::a].y, 200 + 31);           // PAY
    EXPECT_EQ(table.places[icon::rightBumper].x, 100 + 40); // PRBX
}

TEST_F(LoadIconPositions, KeepsOnlyTheLow16Bits) {
    ini.values["PLCX"] = 0xFFFFFFFFu; // -1
    ini.values["PLCY"] = 0x00012345u;
    ini.values["PRBY"] = 0xFFFF8000u; // -32768
    loadIconPositions(table, ini, paths, kConsolePs3);

    EXPECT_EQ(table.places[icon::leftClick].x, 65535);
    EXPECT_EQ(table.places[icon::leftClick].y, 0x2345);
    EXPECT_EQ(table.places[icon::rightBumper].y, 0x8000);
}

TEST_F(LoadIconPositions, MissingKeysOverwriteOldValuesWithZero) {
    table = tableFilledWith(77);
    ini.values["PAX"] = 5;
    loadIconPositions(table, ini, paths, kConsoleXbox360);

    IconPositions expected;
    expected.places[icon::a].x = 5;
    EXPECT_EQ(table, expected);
}

TEST_F(LoadIconPositions, NoConsoleReadsNothingAndClearsEveryPlace) {
    for (const ConsoleMode mode : {2, kConsoleNotSet, -2, 0x7FFFFFFF}) {
        SCOPED_TRACE(mode);
        ini.values["PLCX"] = 9;
        table = tableFilledWith(123);
        loadIconPositions(table, ini, paths, mode);

        EXPECT_TRUE(ini.reads.empty());
        EXPECT_EQ(ini.otherCalls, 0);
        EXPECT_EQ(table, IconPositions{});
    }
}

// Against a real ini file, through the host's profile-file reader.
class LoadIconPositionsFromFile : public ::testing::Test {
protected:
    void writeIni(const std::string& text) { directory.write("setting.ini", text); }

    testing::TempDirectory directory;
    ProgramPaths paths = makeProgramPaths(directory.path());
    HostProfileFile ini;
    IconPositions table;
};

TEST_F(LoadIconPositionsFromFile, MinusOneBecomes65535) {
    writeIni("[LOCATION_360]\r\nPAX=-1\r\nPAY=40\r\n[LOCATION_PS3]\r\nPAX=7\r\n");
    loadIconPositions(table, ini, paths, kConsoleXbox360);

    EXPECT_EQ(table.places[icon::a], (IconPosition{65535, 40}));
}

TEST_F(LoadIconPositionsFromFile, OnlyXKeysLeaveEveryYAtZero) {
    std::string text = "[LOCATION_PS3]\r\n";
    for (std::size_t i = 0; i < kKeysInOrder.size(); i += 2) {
        text += kKeysInOrder[i] + "=" + std::to_string(10 + i) + "\r\n";
    }
    writeIni(text);
    table = tableFilledWith(99);
    loadIconPositions(table, ini, paths, kConsolePs3);

    for (std::size_t slot = 0; slot < kIconPositionCount; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(table.places[slot].x, 10 + 2 * slot);
        EXPECT_EQ(table.places[slot].y, 0);
    }
}

TEST_F(LoadIconPositionsFromFile, MissingFileGivesZeroEverywhere) {
    table = tableFilledWith(5);
    loadIconPositions(table, ini, paths, kConsoleXbox360);

    EXPECT_EQ(table, IconPositions{});
}

} // namespace
} // namespace qora
