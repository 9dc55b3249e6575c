#include "tools/profiles/store_check.h"

#include "formats/layer_file.h"
#include "formats/setting_ini.h"
#include "platform/file_failure.h"
#include "profiles/store.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/record_problems.h"

#include <algorithm>

namespace qora {
namespace {

std::string records(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " record" : " records");
}

void checkCount(const StoreContents& store, std::vector<std::string>& problems) {
    if (store.countSetting < 0) {
        problems.push_back("COUNT is " + std::to_string(store.countSetting) +
                           ", which counts as 0");
    } else if (static_cast<std::uint32_t>(store.countSetting) > kMaxProfileCount) {
        problems.push_back("COUNT is " + std::to_string(store.countSetting) + ", but at most " +
                           std::to_string(kMaxProfileCount) + " records are read");
    }
    const std::uint64_t expected = std::uint64_t{store.count} * kProfileRecordSize;
    const std::string length = "config.bin holds " + std::to_string(store.fileLength) + " bytes";
    if (store.fileMissing && expected != 0) {
        problems.push_back("config.bin is missing: the " + records(store.count) +
                           " COUNT names read as zeros");
    } else if (store.fileLength < expected) {
        problems.push_back(length + ", short of the " + records(store.count) + " COUNT names (" +
                           std::to_string(expected) + " bytes): the rest read as zeros");
    } else if (store.fileLength > expected) {
        const std::uint64_t extra = store.fileLength - expected;
        std::string problem = length + ": " + records(extra / kProfileRecordSize) +
                              " hidden behind COUNT " + std::to_string(store.count);
        if (extra % kProfileRecordSize != 0) {
            problem += " and " + std::to_string(extra % kProfileRecordSize) +
                       " bytes that are no whole record";
        }
        problems.push_back(problem);
    }
}

void checkCurrent(const StoreContents& store, std::vector<std::string>& problems) {
    if (store.count == 0) {
        return; // nothing to select
    }
    if (store.current < 0 || static_cast<std::uint32_t>(store.current) >= store.count) {
        problems.push_back("CURRENT is " + std::to_string(store.current) +
                           ", which names no profile (0 to " + std::to_string(store.count - 1) +
                           ")");
    }
}

// "ADS", "Vehicle"
std::string layerNames(const ProfileLayers& layers) {
    std::string names;
    for (const LayerRecord& layer : layers.layers) {
        names += (names.empty() ? "" : ", ") + quoteName(layerName(layer));
    }
    return names;
}

// A layers.bin that cannot be used, and entries whose key is no profile's record: nothing
// uses their layers (the record was changed by a program that does not know layers.bin,
// or a write was cut short), and the next change to the store drops them.
void checkLayersFile(const StoreContents& store, std::vector<std::string>& problems) {
    if (!store.layers.usable()) {
        problems.push_back(describeFailure(store.layers.failure) +
                           "; no profile's layers could be checked");
        return;
    }
    std::vector<ProfileRecord> records;
    for (std::uint32_t index = 0; index < store.count; ++index) {
        records.push_back(recordAt(store, index));
    }
    std::sort(records.begin(), records.end(), keyBefore);
    for (const LayerEntry& entry : store.layers.file.entries) {
        if (std::binary_search(records.begin(), records.end(), entry.key, keyBefore)) {
            continue;
        }
        const std::string names = layerNames(entry.layers);
        problems.push_back(std::string(kLayersBinName) + ": the entry of a profile " +
                           quoteName(profileName(entry.key)) +
                           (names.empty() ? "" : " (layers " + names + ")") +
                           " matches no profile of config.bin, so nothing uses it; the next "
                           "change to the store drops it");
    }
}

} // namespace

std::vector<std::string> storeProblems(const StoreContents& store, ConsoleMode console,
                                       const SwitchKeyCodes& switchKeys) {
    std::vector<std::string> problems;
    checkCount(store, problems);
    checkCurrent(store, problems);
    checkLayersFile(store, problems);
    for (std::uint32_t index = 0; index < store.count; ++index) {
        const ProfileRecord record = recordAt(store, index);
        const std::string where =
            "profile " + std::to_string(index) + " " + quoteName(profileName(record)) + ": ";
        for (const RecordProblem& problem : recordProblems(record, console, switchKeys)) {
            problems.push_back(where + problem.message);
        }
        const ProfileLayers layers = layersAt(store, index);
        for (const RecordProblem& problem : layerProblems(layers.layers, console, switchKeys)) {
            problems.push_back(where + problem.message);
        }
        for (const RecordProblem& problem :
             modeProblems(record, layers.modes, layers.layers, console, switchKeys)) {
            problems.push_back(where + problem.message);
        }
    }
    return problems;
}

} // namespace qora
