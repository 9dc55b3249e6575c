#include "formats/layer_record.h"

#include "formats/action_codes.h"

#include <gtest/gtest.h>

#include <vector>

namespace qora {
namespace {

// A record whose every byte differs from the base's.
ProfileRecord filledWith(std::uint8_t value) {
    ProfileRecord record;
    record.bytes.fill(value);
    return record;
}

// A layer copies the bytes of what it changes, and only those: an action's two keys, a
// mouse binding, the Direction, the inversion, a sensitivity, the aim word with the
// exponent. Dropping a change lets the base show through again.
TEST(LayerRecord, ALayerChangesExactlyTheBytesOfWhatItLists) {
    struct Case {
        unsigned change;
        std::vector<std::size_t> bytes;
    };
    const std::size_t a = static_cast<std::size_t>(action::buttonA);
    const Case cases[] = {
        {layer_change::firstAction + static_cast<unsigned>(a),
         {profile::primaryKeys + a, profile::secondaryKeys + a}},
        {layer_change::firstMouseBinding + 1, {profile::mouseBindings + 1}},
        {layer_change::firstMouseBinding + 8, {profile::mouseBindings + 8}},
        {layer_change::direction, {profile::direction}},
        {layer_change::invert, {profile::invertFlags}},
        {layer_change::zoomX,
         {profile::xZoomScale, profile::xZoomScale + 1, profile::xZoomScale + 2,
          profile::xZoomScale + 3}},
        {layer_change::zoomY,
         {profile::yZoomScale, profile::yZoomScale + 1, profile::yZoomScale + 2,
          profile::yZoomScale + 3}},
        {layer_change::aim, {profile::aimWord, profile::aimWord + 1, profile::aimExponent}},
    };
    const ProfileRecord base = filledWith(0x11);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.change);
        LayerRecord layer;
        takeChange(layer, test.change, filledWith(0x22));
        ProfileRecord effective = base;
        applyLayer(effective, layer);
        for (std::size_t i = 0; i < kProfileRecordSize; ++i) {
            const bool changed =
                std::find(test.bytes.begin(), test.bytes.end(), i) != test.bytes.end();
            EXPECT_EQ(effective.bytes[i], changed ? 0x22 : 0x11) << "byte " << i;
        }
        dropChange(layer, test.change);
        EXPECT_EQ(layer, LayerRecord{});
    }
}

} // namespace
} // namespace qora
