#include "mapping/actions.h"
#include "mapping/tilt.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

namespace qora {
namespace {

using MotionBytes = std::array<std::uint8_t, 6>;

MotionBytes motionBytesOf(const ControllerState& state) {
    MotionBytes bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = state.bytes[state::accelX + i];
    }
    return bytes;
}

ControllerState afterActions(
    std::initializer_list<ActionCode> codes, ControllerState state = [] {
        ControllerState rest;
        resetToRest(rest);
        return rest;
    }()) {
    for (const auto code : codes) {
        applyAction(state, kConsolePs3, code);
    }
    return state;
}

ControllerState afterMouse(std::int32_t x, std::int32_t y, std::uint8_t invertFlags = 0) {
    ControllerState state;
    resetToRest(state);
    tiltFromMouse(state, x, y, invertFlags);
    return state;
}

constexpr ActionCode up = action::tiltUp;
constexpr ActionCode down = action::tiltDown;
constexpr ActionCode left = action::tiltLeft;
constexpr ActionCode right = action::tiltRight;

TEST(TiltActions, SingleDirectionsFromRest) {
    EXPECT_EQ(motionBytesOf(afterActions({})), (MotionBytes{0x02, 0x00, 0x02, 0x00, 0x01, 0x90}));
    EXPECT_EQ(motionBytesOf(afterActions({up})), (MotionBytes{0x02, 0x00, 0x01, 0x90, 0x02, 0x00}));
    EXPECT_EQ(motionBytesOf(afterActions({down})),
              (MotionBytes{0x02, 0x00, 0x02, 0x70, 0x02, 0x00}));
    EXPECT_EQ(motionBytesOf(afterActions({left})),
              (MotionBytes{0x02, 0x70, 0x02, 0x00, 0x02, 0x00}));
    EXPECT_EQ(motionBytesOf(afterActions({right})),
              (MotionBytes{0x01, 0x90, 0x02, 0x00, 0x02, 0x00}));
}

TEST(TiltActions, DiagonalsWhicheverDirectionComesFirst) {
    struct Case {
        ActionCode a, b;
        MotionBytes expected;
    };
    const Case cases[] = {
        {up, left, {0x02, 0x60, 0x01, 0x80, 0x01, 0xD8}},
        {up, right, {0x01, 0x80, 0x01, 0x80, 0x01, 0xD8}},
        {down, left, {0x02, 0x60, 0x02, 0x60, 0x01, 0xD8}},
        {down, right, {0x01, 0x80, 0x02, 0x60, 0x01, 0xD8}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(motionBytesOf(afterActions({c.a, c.b})), c.expected) << c.a << "," << c.b;
        EXPECT_EQ(motionBytesOf(afterActions({c.b, c.a})), c.expected) << c.b << "," << c.a;
    }
}

TEST(TiltActions, OneAxisTheLaterDirectionWins) {
    EXPECT_EQ(motionValue(afterActions({up, down}), state::accelY), 0x0270);
    EXPECT_EQ(motionValue(afterActions({down, up}), state::accelY), 0x0190);
    EXPECT_EQ(motionValue(afterActions({left, right}), state::accelX), 0x0190);
}

TEST(TiltActions, ThreeDirectionsDependOnTheOrder) {
    EXPECT_EQ(motionBytesOf(afterActions({up, left, down})),
              (MotionBytes{0x02, 0x60, 0x02, 0x70, 0x02, 0x00}));
    EXPECT_EQ(motionBytesOf(afterActions({up, down, left})),
              (MotionBytes{0x02, 0x60, 0x02, 0x60, 0x01, 0xD8}));
}

TEST(TiltActions, NonTiltActionsLeaveADiagonalAlone) {
    const ControllerState diagonal = afterActions({up, left});
    const ControllerState after = afterActions({action::buttonA, action::noAction}, diagonal);
    EXPECT_EQ(motionBytesOf(after), motionBytesOf(diagonal));
}

TEST(TiltFromMouse, TableRows) {
    struct Case {
        std::int32_t x, y;
        std::uint8_t invert;
        std::uint16_t ax, ay, az;
    };
    const Case cases[] = {
        {0, 0, 0, 0x0200, 0x0200, 0x0190},      {112, 0, 0, 0x0190, 0x0200, 0x0200},
        {-50, 30, 0, 0x0232, 0x01E2, 0x01C2},   {-50, 30, 3, 0x01CE, 0x021E, 0x01C2},
        {111, -111, 0, 0x0191, 0x026F, 0x01FF}, {112, 112, 0, 0x0190, 0x0190, 0x0200},
        {111, 0, 0, 0x0191, 0x0200, 0x01FF},    {127, -127, 0, 0x0190, 0x0270, 0x0200},
        {-50, 30, 1, 0x01CE, 0x01E2, 0x01C2},   {-50, 30, 2, 0x0232, 0x021E, 0x01C2},
    };
    for (const auto& c : cases) {
        const ControllerState state = afterMouse(c.x, c.y, c.invert);
        EXPECT_EQ(motionValue(state, state::accelX), c.ax) << c.x << "," << c.y;
        EXPECT_EQ(motionValue(state, state::accelY), c.ay) << c.x << "," << c.y;
        EXPECT_EQ(motionValue(state, state::accelZ), c.az) << c.x << "," << c.y;
    }
}

TEST(TiltFromMouse, WritesNoStickOrButtonByte) {
    const ControllerState state = afterMouse(-100, 90, 3);
    ControllerState rest;
    resetToRest(rest);
    for (std::size_t i = 0; i < state::accelX; ++i) {
        EXPECT_EQ(state.bytes[i], rest.bytes[i]) << "byte " << i;
    }
    EXPECT_EQ(state.bytes[state::trailer], 0);
}

TEST(TiltFromMouse, SaturatedMouseBecomesDiagonalAtTheFirstAction) {
    const ControllerState saturated = afterMouse(112, 112);
    EXPECT_EQ(motionBytesOf(saturated), (MotionBytes{0x01, 0x90, 0x01, 0x90, 0x02, 0x00}));
    EXPECT_EQ(motionBytesOf(afterActions({action::buttonX}, saturated)),
              (MotionBytes{0x01, 0x80, 0x01, 0x80, 0x01, 0xD8}));
}

TEST(TiltFromMouse, ATiltActionReplacesItsAxisAndCombinesWithAFullOther) {
    EXPECT_EQ(motionBytesOf(afterActions({up}, afterMouse(112, 50))),
              (MotionBytes{0x01, 0x80, 0x01, 0x80, 0x01, 0xD8}));
    EXPECT_EQ(motionBytesOf(afterActions({up}, afterMouse(50, 0))),
              (MotionBytes{0x01, 0xCE, 0x01, 0x90, 0x02, 0x00}));
}

TEST(TiltFromMouse, OneSaturatedAxisDoesNotCombineAlone) {
    EXPECT_EQ(motionBytesOf(afterActions({action::buttonB}, afterMouse(0, -200))),
              (MotionBytes{0x02, 0x00, 0x02, 0x70, 0x02, 0x00}));
}

} // namespace
} // namespace qora
