#pragma once
// Profiles with layers for the tests of the store and the dialogs: layers that tell each
// other apart by name, layers.bin as the program writes it, and the profiles as a fresh
// qora reads them from config.bin, COUNT and layers.bin.

#include "formats/layer_file.h"
#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"
#include "platform/program_paths.h"
#include "profiles/layer_store.h"
#include "profiles/store.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace qora::testing {

// A held layer on the right mouse button that halves both sensitivities.
inline LayerRecord layerNamed(const std::string& name) {
    LayerRecord layer;
    setLayerName(layer, name);
    layer.trigger = {TriggerSource::mouseButton, 1};
    ProfileRecord from;
    writeZoomScale(from, profile::xZoomScale, 0.5f);
    writeZoomScale(from, profile::yZoomScale, 0.5f);
    takeChange(layer, layer_change::zoomX, from);
    takeChange(layer, layer_change::zoomY, from);
    return layer;
}

inline ProfileLayers layersNamed(std::initializer_list<const char*> names) {
    ProfileLayers layers;
    for (const char* name : names) {
        layers.layers.push_back(layerNamed(name));
    }
    return layers;
}

// layers.bin holding the layers of these profiles, as the program writes it; "" when none
// has layers (there is then no file).
inline std::string layersFileOf(const std::vector<LayeredProfile>& profiles) {
    LayerFile file;
    for (const LayeredProfile& profile : profiles) {
        putLayers(file, profile.base, profile.layers);
    }
    if (file.entries.empty()) {
        return "";
    }
    const std::vector<std::uint8_t> bytes = encodeLayerFile(file);
    return std::string(bytes.begin(), bytes.end());
}

// The profiles a fresh qora finds: COUNT records of config.bin (zeros past its end), each
// with the layers layers.bin gives its bytes.
inline std::vector<LayeredProfile> storedProfiles(const ProgramPaths& paths) {
    HostFileApi files;
    HostProfileFile ini;
    const std::uint32_t count = readProfileCount(ini, paths);
    std::vector<std::uint8_t> store(count * kProfileRecordSize, 0);
    readStore(files, paths, store.data(), static_cast<std::uint32_t>(store.size()));
    const LayersRead layers = readLayers(files, paths);
    std::vector<LayeredProfile> profiles;
    for (std::uint32_t i = 0; i < count; ++i) {
        const ProfileRecord record = loadRecord(store.data(), i);
        profiles.push_back({record, layersOf(layers.file, record)});
    }
    return profiles;
}

} // namespace qora::testing
