#pragma once
// The places of the overlay's dots and labels. They fit the controller picture of each
// console, so they are not built in but read from setting.ini, one section per console,
// every time a capture run starts.

#include "formats/setting_ini.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

// The top-left corner of a 16 x 16 dot cell or of a label's text, in client coordinates.
struct IconPosition {
    std::uint16_t x = 0;
    std::uint16_t y = 0;

    friend bool operator==(const IconPosition&, const IconPosition&) = default;
};

inline constexpr std::size_t kIconPositionCount = 21;

// Slots of the table, in the order their keys are read.
namespace icon {
inline constexpr std::size_t leftClick = 0;  // PLCX, PLCY (PS3 L3)
inline constexpr std::size_t rightClick = 1; // PRCX, PRCY (PS3 R3)
inline constexpr std::size_t dpadLeft = 2;
inline constexpr std::size_t dpadRight = 3;
inline constexpr std::size_t dpadDown = 4;
inline constexpr std::size_t dpadUp = 5;
inline constexpr std::size_t dpadUpLeft = 6;
inline constexpr std::size_t dpadUpRight = 7;
inline constexpr std::size_t dpadDownRight = 8;
inline constexpr std::size_t dpadDownLeft = 9;
inline constexpr std::size_t back = 10;  // PS3 SELECT
inline constexpr std::size_t guide = 11; // PHOMEX, PHOMEY (PS3 PS)
inline constexpr std::size_t start = 12;
inline constexpr std::size_t x = 13;            // PS3 square
inline constexpr std::size_t y = 14;            // PS3 triangle
inline constexpr std::size_t a = 15;            // PS3 cross
inline constexpr std::size_t b = 16;            // PS3 circle
inline constexpr std::size_t leftTrigger = 17;  // label "L2" (PS3 only)
inline constexpr std::size_t leftBumper = 18;   // label "LB" / "L1"
inline constexpr std::size_t rightTrigger = 19; // label "R2" (PS3 only)
inline constexpr std::size_t rightBumper = 20;  // label "RB" / "R1"
} // namespace icon

// The icon position table. The application layer owns the one instance: all places are 0
// at program start, and they keep the values of the last run start after the run stops.
struct IconPositions {
    std::array<IconPosition, kIconPositionCount> places{};

    friend bool operator==(const IconPositions&, const IconPositions&) = default;
};

// Overwrites all 21 places from the section of mode (LOCATION_360 for the Xbox 360,
// LOCATION_PS3 for the PS3): 42 GetPrivateProfileIntA reads in slot order, x before y,
// default 0, keeping the low 16 bits (-1 becomes 65535). No section belongs to any other
// mode: nothing is read and every place becomes 0.
void loadIconPositions(IconPositions& table, ProfileFileApi& ini, const ProgramPaths& paths,
                       ConsoleMode mode);

} // namespace qora
