#include "mapping/controller_state.h"

#include <gtest/gtest.h>

namespace qora {
namespace {

TEST(ControllerState, IdleContentsAreZeroButTheReportLength) {
    const ControllerState state = idleControllerState();
    for (std::size_t i = 0; i < kControllerStateSize; ++i) {
        EXPECT_EQ(state.bytes[i], i == 1 ? 0x14 : 0x00) << "byte " << i;
    }
}

TEST(ControllerState, RestValuesAddTheMotionBytes) {
    ControllerState state;
    state.bytes.fill(0xAB);
    resetToRest(state);
    const std::array<std::uint8_t, kControllerStateSize> expected = {
        0x00, 0x14, 0, 0, 0, 0, 0,    0,    0,    0,    0,    0,    0,   0,
        0,    0,    0, 0, 0, 0, 0x02, 0x00, 0x02, 0x00, 0x01, 0x90, 0x00};
    EXPECT_EQ(state.bytes, expected);
}

TEST(ControllerState, SticksAreLittleEndianSigned) {
    ControllerState state = idleControllerState();
    setStickValue(state, state::rightStickY, static_cast<std::int16_t>(0x8100));
    EXPECT_EQ(state.bytes[12], 0x00);
    EXPECT_EQ(state.bytes[13], 0x81);
    EXPECT_EQ(stickValue(state, state::rightStickY), -32512);
    EXPECT_EQ(stickHighByte(state, state::rightStickY), -127);

    setStickValue(state, state::leftStickX, 0x7FFF);
    EXPECT_EQ(state.bytes[6], 0xFF);
    EXPECT_EQ(state.bytes[7], 0x7F);
    EXPECT_EQ(stickHighByte(state, state::leftStickX), 127);
}

TEST(ControllerState, MotionFieldsAreBigEndian) {
    ControllerState state = idleControllerState();
    setMotionValue(state, state::accelZ, 0x01D8);
    EXPECT_EQ(state.bytes[24], 0x01);
    EXPECT_EQ(state.bytes[25], 0xD8);
    state.bytes[20] = 0x02;
    state.bytes[21] = 0x70;
    EXPECT_EQ(motionValue(state, state::accelX), 624);
}

} // namespace
} // namespace qora
