// check reports every kind of problem a store can have and fails on any; export refuses a
// profile whose values its text has no words for; list sums each profile up.

#include "profiles_tool_fixture.h"

#include "fakes/restricted_files.h"

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::newProfile;
using testing::ProfilesToolTest;

TEST_F(ProfilesToolTest, ASoundStorePassesTheCheck) {
    // Precise settings at their limits, and kept in a classic profile, are sound.
    ProfileRecord precise = newProfile("One");
    writeAimSettings(precise, {AimMode::precise, AimShape::square, 9000, 60});
    ProfileRecord classic = newProfile("Two");
    writeAimSettings(classic, {AimMode::classic, AimShape::circle, 2000, -15});
    writeStore({precise, classic}, 1);
    const testing::ToolRun check = run({"check"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, "2 profiles, no problems\n");
    EXPECT_TRUE(check.err.empty());
}

TEST_F(ProfilesToolTest, CheckComparesCountWithTheFileAndCurrentWithCount) {
    struct Case {
        std::optional<std::string> config; // records of config.bin, as bytes; none: no file
        std::string ini;                   // [CONFIGURATION] lines
        std::string message;
    };
    const std::string one = testing::bytesOf(newProfile("One"));
    const Case cases[] = {
        {std::nullopt, "COUNT=2", "config.bin is missing: the 2 records COUNT names read as zeros"},
        {one + one + one, "COUNT=2", "config.bin holds 432 bytes: 1 record hidden behind COUNT 2"},
        {one + "0123456789", "COUNT=1",
         "config.bin holds 154 bytes: 0 records hidden behind COUNT 1 and 10 bytes that are no "
         "whole record"},
        {one, "COUNT=2",
         "config.bin holds 144 bytes, short of the 2 records COUNT names (288 "
         "bytes): the rest read as zeros"},
        {"", "COUNT=-1", "COUNT is -1, which counts as 0"},
        {one, "COUNT=1\nCURRENT=-1", "CURRENT is -1, which names no profile (0 to 0)"},
        {one + one, "COUNT=2\nCURRENT=2", "CURRENT is 2, which names no profile (0 to 1)"},
    };
    for (const Case& bad : cases) {
        std::filesystem::remove(dir.file("config.bin"));
        if (bad.config) {
            dir.write("config.bin", *bad.config);
        }
        dir.write("setting.ini", "[CONFIGURATION]\n" + bad.ini + "\n");
        const testing::ToolRun check = run({"check"});
        EXPECT_EQ(check.status, 1) << bad.message;
        EXPECT_NE(check.out.find(bad.message + "\n"), std::string::npos)
            << "expected: " << bad.message << "\nfound: " << check.out;
    }
}

TEST_F(ProfilesToolTest, CheckNamesEveryBadValueAndExportRefusesAllButLeftOutOnes) {
    struct Case {
        ConsoleMode console;
        std::function<void(ProfileRecord&)> spoil;
        std::string message; // after the profile's number and name
        bool exportable;     // the text leaves unknown invert bits out, so they keep nothing
    };
    const auto zoomX = [](float scale) {
        return [scale](ProfileRecord& r) { writeZoomScale(r, profile::xZoomScale, scale); };
    };
    const auto setByte = [](std::size_t offset, std::uint8_t value) {
        return [offset, value](ProfileRecord& r) { r.bytes[offset] = value; };
    };
    const Case cases[] = {
        {kConsoleXbox360,
         [](ProfileRecord& r) {
             for (std::size_t i = 0; i < profile::nameSize; ++i) {
                 r.bytes[i] = 'n';
             }
         },
         "NAME: no NUL within its 64 bytes", false},
        {kConsoleXbox360, setByte(profile::primaryKeys + 4, 0x54), "LAU: key code 0x54 has no name",
         false},
        {kConsolePs3, setByte(profile::secondaryKeys + 12, 0xE0),
         "A (second key): key code 0xE0 has no name", false},
        {kConsoleXbox360, setByte(profile::mouseBindings, 23),
         "MOUSE LEFT: 23 is not an item of the Xbox 360 list (0 to 22)", false},
        {kConsolePs3, setByte(profile::mouseBindings + 6, 255),
         "MOUSE BUTTON7: 255 is not an item of the PS3 list (0 to 26)", false},
        {kConsoleXbox360, setByte(profile::direction, profile::kDirectionTilt),
         "DIRECTION: 2 is not an item of the Xbox 360 list (0 to 1)", false},
        {kConsoleXbox360, zoomX(0.0f), "ZOOMX: 0 is outside 0.5 to 5.0", false},
        {kConsoleXbox360, zoomX(-1.0f), "ZOOMX: -1 is outside 0.5 to 5.0", false},
        {kConsoleXbox360, zoomX(std::numeric_limits<float>::quiet_NaN()),
         "ZOOMX: nan is outside 0.5 to 5.0", false},
        {kConsoleXbox360, zoomX(std::nextafter(0.5f, 0.0f)), "ZOOMX: 0.5 is outside 0.5 to 5.0",
         false},
        {kConsolePs3, zoomX(5.5f), "ZOOMX: 5.5 is outside 0.5 to 5.0", false},
        {kConsoleXbox360, setByte(profile::aimWord + 1, 0x3F),
         "DEADZONE: 161.28 is outside 0 to 90", false},
        {kConsolePs3,
         [](ProfileRecord& r) {
             writeAimSettings(r, {AimMode::precise, AimShape::square, 9001});
         },
         "DEADZONE: 90.01 is outside 0 to 90", false},
        {kConsoleXbox360, setByte(profile::aimExponent, 0x80),
         "EXPONENT: -5.4 is outside 0.25 to 4.0", false},
        {kConsoleXbox360, setByte(profile::aimExponent, 61),
         "EXPONENT: 4.05 is outside 0.25 to 4.0", false},
        {kConsolePs3, setByte(profile::invertFlags, 0x85),
         "INVERT: bits 0x84 are neither X (0x01) nor Y (0x02)", true},
    };
    for (const Case& bad : cases) {
        ProfileRecord spoilt = newProfile("Two");
        bad.spoil(spoilt);
        writeStore({newProfile("One"), spoilt});
        const std::string console = bad.console == kConsolePs3 ? "ps3" : "xbox360";

        const testing::ToolRun check = run({"--console", console, "check"});
        EXPECT_EQ(check.status, 1) << bad.message;
        EXPECT_NE(check.out.find("profile 1 \"" + testing::bytesOf(spoilt).substr(0, 3)),
                  std::string::npos)
            << check.out;
        EXPECT_NE(check.out.find(bad.message + "\n"), std::string::npos)
            << "expected: " << bad.message << "\nfound: " << check.out;
        EXPECT_NE(check.out.find("2 profiles, 1 problem\n"), std::string::npos) << check.out;

        dir.write("profile.txt", "before");
        const testing::ToolRun exported =
            run({"--console", console, "export", "1", "-o", dir.file("profile.txt")});
        EXPECT_EQ(exported.status, bad.exportable ? 0 : 1) << bad.message << exported.err;
        if (!bad.exportable) {
            EXPECT_NE(exported.err.find(bad.message), std::string::npos) << exported.err;
            EXPECT_EQ(dir.read("profile.txt"), "before");
        }
    }
}

// A binding on a key a run keeps for itself never fires when it matters. check flags it,
// on either key of any action, in the store and in a text, with the key as the Map dialog
// names it; the text carries it and import stores it, as the program still loads and runs
// such a profile.
TEST_F(ProfilesToolTest, CheckFlagsBindingsOnTheKeysARunKeepsAndTheTextStillCarriesThem) {
    struct Case {
        ConsoleMode console;
        std::size_t offset; // of the key in the record
        std::uint8_t code;
        std::string message; // empty: no problem
    };
    const std::string neverFires = ", so the binding never fires";
    const std::string calibration =
        " drives live calibration, so the binding does not fire while calibration is on";
    const Case cases[] = {
        {kConsoleXbox360, profile::primaryKeys + 15, 0x57,
         "A: F11 ends the capture run" + neverFires},
        {kConsolePs3, profile::secondaryKeys + 12, 0x46,
         "A (second key): SCROLL turns live calibration on and off" + neverFires},
        {kConsoleXbox360, profile::primaryKeys + 0, 0x3E, "DU: F4" + calibration},
        {kConsolePs3, profile::secondaryKeys + 28, 0x44, "TR (second key): F10" + calibration},
        {kConsoleXbox360, profile::primaryKeys + 15, 0x3D, ""}, // F3
        {kConsoleXbox360, profile::primaryKeys + 15, 0x45, ""}, // NUM LOCK
        {kConsolePs3, profile::secondaryKeys + 15, 0x58, ""},   // F12
    };
    const std::string text = dir.file("bound.txt");
    for (const Case& bound : cases) {
        SCOPED_TRACE(bound.message);
        ProfileRecord record = newProfile("Two");
        record.bytes[bound.offset] = bound.code;
        writeStore({newProfile("One"), record});
        const std::string console = bound.console == kConsolePs3 ? "ps3" : "xbox360";
        const int status = bound.message.empty() ? 0 : 1;

        const testing::ToolRun store = run({"--console", console, "check"});
        EXPECT_EQ(store.status, status) << store.out;
        EXPECT_EQ(store.out, bound.message.empty() ? "2 profiles, no problems\n"
                                                   : "profile 1 \"Two\": " + bound.message +
                                                         "\n2 profiles, 1 problem\n");

        ASSERT_EQ(run({"--console", console, "export", "1", "-o", text}).status, 0);
        const testing::ToolRun checked = run({"--console", console, "check", text});
        EXPECT_EQ(checked.status, status) << checked.out << checked.err;
        EXPECT_EQ(checked.out, bound.message.empty()
                                   ? text + ", no problems\n"
                                   : text + ": " + bound.message + "\n" + text + ", 1 problem\n");

        const testing::ToolRun imported = run({"--console", console, "import", text});
        EXPECT_EQ(imported.status, 0) << imported.err;
        EXPECT_EQ(dir.read("config.bin").substr(2 * kProfileRecordSize), testing::bytesOf(record));
    }
}

TEST_F(ProfilesToolTest, AStoreThatCannotBeReadStopsEveryCommandAndIsNotWritten) {
    writeStore({newProfile("One")});
    dir.write("mine.txt", "A = SPACE\n");
    const std::string setting = dir.read("setting.ini");
    testing::RestrictedFileApi unreadable;
    unreadable.openStoreError = EACCES;
    const std::vector<std::string> commands[] = {
        {"list"}, {"check"}, {"export", "0"}, {"import", dir.file("mine.txt")}};
    for (const std::vector<std::string>& command : commands) {
        std::vector<std::string> arguments{"--folder", dir.path()};
        arguments.insert(arguments.end(), command.begin(), command.end());
        const testing::ToolRun refused = testing::runTool(unreadable, arguments);
        EXPECT_EQ(refused.status, 1) << command[0];
        EXPECT_TRUE(refused.out.empty()) << command[0] << ": " << refused.out;
        EXPECT_NE(refused.err.find("qora-profiles: config.bin cannot be read: access denied"),
                  std::string::npos)
            << refused.err;
    }
    EXPECT_EQ(dir.read("config.bin"), testing::bytesOf(newProfile("One")));
    EXPECT_EQ(dir.read("setting.ini"), setting);

    // A missing store has no profiles, and reading it does not create it.
    std::filesystem::remove(dir.file("config.bin"));
    dir.write("setting.ini", "");
    EXPECT_EQ(run({"list"}).out, "no profiles\n");
    EXPECT_EQ(run({"check"}).status, 0);
    EXPECT_FALSE(dir.exists("config.bin"));
}

TEST_F(ProfilesToolTest, ListSumsUpEachProfileAndMarksTheSelectedOne) {
    ProfileRecord tilted = newProfile("Tilted");
    tilted.bytes[profile::primaryKeys + 25] = 0x11;
    tilted.bytes[profile::secondaryKeys + 25] = 0x48;
    tilted.bytes[profile::primaryKeys + 0] = 0xC8;
    tilted.bytes[profile::direction] = profile::kDirectionTilt;
    writeZoomScale(tilted, profile::xZoomScale, 0.7f);
    ProfileRecord precise = newProfile("Precise");
    writeAimSettings(precise, {AimMode::precise, AimShape::circle, 2450, 0});
    writeStore({newProfile("One"), tilted, precise}, 1);

    const testing::ToolRun ps3 = run({"--console", "ps3", "list"});
    EXPECT_EQ(ps3.status, 0);
    EXPECT_EQ(ps3.out,
              "  0 \"One\": 0 keys, mouse Left Stick, zoom 1.0 x 1.0\n"
              "* 1 \"Tilted\": 3 keys, mouse TILT, zoom 0.7 x 1.0\n"
              "  2 \"Precise\": 0 keys, mouse Left Stick, zoom 1.0 x 1.0, precise aim, dead "
              "zone 24.5 %\n");
    // The folder's OSTYPE=0 picks the Xbox 360, whose list has no TILT.
    const testing::ToolRun xbox = run({"list"});
    EXPECT_NE(xbox.out.find("* 1 \"Tilted\": 3 keys, mouse direction 2?, zoom"), std::string::npos)
        << xbox.out;

    writeStore({});
    EXPECT_EQ(run({"list"}).out, "no profiles\n");
}

TEST_F(ProfilesToolTest, ExportOfAProfileBeyondCountFails) {
    writeStore({newProfile("One")});
    const testing::ToolRun beyond = run({"export", "1"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_TRUE(beyond.out.empty());
    EXPECT_NE(beyond.err.find("qora-profiles: there is no profile 1: COUNT is 1"),
              std::string::npos)
        << beyond.err;
}

TEST(ProfilesToolArguments, MistakesAreNamedWithTheUsage) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "a command is required"},
        {{"lst"}, "unknown command 'lst'"},
        {{"export"}, "export needs the INDEX of a profile"},
        {{"export", "first"}, "INDEX must be a profile number (0, 1, ...), not 'first'"},
        {{"export", "0", "1"}, "unexpected '1'"},
        {{"import"}, "import needs a FILE"},
        {{"list", "extra"}, "unexpected 'extra'"},
        {{"--console", "ps4", "list"}, "unknown console 'ps4'"},
        {{"list", "--folder"}, "--folder needs a value"},
        {{"check", "-o", "out.txt"}, "-o is an option of export"},
        {{"export", "0", "--name", "x"}, "--name is an option of import"},
        {{"import", "f.txt", "--name", std::string(64, 'n')}, "--name takes at most 63"},
        {{"--verbose", "list"}, "unknown option '--verbose'"},
    };
    HostFileApi files;
    for (const auto& [arguments, message] : cases) {
        const testing::ToolRun bad = testing::runTool(files, arguments);
        EXPECT_EQ(bad.status, 2) << message;
        EXPECT_TRUE(bad.out.empty()) << message;
        EXPECT_NE(bad.err.find(std::string("qora-profiles: ") + message), std::string::npos)
            << bad.err;
        EXPECT_NE(bad.err.find("usage: qora-profiles"), std::string::npos) << message;
    }
    const testing::ToolRun help = testing::runTool(files, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: qora-profiles"), std::string::npos);

    testing::TempDirectory dir;
    const testing::ToolRun noFolder =
        testing::runTool(files, {"--folder", dir.file("missing"), "list"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("no folder"), std::string::npos) << noFolder.err;
}

} // namespace
} // namespace qora
