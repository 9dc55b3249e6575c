#pragma once
// The qora-profiles command line: lists, exports, imports and checks the profiles of the
// store in a folder that holds setting.ini and config.bin. Kept apart from main() so every
// outcome is testable against real files.

#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace qora {

// Exit statuses, as qora-packets has them.
inline constexpr int kProfilesToolSuccess = 0;
inline constexpr int kProfilesToolFailure = 1; // unreadable files, problems found, input refused
inline constexpr int kProfilesToolBadArguments = 2;

enum class ProfilesCommand { none, list, exportProfile, importProfile, check };

struct ProfilesToolArguments {
    bool help = false;
    bool version = false;
    ProfilesCommand command = ProfilesCommand::none;
    std::string folder; // empty: the current folder
    std::optional<ConsoleMode> console;
    std::uint32_t index = 0;         // export
    std::string output;              // export: the file to write; empty: standard output
    std::string file;                // import; check (empty: the store)
    std::optional<std::string> name; // import
};

struct ParsedProfilesArguments {
    bool ok = false;
    ProfilesToolArguments arguments;
    std::string error; // why parsing failed
};

// arguments excludes the program name.
ParsedProfilesArguments parseProfilesToolArguments(const std::vector<std::string>& arguments);

std::string profilesToolUsage();

// The platform calls the tool makes, as the program makes them.
struct ProfilesToolPlatform {
    FileApi& files;
    ProfileFileApi& ini;
};

// Runs the tool; returns the exit status.
int runProfilesTool(const std::vector<std::string>& arguments, ProfilesToolPlatform& platform,
                    std::ostream& out, std::ostream& err);

} // namespace qora
