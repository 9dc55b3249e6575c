#include "platform/host/host_profile_file.h"

#include "fakes/temp_directory.h"

#include <gtest/gtest.h>

namespace qora {
namespace {

class HostProfileFileTest : public ::testing::Test {
protected:
    std::string ini() const { return dir.file("setting.ini"); }
    std::uint32_t readInt(const char* section, const char* key, std::int32_t def = 77) {
        return file.getPrivateProfileInt(section, key, def, ini().c_str());
    }
    std::string readString(const char* section, const char* key, const char* def = "dflt",
                           std::uint32_t size = 64) {
        char buffer[64] = "untouched";
        file.getPrivateProfileString(section, key, def, buffer, size, ini().c_str());
        return buffer;
    }

    testing::TempDirectory dir;
    HostProfileFile file;
};

TEST_F(HostProfileFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(readInt("SETTING", "OSTYPE", -1), 0xFFFFFFFFu);
    EXPECT_EQ(readString("SETTING", "TITLE", ""), "");
    dir.write("setting.ini", "[SETTING]\r\nOSTYPE=1\r\n");
    EXPECT_EQ(readInt("DEBUG", "ENABLE", 5), 5u);
    EXPECT_EQ(readInt("SETTING", "TITLE", 9), 9u);
    EXPECT_EQ(readString("SETTING", "TITLE"), "dflt");
}

TEST_F(HostProfileFileTest, NamesAreCaseInsensitive) {
    dir.write("setting.ini", "[Setting]\nOsType = 1\n[debug]\nenable=1\n");
    EXPECT_EQ(readInt("SETTING", "OSTYPE"), 1u);
    EXPECT_EQ(readInt("DEBUG", "ENABLE"), 1u);
}

TEST_F(HostProfileFileTest, IntegersAreReadTheWayThePlatformReadsThem) {
    dir.write("setting.ini", "[S]\nA=12abc\nB=-1\nC=abc\nD=  42\nE=+7\nF=\nG=4294967297\n");
    EXPECT_EQ(readInt("S", "A"), 12u);
    EXPECT_EQ(readInt("S", "B"), 0xFFFFFFFFu);
    EXPECT_EQ(readInt("S", "C"), 0u);
    EXPECT_EQ(readInt("S", "D"), 42u);
    EXPECT_EQ(readInt("S", "E"), 7u);
    EXPECT_EQ(readInt("S", "F", 33), 33u); // an empty value counts as missing
    EXPECT_EQ(readInt("S", "G"), 1u);      // wraps in 32 bits
}

TEST_F(HostProfileFileTest, StringsAreTrimmedUnquotedAndCutToTheBuffer) {
    dir.write("setting.ini", "[SETTING]\nTITLE =  My Pad  \nQUOTED=\"a b \"\n");
    EXPECT_EQ(readString("SETTING", "TITLE"), "My Pad");
    EXPECT_EQ(readString("SETTING", "QUOTED"), "a b ");
    EXPECT_EQ(readString("SETTING", "TITLE", "", 4), "My ");

    char buffer[8];
    EXPECT_EQ(file.getPrivateProfileString("SETTING", "TITLE", "", buffer, 3, ini().c_str()), 2u);
    EXPECT_STREQ(buffer, "My");
}

TEST_F(HostProfileFileTest, TheFirstOfTwoEqualKeysCounts) {
    dir.write("setting.ini", "[S]\nK=1\nK=2\n[S2]\nK=3\n");
    EXPECT_EQ(readInt("S", "K"), 1u);
    EXPECT_EQ(readInt("S2", "K"), 3u);
}

TEST_F(HostProfileFileTest, WriteCreatesFileSectionAndKey) {
    ASSERT_TRUE(file.writePrivateProfileString("CONFIGURATION", "COUNT", "3", ini().c_str()));
    EXPECT_EQ(readInt("CONFIGURATION", "COUNT"), 3u);
    ASSERT_TRUE(file.writePrivateProfileString("CONFIGURATION", "CURRENT", "-1", ini().c_str()));
    ASSERT_TRUE(file.writePrivateProfileString("OTHER", "KEY", "v", ini().c_str()));
    EXPECT_EQ(dir.read("setting.ini"),
              "[CONFIGURATION]\r\nCOUNT=3\r\nCURRENT=-1\r\n\r\n[OTHER]\r\nKEY=v\r\n");
}

TEST_F(HostProfileFileTest, WriteReplacesInPlaceAndKeepsEveryOtherLine) {
    dir.write("setting.ini", "; my settings\n[SETTING]\nOSTYPE=1\n\n[configuration]\n"
                             "count=7\nCURRENT=2\n\n[DEBUG]\nENABLE=1\n");
    ASSERT_TRUE(file.writePrivateProfileString("CONFIGURATION", "COUNT", "8", ini().c_str()));
    ASSERT_TRUE(file.writePrivateProfileString("DEBUG", "NEW", "x", ini().c_str()));
    EXPECT_EQ(dir.read("setting.ini"), "; my settings\n[SETTING]\nOSTYPE=1\n\n[configuration]\n"
                                       "COUNT=8\nCURRENT=2\n\n[DEBUG]\nENABLE=1\nNEW=x\n");
}

TEST_F(HostProfileFileTest, ANewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    dir.write("setting.ini", "[A]\nX=1\n\n[B]\nY=2\n");
    ASSERT_TRUE(file.writePrivateProfileString("A", "Z", "3", ini().c_str()));
    EXPECT_EQ(dir.read("setting.ini"), "[A]\nX=1\nZ=3\n\n[B]\nY=2\n");
}

TEST_F(HostProfileFileTest, ALoneCarriageReturnEndsALineAndRewritesKeepTheFile) {
    dir.write("setting.ini", "[SETTING]\rOSTYPE=1\r[DEBUG]\rENABLE=1\r");
    EXPECT_EQ(readInt("SETTING", "OSTYPE"), 1u);
    EXPECT_EQ(readInt("DEBUG", "ENABLE"), 1u);

    // Two carriage returns closing the last line once made every rewrite change the file.
    dir.write("setting.ini", "[S]\nA=1\r\r");
    ASSERT_TRUE(file.writePrivateProfileString("S", "C", "3", ini().c_str()));
    const std::string once = dir.read("setting.ini");
    ASSERT_TRUE(file.writePrivateProfileString("S", "C", "3", ini().c_str()));
    EXPECT_EQ(dir.read("setting.ini"), once);
    EXPECT_EQ(readInt("S", "A"), 1u);
    EXPECT_EQ(readInt("S", "C"), 3u);
}

} // namespace
} // namespace qora
