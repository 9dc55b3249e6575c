#include "mapping/layer_activity.h"

#include "formats/action_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qora {
namespace {

LayerRecord layerOf(LayerKind kind, std::uint16_t delayMs, std::uint16_t releaseDelayMs) {
    LayerRecord layer;
    layer.kind = kind;
    layer.trigger = {TriggerSource::key, 0x1E};
    layer.delayMs = delayMs;
    layer.releaseDelayMs = releaseDelayMs;
    return layer;
}

constexpr std::int64_t kUnchecked = -2;

// At atMs the triggers read `down` (and `pressed`, a press within one read); then the
// layers in effect are `inEffect`. A step with look = false only lets time pass to atMs.
struct Step {
    std::int64_t atMs;
    LayerMask down;
    LayerMask inEffect;
    bool look = true;
    LayerMask pressed = 0;
    std::int64_t dueMs = kUnchecked; // the next change then, -1 for none
};

struct Timeline {
    const char* name;
    std::vector<LayerRecord> layers;
    std::vector<Step> steps;
};

constexpr LayerKind held = LayerKind::whileHeld;
constexpr LayerKind toggled = LayerKind::toggled;

// When each layer takes effect and ends, for held and toggled triggers, with and without
// delays, and the moment the next change falls due.
TEST(LayerActivity, LayersFollowTheirTriggersAfterTheirDelays) {
    const Timeline timelines[] = {
        {"held, no delay", {layerOf(held, 0, 0)}, {{0, 0, 0}, {10, 1, 1}, {20, 1, 1}, {30, 0, 0}}},
        {"held, delays",
         {layerOf(held, 150, 40)},
         {{0, 1, 0, true, 0, 150},
          {149, 1, 0, false},
          {150, 1, 1, false, 0, -1},
          {200, 0, 1, true, 0, 240},
          {239, 0, 1, false},
          {240, 0, 0, false, 0, -1}}},
        {"held, let go before the delay",
         {layerOf(held, 150, 0)},
         {{0, 1, 0, true, 0, 150},
          {100, 0, 0, true, 0, -1},
          {150, 0, 0, false},
          {400, 0, 0, false}}},
        {"held, pressed again during the release delay",
         {layerOf(held, 0, 100)},
         {{0, 1, 1}, {50, 0, 1}, {80, 1, 1}, {200, 1, 1, false}, {210, 0, 1}, {310, 0, 0, false}}},
        {"toggled",
         {layerOf(toggled, 0, 0)},
         {{0, 1, 1}, {10, 0, 1}, {20, 1, 0}, {30, 0, 0}, {40, 0, 1, true, 1}}},
        {"toggled, delays",
         {layerOf(toggled, 100, 50)},
         {{0, 1, 0},
          {5, 0, 0},
          {100, 0, 1, false},
          {200, 1, 1},
          {249, 1, 1, false},
          {250, 1, 0, false}}},
        {"toggled off before the delay",
         {layerOf(toggled, 100, 0)},
         {{0, 1, 0}, {10, 0, 0}, {20, 1, 0}, {300, 0, 0}}},
        {"two layers",
         {layerOf(held, 0, 0), layerOf(toggled, 0, 0)},
         {{0, 1, 1}, {10, 3, 3}, {20, 0, 2}, {30, 2, 0}, {40, 0, 0}, {50, 3, 3}}},
    };
    for (const Timeline& timeline : timelines) {
        SCOPED_TRACE(timeline.name);
        LayerActivities activities;
        for (const Step& step : timeline.steps) {
            SCOPED_TRACE("at " + std::to_string(step.atMs) + " ms");
            const std::int64_t nowUs = step.atMs * 1000;
            if (step.look) {
                followLayers(activities, timeline.layers, {step.down, step.pressed}, nowUs);
            } else {
                makeDueLayerChanges(activities, nowUs);
            }
            EXPECT_EQ(layersInEffect(activities), step.inEffect);
            const std::int64_t due = nextLayerChange(activities);
            EXPECT_GT(due, nowUs) << "a change due by now is made now";
            if (step.dueMs != kUnchecked) {
                EXPECT_EQ(due, step.dueMs < 0 ? kNeverUs : step.dueMs * 1000);
            }
        }
        EXPECT_EQ(nextLayerChange(activities), kNeverUs) << "nothing left pending";
    }
}

// The base, with the layers in effect over it in list order: where two change the same
// thing the later wins; what none changes is the base's.
TEST(LayerActivity, TheLaterOfTwoLayersWinsWhereBothChangeAField) {
    ProfileRecord base;
    base.bytes[profile::primaryKeys + action::buttonA] = 0x1E;
    writeZoomScale(base, profile::xZoomScale, 1.0f);
    ProfileRecord first = base;
    first.bytes[profile::primaryKeys + action::buttonA] = 0x30;
    writeZoomScale(first, profile::xZoomScale, 0.5f);
    ProfileRecord second = base;
    writeZoomScale(second, profile::xZoomScale, 0.25f);
    std::vector<LayerRecord> layers(2);
    takeChange(layers[0], layer_change::firstAction + action::buttonA, first);
    takeChange(layers[0], layer_change::zoomX, first);
    takeChange(layers[1], layer_change::zoomX, second);

    const struct {
        LayerMask inEffect;
        std::uint8_t keyA;
        float zoomX;
    } cases[] = {{0, 0x1E, 1.0f}, {1, 0x30, 0.5f}, {2, 0x1E, 0.25f}, {3, 0x30, 0.25f}};
    for (const auto& test : cases) {
        const ProfileRecord profile = profileInEffect(base, layers, test.inEffect);
        EXPECT_EQ(profile.bytes[profile::primaryKeys + action::buttonA], test.keyA);
        EXPECT_EQ(readZoomScale(profile, profile::xZoomScale), test.zoomX);
    }
}

} // namespace
} // namespace qora
