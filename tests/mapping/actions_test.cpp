#include "mapping/actions.h"
#include "mapping/tilt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace qora {
namespace {

ControllerState restState() {
    ControllerState state;
    resetToRest(state);
    return state;
}

// Applies what the tick would for the keys held, in ascending scan code.
ControllerState stateForKeys(ConsoleMode mode, const ProfileRecord& profile,
                             std::vector<std::uint8_t> keys) {
    ControllerState state = restState();
    std::sort(keys.begin(), keys.end());
    for (const auto key : keys) {
        dispatchKey(state, mode, profile, key);
    }
    return state;
}

void bindPrimary(ProfileRecord& profile, ActionCode code, std::uint8_t scanCode) {
    profile.bytes[profile::primaryKeys + static_cast<std::size_t>(code)] = scanCode;
}
void bindSecondary(ProfileRecord& profile, ActionCode code, std::uint8_t scanCode) {
    profile.bytes[profile::secondaryKeys + static_cast<std::size_t>(code)] = scanCode;
}

constexpr std::uint8_t kKeyA = 0x1E;
constexpr std::uint8_t kKeyS = 0x1F;
constexpr std::uint8_t kKeyD = 0x20;
constexpr std::uint8_t kKeyW = 0x11;

TEST(ApplyAction, EachButtonActionSetsItsOwnBit) {
    struct Case {
        ActionCode code;
        std::size_t byte;
        std::uint8_t mask;
    };
    const Case cases[] = {
        {0, 2, 0x01},  {1, 2, 0x02},  {2, 2, 0x04},  {3, 2, 0x08},  {12, 3, 0x80},
        {13, 3, 0x40}, {14, 3, 0x20}, {15, 3, 0x10}, {20, 2, 0x40}, {21, 2, 0x80},
        {22, 2, 0x20}, {23, 2, 0x10}, {24, 3, 0x04},
    };
    for (const ConsoleMode mode : {0, 1}) {
        for (const auto& c : cases) {
            ControllerState state = restState();
            applyAction(state, mode, c.code);
            ControllerState expected = restState();
            expected.bytes[c.byte] = c.mask;
            EXPECT_EQ(state, expected) << "code " << c.code << " mode " << mode;
        }
    }
}

TEST(ApplyAction, StickActionsUseFullDeflectionNot0x8000) {
    struct Case {
        ActionCode code;
        std::size_t offset;
        std::uint8_t low, high;
    };
    const Case cases[] = {
        {4, 8, 0xFF, 0x7F},  {5, 8, 0x00, 0x81},  {6, 6, 0x00, 0x81},   {7, 6, 0xFF, 0x7F},
        {8, 12, 0xFF, 0x7F}, {9, 12, 0x00, 0x81}, {10, 10, 0x00, 0x81}, {11, 10, 0xFF, 0x7F},
    };
    for (const auto& c : cases) {
        ControllerState state = restState();
        applyAction(state, kConsoleXbox360, c.code);
        ControllerState expected = restState();
        expected.bytes[c.offset] = c.low;
        expected.bytes[c.offset + 1] = c.high;
        EXPECT_EQ(state, expected) << "code " << c.code;
    }
}

TEST(ApplyAction, ShoulderRowsFollowTheConsoleLabel) {
    struct Case {
        ActionCode code;
        std::size_t xboxByte;
        std::uint8_t xboxValue;
        std::size_t ps3Byte;
        std::uint8_t ps3Value;
    };
    const Case cases[] = {
        {16, 4, 0xFF, 3, 0x01}, // LT / L1
        {17, 3, 0x01, 4, 0xFF}, // LB / L2
        {18, 5, 0xFF, 3, 0x02}, // RT / R1
        {19, 3, 0x02, 5, 0xFF}, // RB / R2
    };
    for (const auto& c : cases) {
        ControllerState xbox = restState();
        applyAction(xbox, kConsoleXbox360, c.code);
        ControllerState expectedXbox = restState();
        expectedXbox.bytes[c.xboxByte] = c.xboxValue;
        EXPECT_EQ(xbox, expectedXbox) << "code " << c.code;

        ControllerState ps3 = restState();
        applyAction(ps3, kConsolePs3, c.code);
        ControllerState expectedPs3 = restState();
        expectedPs3.bytes[c.ps3Byte] = c.ps3Value;
        EXPECT_EQ(ps3, expectedPs3) << "code " << c.code;

        for (const ConsoleMode other : {2, -1, 100}) {
            ControllerState state = restState();
            applyAction(state, other, c.code);
            EXPECT_EQ(state, restState()) << "code " << c.code << " mode " << other;
        }
    }
}

TEST(ApplyAction, OutOfRangeCodesStillCombineTilt) {
    for (const ActionCode code : {action::noAction, -7, 29, 1000}) {
        ControllerState state = restState();
        tiltFromMouse(state, 112, 112, 0); // saturated on both axes: combinable
        applyAction(state, kConsoleXbox360, code);
        EXPECT_EQ(motionValue(state, state::accelX), 0x0180) << code;
        EXPECT_EQ(motionValue(state, state::accelY), 0x0180) << code;
        EXPECT_EQ(motionValue(state, state::accelZ), 0x01D8) << code;
        for (std::size_t i = 0; i < state::accelX; ++i) {
            EXPECT_EQ(state.bytes[i], restState().bytes[i]) << "code " << code << " byte " << i;
        }
    }
}

TEST(ApplyAction, ReservedBitsAndBytesAreNeverWritten) {
    for (const ConsoleMode mode : {0, 1, 2}) {
        ControllerState state = restState();
        for (ActionCode code = -3; code <= 40; ++code) {
            applyAction(state, mode, code);
        }
        EXPECT_EQ(state.bytes[3] & 0x08, 0) << "mode " << mode;
        for (std::size_t i = state::reservedBegin; i < state::reservedEnd; ++i) {
            EXPECT_EQ(state.bytes[i], 0) << "byte " << i;
        }
        EXPECT_EQ(state.bytes[state::trailer], 0);
        EXPECT_EQ(state.bytes[0], 0x00);
        EXPECT_EQ(state.bytes[1], 0x14);
    }
}

TEST(DispatchKey, AKeyBoundAsPrimaryAndSecondaryAppliesOnce) {
    // A second application of tilt up after a diagonal would undo the diagonal, so the
    // result tells whether the action ran once or twice.
    ProfileRecord profile;
    bindPrimary(profile, action::tiltLeft, kKeyA);
    bindPrimary(profile, action::tiltUp, kKeyS);
    bindSecondary(profile, action::tiltUp, kKeyS);
    const ControllerState state = stateForKeys(kConsolePs3, profile, {kKeyA, kKeyS});
    EXPECT_EQ(motionValue(state, state::accelX), 0x0260);
    EXPECT_EQ(motionValue(state, state::accelY), 0x0180);
    EXPECT_EQ(motionValue(state, state::accelZ), 0x01D8);
}

TEST(DispatchKey, OneKeyOnOppositeDirectionsTakesTheHigherActionCode) {
    ProfileRecord profile;
    bindPrimary(profile, action::leftStickUp, kKeyW);
    bindPrimary(profile, action::leftStickDown, kKeyW);
    const ControllerState state = stateForKeys(kConsoleXbox360, profile, {kKeyW});
    EXPECT_EQ(stickValue(state, state::leftStickY), static_cast<std::int16_t>(0x8100));
}

TEST(DispatchKey, TwoKeysOnOppositeDirectionsTakeTheHigherScanCode) {
    ProfileRecord profile;
    bindPrimary(profile, action::leftStickLeft, kKeyD);  // 0x20, higher
    bindPrimary(profile, action::leftStickRight, kKeyA); // 0x1E
    const ControllerState state = stateForKeys(kConsoleXbox360, profile, {kKeyA, kKeyD});
    EXPECT_EQ(stickValue(state, state::leftStickX), static_cast<std::int16_t>(0x8100));

    ProfileRecord swapped;
    bindPrimary(swapped, action::leftStickLeft, kKeyA);
    bindPrimary(swapped, action::leftStickRight, kKeyD);
    const ControllerState other = stateForKeys(kConsoleXbox360, swapped, {kKeyA, kKeyD});
    EXPECT_EQ(stickValue(other, state::leftStickX), 0x7FFF);
}

TEST(DispatchKey, AxesOfOneStickAreIndependentAndDpadIsNotExclusive) {
    ProfileRecord profile;
    bindPrimary(profile, action::leftStickUp, kKeyW);
    bindPrimary(profile, action::leftStickRight, kKeyD);
    bindPrimary(profile, action::dpadLeft, kKeyA);
    bindSecondary(profile, action::dpadRight, kKeyA);
    const ControllerState state = stateForKeys(kConsoleXbox360, profile, {kKeyW, kKeyD, kKeyA});
    EXPECT_EQ(stickValue(state, state::leftStickX), 0x7FFF);
    EXPECT_EQ(stickValue(state, state::leftStickY), 0x7FFF);
    EXPECT_EQ(state.bytes[state::buttons1], 0x04 | 0x08);
}

TEST(DispatchKey, UnboundAndUnmatchedKeysDoNothing) {
    ProfileRecord profile;
    bindPrimary(profile, action::buttonA, kKeyS);
    EXPECT_EQ(stateForKeys(kConsoleXbox360, profile, {kKeyA, 0x57}), restState());
}

TEST(DispatchKey, TiltBindingsActInXbox360ModeToo) {
    ProfileRecord profile;
    bindPrimary(profile, action::tiltDown, kKeyS);
    const ControllerState state = stateForKeys(kConsoleXbox360, profile, {kKeyS});
    EXPECT_EQ(motionValue(state, state::accelY), 0x0270);
    EXPECT_EQ(motionValue(state, state::accelZ), 0x0200);
}

TEST(MouseBindingAction, ListPositionsMapToTheirActions) {
    const ActionCode expected[27] = {-1, 12, 13, 14, 15, 21, 19, 18, 20, 17, 16, 4,  5, 6,
                                     7,  8,  9,  10, 11, 0,  1,  2,  3,  25, 26, 27, 28};
    for (std::uint32_t i = 0; i < 27; ++i) {
        EXPECT_EQ(mouseBindingAction(i), expected[i]) << "position " << i;
    }
    for (std::uint32_t i = 27; i < 256; ++i) {
        EXPECT_EQ(mouseBindingAction(i), action::noAction) << "position " << i;
    }
}

TEST(MouseBindingAction, OnlyTheLowByteCounts) {
    EXPECT_EQ(mouseBindingAction(0x101), 12);
    EXPECT_EQ(mouseBindingAction(0xFFFFFF1Au), 28);
    EXPECT_EQ(mouseBindingAction(0xFF), action::noAction);
}

} // namespace
} // namespace qora
