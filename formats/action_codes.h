#pragma once
// ActionCode: the 29 controller actions a key, a mouse button or a wheel direction can
// trigger, in the order of the Map dialog's key fields.

#include <cstddef>
#include <cstdint>

namespace qora {

using ActionCode = std::int32_t;

namespace action {
inline constexpr ActionCode noAction = -1;
inline constexpr ActionCode dpadUp = 0;
inline constexpr ActionCode dpadDown = 1;
inline constexpr ActionCode dpadLeft = 2;
inline constexpr ActionCode dpadRight = 3;
inline constexpr ActionCode leftStickUp = 4;
inline constexpr ActionCode leftStickDown = 5;
inline constexpr ActionCode leftStickLeft = 6;
inline constexpr ActionCode leftStickRight = 7;
inline constexpr ActionCode rightStickUp = 8;
inline constexpr ActionCode rightStickDown = 9;
inline constexpr ActionCode rightStickLeft = 10;
inline constexpr ActionCode rightStickRight = 11;
inline constexpr ActionCode buttonY = 12;        // PS3 triangle
inline constexpr ActionCode buttonX = 13;        // PS3 square
inline constexpr ActionCode buttonB = 14;        // PS3 circle
inline constexpr ActionCode buttonA = 15;        // PS3 cross
inline constexpr ActionCode leftFifthRow = 16;   // Xbox 360 LT, PS3 L1
inline constexpr ActionCode leftSixthRow = 17;   // Xbox 360 LB, PS3 L2
inline constexpr ActionCode rightFirstRow = 18;  // Xbox 360 RT, PS3 R1
inline constexpr ActionCode rightSecondRow = 19; // Xbox 360 RB, PS3 R2
inline constexpr ActionCode leftClick = 20;
inline constexpr ActionCode rightClick = 21;
inline constexpr ActionCode back = 22; // PS3 SELECT
inline constexpr ActionCode start = 23;
inline constexpr ActionCode guide = 24; // PS3 PS
inline constexpr ActionCode tiltUp = 25;
inline constexpr ActionCode tiltDown = 26;
inline constexpr ActionCode tiltLeft = 27;
inline constexpr ActionCode tiltRight = 28;

inline constexpr ActionCode first = dpadUp;
inline constexpr ActionCode last = tiltRight;
} // namespace action

// The actions a profile binds a second key to (the buttons from Y to START; the record has
// a slot for every action, the others stay 0), and the last action of the Xbox 360 pad.
inline constexpr std::size_t kFirstSecondaryKeyAction = action::buttonY;
inline constexpr std::size_t kLastSecondaryKeyAction = action::start;
inline constexpr std::size_t kLastXbox360KeyAction = action::guide; // the tilt codes follow

} // namespace qora
