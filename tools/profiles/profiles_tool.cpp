#include "tools/profiles/profiles_tool.h"

#include "formats/mouse_binding_choices.h"
#include "formats/setting_ini.h"
#include "platform/program_paths.h"
#include "profiles/store.h"
#include "profiles/switch_keys.h"
#include "tools/profiles/aim_text.h"
#include "tools/profiles/profile_fields.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/record_problems.h"
#include "tools/profiles/store_check.h"
#include "tools/profiles/store_contents.h"
#include "tools/profiles/text_file.h"
#include "tools/tool_output.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <ostream>
#include <span>
#include <sstream>
#include <utility>

#ifndef QORA_VERSION
#error "QORA_VERSION must come from the project's version"
#endif

namespace qora {
namespace {

constexpr const char* kProgramName = "qora-profiles";
// Longer than any key name, so that a longer value is no key name either.
constexpr std::size_t kSwitchValueSize = 64;

struct CommandWord {
    const char* word;
    ProfilesCommand command;
};
constexpr CommandWord kCommands[] = {{"list", ProfilesCommand::list},
                                     {"export", ProfilesCommand::exportProfile},
                                     {"import", ProfilesCommand::importProfile},
                                     {"check", ProfilesCommand::check}};

ParsedProfilesArguments failure(std::string error) {
    ParsedProfilesArguments parsed;
    parsed.error = std::move(error);
    return parsed;
}

std::optional<ProfilesCommand> commandNamed(const std::string& word) {
    for (const CommandWord& known : kCommands) {
        if (word == known.word) {
            return known.command;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> indexNamed(const std::string& text) {
    std::uint32_t index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return index;
}

// The words that follow the command: export's INDEX, import's and check's FILE.
std::string placeOperand(ProfilesToolArguments& arguments, const std::string& word,
                         bool& operandGiven) {
    if (operandGiven || arguments.command == ProfilesCommand::list) {
        return "unexpected '" + word + "'";
    }
    operandGiven = true;
    if (arguments.command == ProfilesCommand::importProfile ||
        arguments.command == ProfilesCommand::check) {
        arguments.file = word;
        return {};
    }
    const std::optional<std::uint32_t> index = indexNamed(word);
    if (!index) {
        return "INDEX must be a profile number (0, 1, ...), not '" + word + "'";
    }
    arguments.index = *index;
    return {};
}

// Options that only one command takes.
std::string optionFits(const ProfilesToolArguments& arguments) {
    if (!arguments.output.empty() && arguments.command != ProfilesCommand::exportProfile) {
        return "-o is an option of export";
    }
    if (arguments.name && arguments.command != ProfilesCommand::importProfile) {
        return "--name is an option of import";
    }
    return {};
}

// --- The store ---------------------------------------------------------------------------

struct Session {
    ProfilesToolPlatform& platform;
    const ProfilesToolArguments& arguments;
    ProgramPaths paths;
    std::ostream& out;
    std::ostream& err;

    int fail(const std::string& message) const {
        err << kProgramName << ": " << message << '\n';
        return kProfilesToolFailure;
    }

    // The console whose names to use when neither --console nor a text says: SETTING/OSTYPE
    // of the folder, and the Xbox 360 for anything but the PS3, as the Map dialog's lists do.
    ConsoleMode folderConsole() const {
        const auto mode = static_cast<ConsoleMode>(platform.ini.getPrivateProfileInt(
            kSettingSection, kConsoleKey, kConsoleNotSet, paths.settingIni.c_str()));
        return mode == kConsolePs3 ? kConsolePs3 : kConsoleXbox360;
    }

    ConsoleMode console() const { return arguments.console.value_or(folderConsole()); }

    // The text of a [SWITCH] key; empty when missing.
    std::string switchSetting(const char* key) const {
        char value[kSwitchValueSize] = {};
        platform.ini.getPrivateProfileString(kSwitchSection, key, "", value, sizeof value,
                                             paths.settingIni.c_str());
        return value;
    }

    // The switch keys as a run reads them.
    SwitchKeyCodes switchKeys() const { return readSwitchKeyCodes(platform.ini, paths); }

    bool readStore(StoreContents& store) const {
        std::string error;
        if (!readStoreContents(platform.files, platform.ini, paths, store, error)) {
            fail(error);
            return false;
        }
        return true;
    }
};

std::string summaryOf(const ProfileRecord& record, ConsoleMode console) {
    std::size_t keys = 0;
    for (std::size_t action = 0; action < kActionCount; ++action) {
        keys += (primaryKey(record, action) != 0) + (secondaryKey(record, action) != 0);
    }
    const std::uint8_t direction = record.bytes[profile::direction];
    const std::span<const char* const> directions = directionItems(console);
    const std::string target = direction < directions.size()
                                   ? directions[direction]
                                   : "direction " + std::to_string(direction) + "?";
    std::string summary = std::to_string(keys) + (keys == 1 ? " key" : " keys") + ", mouse " +
                          target + ", zoom " +
                          zoomScaleText(readZoomScale(record, profile::xZoomScale)) + " x " +
                          zoomScaleText(readZoomScale(record, profile::yZoomScale));
    const AimSettings aim = readAimSettings(record);
    if (aim.mode == AimMode::precise) {
        summary += ", precise aim, dead zone " + deadZoneText(aim.deadZoneHundredths) + " %";
    }
    return summary;
}

// "layer \"ADS\"" or "layers \"ADS\", \"Vehicle\""; empty for none.
std::string layerList(const std::vector<LayerRecord>& layers) {
    std::string list;
    for (const LayerRecord& layer : layers) {
        list += (list.empty() ? (layers.size() == 1 ? "layer " : "layers ") : ", ") +
                quoteName(layerName(layer));
    }
    return list;
}

// "modes turbo, walk, 1 macro": the base's binding modes in use; empty for none.
std::string modeList(const BindingModes& modes) {
    std::vector<std::string> used;
    if (modes.toggle != 0) {
        used.emplace_back("toggle");
    }
    if (modes.turbo != 0) {
        used.emplace_back("turbo");
    }
    if (modes.walkKey != 0) {
        used.emplace_back("walk");
    }
    if (!modes.macros.empty()) {
        used.push_back(std::to_string(modes.macros.size()) +
                       (modes.macros.size() == 1 ? " macro" : " macros"));
    }
    std::string list;
    for (const std::string& mode : used) {
        list += (list.empty() ? "modes " : ", ") + mode;
    }
    return list;
}

std::string layersAndModes(const ProfileLayers& profile) {
    std::string text;
    for (const std::string& part : {modeList(profile.modes), layerList(profile.layers)}) {
        if (!part.empty()) {
            text += ", " + part;
        }
    }
    return text;
}

int listProfiles(const Session& session) {
    StoreContents store;
    if (!session.readStore(store)) {
        return kProfilesToolFailure;
    }
    if (store.count == 0) {
        session.out << "no profiles\n";
    }
    const ConsoleMode console = session.console();
    for (std::uint32_t index = 0; index < store.count; ++index) {
        const ProfileRecord record = recordAt(store, index);
        const bool selected = static_cast<std::int64_t>(index) == store.current;
        session.out << (selected ? "* " : "  ") << index << ' ' << quoteName(profileName(record))
                    << ": " << summaryOf(record, console) << layersAndModes(layersAt(store, index))
                    << '\n';
    }
    // The records are listed all the same: config.bin does not depend on layers.bin.
    if (!store.layers.usable()) {
        return session.fail(describeFailure(store.layers.failure) + "; layers are not listed");
    }
    return kProfilesToolSuccess;
}

// One line per problem, then what was checked and how many problems it has.
int reportProblems(const Session& session, const std::vector<std::string>& problems,
                   const std::string& checked) {
    for (const std::string& problem : problems) {
        session.out << problem << '\n';
    }
    if (!problems.empty()) {
        session.out << checked << ", " << problems.size()
                    << (problems.size() == 1 ? " problem\n" : " problems\n");
        return kProfilesToolFailure;
    }
    session.out << checked << ", no problems\n";
    return kProfilesToolSuccess;
}

// A [SWITCH] key whose value is no key name switches nothing.
std::vector<std::string> switchProblems(const Session& session) {
    std::vector<std::string> problems;
    const SwitchKeyCodes codes = session.switchKeys();
    const std::pair<const char*, std::uint8_t> keys[] = {{kSwitchNextKey, codes.next},
                                                         {kSwitchPreviousKey, codes.previous}};
    for (const auto& [key, code] : keys) {
        const std::string value = session.switchSetting(key);
        if (!value.empty() && code == 0) {
            problems.push_back(std::string(kSettingIniName) + ": [" + kSwitchSection + "] " + key +
                               " = " + quoteName(value) +
                               " names no key, so it switches nothing; write a key as the "
                               "profile text does (PAGE UP)");
        }
    }
    return problems;
}

int checkStore(const Session& session) {
    StoreContents store;
    if (!session.readStore(store)) {
        return kProfilesToolFailure;
    }
    std::vector<std::string> problems = switchProblems(session);
    const std::vector<std::string> ofStore =
        storeProblems(store, session.console(), session.switchKeys());
    problems.insert(problems.end(), ofStore.begin(), ofStore.end());
    return reportProblems(session, problems,
                          std::to_string(store.count) +
                              (store.count == 1 ? " profile" : " profiles"));
}

ProfileTextReading readTextOfFile(const Session& session, const std::string& text) {
    const std::optional<ConsoleMode> console = session.arguments.console;
    return readProfileText(text, console, console.value_or(session.folderConsole()));
}

// What import would refuse, with the line, and the problems of the profile it would make.
int checkText(const Session& session) {
    const std::string& file = session.arguments.file;
    std::string text;
    std::string error;
    if (!readTextFile(session.platform.files, file, text, error)) {
        return session.fail(error);
    }
    const ProfileTextReading reading = readTextOfFile(session, text);
    std::vector<std::string> problems;
    for (const ProfileTextError& textError : reading.errors) {
        problems.push_back(file + ':' + std::to_string(textError.line) + ": " + textError.message);
    }
    std::vector<RecordProblem> found =
        recordProblems(reading.record, reading.console, session.switchKeys());
    const std::vector<RecordProblem> ofLayers =
        layerProblems(reading.layers, reading.console, session.switchKeys());
    found.insert(found.end(), ofLayers.begin(), ofLayers.end());
    const std::vector<RecordProblem> ofModes = modeProblems(
        reading.record, reading.modes, reading.layers, reading.console, session.switchKeys());
    found.insert(found.end(), ofModes.begin(), ofModes.end());
    for (const RecordProblem& problem : found) {
        // What reading refused is named above, with its line; reading refuses every
        // conflict.
        if ((reading.errors.empty() || problem.kind != ProblemKind::noWord) &&
            problem.kind != ProblemKind::conflict) {
            problems.push_back(file + ": " + problem.message);
        }
    }
    return reportProblems(session, problems, file);
}

// Values without words first, as before; then the rules of the modes, whose text import
// would refuse.
std::string blockersMessage(std::uint32_t index, const ProfileRecord& record, ConsoleMode console,
                            const std::vector<RecordProblem>& blockers) {
    const std::string profile =
        "profile " + std::to_string(index) + " " + quoteName(profileName(record));
    const auto list = [&](ProblemKind kind) {
        std::string lines;
        for (const RecordProblem& blocker : blockers) {
            if (blocker.kind == kind) {
                lines += "\n  " + blocker.message;
            }
        }
        return lines;
    };
    std::string message;
    if (const std::string noWords = list(ProblemKind::noWord); !noWords.empty()) {
        message = profile + " has values the " + consoleTitle(console) +
                  " text has no words for:" + noWords +
                  "\nmend them in the Map dialog (or try the other --console)";
    }
    if (const std::string conflicts = list(ProblemKind::conflict); !conflicts.empty()) {
        message +=
            (message.empty() ? "" : "\n") + profile +
            " breaks rules of the binding modes, so import would refuse its text:" + conflicts +
            "\nmend them in the Map dialog";
    }
    return message;
}

int exportProfile(const Session& session) {
    StoreContents store;
    if (!session.readStore(store)) {
        return kProfilesToolFailure;
    }
    const std::uint32_t index = session.arguments.index;
    if (index >= store.count) {
        return session.fail("there is no profile " + std::to_string(index) + ": COUNT is " +
                            std::to_string(store.count));
    }
    if (!store.layers.usable()) {
        return session.fail(describeFailure(store.layers.failure) + "\nprofile " +
                            std::to_string(index) +
                            " is not exported without the layers it may have");
    }
    const ProfileRecord record = recordAt(store, index);
    const ProfileLayers layers = layersAt(store, index);
    const ConsoleMode console = session.console();
    const std::vector<RecordProblem> blockers =
        exportBlockers(record, console, layers.layers, layers.modes);
    if (!blockers.empty()) {
        return session.fail(blockersMessage(index, record, console, blockers));
    }
    if (!layers.laterItems.empty()) {
        session.err << kProgramName << ": profile " << index
                    << " holds settings of a later qora in layers.bin, which the text does not "
                       "hold; they are left out\n";
    }
    const std::string text = formatProfileText(record, layers.modes, layers.layers, console);
    if (session.arguments.output.empty()) {
        session.out << text;
        return kProfilesToolSuccess;
    }
    std::string error;
    if (!writeTextFile(session.platform.files, session.arguments.output, text, error)) {
        return session.fail(error);
    }
    return kProfilesToolSuccess;
}

// Why a profile cannot be appended to the store; empty when it can. An append writes
// COUNT + 1 records, so records that the file holds beyond COUNT would be lost.
std::string appendRefusal(const StoreContents& store) {
    if (store.count >= kMaxProfileCount) {
        return "the store already holds " + std::to_string(store.count) +
               " profiles, as many as COUNT can say";
    }
    const std::uint64_t counted = std::uint64_t{store.count} * kProfileRecordSize;
    if (store.fileLength > counted) {
        return "config.bin holds " + std::to_string(store.fileLength) + " bytes, more than the " +
               std::to_string(store.count) + (store.count == 1 ? " record" : " records") +
               " COUNT names (" + std::to_string(counted) +
               " bytes), and an import would drop the rest; 'qora-profiles check' tells more";
    }
    return {};
}

int importProfile(const Session& session) {
    const ProfilesToolArguments& arguments = session.arguments;
    std::string text;
    std::string error;
    if (!readTextFile(session.platform.files, arguments.file, text, error)) {
        return session.fail(error);
    }
    ProfileTextReading reading = readTextOfFile(session, text);
    for (const ProfileTextError& error : reading.errors) {
        session.err << arguments.file << ':' << error.line << ": " << error.message << '\n';
    }
    if (!reading.errors.empty()) {
        return session.fail(arguments.file + " was not imported; the store is unchanged");
    }
    const std::string name = arguments.name.value_or(
        reading.name.value_or(std::filesystem::path(arguments.file).stem().string()));
    setProfileName(reading.record, name);

    StoreContents store;
    std::string refusal;
    if (!readStoreContents(session.platform.files, session.platform.ini, session.paths, store,
                           refusal)) {
        return session.fail(refusal + "\nthe store is unchanged");
    }
    if (refusal = appendRefusal(store); !refusal.empty()) {
        return session.fail(refusal + "\nthe store is unchanged");
    }
    const std::uint32_t count = store.count;
    const StoreChange change = appendLayeredProfile(
        session.platform.files, session.platform.ini, session.paths, count,
        LayeredProfile{reading.record, ProfileLayers{reading.layers, {}, reading.modes}});
    if (!change.done) {
        return session.fail(describeChange(change) +
                            (change.restoreFailure ? "" : "\nthe store is unchanged"));
    }
    session.out << "imported " << quoteName(profileName(reading.record)) << " as profile " << count
                << (reading.layers.empty() ? "" : " with its " + layerList(reading.layers)) << '\n';
    return kProfilesToolSuccess;
}

// The folder as an absolute path ending in a separator: the profile functions look for a
// bare file name in the Windows directory, not in the current one. A path the narrow
// character set cannot spell counts as no folder.
std::optional<std::string> folderPath(const std::string& folder) {
    try {
        const std::filesystem::path path =
            std::filesystem::absolute(folder.empty() ? std::string(".") : folder);
        if (!std::filesystem::is_directory(path)) {
            return std::nullopt;
        }
        return (path / "").lexically_normal().string();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int runCommand(ProfilesToolPlatform& platform, const ProfilesToolArguments& arguments,
               std::ostream& out, std::ostream& err) {
    const std::optional<std::string> folder = folderPath(arguments.folder);
    if (!folder) {
        err << kProgramName << ": no folder "
            << (arguments.folder.empty() ? std::string(".") : arguments.folder) << '\n';
        return kProfilesToolFailure;
    }
    const Session session{platform, arguments, makeProgramPaths(*folder), out, err};
    if (const std::optional<FileFailure> failure =
            settingIniUnreadable(platform.files, session.paths)) {
        return session.fail(describeFailure(*failure));
    }
    switch (arguments.command) {
    case ProfilesCommand::list:
        return listProfiles(session);
    case ProfilesCommand::exportProfile:
        return exportProfile(session);
    case ProfilesCommand::importProfile:
        return importProfile(session);
    case ProfilesCommand::check:
        return arguments.file.empty() ? checkStore(session) : checkText(session);
    case ProfilesCommand::none:
        break;
    }
    return kProfilesToolBadArguments;
}

} // namespace

std::string profilesToolUsage() {
    return "usage: qora-profiles [--folder DIR] [--console xbox360|ps3] COMMAND\n"
           "       qora-profiles --help | --version\n"
           "\n"
           "Works on the profiles in DIR (default: the current folder), which holds\n"
           "setting.ini and config.bin. Names are those the console's Map dialog shows; the\n"
           "console is --console, else OSTYPE of setting.ini.\n"
           "\n"
           "commands:\n"
           "  list                      one line per profile; * marks the selected one\n"
           "  export INDEX [-o FILE]    profile INDEX (from 0) as text\n"
           "  import FILE [--name NAME] appends the profile in FILE and raises COUNT\n"
           "  check [FILE]              reports what is wrong in the store, or in the\n"
           "                            profile text FILE\n"
           "\n"
           "Exit status: 0 done; 1 a file that cannot be read or written (standard output\n"
           "included), problems found or input refused, with a message on standard error;\n"
           "2 bad arguments. A refused import or a failed write leaves the store as it was.\n";
}

ParsedProfilesArguments parseProfilesToolArguments(const std::vector<std::string>& arguments) {
    ParsedProfilesArguments parsed;
    ProfilesToolArguments& result = parsed.arguments;
    bool operandGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--folder" || argument == "--console" ||
                                argument == "-o" || argument == "--name";
        if (takesValue && i + 1 == arguments.size()) {
            return failure(argument + " needs a value");
        }
        if (argument == "--help" || argument == "-h") {
            result.help = true;
        } else if (argument == "--version") {
            result.version = true;
        } else if (argument == "--folder") {
            result.folder = arguments[++i];
        } else if (argument == "--console") {
            const std::string& name = arguments[++i];
            result.console = consoleNamed(name);
            if (!result.console) {
                return failure("unknown console '" + name + "': use xbox360 or ps3");
            }
        } else if (argument == "-o") {
            result.output = arguments[++i];
        } else if (argument == "--name") {
            result.name = arguments[++i];
            if (result.name->size() > kMaxProfileNameLength) {
                return failure("--name takes at most " + std::to_string(kMaxProfileNameLength) +
                               " characters");
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            return failure("unknown option '" + argument + "'");
        } else if (result.command == ProfilesCommand::none) {
            const std::optional<ProfilesCommand> command = commandNamed(argument);
            if (!command) {
                return failure("unknown command '" + argument + "'");
            }
            result.command = *command;
        } else if (std::string error = placeOperand(result, argument, operandGiven);
                   !error.empty()) {
            return failure(error);
        }
    }
    if (result.help || result.version) {
        parsed.ok = true;
        return parsed;
    }
    if (result.command == ProfilesCommand::none) {
        return failure("a command is required: list, export, import or check");
    }
    if (!operandGiven && result.command == ProfilesCommand::exportProfile) {
        return failure("export needs the INDEX of a profile");
    }
    if (!operandGiven && result.command == ProfilesCommand::importProfile) {
        return failure("import needs a FILE");
    }
    if (std::string error = optionFits(result); !error.empty()) {
        return failure(error);
    }
    parsed.ok = true;
    return parsed;
}

int runProfilesTool(const std::vector<std::string>& arguments, ProfilesToolPlatform& platform,
                    std::ostream& out, std::ostream& err) {
    const ParsedProfilesArguments parsed = parseProfilesToolArguments(arguments);
    if (!parsed.ok) {
        err << kProgramName << ": " << parsed.error << '\n' << profilesToolUsage();
        return kProfilesToolBadArguments;
    }
    int status = kProfilesToolSuccess;
    if (parsed.arguments.help) {
        out << profilesToolUsage();
    } else if (parsed.arguments.version) {
        out << kProgramName << ' ' << QORA_VERSION << '\n';
    } else {
        status = runCommand(platform, parsed.arguments, out, err);
    }
    if (const std::string failure = outputFailure(out); !failure.empty()) {
        err << kProgramName << ": " << failure << '\n';
        return kProfilesToolFailure;
    }
    return status;
}

} // namespace qora
