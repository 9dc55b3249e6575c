#include "tools/profiles/record_problems.h"

#include "formats/action_names.h"
#include "formats/mouse_binding_choices.h"
#include "formats/run_keys.h"
#include "input/key_names.h"
#include "tools/profiles/aim_text.h"
#include "tools/profiles/profile_fields.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace qora {
namespace {

void addProblem(std::vector<RecordProblem>& problems, std::string message,
                ProblemKind kind = ProblemKind::noWord) {
    problems.push_back({kind, std::move(message)});
}

void checkName(const ProfileRecord& record, std::vector<RecordProblem>& problems) {
    if (profileName(record).size() == profile::nameSize) {
        addProblem(problems, std::string(kNameSetting) + ": no NUL within its 64 bytes");
    }
}

// What a run does with a key it keeps, and so what becomes of a binding on it.
const char* runKeyUse(std::uint8_t code) {
    if (code == run_key::stop) {
        return "ends the capture run, so the binding never fires";
    }
    if (code == run_key::calibration::toggle) {
        return "turns live calibration on and off, so the binding never fires";
    }
    return "drives live calibration, so the binding does not fire while calibration is on";
}

void checkKey(std::uint8_t code, const std::string& where, std::vector<RecordProblem>& problems) {
    if (code != 0 && keyName(code)[0] == '\0') {
        addProblem(problems, where + ": key code " + hexText(code) + " has no name");
    } else if (isRunKey(code)) {
        addProblem(problems, where + ": " + keyName(code) + " " + runKeyUse(code),
                   ProblemKind::runKey);
    }
}

void checkKeys(const ProfileRecord& record, ConsoleMode console,
               std::vector<RecordProblem>& problems) {
    const std::span<const char* const> names = actionNames(console);
    for (std::size_t action = 0; action < kActionCount; ++action) {
        checkKey(primaryKey(record, action), names[action], problems);
        checkKey(secondaryKey(record, action), std::string(names[action]) + " (second key)",
                 problems);
    }
}

void checkListPosition(std::uint8_t position, std::span<const char* const> items,
                       const std::string& where, ConsoleMode console,
                       std::vector<RecordProblem>& problems) {
    if (position >= items.size()) {
        addProblem(problems, where + ": " + std::to_string(position) + " is not an item of the " +
                                 consoleTitle(console) + " list (0 to " +
                                 std::to_string(items.size() - 1) + ")");
    }
}

void checkMouse(const ProfileRecord& record, ConsoleMode console,
                std::vector<RecordProblem>& problems) {
    for (const MouseInput& input : kMouseInputs) {
        checkListPosition(mouseBinding(record, input.index), mouseActionItems(console),
                          input.setting, console, problems);
    }
    checkListPosition(record.bytes[profile::direction], directionItems(console), kDirectionSetting,
                      console, problems);
}

void checkZoom(const ProfileRecord& record, std::size_t offset, const char* setting,
               std::vector<RecordProblem>& problems) {
    const float scale = readZoomScale(record, offset);
    if (!zoomScaleInRange(scale)) {
        char text[64];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(scale));
        addProblem(problems, std::string(setting) + ": " + text + " is outside 0.5 to 5.0");
    }
}

// Every bit of the aim fields means something, and non-zero values in a classic profile
// are the precise settings kept for later; only values the rule cannot take are wrong.
void checkAim(const ProfileRecord& record, std::vector<RecordProblem>& problems) {
    const AimSettings aim = readAimSettings(record);
    if (aim.deadZoneHundredths > profile::kMaxDeadZoneHundredths) {
        addProblem(problems, std::string(kDeadZoneSetting) + ": " +
                                 deadZoneText(aim.deadZoneHundredths) + " is outside 0 to 90");
    }
    if (aim.exponentSteps < profile::kMinExponentSteps ||
        aim.exponentSteps > profile::kMaxExponentSteps) {
        addProblem(problems, std::string(kExponentSetting) + ": " +
                                 exponentText(aim.exponentSteps) + " is outside 0.25 to 4.0");
    }
}

void checkInvertBits(const ProfileRecord& record, std::vector<RecordProblem>& problems) {
    const std::uint8_t unknownBits = record.bytes[profile::invertFlags] & ~kKnownInvertBits;
    if (unknownBits != 0) {
        addProblem(problems,
                   std::string(kInvertSetting) + ": bits " + hexText(unknownBits) +
                       " are neither X (0x01) nor Y (0x02)",
                   ProblemKind::leftOut);
    }
}

} // namespace

std::vector<RecordProblem> recordProblems(const ProfileRecord& record, ConsoleMode console) {
    std::vector<RecordProblem> problems;
    checkName(record, problems);
    checkKeys(record, console, problems);
    checkMouse(record, console, problems);
    checkZoom(record, profile::xZoomScale, kZoomXSetting, problems);
    checkZoom(record, profile::yZoomScale, kZoomYSetting, problems);
    checkAim(record, problems);
    checkInvertBits(record, problems);
    return problems;
}

std::vector<RecordProblem> exportBlockers(const ProfileRecord& record, ConsoleMode console) {
    std::vector<RecordProblem> problems = recordProblems(record, console);
    std::erase_if(problems,
                  [](const RecordProblem& problem) { return problem.kind != ProblemKind::noWord; });
    return problems;
}

} // namespace qora
