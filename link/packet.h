#pragma once
// The 50-byte packet written to the adapter: the controller state unchanged for the
// Xbox 360, a converted DualShock 3 input report for the PS3, all zeros otherwise.

#include "mapping/controller_state.h"
#include "platform/platform_types.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

inline constexpr std::size_t kPacketSize = 50;
using Packet = std::array<std::uint8_t, kPacketSize>;

namespace packet {
// Byte 0 is always zero; the report for the console starts right after it.
inline constexpr std::size_t reportBegin = 1;
} // namespace packet

inline constexpr std::size_t kPs3ReportSize = 49;

// Byte offsets of the PS3 controller input report (report ID 1).
namespace ps3 {
inline constexpr std::size_t reportId = 0;
inline constexpr std::size_t buttons1 = 2; // select, L3, R3, start, D-pad
inline constexpr std::size_t buttons2 = 3; // L2, R2, L1, R1, the four face buttons
inline constexpr std::size_t buttons3 = 4; // PS button
inline constexpr std::size_t leftStickX = 6;
inline constexpr std::size_t leftStickY = 7;
inline constexpr std::size_t rightStickX = 8;
inline constexpr std::size_t rightStickY = 9;
inline constexpr std::size_t pressureUp = 14;
inline constexpr std::size_t pressureRight = 15;
inline constexpr std::size_t pressureDown = 16;
inline constexpr std::size_t pressureLeft = 17;
inline constexpr std::size_t pressureL2 = 18;
inline constexpr std::size_t pressureR2 = 19;
inline constexpr std::size_t pressureL1 = 20;
inline constexpr std::size_t pressureR1 = 21;
inline constexpr std::size_t pressureTriangle = 22;
inline constexpr std::size_t pressureCircle = 23;
inline constexpr std::size_t pressureCross = 24;
inline constexpr std::size_t pressureSquare = 25;
inline constexpr std::size_t motionBegin = 41; // accelerometer X, Y, Z, 16-bit big-endian
inline constexpr std::size_t motionLength = 6;

inline constexpr std::uint8_t kReportId = 0x01;
inline constexpr std::uint8_t kPressureFull = 0xFF;
// The X axes go from signed to offset form by flipping the top bit; the Y axes are
// offset and inverted at once, so their centre is 0x7F.
inline constexpr std::uint8_t kStickXFlip = 0x80;
inline constexpr std::uint8_t kStickYFlip = 0x7F;

// Fixed bytes a DualShock 3 always reports (status, battery, connection and sensor
// calibration fields) that the console expects to see.
struct ConstantByte {
    std::size_t offset;
    std::uint8_t value;
};
inline constexpr std::array<ConstantByte, 10> kConstantBytes{{{reportId, kReportId},
                                                              {29, 0x03},
                                                              {30, 0xEF},
                                                              {31, 0x16},
                                                              {36, 0x33},
                                                              {37, 0xFE},
                                                              {38, 0x77},
                                                              {39, 0x01},
                                                              {40, 0xC0},
                                                              {48, 0x05}}};
} // namespace ps3

// Bits of ps3::buttons1.
namespace ps3buttons1 {
inline constexpr std::uint8_t select = 0x01;
inline constexpr std::uint8_t l3 = 0x02;
inline constexpr std::uint8_t r3 = 0x04;
inline constexpr std::uint8_t start = 0x08;
inline constexpr std::uint8_t up = 0x10;
inline constexpr std::uint8_t right = 0x20;
inline constexpr std::uint8_t down = 0x40;
inline constexpr std::uint8_t left = 0x80;
} // namespace ps3buttons1

// Bits of ps3::buttons2.
namespace ps3buttons2 {
inline constexpr std::uint8_t l2 = 0x01;
inline constexpr std::uint8_t r2 = 0x02;
inline constexpr std::uint8_t l1 = 0x04;
inline constexpr std::uint8_t r1 = 0x08;
inline constexpr std::uint8_t triangle = 0x10;
inline constexpr std::uint8_t circle = 0x20;
inline constexpr std::uint8_t cross = 0x40;
inline constexpr std::uint8_t square = 0x80;
} // namespace ps3buttons2

// Bits of ps3::buttons3.
namespace ps3buttons3 {
inline constexpr std::uint8_t ps = 0x01;
} // namespace ps3buttons3

// Fills packet for the console; runs inside the tick, so it never allocates.
void encodePacket(ConsoleMode mode, const ControllerState& state, Packet& packet);

} // namespace qora
