#pragma once
// The precise-aim values a player sets: the game's dead zone, the two sensitivities (the
// record's zoom scales) and the exponent. Here are their grids, the one conversion from a
// sensitivity on its grid to the float the record stores, and how labels and the profile
// text write each value, for the Map dialog, live calibration, the calibration view and
// the tools alike, so that a value set by any of them reads the same everywhere.

#include "formats/profile_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qora {

// The values in the order the calibration view lists them and F5 to F8 pick them.
enum class AimValue : std::uint8_t { deadZone, sensitivityX, sensitivityY, exponent };
inline constexpr std::size_t kAimValueCount = 4;

// A grid in stored units: the dead zone in hundredths of a percent, 0.5 % from 0 to 90 %;
// the exponent in its signed steps of 0.05, 0.25 to 4.0; the sensitivity in hundredths,
// 0.05 from 0.5 to 5.0 (the Map dialog's bar moves it by tenths, every second point).
struct AimValueGrid {
    std::int32_t step;
    std::int32_t min;
    std::int32_t max;
};
inline constexpr AimValueGrid kDeadZoneGrid{50, 0, profile::kMaxDeadZoneHundredths};
inline constexpr AimValueGrid kExponentGrid{1, profile::kMinExponentSteps,
                                            profile::kMaxExponentSteps};
inline constexpr AimValueGrid kSensitivityGrid{5, 50, 500};

// value moved by steps grid points (a negative count moves down), within the grid's range.
// A value between two points counts its first step to the next point that way, so a stored
// 23.95 % moves to 24.0 % or 23.5 %. No step leaves the value as it is.
std::int32_t stepOnGrid(std::int32_t value, const AimValueGrid& grid, std::int32_t steps);

// The float a sensitivity of hundredths / 100 is stored as: the float nearest that
// decimal, which the profile text writes back as the same short decimal ("1.3").
float zoomScaleOf(std::int32_t hundredths);
// The nearest hundredths of a stored float. Not a number reads as the grid's minimum, and
// a float beyond any grid point as far outside the grid.
std::int32_t zoomHundredthsOf(float scale);

// Labels, with fixed decimals: "24.0 %", "23.95 %" (one decimal for the grid's own points,
// two for a finer stored value); "1.00", "-5.40" (any stored byte).
using AimLabel = std::array<char, 16>;
AimLabel deadZoneLabel(std::int32_t hundredths);
AimLabel exponentLabel(std::int32_t steps);

// The profile text, with the fewest decimals: "24", "24.5", "24.33" (any stored value);
// "1.0", "0.25", "-5.4" (at least one decimal). A sensitivity on the hundredths' floats
// reads "1.0", "1.3", "1.35"; any other float the shortest decimal that reads back to it
// ("1.3000001").
std::string deadZoneText(std::uint16_t hundredths);
std::string exponentText(std::int8_t steps);
std::string zoomScaleText(float scale);

} // namespace qora
