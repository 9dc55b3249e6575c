#pragma once
// Which layers of a profile are in effect, moment by moment. Each layer follows its
// trigger: a WHILE layer asks to be on while the trigger is held, a PRESS layer is asked
// on and off by the trigger's presses. What is asked takes effect DELAY after it was asked
// on, and RELEASE DELAY after it was asked off; asked back before then, nothing happens, so
// a trigger let go before DELAY has passed never turns its layer on. Pure state and
// arithmetic: the caller tells what the triggers do and when, and asks when the next change
// falls due (the run's scheduler wakes then).

#include "formats/layer_record.h"
#include "mapping/mouse_state.h"
#include "platform/precise_time.h"

#include <array>
#include <cstdint>
#include <span>

namespace qora {

struct LayerActivity {
    bool triggerDown = false;      // at the last look
    bool asked = false;            // on, as the trigger asks
    bool on = false;               // in effect
    std::int64_t dueUs = kNeverUs; // when `on` becomes `asked`

    friend bool operator==(const LayerActivity&, const LayerActivity&) = default;
};

struct LayerActivities {
    std::array<LayerActivity, kMaxLayers> layers{};

    friend bool operator==(const LayerActivities&, const LayerActivities&) = default;
};

// One bit per layer, in list order.
using LayerMask = std::uint8_t;

// What the triggers did as of one look: down now, and pressed since the last look (a
// press and its release within one read of the mouse still counts as a press).
struct TriggerReading {
    LayerMask down = 0;
    LayerMask pressed = 0;
};

// The triggers' reading from the keyboard snapshot (bit 0x80 down), the mouse's button flags
// and the buttons pressed within the records read since the last look.
TriggerReading readTriggers(std::span<const LayerRecord> layers, const std::uint8_t* snapshot,
                            const MouseState& mouse, std::uint8_t mouseButtonsPressed);

// Follows the triggers as of nowUs, then makes every change that is due by nowUs. True when
// the layers in effect changed.
bool followLayers(LayerActivities& activities, std::span<const LayerRecord> layers,
                  TriggerReading triggers, std::int64_t nowUs);

// Makes every change that is due by nowUs; true when the layers in effect changed.
bool makeDueLayerChanges(LayerActivities& activities, std::int64_t nowUs);

// The earliest moment a change falls due; kNeverUs when none is pending.
std::int64_t nextLayerChange(const LayerActivities& activities);

LayerMask layersInEffect(const LayerActivities& activities);

// The base with every layer in effect applied over it, in list order: the later wins.
ProfileRecord profileInEffect(const ProfileRecord& base, std::span<const LayerRecord> layers,
                              LayerMask inEffect);

} // namespace qora
