#include "app/run_profiles.h"

#include "input/mouse_record.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace qora {
namespace {

constexpr const char* kLayerSeparator = " + ";

// Triggers held at a switch count as held from before it: no press, no toggle.
void restartLayers(RunProfiles& profiles, const std::uint8_t* snapshot, const MouseState& mouse,
                   std::int64_t nowUs) {
    profiles.activities = LayerActivities{};
    const RunProfile* running = runningProfile(profiles);
    if (running == nullptr) {
        return;
    }
    const TriggerReading held = readTriggers(running->layers, snapshot, mouse, 0);
    for (std::size_t i = 0; i < running->layers.size() && i < kMaxLayers; ++i) {
        profiles.activities.layers[i].triggerDown = (held.down >> i & 1u) != 0;
    }
    followLayers(profiles.activities, running->layers, {held.down, 0}, nowUs);
}

// Down now, and whether it went down since the last read.
bool pressedNow(std::uint8_t code, bool& wasDown, std::uint8_t* snapshot) {
    if (code == 0) {
        return false;
    }
    const bool down = (snapshot[code] & kKeyDown) != 0;
    const bool pressed = down && !wasDown;
    wasDown = down;
    snapshot[code] = 0;
    return pressed;
}

} // namespace

SwitchKeys readSwitchKeys(ProfileFileApi& ini, const ProgramPaths& paths) {
    return {readSwitchKeyCodes(ini, paths)};
}

int takeSwitchKeys(SwitchKeys& keys, std::uint8_t* snapshot) {
    const bool next = pressedNow(keys.codes.next, keys.nextDown, snapshot);
    const bool previous = pressedNow(keys.codes.previous, keys.previousDown, snapshot);
    return next == previous ? 0 : (next ? 1 : -1);
}

LoadedProfiles loadRunProfiles(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths) {
    const std::uint32_t count = readProfileCount(ini, paths);
    const std::int32_t current = readCurrentProfile(ini, paths);
    std::vector<std::uint8_t> store(static_cast<std::size_t>(count) * kProfileRecordSize, 0);
    LoadedProfiles loaded;
    const StoreRead read =
        readStore(files, paths, store.data(), static_cast<std::uint32_t>(store.size()));
    const LayersRead layers = readLayers(files, paths);
    if (!read.readable() || !layers.usable()) {
        loaded.failure = !read.readable() ? read.failure : layers.failure;
        return loaded;
    }
    const std::vector<ProfileLayers> layersOfEach =
        layersOfRecords(layers.file, store.data(), count);
    loaded.profiles.profiles.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        RunProfile& profile = loaded.profiles.profiles[i];
        profile.stored = {static_cast<std::int32_t>(i),
                          {loadRecord(store.data(), i), layersOfEach[i]}};
        profile.base = profile.stored.profile.base;
        profile.layers = profile.stored.profile.layers.layers;
    }
    if (current >= 0 && static_cast<std::uint32_t>(current) < count) {
        loaded.profiles.running = static_cast<std::size_t>(current);
    }
    return loaded;
}

LayeredProfile profileInUse(const RunProfile& profile) {
    return {profile.base, {profile.layers, profile.stored.profile.layers.laterItems}};
}

RunProfile* runningProfile(RunProfiles& profiles) {
    return profiles.running < profiles.profiles.size() ? &profiles.profiles[profiles.running]
                                                       : nullptr;
}

const RunProfile* runningProfile(const RunProfiles& profiles) {
    return profiles.running < profiles.profiles.size() ? &profiles.profiles[profiles.running]
                                                       : nullptr;
}

ProfileRecord profileInEffect(const RunProfiles& profiles) {
    const RunProfile* running = runningProfile(profiles);
    if (running == nullptr) {
        return ProfileRecord{};
    }
    return profileInEffect(running->base, running->layers, layersInEffect(profiles.activities));
}

bool switchProfile(RunProfiles& profiles, int step, const std::uint8_t* snapshot,
                   const MouseState& mouse, std::int64_t nowUs) {
    const std::size_t count = profiles.profiles.size();
    if (count == 0 || (count == 1 && profiles.running == 0)) {
        return false;
    }
    if (profiles.running >= count) {
        profiles.running = step > 0 ? 0 : count - 1;
    } else {
        profiles.running = (profiles.running + count + (step > 0 ? 1 : count - 1)) % count;
    }
    restartLayers(profiles, snapshot, mouse, nowUs);
    return true;
}

namespace {

constexpr std::size_t kNoLayer = kMaxLayers;

// The index of the later layer in effect that makes change, or kNoLayer.
std::size_t lastLayerChanging(const RunProfiles& profiles, unsigned change) {
    const RunProfile* running = runningProfile(profiles);
    const LayerMask inEffect = layersInEffect(profiles.activities);
    std::size_t found = kNoLayer;
    for (std::size_t i = 0; running != nullptr && i < running->layers.size() && i < kMaxLayers;
         ++i) {
        if ((inEffect >> i & 1u) != 0 &&
            (running->layers[i].changes & layer_change::bit(change)) != 0) {
            found = i;
        }
    }
    return found;
}

ProfileRecord* targetOf(RunProfiles& profiles, unsigned change) {
    RunProfile& running = *runningProfile(profiles);
    const std::size_t layer = lastLayerChanging(profiles, change);
    return layer == kNoLayer ? &running.base : &running.layers[layer].values;
}

} // namespace

CalibrationTargets calibrationTargets(RunProfiles& profiles, ProfileRecord& inEffect) {
    if (runningProfile(profiles) == nullptr) {
        return targetsIn(inEffect);
    }
    return {targetOf(profiles, layer_change::aim), targetOf(profiles, layer_change::zoomX),
            targetOf(profiles, layer_change::zoomY)};
}

const char* layerHolding(const RunProfiles& profiles, AimValue value) {
    const unsigned change = value == AimValue::sensitivityX   ? layer_change::zoomX
                            : value == AimValue::sensitivityY ? layer_change::zoomY
                                                              : layer_change::aim;
    const std::size_t layer = lastLayerChanging(profiles, change);
    return layer == kNoLayer ? nullptr : runningProfile(profiles)->layers[layer].name.data();
}

void describeRunningProfile(const RunProfiles& profiles, char* text, std::size_t size) {
    if (size == 0) {
        return;
    }
    text[0] = '\0';
    const RunProfile* running = runningProfile(profiles);
    if (running == nullptr) {
        return;
    }
    // Piece by piece into the caller's buffer: nothing here may allocate.
    std::size_t used = 0;
    const auto append = [&](const char* piece, std::size_t length) {
        const std::size_t room = size - 1 - used;
        const std::size_t taken = std::min(length, room);
        std::copy_n(piece, taken, text + used);
        used += taken;
        text[used] = '\0';
    };
    const auto* name = reinterpret_cast<const char*>(running->base.bytes.data() + profile::name);
    append(name, std::find(name, name + profile::nameSize, '\0') - name);
    const LayerMask inEffect = layersInEffect(profiles.activities);
    for (std::size_t i = 0; i < running->layers.size() && i < kMaxLayers; ++i) {
        if ((inEffect >> i & 1u) != 0) {
            const char* layer = running->layers[i].name.data();
            append(kLayerSeparator, std::char_traits<char>::length(kLayerSeparator));
            append(layer, std::find(layer, layer + kLayerNameSize, '\0') - layer);
        }
    }
}

} // namespace qora
