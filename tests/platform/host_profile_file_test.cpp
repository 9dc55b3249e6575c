#include "platform/host/host_profile_file.h"

#include "fakes/temp_directory.h"
#include "formats/setting_ini.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <utility>

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

// What GetPrivateProfileIntA returns for each value, as the platform's own function does.
TEST_F(HostProfileFileTest, IntegersAreReadTheWayThePlatformReadsThem) {
    struct Case {
        const char* value;
        std::uint32_t read;
    };
    const Case cases[] = {
        {"12abc", 12},
        {"-1", 0xFFFFFFFFu},
        {"abc", 0},
        {"  42", 42},
        {"+7", 7},
        {"", 33}, // an empty value counts as missing
        {"4294967297", 1},
        {"0x10", 16},
        {"0x1", 1}, // OSTYPE=0x1 is the PS3
        {"-0x10", 0xFFFFFFF0u},
        {"0x7FFFFFFFF", 0xFFFFFFFFu},
        {"0X1F", 0}, // the prefixes are lower case only
        {"0x", 0},
        {"0xg", 0},
        {"0o17", 15},
        {"0b101", 5},
        {"0B11", 0},
        {"010", 10}, // a leading zero is not octal
        {"00x10", 0},
        {" - 5", 0},
        {"\"0x10\"", 16},
        {"0x10;c", 16},
        {"99999999999999999999999999999999", 2684354559u}, // 29 digits are converted
    };
    for (const Case& c : cases) {
        dir.write("setting.ini", std::string("[S]\r\nK=") + c.value + "\r\n");
        EXPECT_EQ(readInt("S", "K", 33), c.read) << c.value;
    }
}

TEST_F(HostProfileFileTest, ByteOrderMarkAndEveryLineEndReadAlike) {
    const char* const layouts[] = {
        "\xEF\xBB\xBF[S]\r\nA=5\r\nB=x\r\n",
        "\xEF\xBB\xBF[S]\nA=5\nB=x\n",
        "[S]\rA=5\rB=x\r",
        "[T]\rQ=1\r[S]\rA=5\rB=x",
        "[S]\rA=5\r\nB=x\n",
        "\xEF\xBB\xBF\r\n[S]\r\nA=5\r\nB=x\r\n",
    };
    for (const char* layout : layouts) {
        dir.write("setting.ini", layout);
        EXPECT_EQ(readInt("S", "A"), 5u) << layout;
        EXPECT_EQ(readString("S", "B"), "x") << layout;
    }
}

TEST_F(HostProfileFileTest, WritesKeepTheByteOrderMarkAndEndLoneCrLinesWithCrLf) {
    dir.write("setting.ini", "\xEF\xBB\xBF[S]\r\nA=5\r\n");
    ASSERT_TRUE(file.writePrivateProfileString("S", "A", "6", ini().c_str()));
    EXPECT_EQ(dir.read("setting.ini"), "\xEF\xBB\xBF[S]\r\nA=6\r\n");

    dir.write("setting.ini", "[S]\rA=5\rB=x\r");
    ASSERT_TRUE(file.writePrivateProfileString("S", "C", "7", ini().c_str()));
    EXPECT_EQ(dir.read("setting.ini"), "[S]\r\nA=5\r\nB=x\r\nC=7\r\n");
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

// A write replaces the file whole through a temporary file, keeping its permissions (a
// name linked to the old file still sees the old bytes), or fails and changes nothing: on
// a file that cannot be read (it reads as missing, and would be written back as nothing),
// on one nobody may write, and when the temporary file cannot be made.
TEST_F(HostProfileFileTest, AWriteReplacesTheFileWholeOrChangesNothing) {
    namespace fs = std::filesystem;
    const fs::perms readWrite = fs::perms::owner_read | fs::perms::owner_write;
    const std::string before = "[S]\nA=1\n";
    const std::pair<std::function<void()>, int> cases[] = {
        {[] {}, 0},
        {[&] {
             fs::remove(ini());
             fs::create_directory(ini());
         },
         EISDIR},
        {[&] { fs::permissions(ini(), fs::perms::owner_read); }, EACCES},
        {[&] { fs::create_directory(ini() + ".new"); }, EISDIR},
    };
    for (const auto& [restrict, error] : cases) {
        SCOPED_TRACE(error);
        fs::remove_all(ini());
        fs::remove_all(ini() + ".new");
        fs::remove(dir.file("old.ini"));
        dir.write("setting.ini", before);
        fs::permissions(ini(), readWrite);
        fs::create_hard_link(ini(), dir.file("old.ini"));
        restrict();
        errno = 0;
        EXPECT_EQ(file.writePrivateProfileString("S", "A", "2", ini().c_str()), error == 0);
        EXPECT_EQ(errno, error);
        EXPECT_EQ(dir.read("old.ini"), before);
        if (error == 0) {
            EXPECT_EQ(dir.read("setting.ini"), "[S]\nA=2\n");
            EXPECT_EQ(fs::status(ini()).permissions(), readWrite);
        } else if (!fs::is_directory(ini())) {
            EXPECT_EQ(dir.read("setting.ini"), before);
        }
    }
}

// A file longer than any setting.ini (a device, an endless file) is not read whole: it reads
// as one that cannot be read, with the defaults, and no write replaces it.
TEST_F(HostProfileFileTest, AFileBeyondTheLimitIsUnreadableAndNeverWritten) {
    const std::string keys = "[S]\nA=1\n;";
    for (const std::size_t length : {kMaxSettingIniBytes, kMaxSettingIniBytes + 1}) {
        SCOPED_TRACE(length);
        const bool readable = length <= kMaxSettingIniBytes;
        const std::string text = keys + std::string(length - keys.size(), 'x');
        dir.write("setting.ini", text);
        EXPECT_EQ(readInt("S", "A"), readable ? 1u : 77u);
        errno = 0;
        EXPECT_EQ(file.writePrivateProfileString("S", "B", "2", ini().c_str()), readable);
        if (!readable) {
            EXPECT_EQ(errno, EFBIG);
            EXPECT_TRUE(dir.read("setting.ini") == text);
        }
    }
}

} // namespace
} // namespace qora
