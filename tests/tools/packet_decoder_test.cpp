#include "tools/packet_decoder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace qora {
namespace {

// A packet with the given report bytes set (report byte n is packet byte n + 1).
PacketBytes packetWith(std::initializer_list<std::pair<std::size_t, std::uint8_t>> reportBytes) {
    PacketBytes packet{};
    for (const auto& [offset, value] : reportBytes) {
        packet.at(offset + 1) = value;
    }
    return packet;
}

PacketBytes xboxRest() {
    return packetWith({{1, 0x14}, {20, 0x02}, {22, 0x02}, {24, 0x01}, {25, 0x90}});
}

PacketBytes ps3Rest() {
    return packetWith({{0, 0x01},
                       {6, 0x80},
                       {7, 0x7F},
                       {8, 0x80},
                       {9, 0x7F},
                       {29, 0x03},
                       {30, 0xEF},
                       {31, 0x16},
                       {36, 0x33},
                       {37, 0xFE},
                       {38, 0x77},
                       {39, 0x01},
                       {40, 0xC0},
                       {41, 0x02},
                       {43, 0x02},
                       {45, 0x01},
                       {46, 0x90},
                       {48, 0x05}});
}

TEST(DecodeXbox360, RestPacket) {
    EXPECT_EQ(decodeXbox360Packet(0, xboxRest()),
              "#0 xbox360 buttons: - | LT 0 RT 0 | LX 0 LY 0 RX 0 RY 0 | motion X 512 Y 512 Z 400");
}

TEST(DecodeXbox360, ButtonsInReportOrder) {
    PacketBytes packet = xboxRest();
    packet[3] = 0xFF;
    packet[4] = 0xFF; // 0x08 of the second byte is unused on the 360 pad
    EXPECT_EQ(decodeXbox360Packet(1, packet),
              "#1 xbox360 buttons: up down left right start back LS RS LB RB guide A B X Y | "
              "LT 0 RT 0 | LX 0 LY 0 RX 0 RY 0 | motion X 512 Y 512 Z 400");
}

TEST(DecodeXbox360, SingleButtonsByName) {
    const std::pair<std::pair<std::size_t, std::uint8_t>, const char*> cases[] = {
        {{2, 0x01}, "up"},    {{2, 0x08}, "right"}, {{2, 0x20}, "back"}, {{2, 0x80}, "RS"},
        {{3, 0x04}, "guide"}, {{3, 0x10}, "A"},     {{3, 0x20}, "B"},    {{3, 0x40}, "X"},
        {{3, 0x80}, "Y"},     {{3, 0x02}, "RB"},
    };
    for (const auto& [bit, name] : cases) {
        PacketBytes packet = xboxRest();
        packet[bit.first + 1] = bit.second;
        const std::string line = decodeXbox360Packet(0, packet);
        EXPECT_NE(line.find(std::string("buttons: ") + name + " |"), std::string::npos) << line;
    }
}

TEST(DecodeXbox360, TriggersAndSignedLittleEndianSticks) {
    PacketBytes packet = xboxRest();
    packet[5] = 0xFF; // LT
    packet[6] = 0x40; // RT
    packet[7] = 0xFF; // LX 0x7FFF
    packet[8] = 0x7F;
    packet[9] = 0x00; // LY 0x8100
    packet[10] = 0x81;
    packet[11] = 0x00; // RX 0x8000
    packet[12] = 0x80;
    packet[13] = 0x01; // RY 1
    packet[14] = 0x00;
    EXPECT_EQ(decodeXbox360Packet(2, packet),
              "#2 xbox360 buttons: - | LT 255 RT 64 | LX 32767 LY -32512 RX -32768 RY 1 | "
              "motion X 512 Y 512 Z 400");
}

TEST(DecodeXbox360, FlagsWhatIsNotAnXbox360Report) {
    EXPECT_EQ(decodeXbox360Packet(0, PacketBytes{}),
              "#0 xbox360 buttons: - | LT 0 RT 0 | LX 0 LY 0 RX 0 RY 0 | motion X 0 Y 0 Z 0 | "
              "not an Xbox 360 report (lead 0x00, type 0x00, length 0x00)");
    PacketBytes shifted = xboxRest();
    shifted[0] = 0x01;
    EXPECT_NE(decodeXbox360Packet(0, shifted).find("not an Xbox 360 report (lead 0x01"),
              std::string::npos);
}

TEST(DecodePs3, RestPacket) {
    EXPECT_EQ(decodePs3Packet(0, ps3Rest()),
              "#0 ps3 buttons: - | LX 128 LY 127 RX 128 RY 127 | pressure - | "
              "accel X 512 Y 512 Z 400 gyro 5");
}

TEST(DecodePs3, ButtonsInReportOrder) {
    PacketBytes packet = ps3Rest();
    packet[3] = 0xFF;
    packet[4] = 0xFF;
    packet[5] = 0x01;
    const std::string line = decodePs3Packet(7, packet);
    EXPECT_EQ(line.substr(0, line.find(" |")),
              "#7 ps3 buttons: select L3 R3 start up right down left L2 R2 L1 R1 triangle "
              "circle cross square PS");
}

TEST(DecodePs3, SingleButtonsByName) {
    const std::pair<std::pair<std::size_t, std::uint8_t>, const char*> cases[] = {
        {{2, 0x01}, "select"},   {{2, 0x08}, "start"},  {{2, 0x10}, "up"},
        {{2, 0x80}, "left"},     {{3, 0x01}, "L2"},     {{3, 0x08}, "R1"},
        {{3, 0x10}, "triangle"}, {{3, 0x20}, "circle"}, {{3, 0x40}, "cross"},
        {{3, 0x80}, "square"},   {{4, 0x01}, "PS"},
    };
    for (const auto& [bit, name] : cases) {
        PacketBytes packet = ps3Rest();
        packet[bit.first + 1] = bit.second;
        const std::string line = decodePs3Packet(0, packet);
        EXPECT_NE(line.find(std::string("buttons: ") + name + " |"), std::string::npos) << line;
    }
}

TEST(DecodePs3, OnlyNonZeroPressuresAreListed) {
    PacketBytes packet = ps3Rest();
    packet[15] = 0xFF; // up
    packet[19] = 0x80; // L2
    packet[26] = 0x01; // square
    const std::string line = decodePs3Packet(0, packet);
    EXPECT_NE(line.find("| pressure up 255 L2 128 square 1 |"), std::string::npos) << line;
}

TEST(DecodePs3, SticksAndAccelerometers) {
    PacketBytes packet = ps3Rest();
    packet[7] = 0xFF;
    packet[8] = 0x00;
    packet[9] = 0x01;
    packet[10] = 0xFE;
    packet[42] = 0x03; // accel X 0x0321
    packet[43] = 0x21;
    packet[44] = 0x01; // accel Y 0x01DE
    packet[45] = 0xDE;
    packet[46] = 0x02; // accel Z 0x027B
    packet[47] = 0x7B;
    EXPECT_EQ(decodePs3Packet(0, packet),
              "#0 ps3 buttons: - | LX 255 LY 0 RX 1 RY 254 | pressure - | "
              "accel X 801 Y 478 Z 635 gyro 5");
}

TEST(DecodePs3, FlagsWhatIsNotAPs3Report) {
    const std::string line = decodePs3Packet(0, PacketBytes{});
    EXPECT_NE(line.find("not a PS3 report (lead 0x00, report ID 0x00)"), std::string::npos) << line;
    EXPECT_EQ(decodePs3Packet(0, ps3Rest()).find("not a PS3"), std::string::npos);
}

} // namespace
} // namespace qora
