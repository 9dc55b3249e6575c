#pragma once
// The live controller state: the Xbox 360 wired controller input report (bytes 0-19),
// the PS3 motion fields (bytes 20-25) and a trailing zero byte. Sticks are signed 16-bit
// little-endian, motion fields unsigned 16-bit big-endian.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

inline constexpr std::size_t kControllerStateSize = 27;

namespace state {
inline constexpr std::size_t reportType = 0;
inline constexpr std::size_t reportLength = 1;
inline constexpr std::size_t buttons1 = 2;
inline constexpr std::size_t buttons2 = 3;
inline constexpr std::size_t leftTrigger = 4;
inline constexpr std::size_t rightTrigger = 5;
inline constexpr std::size_t leftStickX = 6;
inline constexpr std::size_t leftStickY = 8;
inline constexpr std::size_t rightStickX = 10;
inline constexpr std::size_t rightStickY = 12;
inline constexpr std::size_t reservedBegin = 14;
inline constexpr std::size_t reservedEnd = 20; // one past the last reserved byte
inline constexpr std::size_t accelX = 20;
inline constexpr std::size_t accelY = 22;
inline constexpr std::size_t accelZ = 24;
inline constexpr std::size_t trailer = 26;

inline constexpr std::uint8_t kReportLength = 0x14;
} // namespace state

// Bits of buttons1.
namespace buttons1 {
inline constexpr std::uint8_t dpadUp = 0x01;
inline constexpr std::uint8_t dpadDown = 0x02;
inline constexpr std::uint8_t dpadLeft = 0x04;
inline constexpr std::uint8_t dpadRight = 0x08;
inline constexpr std::uint8_t start = 0x10;
inline constexpr std::uint8_t back = 0x20;       // PS3 SELECT
inline constexpr std::uint8_t leftClick = 0x40;  // PS3 L3
inline constexpr std::uint8_t rightClick = 0x80; // PS3 R3
} // namespace buttons1

// Bits of buttons2 (0x08 is never set).
namespace buttons2 {
inline constexpr std::uint8_t leftBumper = 0x01;  // PS3 L1
inline constexpr std::uint8_t rightBumper = 0x02; // PS3 R1
inline constexpr std::uint8_t guide = 0x04;       // PS3 PS
inline constexpr std::uint8_t a = 0x10;           // PS3 cross
inline constexpr std::uint8_t b = 0x20;           // PS3 circle
inline constexpr std::uint8_t x = 0x40;           // PS3 square
inline constexpr std::uint8_t y = 0x80;           // PS3 triangle
} // namespace buttons2

inline constexpr std::uint8_t kTriggerPressed = 0xFF;

// Full stick deflection from an action: +127 and -127 in the high byte.
inline constexpr std::int16_t kStickFullPositive = 0x7FFF;
inline constexpr std::int16_t kStickFullNegative = static_cast<std::int16_t>(0x8100);

// Motion rest values.
inline constexpr std::uint16_t kAccelLevel = 0x0200;
inline constexpr std::uint16_t kAccelZRest = 0x0190;

struct ControllerState {
    std::array<std::uint8_t, kControllerStateSize> bytes{};

    friend bool operator==(const ControllerState&, const ControllerState&) = default;
};

// All 27 bytes 0 except the report length: program start and after a run stops.
ControllerState idleControllerState();
// What every tick starts from: the idle contents plus the motion rest values.
void resetToRest(ControllerState& state);
void resetToIdle(ControllerState& state);

std::int16_t stickValue(const ControllerState& state, std::size_t offset);
void setStickValue(ControllerState& state, std::size_t offset, std::int16_t value);
// The high byte of a stick field, the only part the PS3 report and the crosshairs use.
std::int8_t stickHighByte(const ControllerState& state, std::size_t offset);

std::uint16_t motionValue(const ControllerState& state, std::size_t offset);
void setMotionValue(ControllerState& state, std::size_t offset, std::uint16_t value);

} // namespace qora
