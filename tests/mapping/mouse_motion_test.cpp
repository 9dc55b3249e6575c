#include "mapping/mouse_motion.h"

#include "fakes/fake_user_api.h"
#include "mapping/mouse_shaping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qora {
namespace {

// Mouse-action list positions used as bindings, and what they set.
constexpr std::uint8_t kBindNone = 0;
constexpr std::uint8_t kBindY = 1;          // buttons2 0x80
constexpr std::uint8_t kBindB = 3;          // buttons2 0x20
constexpr std::uint8_t kBindA = 4;          // buttons2 0x10
constexpr std::uint8_t kBindStickLeft = 13; // leftStickX = 0x8100
constexpr std::uint8_t kBindDpadUp = 19;    // buttons1 0x01
constexpr std::uint8_t kBindDpadDown = 20;  // buttons1 0x02
constexpr std::uint8_t kBindTiltUp = 23;

constexpr std::size_t kButtons1 = 2;
constexpr std::size_t kButtons2 = 3;
constexpr std::uint8_t kBitY = 0x80;
constexpr std::uint8_t kBitB = 0x20;
constexpr std::uint8_t kBitA = 0x10;
constexpr std::uint8_t kBitDpadUp = 0x01;
constexpr std::uint8_t kBitDpadDown = 0x02;

MouseRecord record(std::uint32_t offset, std::int32_t data, std::uint32_t timeStamp) {
    return MouseRecord{offset, static_cast<std::uint32_t>(data), timeStamp, 0, 0};
}
MouseRecord moveX(std::int32_t counts, std::uint32_t timeStamp) {
    return record(0, counts, timeStamp);
}
MouseRecord moveY(std::int32_t counts, std::uint32_t timeStamp) {
    return record(4, counts, timeStamp);
}
MouseRecord wheel(std::int32_t delta, std::uint32_t timeStamp) {
    return record(8, delta, timeStamp);
}
MouseRecord button(std::uint32_t number, bool down, std::uint32_t timeStamp) {
    return record(12 + number, down ? 0x80 : 0x00, timeStamp);
}

ControllerState restState() {
    ControllerState state;
    resetToRest(state);
    return state;
}

class ProcessMouse : public ::testing::Test {
protected:
    ProcessMouse() {
        writeZoomScale(profile, 135, 1.0f);
        writeZoomScale(profile, 139, 1.0f);
    }

    // One tick as the capture run drives it: rest values, then the mouse processor.
    ControllerState tick(const std::vector<MouseRecord>& records = {}) {
        ControllerState state = restState();
        processMouse(mouse, state, kConsoleXbox360, profile, records.data(),
                     static_cast<std::uint32_t>(records.size()), debugger);
        return state;
    }

    void bindMouse(std::size_t input, std::uint8_t index) { profile.bytes[122 + input] = index; }

    MouseState mouse;
    ProfileRecord profile;
    testing::FakeUserApi debugger;
};

// Bytes 6-13: left X, left Y, right X, right Y, low byte first.
std::vector<std::uint8_t> stickBytes(const ControllerState& state) {
    return std::vector<std::uint8_t>(state.bytes.begin() + 6, state.bytes.begin() + 14);
}
std::vector<std::uint8_t> motionBytes(const ControllerState& state) {
    return std::vector<std::uint8_t>(state.bytes.begin() + 20, state.bytes.begin() + 26);
}
using Bytes = std::vector<std::uint8_t>;

TEST_F(ProcessMouse, ALoneGroupWaitsAndTheNextTickDrainsBoth) {
    const std::vector<MouseRecord> group{moveX(3, 100), moveY(-3, 100)};
    EXPECT_EQ(tick(group), restState());
    EXPECT_EQ(mouse.samples.count, 1u);

    // (3, -3): gain 32 and -32, damped to 25 and -25, Y negated for the stick.
    const ControllerState second = tick({moveX(3, 133), moveY(-3, 133)});
    EXPECT_EQ(stickBytes(second), (Bytes{0x00, 0x19, 0x00, 0x19, 0, 0, 0, 0}));
    EXPECT_EQ(mouse.samples.count, 0u);
}

TEST_F(ProcessMouse, BothAxesDivideByTheLargerCountAndSnap) {
    // (30 / 2, 4 / 2) = (15, 2) snaps to (15, 0); (2, 1) stays; they drain to (9, 1).
    const ControllerState state =
        tick({moveX(10, 1), moveX(20, 1), moveY(4, 1), moveX(2, 2), moveY(1, 2)});
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x40, 0x00, 0xF0, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, GroupSumsAreRoundedHalfAwayIntoTheSample) {
    tick({moveX(2, 7), moveX(3, 7), moveY(-2, 7), moveY(-3, 7)});
    ASSERT_EQ(mouse.samples.count, 1u);
    EXPECT_EQ(mouse.samples.slots[0].x, 3);
    EXPECT_EQ(mouse.samples.slots[0].y, -3);
    EXPECT_EQ(mouse.samples.slots[0].timeStamp, 7u);
}

TEST_F(ProcessMouse, AGroupSplitByAnotherTimeStampIsTwoGroups) {
    bindMouse(0, kBindA);
    const ControllerState state = tick({moveX(4, 10), button(0, true, 11), moveX(4, 10)});
    // Two samples (4, 0): gain 40; one line feed per group with motion.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x28, 0x00, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(state.bytes[kButtons2], kBitA);
    EXPECT_EQ(debugger.debugOutput, (std::vector<std::string>{"\n", "\n"}));
}

TEST_F(ProcessMouse, RecordsOfOneTimeStampFormOneGroupWhateverTheirKind) {
    tick({moveX(4, 10), button(0, true, 10), moveY(2, 10), moveX(6, 10)});
    ASSERT_EQ(mouse.samples.count, 1u);
    EXPECT_EQ(mouse.samples.slots[0].x, 5); // 10 / 2
    EXPECT_EQ(mouse.samples.slots[0].y, 1); // 2 / 2
    EXPECT_EQ(debugger.debugOutput.size(), 1u);
}

TEST_F(ProcessMouse, WritesOneLineFeedPerGroupWithMotionOnly) {
    tick({moveX(1, 1), wheel(120, 2), button(1, true, 3), moveY(5, 4), moveY(5, 4), moveX(1, 5)});
    EXPECT_EQ(debugger.debugOutput, (std::vector<std::string>{"\n", "\n", "\n"}));
    tick();
    tick({button(1, false, 9)});
    EXPECT_EQ(debugger.debugOutput.size(), 3u);
}

TEST_F(ProcessMouse, OnlyButtonRecordsYieldNoSample) {
    const ControllerState state = tick({button(2, true, 5), button(2, false, 6)});
    EXPECT_EQ(mouse.samples.count, 0u);
    EXPECT_EQ(state, restState());
    EXPECT_TRUE(debugger.debugOutput.empty());
}

TEST_F(ProcessMouse, TheEighthButtonIsIgnoredButStillSplitsGroups) {
    for (std::size_t i = 0; i < 9; ++i) {
        bindMouse(i, kBindY);
    }
    const ControllerState state =
        tick({moveX(4, 10), record(19, 0x80, 11), moveX(4, 10), record(19, 0x80, 10)});
    EXPECT_EQ(mouse.flags, (std::array<std::uint8_t, 9>{}));
    EXPECT_EQ(state.bytes[kButtons2], 0x00);
    // Two motion groups: the record of time stamp 11 split them.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x28, 0x00, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(debugger.debugOutput.size(), 2u);
}

TEST_F(ProcessMouse, UnknownOffsetsChangeNothing) {
    bindMouse(0, kBindY);
    mouse.flags[0] = 1;
    const ControllerState state = tick({record(20, 0x80, 1), record(0xFFFFFFFFu, 0x80, 1)});
    EXPECT_EQ(mouse.flags[0], 1);
    EXPECT_EQ(mouse.samples.count, 0u);
    EXPECT_EQ(state.bytes[kButtons2], kBitY);
}

TEST_F(ProcessMouse, WheelFlagsLastOneTick) {
    bindMouse(7, kBindDpadUp);
    bindMouse(8, kBindDpadDown);
    EXPECT_EQ(tick({wheel(120, 1)}).bytes[kButtons1], kBitDpadUp);
    EXPECT_EQ(tick().bytes[kButtons1], 0x00);
    EXPECT_EQ(tick({wheel(-120, 2)}).bytes[kButtons1], kBitDpadDown);
    EXPECT_EQ(tick({wheel(-120, 3), wheel(120, 4)}).bytes[kButtons1], kBitDpadUp | kBitDpadDown);
    EXPECT_EQ(tick().bytes[kButtons1], 0x00);
}

TEST_F(ProcessMouse, AWheelRecordOfZeroCountsAsRolledDown) {
    tick({wheel(0, 1)});
    EXPECT_EQ(mouse.flags[7], 0);
    EXPECT_EQ(mouse.flags[8], 1);
    tick({wheel(1, 2)});
    EXPECT_EQ(mouse.flags[7], 1);
    EXPECT_EQ(mouse.flags[8], 0);
}

TEST_F(ProcessMouse, AHeldButtonAppliesItsBindingUntilTheTickOfItsRelease) {
    bindMouse(4, kBindB);
    EXPECT_EQ(tick({button(4, true, 1)}).bytes[kButtons2], kBitB);
    EXPECT_EQ(tick().bytes[kButtons2], kBitB);
    EXPECT_EQ(tick().bytes[kButtons2], kBitB);
    EXPECT_EQ(tick().bytes[kButtons2], kBitB);
    EXPECT_EQ(tick({button(4, false, 2)}).bytes[kButtons2], 0x00);
    EXPECT_EQ(tick().bytes[kButtons2], 0x00);
}

TEST_F(ProcessMouse, PressAndReleaseInOneTickApplyNothing) {
    bindMouse(1, kBindB);
    EXPECT_EQ(tick({button(1, true, 1), button(1, false, 2)}), restState());
    EXPECT_EQ(mouse.flags[1], 0);
}

TEST_F(ProcessMouse, OnlyBitEightyOfAButtonRecordMeansDown) {
    tick({record(13, 0x7F, 1), record(14, 0xFF, 1)});
    EXPECT_EQ(mouse.flags[1], 0);
    EXPECT_EQ(mouse.flags[2], 1);
    tick({record(18, 0x80, 2)});
    EXPECT_EQ(mouse.flags[6], 1);
}

TEST_F(ProcessMouse, AFlagLeftSetByAnEarlierRunIsStillApplied) {
    bindMouse(3, kBindA);
    tick({button(3, true, 1)});
    // The run stops and a new one starts; the state record lives on.
    EXPECT_EQ(tick().bytes[kButtons2], kBitA);
    EXPECT_EQ(tick({button(3, false, 50)}).bytes[kButtons2], 0x00);
}

TEST_F(ProcessMouse, FlagActionsRunInAscendingOrderAfterTheStickOutput) {
    // The button bound to stick left replaces the motion written on that axis.
    bindMouse(0, kBindStickLeft);
    const ControllerState state =
        tick({moveX(6, 1), moveY(-2, 1), button(0, true, 1), moveX(6, 2), moveY(-2, 2)});
    // Motion (6, -2) gives X 64 and stick Y 24; the action then sets X to 0x8100.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x81, 0x00, 0x18, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, RightStickWithInvertX) {
    // Zoom 1.25 turns the step 16 into exactly 20.
    writeZoomScale(profile, 135, 1.25f);
    profile.bytes[131] = 1;
    profile.bytes[134] = 0x01;
    const ControllerState state = tick({moveX(1, 1), moveX(1, 2)});
    EXPECT_EQ(stickBytes(state), (Bytes{0, 0, 0, 0, 0x00, 0xEC, 0x00, 0x00}));
}

TEST_F(ProcessMouse, InvertYFollowsTheMouseInsteadOfTheStickConvention) {
    profile.bytes[134] = 0x02;
    const ControllerState state = tick({moveX(1, 1), moveY(2, 1), moveX(1, 2), moveY(2, 2)});
    // (1, 2): gains 16 and 24, written unnegated.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x10, 0x00, 0x18, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, AnUnknownDirectionActsAsLeftStick) {
    profile.bytes[131] = 5;
    const ControllerState state = tick({moveX(-2, 1), moveY(1, 1), moveX(-2, 2), moveY(1, 2)});
    // (-2, 1): -24 and 16; stick Y is -16.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0xE8, 0x00, 0xF0, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, TiltDirectionHandsTheDeflectionToTilt) {
    profile.bytes[131] = 2;
    const ControllerState state = tick({moveX(6, 1), moveY(-2, 1), moveX(6, 2), moveY(-2, 2)});
    // (64, -24): accelX 512 - 64, accelY 512 + 24, accelZ 400 + 64; no stick byte.
    EXPECT_EQ(stickBytes(state), (Bytes(8, 0)));
    EXPECT_EQ(motionBytes(state), (Bytes{0x01, 0xC0, 0x02, 0x18, 0x01, 0xD0}));
}

TEST_F(ProcessMouse, ASaturatedTiltCombinesWhenAnyMouseInputIsActive) {
    profile.bytes[131] = 2;
    writeZoomScale(profile, 135, 2.0f);
    writeZoomScale(profile, 139, 2.0f);
    bindMouse(0, kBindNone);
    const std::vector<MouseRecord> motion{moveX(7, 1), moveY(6, 1), moveX(7, 2), moveY(6, 2)};
    // (127, 127) clamps to full tilt on both axes.
    EXPECT_EQ(motionBytes(tick(motion)), (Bytes{0x01, 0x90, 0x01, 0x90, 0x02, 0x00}));

    std::vector<MouseRecord> withButton = motion;
    withButton.push_back(button(0, true, 2));
    EXPECT_EQ(motionBytes(tick(withButton)), (Bytes{0x01, 0x80, 0x01, 0x80, 0x01, 0xD8}));
}

TEST_F(ProcessMouse, EachAxisUsesItsOwnZoom) {
    writeZoomScale(profile, 135, 0.7f);
    writeZoomScale(profile, 139, 1.4f);
    const ControllerState state = tick({moveX(4, 1), moveY(1, 1), moveX(4, 2), moveY(1, 2)});
    // X 0.7f * 40 = 27.99... gives 27, Y 1.4f * 16 = 22.39... gives 22, stick Y -22.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x1B, 0x00, 0xEA, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, ZoomZeroKeepsItsAxisAtRest) {
    writeZoomScale(profile, 139, 0.0f);
    const ControllerState state = tick({moveX(3, 1), moveY(3, 1), moveX(3, 2), moveY(3, 2)});
    // (3, 3) is damped: X 32 becomes 25, Y stays 0.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x19, 0x00, 0x00, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, TheDeflectionDiesAwayOverTheSmoothingDepth) {
    mouse.smoothingDepth = smoothingDepthFromSetting(260);
    const ControllerState first = tick({moveX(9, 1), moveX(9, 2)});
    EXPECT_EQ(mouse.smoothingDepth, 4);
    EXPECT_EQ(first.bytes[7], 16);
    EXPECT_EQ(tick().bytes[7], 16);
    EXPECT_EQ(tick().bytes[7], 16);
    EXPECT_EQ(tick().bytes[7], 16);
    EXPECT_EQ(tick(), restState());
}

TEST_F(ProcessMouse, SmoothingDepthSettingsActAsOneToFour) {
    struct Case {
        std::int32_t setting;
        std::uint8_t firstTick; // 64 spread over the clamped depth
    };
    const Case cases[] = {{0, 64}, {256, 64}, {9, 16}, {255, 16}, {260, 16}, {2, 32}, {3, 21}};
    for (const auto& c : cases) {
        mouse = MouseState{};
        mouse.smoothingDepth = smoothingDepthFromSetting(c.setting);
        EXPECT_EQ(tick({moveX(6, 1), moveX(6, 2)}).bytes[7], c.firstTick) << c.setting;
    }
}

TEST_F(ProcessMouse, TheSampleListHoldsAtMost255Samples) {
    std::vector<MouseRecord> records;
    for (std::uint32_t r = 0; r < 255; ++r) {
        records.push_back(moveX(2, r));
    }
    records.push_back(moveX(-1000, 255)); // lands uncounted in the last slot
    const ControllerState state = tick(records);
    EXPECT_EQ(debugger.debugOutput.size(), 256u);
    EXPECT_EQ(mouse.samples.count, 0u);
    EXPECT_EQ(state.bytes[7], 24); // 255 samples of 2
}

TEST_F(ProcessMouse, ReadsNoMoreThanTheRecordBuffer) {
    std::vector<MouseRecord> records(300, button(0, false, 1));
    records[256] = moveX(50, 2);
    records[257] = moveX(50, 3);
    ControllerState state = restState();
    processMouse(mouse, state, kConsoleXbox360, profile, records.data(), 300, debugger);
    EXPECT_TRUE(debugger.debugOutput.empty());
    EXPECT_EQ(mouse.samples.count, 0u);
}

TEST_F(ProcessMouse, HugeMotionRecordsDoNotOverflow) {
    const std::int32_t big = 0x7FFFFFFF;
    const std::vector<MouseRecord> records{moveX(big, 1),  moveX(big, 1), moveY(-big, 1),
                                           moveY(-big, 1), moveX(big, 2), moveX(big, 2),
                                           moveY(-big, 2), moveY(-big, 2)};
    const ControllerState state = tick(records);
    // Sums beyond 32 bits still average to the 32-bit extremes, (max, -max): a diagonal
    // like any other, so the top step on both axes is damped to 51.
    EXPECT_EQ(stickBytes(state), (Bytes{0x00, 0x33, 0x00, 0x33, 0, 0, 0, 0}));
}

TEST_F(ProcessMouse, NoRecordsAtAllStillAdvancesTheHistory) {
    mouse.smoothingDepth = 2;
    tick({moveX(6, 1), moveX(6, 2)});
    ControllerState state = restState();
    processMouse(mouse, state, kConsoleXbox360, profile, nullptr, 0, debugger);
    EXPECT_EQ(state.bytes[7], 32);
    EXPECT_EQ(tick(), restState());
}

// A tick without records may be skipped only when it would leave the mouse and what it
// writes exactly as the last tick left them, however many such ticks come.
TEST_F(ProcessMouse, WithoutRecordsOnlyAMouseAtRestStaysAsItIs) {
    struct Case {
        const char* name;
        std::uint8_t direction;
        ConsoleMode mode;
        void (*prepare)(MouseState&);
        bool atRest;
    };
    const Case cases[] = {
        {"nothing pending", 0, kConsoleXbox360, [](MouseState&) {}, true},
        {"a lone sample waits for a second one", 1, kConsoleXbox360,
         [](MouseState& m) {
             m.samples.slots[0] = MotionSample{9, -4, 77};
             m.samples.count = 1;
             m.smoothingDepth = 4;
         },
         true},
        {"held buttons on tilt", 2, kConsolePs3,
         [](MouseState& m) {
             m.flags[0] = 1;
             m.flags[6] = 1;
             m.smoothingDepth = 2;
         },
         true},
        {"two samples pending", 0, kConsoleXbox360,
         [](MouseState& m) {
             m.samples.slots[0] = MotionSample{3, 0, 1};
             m.samples.slots[1] = MotionSample{3, 0, 2};
             m.samples.count = 2;
         },
         false},
        {"a deflection in the history", 1, kConsoleXbox360,
         [](MouseState& m) {
             m.smoothingDepth = 2;
             m.history.x[1] = 20;
             m.output = MotionPair{10 * 256, 0};
         },
         false},
        {"an output", 2, kConsolePs3,
         [](MouseState& m) {
             m.output = MotionPair{0, 5 * 256};
         },
         false},
        {"a wheel flag", 0, kConsoleXbox360, [](MouseState& m) { m.flags[7] = 1; }, false},
        {"a depth not yet clamped", 0, kConsoleXbox360, [](MouseState& m) { m.smoothingDepth = 0; },
         false},
    };
    bindMouse(0, kBindTiltUp);
    bindMouse(6, kBindB);
    bindMouse(7, kBindY);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        profile.bytes[131] = test.direction;
        MouseState before;
        before.smoothingDepth = 1;
        test.prepare(before);
        // What the last tick wrote, as an event between two ticks rebuilds it.
        ControllerState written = restState();
        writeMouseDeflection(written, profile, before.output);
        applyMouseFlagActions(before, written, test.mode, profile);

        mouse = before;
        bool unchanged = true;
        for (int tick = 0; tick < 5; ++tick) {
            ControllerState state = restState();
            processMouse(mouse, state, test.mode, profile, nullptr, 0, debugger);
            unchanged = unchanged && state == written && mouse == before;
        }
        EXPECT_EQ(mouseAtRest(before), test.atRest);
        EXPECT_EQ(unchanged, test.atRest);
    }
}

} // namespace
} // namespace qora
