#pragma once
// The profiles a capture run holds from its start: every profile of the store with its
// layers, which one runs, and which of its layers are in effect. The run switches between
// profiles and turns layers on and off without reading or writing a file. Each profile is
// held twice: as the store held it, which is what F4 may save over (and only while the
// store still holds it so), and as the run uses it, which live calibration changes for the
// rest of the run.

#include "app/calibration.h"
#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "mapping/layer_activity.h"
#include "platform/file_api.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "profiles/layer_store.h"
#include "profiles/store.h"
#include "profiles/switch_keys.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace qora {

struct RunProfile {
    LoadedProfile stored; // its index in config.bin, its record and layers as the store held them
    ProfileRecord base;   // as the run uses them
    std::vector<LayerRecord> layers;
};

inline constexpr std::size_t kNoRunningProfile = std::numeric_limits<std::size_t>::max();

struct RunProfiles {
    std::vector<RunProfile> profiles;
    // The one running; kNoRunningProfile when the run started without one (it then runs an
    // all-zero profile with nothing bound until a switch picks one).
    std::size_t running = kNoRunningProfile;
    LayerActivities activities;
};

// Every record of the store (COUNT of them) with its layers, CURRENT running when it names
// one. failure tells why config.bin or layers.bin could not be used: a run on profiles it
// could not read, or without layers it could not read, would not be the player's.
// Allocates; the run's steps never do.
struct LoadedProfiles {
    RunProfiles profiles;
    std::optional<FileFailure> failure;
};
LoadedProfiles loadRunProfiles(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths);

// The running profile as the run uses it now, for F4 to save.
LayeredProfile profileInUse(const RunProfile& profile);

// The running profile, or nullptr.
RunProfile* runningProfile(RunProfiles& profiles);
const RunProfile* runningProfile(const RunProfiles& profiles);

// The running profile's base with its layers in effect over it; all zero without one.
ProfileRecord profileInEffect(const RunProfiles& profiles);

// The next (+1) or previous (-1) profile of the list runs, wrapping around; every layer of
// the old one ends, and the new one's held triggers are taken as held, not as presses, so
// a WHILE layer whose trigger is down asks to be on and no PRESS layer turns on. False when
// there is nothing to switch to.
bool switchProfile(RunProfiles& profiles, int step, const std::uint8_t* snapshot,
                   const MouseState& mouse, std::int64_t nowUs);

// The keys of setting.ini's [SWITCH], read at the start of a run: while it lasts they
// reach no binding, and each press of NEXT or PREVIOUS switches the profile.
struct SwitchKeys {
    SwitchKeyCodes codes;
    // Down at the last read, so a key switches once per press.
    bool nextDown = false;
    bool previousDown = false;
};
SwitchKeys readSwitchKeys(ProfileFileApi& ini, const ProgramPaths& paths);

// Takes the switch keys out of the snapshot before any binding sees it; +1 when NEXT went
// down, -1 when PREVIOUS did, 0 otherwise (both at once switch nothing).
int takeSwitchKeys(SwitchKeys& keys, std::uint8_t* snapshot);

// Where live calibration changes each value: the later layer in effect that changes it,
// else the running profile's base, else (no profile runs) inEffect itself.
CalibrationTargets calibrationTargets(RunProfiles& profiles, ProfileRecord& inEffect);
// The name of the layer that holds value now, or nullptr when the base does.
const char* layerHolding(const RunProfiles& profiles, AimValue value);

// The names of the running profile and of its layers in effect, for the window: "Shooter
// precise", "Shooter precise + ADS". Written into text (NUL-terminated, cut to fit).
void describeRunningProfile(const RunProfiles& profiles, char* text, std::size_t size);

} // namespace qora
