// qora-profiles import over random profile texts, the files players share with each
// other. A refused text fails with status 1, one message per bad line with the file and
// its line (or, for a sound text, the store's refusal of a copy of its profile that would
// need other layers), and leaves config.bin, setting.ini and the missing layers.bin as they
// were. An accepted one appends exactly one record and raises COUNT, and layers.bin gives
// that record the text's layers and binding modes; it exports again with the names it was
// read with, check finds nothing in the store but keys a run keeps, and the exported text
// reads back to the same 144 bytes, layers and modes. Any text read without errors, its
// layers and modes included, has nothing check would keep from export (no value without
// a word, no broken rule of the modes), and its text reads back to the same base, modes
// and layers and is written again the same.
//
// Input: a flags byte (bits 0-1: no --console, --console xbox360, --console ps3, no
// --console; bit 2: OSTYPE of the folder, 0 or 1; bit 3: --name given), then the text.

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "work_directory.h"

#include "formats/profile_record.h"
#include "formats/setting_ini.h"
#include "platform/host/host_profile_file.h"
#include "platform/program_paths.h"
#include "profiles/layer_store.h"
#include "tools/profiles/profile_fields.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/profiles_tool.h"
#include "tools/profiles/record_problems.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qora::fuzzing {
namespace {

constexpr std::uint8_t kConsoleBits = 0x03;
constexpr std::uint8_t kPs3Folder = 0x04;
constexpr std::uint8_t kNameGiven = 0x08;
constexpr const char* kGivenName = "given";
constexpr const char* kTextName = "mine.txt";
constexpr const char* kExportName = "exported.txt";
constexpr const char* kTextStem = "mine"; // the name of a profile whose text has none

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string filePath(const char* name) {
    return workDirectory().file(name);
}

std::string fileText(const char* name) {
    return workDirectory().exists(name) ? workDirectory().read(name) : "(missing)";
}

// The store the text is imported into: one sound profile without layers, selected.
ProfileRecord baseRecord() {
    ProfileRecord record;
    setProfileName(record, "Base");
    writeZoomScale(record, profile::xZoomScale, kNewProfileZoomScale);
    writeZoomScale(record, profile::yZoomScale, kNewProfileZoomScale);
    return record;
}

std::string baseStore() {
    const ProfileRecord record = baseRecord();
    return std::string(reinterpret_cast<const char*>(record.bytes.data()), kProfileRecordSize);
}

void layOutFolder(bool ps3Folder, const std::string& text) {
    workDirectory().write("config.bin", baseStore());
    workDirectory().write("setting.ini", std::string("[SETTING]\r\nOSTYPE=") +
                                             (ps3Folder ? "1" : "0") +
                                             "\r\n[CONFIGURATION]\r\nCOUNT=1\r\nCURRENT=0\r\n");
    workDirectory().write(kTextName, text);
    removeFile(filePath(kExportName));
    removeFile(filePath(kLayersBinName));
}

Outcome runTool(std::vector<std::string> arguments) {
    UnsyncedFileApi files;
    HostProfileFile ini;
    ProfilesToolPlatform platform{files, ini};
    arguments.insert(arguments.begin(), {"--folder", workDirectory().path()});
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProfilesTool(arguments, platform, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> consoleArguments(std::optional<ConsoleMode> console) {
    if (!console) {
        return {};
    }
    return {"--console", consoleWord(*console)};
}

// What layers.bin must give the record of a text: its layers and the base's modes.
ProfileLayers profileLayersOf(const ProfileTextReading& reading) {
    return ProfileLayers{reading.layers, {}, reading.modes};
}

// The record an import of a text read without errors appends.
ProfileRecord importedRecord(const ProfileTextReading& reading, bool nameGiven) {
    ProfileRecord record = reading.record;
    setProfileName(record, nameGiven ? kGivenName : reading.name.value_or(kTextStem));
    return record;
}

void checkRefused(const Outcome& import, const std::string& config, const std::string& setting,
                  const ProfileTextReading& reading, bool nameGiven) {
    require(import.status == kProfilesToolFailure, "a refused text fails with status 1");
    require(import.out.empty(), "a refused text prints nothing on stdout");
    if (reading.errors.empty()) {
        // Two records equal byte for byte share their layers and modes.
        require(!profileLayersOf(reading).empty() &&
                    importedRecord(reading, nameGiven) == baseRecord(),
                "a sound text is refused only as a copy of a profile with other layers");
        require(import.err.find("two profiles identical byte for byte would need different "
                                "layers") != std::string::npos,
                "the refusal of a copy says why");
    } else {
        require(import.err.starts_with(filePath(kTextName) + ":"),
                "a refused text names the file and the line");
    }
    require(!workDirectory().exists(kLayersBinName) &&
                !workDirectory().exists(std::string(kLayersBinName) + kTemporaryFileSuffix),
            "a refused text leaves no layers.bin");
    require(fileText("config.bin") == config, "a refused text leaves config.bin as it was");
    require(fileText("setting.ini") == setting, "a refused text leaves setting.ini as it was");
    require(!workDirectory().exists("config.bin.new") && !workDirectory().exists("setting.ini.new"),
            "a refused text leaves no temporary file");
}

// What check says of the store with the imported profile: nothing but the keys a run keeps
// (the folder names no switch keys), which a text may bind and trigger with.
std::string expectedCheck(const ProfileRecord& imported, const ProfileLayers& layers,
                          ConsoleMode console) {
    std::size_t notes = recordProblems(imported, console).size();
    notes += layerProblems(layers.layers, console).size();
    notes += modeProblems(imported, layers.modes, layers.layers, console).size();
    for (const RecordProblem& problem : recordProblems(imported, console)) {
        require(problem.kind == ProblemKind::runKey, "an imported record holds only run-key notes");
    }
    for (const RecordProblem& problem : layerProblems(layers.layers, console)) {
        require(problem.kind == ProblemKind::runKey, "imported layers hold only run-key notes");
    }
    for (const RecordProblem& problem :
         modeProblems(imported, layers.modes, layers.layers, console)) {
        require(problem.kind == ProblemKind::runKey, "imported modes hold only run-key notes");
    }
    if (notes == 0) {
        return "2 profiles, no problems\n";
    }
    return "2 profiles, " + std::to_string(notes) + (notes == 1 ? " problem\n" : " problems\n");
}

void checkAccepted(const ProfileTextReading& reading, const std::string& config) {
    const std::string store = fileText("config.bin");
    require(store.size() == 2 * kProfileRecordSize && store.starts_with(config),
            "an import appends exactly one record");
    require(fileText("setting.ini").find("COUNT=2") != std::string::npos, "an import raises COUNT");
    ProfileRecord imported;
    store.copy(reinterpret_cast<char*>(imported.bytes.data()), kProfileRecordSize,
               kProfileRecordSize);

    UnsyncedFileApi files;
    const LayersRead layers = readLayers(files, makeProgramPaths(workDirectory().path()));
    require(layers.usable(), "an import leaves a layers.bin that reads");
    require(layersOf(layers.file, imported) == profileLayersOf(reading),
            "an import gives the profile the text's layers and modes");

    // The names the text was read with are those its export must use.
    const ConsoleMode console = reading.console;
    std::vector<std::string> exportCommand = consoleArguments(console);
    exportCommand.insert(exportCommand.end(), {"export", "1", "-o", filePath(kExportName)});
    const Outcome exported = runTool(exportCommand);
    require(exported.status == kProfilesToolSuccess, "an imported profile exports again");

    std::vector<std::string> checkCommand = consoleArguments(console);
    checkCommand.push_back("check");
    require(runTool(checkCommand)
                .out.ends_with(expectedCheck(imported, profileLayersOf(reading), console)),
            "check finds nothing in a store with an imported profile but keys a run keeps");

    ProfileTextReading again = readProfileText(fileText(kExportName), console, console);
    require(again.errors.empty() && again.name.has_value(), "an exported text reads back");
    setProfileName(again.record, *again.name);
    require(again.record == imported, "an exported text reads back to the same bytes");
    require(again.layers == reading.layers, "an exported text reads back to the same layers");
    require(again.modes == reading.modes, "an exported text reads back to the same modes");
}

// The text of what was read, base and layers, and what reading it again gives.
void checkReadingRoundTrips(const std::string& text, std::optional<ConsoleMode> requested,
                            ConsoleMode fallback) {
    const ProfileTextReading reading = readProfileText(text, requested, fallback);
    if (!reading.errors.empty()) {
        return;
    }
    ProfileRecord record = reading.record;
    setProfileName(record, reading.name.value_or(""));
    require(exportBlockers(record, reading.console, reading.layers, reading.modes).empty(),
            "a text read without errors has nothing that keeps it from export");
    const std::string written =
        formatProfileText(record, reading.modes, reading.layers, reading.console);
    ProfileTextReading again = readProfileText(written, reading.console, reading.console);
    require(again.errors.empty() && again.name.has_value(), "a written text reads back");
    setProfileName(again.record, *again.name);
    require(again.record == record, "a written text reads back to the same base");
    require(again.layers == reading.layers, "a written text reads back to the same layers");
    require(again.modes == reading.modes, "a written text reads back to the same modes");
    require(formatProfileText(again.record, again.modes, again.layers, again.console) == written,
            "a text read back is written the same again");
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const std::vector<std::uint8_t> rest = input.rest();
    const std::string text(rest.begin(), rest.end());

    const std::uint8_t consoleChoice = flags & kConsoleBits;
    const std::optional<ConsoleMode> requested =
        consoleChoice == 1   ? std::optional<ConsoleMode>(kConsoleXbox360)
        : consoleChoice == 2 ? std::optional<ConsoleMode>(kConsolePs3)
                             : std::nullopt;
    const bool ps3Folder = (flags & kPs3Folder) != 0;
    layOutFolder(ps3Folder, text);
    const std::string config = fileText("config.bin");
    const std::string setting = fileText("setting.ini");

    std::vector<std::string> command = consoleArguments(requested);
    command.insert(command.end(), {"import", filePath(kTextName)});
    if ((flags & kNameGiven) != 0) {
        command.insert(command.end(), {"--name", kGivenName});
    }
    const ConsoleMode fallback = ps3Folder ? kConsolePs3 : kConsoleXbox360;
    checkReadingRoundTrips(text, requested, fallback);
    const ProfileTextReading reading = readProfileText(text, requested, fallback);
    const Outcome import = runTool(command);
    if (import.status != kProfilesToolSuccess) {
        checkRefused(import, config, setting, reading, (flags & kNameGiven) != 0);
    } else {
        checkAccepted(reading, config);
    }
    return 0;
}
