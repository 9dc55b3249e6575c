// Random sequences of key and mouse-button presses and releases, layer triggers, profile
// switches and waits, through a real run on a fake clock, with random binding modes
// (toggles, turbo, walk, macros): after every step the state sent is what the held inputs
// say through the running profile's base, its layers in effect and its modes at work, and
// once everything is released, every macro has ended and a switch has ended the toggles,
// it is the rest state, so no button ever stays stuck.

#include "app/run_profiles.h"
#include "app/run_scheduler.h"

#include "capture_run_fixture.h"
#include "input/mouse_record.h"
#include "mapping/actions.h"
#include "mapping/mouse_motion.h"

#include <random>
#include <set>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

// A few keys to bind and press: W E R T, the triggers Left Shift and Caps Lock, and the
// switch key Page Up.
constexpr std::uint8_t kKeys[] = {0x11, 0x12, 0x13, 0x14, 0x2A, 0x3A};
constexpr std::uint8_t kNextProfile = 0xC9;
constexpr std::uint8_t kButtons = 3; // left, right, middle
constexpr ActionCode kActions[] = {action::buttonA,       action::buttonB,     action::buttonX,
                                   action::buttonY,       action::leftStickUp, action::dpadLeft,
                                   action::rightFirstRow, action::leftFifthRow};
constexpr std::uint8_t kMouseItems = 22; // Xbox 360 mouse-action list items 1 .. 22

template <typename Item, std::size_t N>
Item pick(std::mt19937& random, const Item (&items)[N]) {
    return items[random() % N];
}

ProfileRecord randomBase(std::mt19937& random, int number) {
    ProfileRecord base;
    setProfileName(base, "profile " + std::to_string(number));
    for (const ActionCode action : kActions) {
        if (random() % 2 == 0) {
            base.bytes[profile::primaryKeys + static_cast<std::size_t>(action)] =
                pick(random, kKeys);
        }
    }
    for (std::uint8_t button = 0; button < kButtons; ++button) {
        base.bytes[profile::mouseBindings + button] =
            static_cast<std::uint8_t>(random() % (kMouseItems + 1));
    }
    return base;
}

BindingModes randomModes(std::mt19937& random) {
    BindingModes modes;
    modes.changes = mode_change::all;
    for (const ActionCode action : kActions) {
        const std::uint32_t roll = random() % 6;
        if (roll == 0) {
            modes.toggle |= actionBit(action);
        } else if (roll == 1) {
            modes.turbo |= actionBit(action);
        }
    }
    modes.turboPressMs = static_cast<std::uint16_t>(kMinTurboMs + random() % 40);
    modes.turboReleaseMs = static_cast<std::uint16_t>(kMinTurboMs + random() % 40);
    if (random() % 2 == 0) {
        modes.walkKey = kKeys[random() % 4];
        modes.walkPercent = static_cast<std::uint8_t>(1 + random() % 100);
    }
    if (random() % 2 == 0) {
        Macro macro{kKeys[random() % 4], {}};
        for (std::uint32_t s = 1 + random() % 3; s > 0; --s) {
            macro.steps.push_back({random() % 2 == 0 ? 0 : actionBit(pick(random, kActions)),
                                   static_cast<std::uint16_t>(1 + random() % 60)});
        }
        modes.macros.push_back(macro);
    }
    return modes;
}

LayerRecord randomLayer(std::mt19937& random) {
    LayerRecord layer;
    layer.kind = random() % 2 == 0 ? LayerKind::whileHeld : LayerKind::toggled;
    layer.trigger = random() % 3 == 0
                        ? LayerTrigger{TriggerSource::mouseButton,
                                       static_cast<std::uint8_t>(random() % kButtons)}
                        : LayerTrigger{TriggerSource::key, random() % 2 == 0 ? kKeys[4] : kKeys[5]};
    const std::uint16_t delays[] = {0, 0, 10, 60};
    layer.delayMs = pick(random, delays);
    layer.releaseDelayMs = pick(random, delays);
    ProfileRecord values = randomBase(random, 0);
    for (const ActionCode action : kActions) {
        if (random() % 3 == 0) {
            takeChange(layer, layer_change::firstAction + static_cast<unsigned>(action), values);
        }
    }
    for (std::uint8_t button = 0; button < kButtons; ++button) {
        if (random() % 3 == 0) {
            takeChange(layer, layer_change::firstMouseBinding + button, values);
        }
    }
    return layer;
}

class LayerProperty : public CaptureRunTest, public ::testing::WithParamInterface<bool> {
protected:
    LayerProperty() {
        run.fastPath.enabled = GetParam();
        run.fastPath.events = {11, 12};
        setIni("SWITCH", "NEXT", "PAGE UP");
    }

    void startRandomRun(std::mt19937& random) {
        const int count = 2 + static_cast<int>(random() % 2); // a switch ends the toggles
        std::vector<ProfileRecord> bases;
        for (int i = 0; i < count; ++i) {
            bases.push_back(randomBase(random, i));
        }
        setIni("CONFIGURATION", "COUNT", std::to_string(count).c_str());
        setProfiles(bases);
        start();
        ASSERT_TRUE(run.active);
        for (RunProfile& running : run.profiles.profiles) {
            const std::size_t layers = random() % 4;
            for (std::size_t i = 0; i < layers; ++i) {
                running.layers.push_back(randomLayer(random));
            }
            running.modes = randomModes(random);
        }
        remakeModesInEffect(run.profiles);
    }

    // The inputs reach the run: at their event, or at the next tick.
    void deliver() {
        directInput.keyState.fill(0);
        for (const std::uint8_t code : keysHeld) {
            press(code);
        }
        if (run.fastPath.enabled) {
            onDeviceEvent(services, context);
            return;
        }
        clock.advanceMicroseconds(
            std::max<std::int64_t>(run.schedule.nextTickUs - microsecondsNow(clock), 0));
        tick();
    }

    void toggleButton(std::uint8_t button) {
        const bool down = buttonsHeld.count(button) == 0;
        if (down) {
            buttonsHeld.insert(button);
        } else {
            buttonsHeld.erase(button);
        }
        directInput.mouseBuffer.push_back(
            MouseRecord{mouse_offset::button0 + button, down ? kMouseButtonDown : 0u, 1, 0, 0});
    }

    // Time passes as the main loop (or timer 0) lets it.
    void wait(std::int64_t us) { runUntil(microsecondsNow(clock) + us); }

    // What the held inputs say through the profile in effect as the run holds it now, the
    // actions with modes left to the modes at work.
    ControllerState expectedState() {
        ControllerState expected;
        resetToRest(expected);
        const ProfileRecord inEffect = profileInEffect(run.profiles);
        const ModesInEffect& modes = run.profiles.modes;
        const ActionSet leaveOut = actionsWithModes(modes);
        MouseState buttons;
        for (const std::uint8_t button : buttonsHeld) {
            buttons.flags[mouse_flag::firstButton + button] = 1;
        }
        writeMouseDeflection(expected, inEffect, MotionPair{0, 0});
        applyMouseFlagActions(buttons, expected, kConsoleXbox360, inEffect, leaveOut);
        const std::int32_t stickPercent =
            keysHeld.count(modes.walkKey) != 0 && modes.walkKey != 0 ? modes.walkPercent : 100;
        for (const std::uint8_t code : keysHeld) {
            if (code != kNextProfile) {
                dispatchKey(expected, kConsoleXbox360, inEffect, code, leaveOut, stickPercent);
            }
        }
        // On the tick alone the state was made at the last tick.
        applyModes(expected, kConsoleXbox360, run.profiles.modeActivity, modes,
                   run.fastPath.enabled ? microsecondsNow(clock) : lastTickUs);
        return expected;
    }

    std::set<std::uint8_t> keysHeld; // ascending, as the run walks the snapshot
    std::set<std::uint8_t> buttonsHeld;
};

TEST_P(LayerProperty, TheStateIsAlwaysWhatTheHeldInputsAndLayersSayAndEndsNeutral) {
    std::mt19937 random(20261208);
    for (int sequence = 0; sequence < 300; ++sequence) {
        SCOPED_TRACE("sequence " + std::to_string(sequence));
        startRandomRun(random);
        keysHeld.clear();
        buttonsHeld.clear();
        for (int step = 0; step < 60; ++step) {
            switch (random() % 4) {
            case 0:
                // Whole milliseconds, as the wait's timeout counts them, so a moment is served at
                // itself and the state as of now is the state as of that moment.
                wait(static_cast<std::int64_t>(random() % 80) * 1000);
                break;
            case 1:
                toggleButton(static_cast<std::uint8_t>(random() % kButtons));
                deliver();
                break;
            default: {
                const std::uint8_t code = random() % 8 == 0 ? kNextProfile : pick(random, kKeys);
                if (!keysHeld.erase(code)) {
                    keysHeld.insert(code);
                }
                deliver();
                break;
            }
            }
            ASSERT_EQ(run.lastSent, expectedState()) << "step " << step;
        }
        keysHeld.clear();
        while (!buttonsHeld.empty()) {
            toggleButton(*buttonsHeld.begin());
        }
        deliver();
        wait(kMaxLayerDelayMs * 1000); // every delay and macro over
        keysHeld = {kNextProfile};
        deliver();
        keysHeld.clear();
        deliver();
        ASSERT_EQ(run.lastSent, restState());
        stopCaptureRun(services, context);
    }
}

INSTANTIATE_TEST_SUITE_P(FastPathAndTickOnly, LayerProperty, ::testing::Bool());

} // namespace
} // namespace qora::testing
