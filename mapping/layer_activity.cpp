#include "mapping/layer_activity.h"

#include "input/mouse_record.h"

#include <algorithm>

namespace qora {
namespace {

constexpr LayerMask bitOf(std::size_t layer) {
    return static_cast<LayerMask>(1u << layer);
}

bool triggerDown(const LayerTrigger& trigger, const std::uint8_t* snapshot,
                 const MouseState& mouse) {
    switch (trigger.source) {
    case TriggerSource::key:
        return (snapshot[trigger.code] & kKeyDown) != 0;
    case TriggerSource::mouseButton:
        return trigger.code < kMouseButtonTriggers &&
               mouse.flags[mouse_flag::firstButton + trigger.code] != 0;
    case TriggerSource::none:
        break;
    }
    return false;
}

bool pressedWithin(const LayerTrigger& trigger, std::uint8_t mouseButtonsPressed) {
    return trigger.source == TriggerSource::mouseButton && trigger.code < kMouseButtonTriggers &&
           (mouseButtonsPressed >> trigger.code & 1u) != 0;
}

std::int64_t delayUs(std::uint16_t ms) {
    return static_cast<std::int64_t>(std::min(ms, kMaxLayerDelayMs)) * kMicrosecondsPerMillisecond;
}

// Asked on or off at nowUs: due after the delay of that way, or nothing due when the layer
// already is what is asked.
void ask(LayerActivity& activity, const LayerRecord& layer, bool on, std::int64_t nowUs) {
    activity.asked = on;
    activity.dueUs =
        on == activity.on ? kNeverUs : nowUs + delayUs(on ? layer.delayMs : layer.releaseDelayMs);
}

void follow(LayerActivity& activity, const LayerRecord& layer, bool down, bool pressedWithin,
            std::int64_t nowUs) {
    const bool pressed = (down && !activity.triggerDown) || pressedWithin;
    activity.triggerDown = down;
    if (layer.kind == LayerKind::toggled) {
        if (pressed) {
            ask(activity, layer, !activity.asked, nowUs);
        }
    } else if (down != activity.asked) {
        ask(activity, layer, down, nowUs);
    }
}

} // namespace

TriggerReading readTriggers(std::span<const LayerRecord> layers, const std::uint8_t* snapshot,
                            const MouseState& mouse, std::uint8_t mouseButtonsPressed) {
    TriggerReading reading;
    for (std::size_t i = 0; i < layers.size() && i < kMaxLayers; ++i) {
        if (triggerDown(layers[i].trigger, snapshot, mouse)) {
            reading.down |= bitOf(i);
        }
        if (pressedWithin(layers[i].trigger, mouseButtonsPressed)) {
            reading.pressed |= bitOf(i);
        }
    }
    return reading;
}

bool followLayers(LayerActivities& activities, std::span<const LayerRecord> layers,
                  TriggerReading triggers, std::int64_t nowUs) {
    for (std::size_t i = 0; i < layers.size() && i < kMaxLayers; ++i) {
        follow(activities.layers[i], layers[i], (triggers.down & bitOf(i)) != 0,
               (triggers.pressed & bitOf(i)) != 0, nowUs);
    }
    return makeDueLayerChanges(activities, nowUs);
}

bool makeDueLayerChanges(LayerActivities& activities, std::int64_t nowUs) {
    bool changed = false;
    for (LayerActivity& activity : activities.layers) {
        if (activity.dueUs <= nowUs) {
            changed = changed || activity.on != activity.asked;
            activity.on = activity.asked;
            activity.dueUs = kNeverUs;
        }
    }
    return changed;
}

std::int64_t nextLayerChange(const LayerActivities& activities) {
    std::int64_t next = kNeverUs;
    for (const LayerActivity& activity : activities.layers) {
        next = std::min(next, activity.dueUs);
    }
    return next;
}

LayerMask layersInEffect(const LayerActivities& activities) {
    LayerMask mask = 0;
    for (std::size_t i = 0; i < kMaxLayers; ++i) {
        if (activities.layers[i].on) {
            mask |= bitOf(i);
        }
    }
    return mask;
}

ProfileRecord profileInEffect(const ProfileRecord& base, std::span<const LayerRecord> layers,
                              LayerMask inEffect) {
    ProfileRecord profile = base;
    for (std::size_t i = 0; i < layers.size() && i < kMaxLayers; ++i) {
        if ((inEffect & bitOf(i)) != 0) {
            applyLayer(profile, layers[i]);
        }
    }
    return profile;
}

} // namespace qora
