#include "mapping/mode_activity.h"

#include "formats/action_codes.h"
#include "input/mouse_record.h"
#include "link/packet.h"
#include "mapping/actions.h"
#include "mapping/mouse_motion.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace qora {
namespace {

constexpr std::uint8_t kKeyQ = 0x10;
constexpr std::uint8_t kKeyW = 0x11;
constexpr std::uint8_t kKeyF = 0x21;
constexpr std::uint8_t kLeftAlt = 0x38;
constexpr std::int64_t kMs = 1000;

// A run's view of the modes: the held keys and buttons at each look, the state built the
// way a step builds it (plain bindings, then the modes).
struct ModeRig {
    explicit ModeRig(BindingModes base) {
        profile.bytes[profile::primaryKeys + action::leftClick] = kKeyQ;
        profile.bytes[profile::secondaryKeys + action::leftClick] = kKeyW;
        profile.bytes[profile::primaryKeys + action::rightFirstRow] = kKeyW; // RT
        profile.bytes[profile::primaryKeys + action::buttonA] = kKeyF;
        profile.bytes[profile::primaryKeys + action::leftStickUp] = kKeyW;
        profile.bytes[profile::mouseBindings + 0] = 8; // the left button: LC
        base.changes = mode_change::all;
        makeModesInEffect(modes, base, {});
    }

    // The inputs held at nowUs; pressedButtons: pressed within the read.
    void look(std::int64_t nowUs, std::set<std::uint8_t> keys, std::uint8_t buttons = 0,
              std::uint8_t pressedButtons = 0) {
        snapshot.fill(0);
        for (const std::uint8_t key : keys) {
            snapshot[key] = kKeyDown;
        }
        mouse.flags.fill(0);
        for (std::size_t b = 0; b < 7; ++b) {
            mouse.flags[b] = (buttons >> b & 1u) != 0 ? 1 : 0;
        }
        followModes(activity, modes, profile, {snapshot.data(), mouse, pressedButtons}, nowUs);
        endFinishedMacros(activity, modes, nowUs);
    }

    ControllerState stateAt(std::int64_t nowUs, ConsoleMode mode = kConsoleXbox360) {
        endFinishedMacros(activity, modes, nowUs);
        ControllerState state;
        resetToRest(state);
        for (std::size_t key = 0; key < snapshot.size(); ++key) {
            if ((snapshot[key] & kKeyDown) != 0) {
                dispatchKey(state, mode, profile, static_cast<std::uint8_t>(key),
                            actionsWithModes(modes), keyStickPercent(activity, modes));
            }
        }
        applyMouseFlagActions(mouse, state, mode, profile, actionsWithModes(modes));
        applyModes(state, mode, activity, modes, nowUs);
        return state;
    }

    bool leftClickAt(std::int64_t nowUs) {
        return (stateAt(nowUs).bytes[state::buttons1] & buttons1::leftClick) != 0;
    }

    ProfileRecord profile;
    ModesInEffect modes;
    ModeActivity activity;
    std::array<std::uint8_t, 256> snapshot{};
    MouseState mouse;
};

struct ToggleLook {
    std::set<std::uint8_t> keys;
    std::uint8_t buttons;
    std::uint8_t pressedButtons;
    bool on;
};

// Each press of a key or button bound to a toggled action flips it; releases do nothing.
TEST(BindingModes, ATogglePressFlipsItsActionAndAReleaseDoesNothing) {
    BindingModes base;
    base.toggle = actionBit(action::leftClick);
    ModeRig rig(base);
    const ToggleLook looks[] = {
        {{kKeyQ}, 0, 0, true},
        {{}, 0, 0, true},
        {{kKeyQ}, 0, 0, false},
        {{kKeyQ, kKeyW}, 0, 0, true}, // the second key bound to it is a press of its own
        {{kKeyW}, 0, 0, true},
        {{}, 0, 0, true},
        {{}, 1, 0, false}, // the button
        {{}, 1, 0, false},
        {{}, 0, 1, true}, // pressed and let go within one read
    };
    std::int64_t nowUs = 0;
    for (const ToggleLook& look : looks) {
        nowUs += 20 * kMs;
        rig.look(nowUs, look.keys, look.buttons, look.pressedButtons);
        EXPECT_EQ(rig.leftClickAt(nowUs), look.on) << nowUs / kMs << " ms";
    }
    BindingModes none;
    none.changes = mode_change::toggle;
    const BindingModes* layer[] = {&none};
    makeModesInEffect(rig.modes, base, layer);
    rig.look(nowUs + 20 * kMs, {});
    EXPECT_FALSE(rig.leftClickAt(nowUs + 20 * kMs)) << "released with the layer that toggled it";
}

// While held, a turbo action is pressed for TURBO PRESS and released for TURBO RELEASE, from
// the moment the key went down, and released the moment the key is let go; the scheduler
// is told every edge. Triggers go to full and to 0.
TEST(BindingModes, TurboRepeatsWhileHeldOnItsOwnTimes) {
    struct Timing {
        std::uint16_t pressMs;
        std::uint16_t releaseMs;
    };
    for (const Timing timing : {Timing{30, 30}, Timing{10, 45}, Timing{1000, 10}}) {
        SCOPED_TRACE(std::to_string(timing.pressMs) + "/" + std::to_string(timing.releaseMs));
        BindingModes base;
        base.turbo = actionBit(action::rightFirstRow);
        base.turboPressMs = timing.pressMs;
        base.turboReleaseMs = timing.releaseMs;
        ModeRig rig(base);
        const std::int64_t downUs = 5 * kMs;
        rig.look(downUs, {kKeyW});
        std::int64_t atUs = downUs;
        for (int edge = 0; edge < 6; ++edge) {
            const bool pressed = edge % 2 == 0;
            EXPECT_EQ(rig.stateAt(atUs).bytes[state::rightTrigger], pressed ? 0xFF : 0x00);
            const std::int64_t nextUs = nextModeChange(rig.activity, rig.modes, atUs);
            EXPECT_EQ(nextUs, atUs + (pressed ? timing.pressMs : timing.releaseMs) * kMs);
            EXPECT_EQ(rig.stateAt(nextUs - 1).bytes[state::rightTrigger], pressed ? 0xFF : 0x00);
            atUs = nextUs;
        }
        rig.look(atUs + 1, {});
        EXPECT_EQ(rig.stateAt(atUs + 1).bytes[state::rightTrigger], 0x00);
        EXPECT_EQ(nextModeChange(rig.activity, rig.modes, atUs + 1), kNeverUs);
    }
}

// A macro plays its steps in order from its key's press: buttons add to what is held, a
// press while it plays is ignored, a release does not stop it, and it ends after its last
// step.
TEST(BindingModes, AMacroPlaysItsStepsInOrderFromItsKey) {
    BindingModes base;
    base.macros = {{kKeyF,
                    {{actionBit(action::buttonA), 60},
                     {0, 40},
                     {actionBit(action::buttonB) | actionBit(action::buttonX), 60}}}};
    ModeRig rig(base);
    const auto face = [&](std::int64_t atMs) {
        return rig.stateAt(atMs * kMs).bytes[state::buttons2] &
               (buttons2::a | buttons2::b | buttons2::x);
    };
    rig.look(10 * kMs, {kKeyF}); // F is also bound to A
    EXPECT_EQ(face(10), buttons2::a);
    EXPECT_EQ(nextModeChange(rig.activity, rig.modes, 10 * kMs), 70 * kMs);
    rig.look(30 * kMs, {}); // released: it plays on
    EXPECT_EQ(face(69), buttons2::a);
    EXPECT_EQ(face(70), 0) << "the pause";
    rig.look(90 * kMs, {kKeyF}); // pressed again while it plays: ignored (F still gives A)
    EXPECT_EQ(face(109), buttons2::a);
    EXPECT_EQ(face(110), buttons2::a | buttons2::b | buttons2::x);
    rig.look(120 * kMs, {});
    EXPECT_EQ(face(169), buttons2::b | buttons2::x);
    EXPECT_EQ(face(170), 0);
    EXPECT_EQ(nextModeChange(rig.activity, rig.modes, 170 * kMs), kNeverUs);
    rig.look(200 * kMs, {kKeyF});
    EXPECT_EQ(face(200), buttons2::a) << "played again from the start";

    // The base's sixteen macros and a layer's sixteen on other keys are all in effect.
    BindingModes many;
    BindingModes layer;
    layer.changes = 0;
    for (std::uint8_t k = 0; k < kMaxMacros; ++k) {
        many.macros.push_back(
            {static_cast<std::uint8_t>(0x40 + k), {{actionBit(action::buttonY), 10}}});
        layer.macros.push_back(
            {static_cast<std::uint8_t>(0x60 + k), {{actionBit(action::buttonX), 10}}});
    }
    const BindingModes* layers[] = {&layer};
    makeModesInEffect(rig.modes, many, layers);
    EXPECT_EQ(rig.modes.macroCount, 2 * kMaxMacros);
    rig.look(300 * kMs, {static_cast<std::uint8_t>(0x60 + kMaxMacros - 1)});
    EXPECT_EQ(rig.stateAt(300 * kMs).bytes[state::buttons2] & buttons2::x, buttons2::x);
}

// While the walk key is held, the sticks' deflection from keys is the walk speed's share of
// full, on either console; without it, full.
TEST(BindingModes, TheWalkKeyScalesKeyDrivenSticksOnBothConsoles) {
    struct Case {
        std::uint8_t percent;
        bool walking;
        ConsoleMode mode;
        std::int16_t value;   // left stick Y in the state
        std::uint8_t ps3Byte; // the PS3 report's left stick Y (0 up, 128 centre)
        bool toggled = false; // LAU toggles: the walk scales it all the same
    };
    const Case cases[] = {
        {50, true, kConsoleXbox360, 16383, 0},  {50, true, kConsolePs3, 16383, 64},
        {50, false, kConsolePs3, 32767, 0},     {1, true, kConsoleXbox360, 327, 0},
        {100, true, kConsoleXbox360, 32767, 0}, {50, true, kConsoleXbox360, 16383, 0, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.percent) + (test.walking ? " walking" : ""));
        BindingModes base;
        base.walkKey = kLeftAlt;
        base.walkPercent = test.percent;
        base.toggle = test.toggled ? actionBit(action::leftStickUp) : 0;
        ModeRig rig(base);
        std::set<std::uint8_t> keys = {kKeyW};
        if (test.walking) {
            keys.insert(kLeftAlt);
        }
        rig.look(0, keys);
        const ControllerState state = rig.stateAt(0, test.mode);
        EXPECT_EQ(stickValue(state, state::leftStickY), test.value);
        if (test.mode == kConsolePs3) {
            Packet packet;
            encodePacket(kConsolePs3, state, packet);
            EXPECT_NEAR(packet[packet::reportBegin + ps3::leftStickY], test.ps3Byte, 1);
        }
    }
}

} // namespace
} // namespace qora
