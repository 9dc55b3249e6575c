#include "link/packet.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace qora {
namespace {

// The DualShock 3 USB input report as publicly documented (report ID 1 at byte 0),
// written out here by hand so the encoder is checked against the controller, not
// against its own constants.
struct Ds3Button {
    const char* name;
    std::size_t byte;
    std::uint8_t mask;
    int pressureByte; // -1: no pressure-sensitive byte
};

constexpr std::array<Ds3Button, 17> kDs3Buttons{{
    {"select", 2, 0x01, -1},
    {"L3", 2, 0x02, -1},
    {"R3", 2, 0x04, -1},
    {"start", 2, 0x08, -1},
    {"up", 2, 0x10, 14},
    {"right", 2, 0x20, 15},
    {"down", 2, 0x40, 16},
    {"left", 2, 0x80, 17},
    {"L2", 3, 0x01, 18},
    {"R2", 3, 0x02, 19},
    {"L1", 3, 0x04, 20},
    {"R1", 3, 0x08, 21},
    {"triangle", 3, 0x10, 22},
    {"circle", 3, 0x20, 23},
    {"cross", 3, 0x40, 24},
    {"square", 3, 0x80, 25},
    {"PS", 4, 0x01, -1},
}};

// How a 360 pad presses each of those buttons: (state byte, mask), with a trigger
// given as its whole byte.
struct XboxInput {
    const char* ds3Name;
    std::size_t stateByte;
    std::uint8_t value;
};

constexpr std::array<XboxInput, 17> kXboxInputs{{
    {"select", 2, 0x20},
    {"L3", 2, 0x40},
    {"R3", 2, 0x80},
    {"start", 2, 0x10},
    {"up", 2, 0x01},
    {"right", 2, 0x08},
    {"down", 2, 0x02},
    {"left", 2, 0x04},
    {"L2", 4, 0xFF},
    {"R2", 5, 0xFF},
    {"L1", 3, 0x01},
    {"R1", 3, 0x02},
    {"triangle", 3, 0x80},
    {"circle", 3, 0x20},
    {"cross", 3, 0x10},
    {"square", 3, 0x40},
    {"PS", 3, 0x04},
}};

constexpr std::size_t kDs3LeftX = 6, kDs3LeftY = 7, kDs3RightX = 8, kDs3RightY = 9;
constexpr std::size_t kDs3AccelX = 41, kDs3AccelY = 43, kDs3AccelZ = 45;

ControllerState restState() {
    ControllerState state;
    resetToRest(state);
    return state;
}

Packet encoded(ConsoleMode mode, const ControllerState& state) {
    Packet packet;
    packet.fill(0xAA); // the encoder must clear what it does not write
    encodePacket(mode, state, packet);
    return packet;
}

// The PS3 report inside a packet: report byte n is packet byte n + 1.
std::uint8_t reportByte(const Packet& packet, std::size_t n) {
    return packet.at(n + 1);
}

const Ds3Button& ds3Button(const std::string& name) {
    for (const auto& button : kDs3Buttons) {
        if (name == button.name) {
            return button;
        }
    }
    throw std::logic_error("no such DualShock 3 button: " + name);
}

TEST(EncodePacketXbox360, CopiesTheStateBehindALeadingZero) {
    ControllerState state = restState();
    for (std::size_t i = 2; i < kControllerStateSize; ++i) {
        state.bytes[i] = static_cast<std::uint8_t>(0x30 + i);
    }
    const Packet packet = encoded(kConsoleXbox360, state);
    EXPECT_EQ(packet[0], 0x00);
    for (std::size_t i = 0; i < kControllerStateSize; ++i) {
        EXPECT_EQ(packet[i + 1], state.bytes[i]) << "state byte " << i;
    }
    for (std::size_t i = 28; i < kPacketSize; ++i) {
        EXPECT_EQ(packet[i], 0x00) << "packet byte " << i;
    }
}

TEST(EncodePacketOtherConsoles, SendOnlyZeroBytes) {
    ControllerState state = restState();
    state.bytes[2] = 0xFF;
    state.bytes[4] = 0xFF;
    for (const ConsoleMode mode : {ConsoleMode{2}, ConsoleMode{-1}, ConsoleMode{-7}}) {
        const Packet packet = encoded(mode, state);
        for (std::size_t i = 0; i < kPacketSize; ++i) {
            EXPECT_EQ(packet[i], 0x00) << "mode " << mode << " byte " << i;
        }
    }
}

TEST(EncodePacketPs3, RestStateIsCentredIdleReport) {
    const Packet packet = encoded(kConsolePs3, restState());
    EXPECT_EQ(packet[0], 0x00);
    // Report ID, then nothing pressed.
    EXPECT_EQ(reportByte(packet, 0), 0x01);
    EXPECT_EQ(reportByte(packet, 2), 0x00);
    EXPECT_EQ(reportByte(packet, 3), 0x00);
    EXPECT_EQ(reportByte(packet, 4), 0x00);
    // Offset sticks: X centres on 0x80, Y on 0x7F.
    EXPECT_EQ(reportByte(packet, kDs3LeftX), 0x80);
    EXPECT_EQ(reportByte(packet, kDs3LeftY), 0x7F);
    EXPECT_EQ(reportByte(packet, kDs3RightX), 0x80);
    EXPECT_EQ(reportByte(packet, kDs3RightY), 0x7F);
    // Accelerometers big-endian: level X and Y, gravity on Z.
    EXPECT_EQ(reportByte(packet, kDs3AccelX), 0x02);
    EXPECT_EQ(reportByte(packet, kDs3AccelX + 1), 0x00);
    EXPECT_EQ(reportByte(packet, kDs3AccelY), 0x02);
    EXPECT_EQ(reportByte(packet, kDs3AccelY + 1), 0x00);
    EXPECT_EQ(reportByte(packet, kDs3AccelZ), 0x01);
    EXPECT_EQ(reportByte(packet, kDs3AccelZ + 1), 0x90);

    const std::array<std::pair<std::size_t, std::uint8_t>, 9> constants{{{29, 0x03},
                                                                         {30, 0xEF},
                                                                         {31, 0x16},
                                                                         {36, 0x33},
                                                                         {37, 0xFE},
                                                                         {38, 0x77},
                                                                         {39, 0x01},
                                                                         {40, 0xC0},
                                                                         {48, 0x05}}};
    for (const auto& [offset, value] : constants) {
        EXPECT_EQ(reportByte(packet, offset), value) << "report byte " << offset;
    }
    // Everything else in the report is zero, pressures included.
    for (std::size_t n : {1, 5, 10, 11, 12, 13, 26, 27, 28, 32, 33, 34, 35, 47}) {
        EXPECT_EQ(reportByte(packet, n), 0x00) << "report byte " << n;
    }
    for (std::size_t n = 14; n <= 25; ++n) {
        EXPECT_EQ(reportByte(packet, n), 0x00) << "pressure byte " << n;
    }
}

TEST(EncodePacketPs3, EachButtonSetsOnlyItsOwnBitAndPressure) {
    for (const XboxInput& input : kXboxInputs) {
        SCOPED_TRACE(input.ds3Name);
        ControllerState state = restState();
        state.bytes[input.stateByte] = input.value;
        const Packet packet = encoded(kConsolePs3, state);
        const Ds3Button& pressed = ds3Button(input.ds3Name);

        for (const Ds3Button& button : kDs3Buttons) {
            const bool down = (reportByte(packet, button.byte) & button.mask) != 0;
            EXPECT_EQ(down, &button == &pressed) << "button " << button.name;
            if (button.pressureByte >= 0) {
                const auto pressure = static_cast<std::size_t>(button.pressureByte);
                EXPECT_EQ(reportByte(packet, pressure), &button == &pressed ? 0xFF : 0x00)
                    << "pressure of " << button.name;
            }
        }
    }
}

TEST(EncodePacketPs3, EveryButtonAtOnce) {
    ControllerState state = restState();
    state.bytes[2] = 0xFF;
    state.bytes[3] = 0xFF; // includes 0x08, which the PS3 has no button for
    state.bytes[4] = 0x01;
    state.bytes[5] = 0x01;
    const Packet packet = encoded(kConsolePs3, state);
    EXPECT_EQ(reportByte(packet, 2), 0xFF);
    EXPECT_EQ(reportByte(packet, 3), 0xFF);
    EXPECT_EQ(reportByte(packet, 4), 0x01); // the dropped bit does not leak into byte 4
    EXPECT_EQ(reportByte(packet, 5), 0x00);
    for (std::size_t n = 14; n <= 25; ++n) {
        EXPECT_EQ(reportByte(packet, n), 0xFF) << "pressure byte " << n;
    }
}

TEST(EncodePacketPs3, UnmappedXboxBitIsDropped) {
    ControllerState state = restState();
    state.bytes[3] = 0x08;
    EXPECT_EQ(encoded(kConsolePs3, state), encoded(kConsolePs3, restState()));
}

TEST(EncodePacketPs3, LeftTriggerIsL2WithFullPressure) {
    ControllerState state = restState();
    state.bytes[4] = 0xFF;
    const Packet packet = encoded(kConsolePs3, state);
    EXPECT_EQ(reportByte(packet, 3), 0x01);
    EXPECT_EQ(reportByte(packet, 18), 0xFF);
    EXPECT_EQ(reportByte(packet, 19), 0x00);
}

TEST(EncodePacketPs3, AnyNonZeroTriggerCountsAsPressed) {
    ControllerState state = restState();
    state.bytes[5] = 0x01;
    const Packet packet = encoded(kConsolePs3, state);
    EXPECT_EQ(reportByte(packet, 3), 0x02);
    EXPECT_EQ(reportByte(packet, 19), 0xFF);
}

struct StickCase {
    std::uint8_t high;
    std::uint8_t expectedX;
    std::uint8_t expectedY;
};

TEST(EncodePacketPs3, SticksUseTheHighByteWithXOffsetAndYInverted) {
    // 0x7F is full up/right, 0x81 full down/left (the values the actions write).
    const std::array<StickCase, 5> cases{{
        {0x00, 0x80, 0x7F},
        {0x7F, 0xFF, 0x00},
        {0x81, 0x01, 0xFE},
        {0x80, 0x00, 0xFF},
        {0x01, 0x81, 0x7E},
    }};
    for (const StickCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.high));
        ControllerState state = restState();
        for (std::size_t low : {6, 8, 10, 12}) {
            state.bytes[low] = 0xA5; // the low byte never reaches the PS3
            state.bytes[low + 1] = c.high;
        }
        const Packet packet = encoded(kConsolePs3, state);
        EXPECT_EQ(reportByte(packet, kDs3LeftX), c.expectedX);
        EXPECT_EQ(reportByte(packet, kDs3RightX), c.expectedX);
        EXPECT_EQ(reportByte(packet, kDs3LeftY), c.expectedY);
        EXPECT_EQ(reportByte(packet, kDs3RightY), c.expectedY);
    }
}

TEST(EncodePacketPs3, FullLeftStickUpAndDown) {
    ControllerState up = restState();
    up.bytes[8] = 0xFF;
    up.bytes[9] = 0x7F;
    EXPECT_EQ(reportByte(encoded(kConsolePs3, up), kDs3LeftY), 0x00);

    ControllerState down = restState();
    down.bytes[8] = 0x00;
    down.bytes[9] = 0x81;
    EXPECT_EQ(reportByte(encoded(kConsolePs3, down), kDs3LeftY), 0xFE);
}

TEST(EncodePacketPs3, SticksAreIndependentOfEachOther) {
    ControllerState state = restState();
    state.bytes[7] = 0x7F;  // left X right
    state.bytes[13] = 0x81; // right Y down
    const Packet packet = encoded(kConsolePs3, state);
    EXPECT_EQ(reportByte(packet, kDs3LeftX), 0xFF);
    EXPECT_EQ(reportByte(packet, kDs3LeftY), 0x7F);
    EXPECT_EQ(reportByte(packet, kDs3RightX), 0x80);
    EXPECT_EQ(reportByte(packet, kDs3RightY), 0xFE);
}

TEST(EncodePacketPs3, MotionBytesGoOutUnchanged) {
    ControllerState state = restState();
    const std::array<std::uint8_t, 6> motion{0x03, 0x21, 0x01, 0xDE, 0x02, 0x7B};
    for (std::size_t i = 0; i < motion.size(); ++i) {
        state.bytes[20 + i] = motion[i];
    }
    const Packet packet = encoded(kConsolePs3, state);
    for (std::size_t i = 0; i < motion.size(); ++i) {
        EXPECT_EQ(reportByte(packet, kDs3AccelX + i), motion[i]) << "motion byte " << i;
    }
    EXPECT_EQ(reportByte(packet, 47), 0x00);
}

TEST(EncodePacketPs3, XboxHeaderAndReservedBytesDoNotLeakIntoTheReport) {
    ControllerState state = restState();
    state.bytes[0] = 0x5A;
    state.bytes[1] = 0x5A;
    for (std::size_t i = 14; i < 20; ++i) {
        state.bytes[i] = 0x5A;
    }
    state.bytes[26] = 0x5A;
    EXPECT_EQ(encoded(kConsolePs3, state), encoded(kConsolePs3, restState()));
}

} // namespace
} // namespace qora
