// Import appends one profile and raises COUNT, or refuses with the file name, the line and
// a message, and then leaves config.bin and setting.ini exactly as they were.

#include "profiles_tool_fixture.h"

#include "fakes/failing_file_api.h"
#include "fakes/restricted_files.h"

#include <string>
#include <vector>

namespace qora {
namespace {

using testing::FailingFileApi;
using testing::newProfile;
using testing::ProfilesToolTest;

class ProfilesImportTest : public ProfilesToolTest {
protected:
    void SetUp() override { writeStore({newProfile("One"), newProfile("Two")}, 1); }

    // Runs an import of text and expects it refused with the store untouched.
    void expectRefused(const std::string& text, const std::vector<std::string>& options,
                       const std::string& message) {
        const std::string config = dir.read("config.bin");
        const std::string setting = dir.read("setting.ini");
        dir.write("mine.txt", text);
        std::vector<std::string> arguments{"import", dir.file("mine.txt")};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const testing::ToolRun refused = run(arguments);
        EXPECT_EQ(refused.status, 1) << message;
        EXPECT_TRUE(refused.out.empty()) << refused.out;
        EXPECT_NE(refused.err.find(message), std::string::npos)
            << "expected: " << message << "\nfound: " << refused.err;
        EXPECT_NE(refused.err.find("the store is unchanged"), std::string::npos) << refused.err;
        EXPECT_EQ(dir.read("config.bin"), config) << message;
        EXPECT_EQ(dir.read("setting.ini"), setting) << message;
        EXPECT_FALSE(dir.exists("config.bin.new")) << message;
    }
};

TEST_F(ProfilesImportTest, AppendsTheProfileAndRaisesCount) {
    dir.write("mine.txt", "; my racing keys\r\n"
                          "CONSOLE = ps3\r\n"
                          "NAME = \"Racing\"\r\n"
                          "  R2 = W , UP\r\n"
                          "L2=S\r\n"
                          "\r\n"
                          "MOUSE LEFT = TU\r\n"
                          "DIRECTION = TILT\r\n"
                          "INVERT = Y, X\r\n"
                          "ZOOMY = 2.5\r\n"
                          "EXPONENT = 0.80\r\n"
                          "AIM = precise\r\n"
                          "DEADZONE = 24.50\r\n");
    const testing::ToolRun imported = run({"import", dir.file("mine.txt")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "imported \"Racing\" as profile 2\n");

    ProfileRecord expected = newProfile("Racing");
    expected.bytes[profile::primaryKeys + 19] = 0x11;   // R2: W
    expected.bytes[profile::secondaryKeys + 19] = 0xC8; // and UP
    expected.bytes[profile::primaryKeys + 17] = 0x1F;   // L2: S
    expected.bytes[profile::mouseBindings] = 23;        // TU
    expected.bytes[profile::direction] = profile::kDirectionTilt;
    expected.bytes[profile::invertFlags] = profile::kInvertX | profile::kInvertY;
    writeZoomScale(expected, profile::yZoomScale, 2.5f);
    expected.bytes[profile::aimWord] = 0x92;     // 2450 = 0x0992, and 0x8000 precise
    expected.bytes[profile::aimWord + 1] = 0x89; // the shape missing: a circle
    expected.bytes[profile::aimExponent] = 0xFC; // 0.80 = 1.0 - 4 x 0.05
    EXPECT_EQ(dir.read("config.bin"), testing::bytesOf(newProfile("One")) +
                                          testing::bytesOf(newProfile("Two")) +
                                          testing::bytesOf(expected));
    EXPECT_NE(dir.read("setting.ini").find("COUNT=3"), std::string::npos);
    EXPECT_NE(dir.read("setting.ini").find("CURRENT=1"), std::string::npos);
}

TEST_F(ProfilesImportTest, TheNameComesFromNameElseTheLineElseTheFile) {
    dir.write("line.txt", "NAME = \"From the line\"\n");
    dir.write("bare.txt", "A = SPACE\n");
    ASSERT_EQ(run({"import", dir.file("line.txt"), "--name", "Given"}).status, 0);
    ASSERT_EQ(run({"import", dir.file("line.txt")}).status, 0);
    ASSERT_EQ(run({"import", dir.file("bare.txt")}).status, 0);
    const testing::ToolRun list = run({"list"});
    EXPECT_NE(list.out.find("2 \"Given\""), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("3 \"From the line\""), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("4 \"bare\""), std::string::npos) << list.out;
}

TEST_F(ProfilesImportTest, BadTextIsRefusedWithItsLineBeforeAnythingIsWritten) {
    struct Case {
        std::string text;
        std::vector<std::string> options;
        std::string message;
    };
    const std::string longName(64, 'n');
    const Case cases[] = {
        // unknown names
        {"CONSOLE = xbox360\nLAU = SHIFT\n", {}, "mine.txt:2: LAU: unknown key \"SHIFT\""},
        {"X = R, E, T\n", {}, "mine.txt:1: X: unknown key \"R, E, T\""},
        {"JUMP = SPACE\n", {}, "mine.txt:1: unknown setting or action \"JUMP\""},
        {"\nL1 = Q\n",
         {},
         ":2: unknown setting or action \"L1\" (a PS3 name; this text is "
         "read with Xbox 360 names)"},
        {"MOUSE LEFT = FIRE\n",
         {},
         ":1: MOUSE LEFT: unknown mouse action \"FIRE\" for the Xbox 360"},
        {"MOUSE LEFT = TU\n", {}, ":1: MOUSE LEFT: unknown mouse action \"TU\""},
        {"DIRECTION = TILT\n", {}, ":1: DIRECTION: unknown direction \"TILT\" for the Xbox 360"},
        {"CONSOLE = ps4\n", {}, ":1: unknown console \"ps4\""},
        {"CONSOLE = ps3\n",
         {"--console", "xbox360"},
         ":1: the text is written for ps3, not for --console xbox360"},
        // duplicates
        {"A = SPACE\n; comment\nA = W\n", {}, ":3: A is given twice (first on line 1)"},
        // zoom scales
        {"ZOOMX = 5.1\n", {}, ":1: ZOOMX: 5.1 is outside 0.5 to 5.0"},
        {"ZOOMY = 0\n", {}, ":1: ZOOMY: 0 is outside 0.5 to 5.0"},
        {"ZOOMY = -1.0\n", {}, ":1: ZOOMY: -1.0 is outside 0.5 to 5.0"},
        {"ZOOMX = 0.4999\n", {}, ":1: ZOOMX: 0.4999 is outside 0.5 to 5.0"},
        {"ZOOMX = nan\n", {}, ":1: ZOOMX: \"nan\" is not a decimal number"},
        {"ZOOMX = 1e0\n", {}, ":1: ZOOMX: \"1e0\" is not a decimal number"},
        {"ZOOMX = 1.\n", {}, ":1: ZOOMX: \"1.\" is not a decimal number"},
        // malformed lines and values
        {"LAU W\n", {}, ":1: expected SETTING = VALUE, found \"LAU W\""},
        {"= W\n", {}, ":1: expected SETTING = VALUE"},
        {"INVERT = X, X\n", {}, ":1: INVERT takes none, X, Y or X, Y"},
        {"INVERT = Z\n", {}, ":1: INVERT takes none, X, Y or X, Y"},
        {"NAME = Shooter\n", {}, ":1: NAME must be in double quotes"},
        {"NAME = \"" + longName + "\"\n", {}, ":1: NAME has 64 characters; at most 63 fit"},
        {"NAME = \"a\\q\"\n", {}, ":1: NAME: write a backslash as \\\\"},
        {"NAME = \"a\\x00\"\n", {}, ":1: NAME: write a backslash as \\\\"},
        {std::string("NAME = \"a\0b\"\n", 13), {}, ":1: NAME cannot hold a NUL byte"},
        // aim
        {"AIM = fast\n", {}, ":1: AIM: unknown aim \"fast\"; use classic or precise"},
        {"SHAPE = Circle\n", {}, ":1: SHAPE: unknown shape \"Circle\"; use circle or square"},
        {"DEADZONE = 24.333\n", {}, ":1: DEADZONE: 24.333 has more decimals than the two"},
        {"DEADZONE = 90.01\n", {}, ":1: DEADZONE: 90.01 is outside 0 to 90"},
        {"DEADZONE = -1\n", {}, ":1: DEADZONE: -1 is outside 0 to 90"},
        {"DEADZONE = 24 %\n", {}, ":1: DEADZONE: \"24 %\" is not a percentage"},
        {"EXPONENT = 1.37\n", {}, ":1: EXPONENT: 1.37 is not a multiple of 0.05"},
        {"EXPONENT = 1.051\n", {}, ":1: EXPONENT: 1.051 is not a multiple of 0.05"},
        {"EXPONENT = 0.2\n", {}, ":1: EXPONENT: 0.2 is outside 0.25 to 4.0"},
        {"EXPONENT = 4.05\n", {}, ":1: EXPONENT: 4.05 is outside 0.25 to 4.0"},
        {"EXPONENT = 1e0\n", {}, ":1: EXPONENT: \"1e0\" is not a decimal number"},
        {"AIM = precise\nAIM = classic\n", {}, ":2: AIM is given twice (first on line 1)"},
    };
    for (const Case& bad : cases) {
        expectRefused(bad.text, bad.options, bad.message);
    }
}

TEST_F(ProfilesImportTest, EveryBadLineIsReported) {
    expectRefused("ZOOMX = 9\nA = SPACE\nB = SHIFT\n", {}, "mine.txt:1: ZOOMX");
    const testing::ToolRun again = run({"import", dir.file("mine.txt")});
    EXPECT_NE(again.err.find("mine.txt:3: B: unknown key"), std::string::npos) << again.err;
}

TEST_F(ProfilesImportTest, AFailedWriteOfEitherFileLeavesBothAsTheyWere) {
    dir.write("mine.txt", "A = SPACE\n");
    const std::string config = dir.read("config.bin");
    const std::string setting = dir.read("setting.ini");
    struct Case {
        FailingFileApi::Failure files;
        bool iniReadOnly;
        const char* message;
    };
    const Case cases[] = {
        {FailingFileApi::Failure::write, false, "config.bin cannot be written"},
        {FailingFileApi::Failure::move, false, "config.bin cannot be written"},
        {FailingFileApi::Failure::openStore, false, "config.bin cannot be read"},
        // config.bin was replaced, then put back when COUNT could not follow
        {FailingFileApi::Failure::none, true, "setting.ini cannot be written"},
    };
    for (const Case& failure : cases) {
        FailingFileApi files(failure.files);
        testing::RestrictedProfileFile ini;
        ini.readOnly = failure.iniReadOnly;
        const testing::ToolRun refused =
            testing::runTool(files, ini, {"--folder", dir.path(), "import", dir.file("mine.txt")});
        EXPECT_EQ(refused.status, 1) << failure.message;
        EXPECT_NE(refused.err.find(std::string("qora-profiles: ") + failure.message),
                  std::string::npos)
            << refused.err;
        EXPECT_NE(refused.err.find("the store is unchanged"), std::string::npos) << refused.err;
        EXPECT_EQ(dir.read("config.bin"), config) << failure.message;
        EXPECT_EQ(dir.read("setting.ini"), setting) << failure.message;
        EXPECT_FALSE(dir.exists("config.bin.new")) << failure.message;
    }
}

TEST_F(ProfilesImportTest, AFullStoreTakesNoMore) {
    dir.write("setting.ini", "[CONFIGURATION]\nCOUNT=65535\n");
    expectRefused("A = SPACE\n", {}, "the store already holds 65535 profiles");
}

TEST_F(ProfilesImportTest, AMissingFileIsRefused) {
    const testing::ToolRun missing = run({"import", dir.file("nothing.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(dir.file("nothing.txt") + " cannot be read: file not found"),
              std::string::npos)
        << missing.err;
}

} // namespace
} // namespace qora
