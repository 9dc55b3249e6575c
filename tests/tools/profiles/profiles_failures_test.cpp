// No failure passes for success: every command over every file it cannot trust ends with
// status 1 and a message, and leaves config.bin and setting.ini exactly as they were. The
// tool runs as it ships on Linux: the host file and ini layers over real files, in a child
// process that is stopped should a device or an endless file make it hang or grow.

#include "profiles_tool_fixture.h"

#include "fakes/guarded_run.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::newProfile;
using testing::ProfilesToolTest;

enum class State {
    sound,              // a store of three profiles
    iniUnreadable,      // setting.ini exists but refuses to be read (here a folder)
    iniEndless,         // setting.ini is a link to /dev/zero
    iniReadOnly,        // nobody may write setting.ini
    recordsBehindCount, // config.bin holds 3 records, COUNT names 1
    outputFull,         // standard output is a full disk
    largeStore,         // 20 000 000 bytes, beyond any cap but the store's own
    tooLargeStore,      // beyond the 64 MiB the store reads
};

struct Row {
    State state;
    std::vector<std::string> command;
    int status;
    std::string message; // in the output or on standard error
};

class ProfilesFailuresTest : public ProfilesToolTest {
protected:
    void prepare(State state) {
        std::filesystem::remove_all(dir.file("setting.ini"));
        const ProfileRecord one = newProfile("One");
        writeStore({one, newProfile("Two"), newProfile("Three")});
        dir.write("mine.txt", "A = SPACE\n");
        std::filesystem::create_directories(dir.file("texts"));
        const std::filesystem::path setting = dir.file("setting.ini");
        switch (state) {
        case State::sound:
            break;
        case State::iniEndless:
            std::filesystem::remove(setting);
            std::filesystem::create_symlink("/dev/zero", setting);
            break;
        case State::iniUnreadable:
            std::filesystem::remove(setting);
            std::filesystem::create_directory(setting);
            break;
        case State::iniReadOnly:
            std::filesystem::permissions(setting, std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::group_read |
                                                      std::filesystem::perms::others_read);
            break;
        case State::recordsBehindCount:
            dir.write("setting.ini", "[CONFIGURATION]\r\nCOUNT=1\r\n");
            break;
        case State::outputFull:
            break;
        case State::largeStore:
        case State::tooLargeStore:
            dir.write("setting.ini", "[CONFIGURATION]\r\nCOUNT=1\r\n");
            std::filesystem::resize_file(dir.file("config.bin"),
                                         state == State::largeStore ? 20'000'000 : 65u << 20);
            break;
        }
    }

    std::string settingBytes() const {
        const std::filesystem::path setting = dir.file("setting.ini");
        if (std::filesystem::is_symlink(setting)) {
            return "a link to " + std::filesystem::read_symlink(setting).string();
        }
        return std::filesystem::is_directory(setting) ? "a folder" : dir.read("setting.ini");
    }

    // The length and the first bytes of config.bin: all of a small one, and enough of a
    // large one, which can only change whole (reading 65 MiB byte by byte takes seconds).
    std::string storeBytes() const {
        std::ifstream file(dir.file("config.bin"), std::ios::binary);
        std::string head(kProfileRecordSize * 100, '\0');
        file.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(file.gcount()));
        return std::to_string(std::filesystem::file_size(dir.file("config.bin"))) + ":" + head;
    }

    HostProfileFile ini;
};

TEST_F(ProfilesFailuresTest, EveryCommandOverFilesItCannotTrustFailsAndChangesNothing) {
    const std::vector<std::string> list{"list"}, check{"check"}, exportOne{"export", "0"};
    const std::vector<std::string> import{"import", dir.file("mine.txt")};
    const std::string folder = dir.file("texts");
    const std::string unreadable = "qora-profiles: setting.ini cannot be read: access denied\n";
    const std::string tooLarge = "qora-profiles: setting.ini cannot be read: file too large\n";
    const std::string folderRead = "qora-profiles: " + folder + " cannot be read: it is a folder\n";
    const std::string endlessText = "qora-profiles: /dev/zero cannot be read: file too large (a "
                                    "profile text holds at most 1 MiB)\n";
    const std::string fullOutput =
        "qora-profiles: standard output cannot be written: No space left on device\n";
    const Row rows[] = {
        {State::iniUnreadable, list, 1, unreadable},
        {State::iniUnreadable, check, 1, unreadable},
        {State::iniUnreadable, exportOne, 1, unreadable},
        {State::iniUnreadable, import, 1, unreadable},
        {State::iniEndless, list, 1, tooLarge},
        {State::iniEndless, check, 1, tooLarge},
        {State::iniEndless, exportOne, 1, tooLarge},
        {State::iniEndless, import, 1, tooLarge},
        {State::sound, {"import", folder}, 1, folderRead},
        {State::sound, {"import", "/dev/zero"}, 1, endlessText},
        {State::sound, {"check", folder}, 1, folderRead},
        {State::sound, {"check", "/dev/zero"}, 1, endlessText},
        {State::sound,
         {"export", "0", "-o", folder},
         1,
         "qora-profiles: " + folder + " cannot be written: it is a folder\n"},
        {State::iniReadOnly, list, 0, "* 0 \"One\""},
        {State::iniReadOnly, import, 1,
         "qora-profiles: setting.ini cannot be written: access denied\nthe store is unchanged\n"},
        {State::recordsBehindCount, import, 1,
         "qora-profiles: config.bin holds 432 bytes, more than the 1 record COUNT names (144 "
         "bytes), and an import would drop the rest; 'qora-profiles check' tells more\nthe "
         "store is unchanged\n"},
        {State::recordsBehindCount, check, 1, "2 records hidden behind COUNT 1\n"},
        {State::recordsBehindCount, list, 0, "* 0 \"One\""},
        {State::outputFull, list, 1, fullOutput},
        {State::outputFull, check, 1, fullOutput},
        {State::outputFull, exportOne, 1, fullOutput},
        {State::outputFull, {"--help"}, 1, fullOutput},
        {State::largeStore, check, 1,
         "config.bin holds 20000000 bytes: 138887 records hidden behind COUNT 1 and 128 bytes"},
        {State::largeStore, import, 1, "config.bin holds 20000000 bytes, more than the 1 record"},
        {State::tooLargeStore, check, 1, "config.bin cannot be read: file too large\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command[0] + " in state " + std::to_string(static_cast<int>(row.state)));
        prepare(row.state);
        const std::string config = storeBytes();
        const std::string setting = settingBytes();

        std::vector<std::string> arguments{"--folder", dir.path()};
        arguments.insert(arguments.end(), row.command.begin(), row.command.end());
        const testing::GuardedRun run =
            testing::runGuarded([&](std::ostream& out, std::ostream& err) {
                ProfilesToolPlatform platform{files, ini};
                std::ofstream full;
                if (row.state == State::outputFull) {
                    full.open("/dev/full");
                }
                std::ostream& output = full.is_open() ? static_cast<std::ostream&>(full) : out;
                return runProfilesTool(arguments, platform, output, err);
            });

        EXPECT_EQ(run.stopped, "");
        if (!run.stopped.empty()) {
            continue;
        }
        EXPECT_EQ(run.status, row.status) << run.out << run.err;
        const std::string said = run.out + run.err;
        EXPECT_NE(said.find(row.message), std::string::npos)
            << "expected: " << row.message << "\nfound: " << said;
        EXPECT_EQ(storeBytes(), config);
        EXPECT_EQ(settingBytes(), setting);
        EXPECT_FALSE(dir.exists("config.bin.new"));
        EXPECT_FALSE(dir.exists("setting.ini.new"));
    }
}

} // namespace
} // namespace qora
