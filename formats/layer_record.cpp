#include "formats/layer_record.h"

#include <algorithm>
#include <cstring>

namespace qora {
namespace {

// The record bytes one change covers.
struct ByteSpan {
    std::size_t offset;
    std::size_t length;
};

constexpr std::size_t kAimWordSize = 2;
constexpr std::size_t kZoomScaleSize = 4;

// The aim set is the aim word and the exponent byte, apart in the record.
constexpr ByteSpan kExponentSpan{profile::aimExponent, 1};

ByteSpan spanOf(unsigned change) {
    using namespace layer_change;
    if (change < firstMouseBinding) {
        return {profile::primaryKeys + (change - firstAction), 1};
    }
    if (change < direction) {
        return {profile::mouseBindings + (change - firstMouseBinding), 1};
    }
    switch (change) {
    case direction:
        return {profile::direction, 1};
    case invert:
        return {profile::invertFlags, 1};
    case zoomX:
        return {profile::xZoomScale, kZoomScaleSize};
    case zoomY:
        return {profile::yZoomScale, kZoomScaleSize};
    default:
        return {profile::aimWord, kAimWordSize};
    }
}

void copySpan(ProfileRecord& to, const ProfileRecord& from, ByteSpan span) {
    std::copy_n(from.bytes.begin() + static_cast<std::ptrdiff_t>(span.offset), span.length,
                to.bytes.begin() + static_cast<std::ptrdiff_t>(span.offset));
}

// Copies one change's bytes: an action's second key and the aim's exponent byte go with it.
void copyChange(ProfileRecord& to, const ProfileRecord& from, unsigned change) {
    copySpan(to, from, spanOf(change));
    if (change < layer_change::firstMouseBinding) {
        copySpan(to, from, {profile::secondaryKeys + (change - layer_change::firstAction), 1});
    } else if (change == layer_change::aim) {
        copySpan(to, from, kExponentSpan);
    }
}

} // namespace

std::string layerName(const LayerRecord& layer) {
    const std::size_t length =
        std::find(layer.name.begin(), layer.name.end(), '\0') - layer.name.begin();
    return std::string(layer.name.data(), length);
}

void setLayerName(LayerRecord& layer, const std::string& name) {
    layer.name.fill('\0');
    std::memcpy(layer.name.data(), name.data(), std::min(name.size(), kLayerNameSize - 1));
}

void applyLayer(ProfileRecord& profile, const LayerRecord& layer) {
    for (unsigned change = 0; change < layer_change::count; ++change) {
        if ((layer.changes & layer_change::bit(change)) != 0) {
            copyChange(profile, layer.values, change);
        }
    }
}

void takeChange(LayerRecord& layer, unsigned change, const ProfileRecord& from) {
    layer.changes |= layer_change::bit(change);
    copyChange(layer.values, from, change);
}

void dropChange(LayerRecord& layer, unsigned change) {
    layer.changes &= ~layer_change::bit(change);
    ProfileRecord zeros;
    copyChange(layer.values, zeros, change);
}

} // namespace qora
