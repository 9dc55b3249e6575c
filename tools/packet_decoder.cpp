#include "tools/packet_decoder.h"

#include <cstdio>
#include <string_view>

namespace qora {
namespace {

// Every packet starts with one zero byte; the console's report follows it.
constexpr std::size_t kReportStart = 1;

struct NamedBit {
    std::size_t byte; // report byte
    std::uint8_t mask;
    std::string_view name;
};

// Xbox 360 wired controller input report.
namespace x360 {
constexpr std::size_t kMessageType = 0;
constexpr std::size_t kLength = 1;
constexpr std::uint8_t kExpectedType = 0x00;
constexpr std::uint8_t kExpectedLength = 0x14;
constexpr std::size_t kLeftTrigger = 4;
constexpr std::size_t kRightTrigger = 5;
constexpr std::size_t kLeftX = 6;
constexpr std::size_t kLeftY = 8;
constexpr std::size_t kRightX = 10;
constexpr std::size_t kRightY = 12;
// qora carries the PS3 motion fields right behind the 20-byte report.
constexpr std::size_t kMotion = 20;

constexpr std::array<NamedBit, 15> kButtons{{
    {2, 0x01, "up"},
    {2, 0x02, "down"},
    {2, 0x04, "left"},
    {2, 0x08, "right"},
    {2, 0x10, "start"},
    {2, 0x20, "back"},
    {2, 0x40, "LS"},
    {2, 0x80, "RS"},
    {3, 0x01, "LB"},
    {3, 0x02, "RB"},
    {3, 0x04, "guide"},
    {3, 0x10, "A"},
    {3, 0x20, "B"},
    {3, 0x40, "X"},
    {3, 0x80, "Y"},
}};
} // namespace x360

// DualShock 3 USB input report (report ID 1).
namespace ds3 {
constexpr std::size_t kReportId = 0;
constexpr std::uint8_t kExpectedReportId = 0x01;
constexpr std::array<std::size_t, 4> kSticks{6, 7, 8, 9};
constexpr std::array<std::string_view, 4> kStickNames{"LX", "LY", "RX", "RY"};
constexpr std::size_t kAccelerometers = 41; // X, Y, Z, then gyro; 16-bit big-endian
constexpr std::size_t kGyro = 47;

constexpr std::array<NamedBit, 17> kButtons{{
    {2, 0x01, "select"},
    {2, 0x02, "L3"},
    {2, 0x04, "R3"},
    {2, 0x08, "start"},
    {2, 0x10, "up"},
    {2, 0x20, "right"},
    {2, 0x40, "down"},
    {2, 0x80, "left"},
    {3, 0x01, "L2"},
    {3, 0x02, "R2"},
    {3, 0x04, "L1"},
    {3, 0x08, "R1"},
    {3, 0x10, "triangle"},
    {3, 0x20, "circle"},
    {3, 0x40, "cross"},
    {3, 0x80, "square"},
    {4, 0x01, "PS"},
}};

struct Pressure {
    std::size_t byte;
    std::string_view name;
};
constexpr std::array<Pressure, 12> kPressures{{
    {14, "up"},
    {15, "right"},
    {16, "down"},
    {17, "left"},
    {18, "L2"},
    {19, "R2"},
    {20, "L1"},
    {21, "R1"},
    {22, "triangle"},
    {23, "circle"},
    {24, "cross"},
    {25, "square"},
}};
} // namespace ds3

std::uint8_t reportByte(const PacketBytes& packet, std::size_t offset) {
    return packet[kReportStart + offset];
}

int littleEndianSigned16(const PacketBytes& packet, std::size_t offset) {
    const auto raw = static_cast<std::uint16_t>(reportByte(packet, offset) |
                                                (reportByte(packet, offset + 1) << 8));
    return static_cast<std::int16_t>(raw);
}

unsigned bigEndian16(const PacketBytes& packet, std::size_t offset) {
    return static_cast<unsigned>((reportByte(packet, offset) << 8) |
                                 reportByte(packet, offset + 1));
}

std::string hexByte(std::uint8_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

template <std::size_t N>
std::string pressedButtons(const PacketBytes& packet, const std::array<NamedBit, N>& buttons) {
    std::string names;
    for (const NamedBit& button : buttons) {
        if ((reportByte(packet, button.byte) & button.mask) != 0) {
            names += names.empty() ? "" : " ";
            names += button.name;
        }
    }
    return names.empty() ? "-" : names;
}

std::string motionValues(const PacketBytes& packet, std::size_t offset) {
    return "X " + std::to_string(bigEndian16(packet, offset)) + " Y " +
           std::to_string(bigEndian16(packet, offset + 2)) + " Z " +
           std::to_string(bigEndian16(packet, offset + 4));
}

std::string lineStart(std::size_t index, std::string_view console) {
    return "#" + std::to_string(index) + " " + std::string(console);
}

std::string xbox360HeaderProblem(const PacketBytes& packet) {
    const std::uint8_t type = reportByte(packet, x360::kMessageType);
    const std::uint8_t length = reportByte(packet, x360::kLength);
    if (packet[0] == 0 && type == x360::kExpectedType && length == x360::kExpectedLength) {
        return std::string();
    }
    return " | not an Xbox 360 report (lead " + hexByte(packet[0]) + ", type " + hexByte(type) +
           ", length " + hexByte(length) + ")";
}

std::string ps3HeaderProblem(const PacketBytes& packet) {
    const std::uint8_t id = reportByte(packet, ds3::kReportId);
    if (packet[0] == 0 && id == ds3::kExpectedReportId) {
        return std::string();
    }
    return " | not a PS3 report (lead " + hexByte(packet[0]) + ", report ID " + hexByte(id) + ")";
}

std::string ps3Sticks(const PacketBytes& packet) {
    std::string text;
    for (std::size_t i = 0; i < ds3::kSticks.size(); ++i) {
        text += i == 0 ? "" : " ";
        text += std::string(ds3::kStickNames[i]) + " " +
                std::to_string(reportByte(packet, ds3::kSticks[i]));
    }
    return text;
}

std::string ps3Pressures(const PacketBytes& packet) {
    std::string text;
    for (const ds3::Pressure& pressure : ds3::kPressures) {
        const std::uint8_t value = reportByte(packet, pressure.byte);
        if (value != 0) {
            text += " " + std::string(pressure.name) + " " + std::to_string(value);
        }
    }
    return text.empty() ? " -" : text;
}

} // namespace

std::string decodeXbox360Packet(std::size_t index, const PacketBytes& packet) {
    return lineStart(index, "xbox360") + " buttons: " + pressedButtons(packet, x360::kButtons) +
           " | LT " + std::to_string(reportByte(packet, x360::kLeftTrigger)) + " RT " +
           std::to_string(reportByte(packet, x360::kRightTrigger)) + " | LX " +
           std::to_string(littleEndianSigned16(packet, x360::kLeftX)) + " LY " +
           std::to_string(littleEndianSigned16(packet, x360::kLeftY)) + " RX " +
           std::to_string(littleEndianSigned16(packet, x360::kRightX)) + " RY " +
           std::to_string(littleEndianSigned16(packet, x360::kRightY)) + " | motion " +
           motionValues(packet, x360::kMotion) + xbox360HeaderProblem(packet);
}

std::string decodePs3Packet(std::size_t index, const PacketBytes& packet) {
    return lineStart(index, "ps3") + " buttons: " + pressedButtons(packet, ds3::kButtons) + " | " +
           ps3Sticks(packet) + " | pressure" + ps3Pressures(packet) + " | accel " +
           motionValues(packet, ds3::kAccelerometers) + " gyro " +
           std::to_string(bigEndian16(packet, ds3::kGyro)) + ps3HeaderProblem(packet);
}

std::string decodePacket(PacketConsole console, std::size_t index, const PacketBytes& packet) {
    return console == PacketConsole::ps3 ? decodePs3Packet(index, packet)
                                         : decodeXbox360Packet(index, packet);
}

} // namespace qora
