#pragma once
// The precise-aim settings as the profile text writes them: AIM classic or precise,
// DEADZONE in percent with up to two decimals (the record holds hundredths), SHAPE circle
// or square, EXPONENT 0.25 to 4.0 in steps of 0.05 (the record holds the steps from 1.0).
// Reading is exact: a value finer than the record holds is refused, never rounded, so a
// text says precisely what the profile will do.

#include "formats/aim_values.h" // deadZoneText, exponentText
#include "formats/profile_record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qora {

inline constexpr const char* kAimSetting = "AIM";
inline constexpr const char* kDeadZoneSetting = "DEADZONE";
inline constexpr const char* kShapeSetting = "SHAPE";
inline constexpr const char* kExponentSetting = "EXPONENT";

inline constexpr const char* kClassicAimWord = "classic";
inline constexpr const char* kPreciseAimWord = "precise";
inline constexpr const char* kCircleShapeWord = "circle";
inline constexpr const char* kSquareShapeWord = "square";

const char* aimModeWord(AimMode mode);
const char* aimShapeWord(AimShape shape);

// The value of a line, or why the line is refused (the message without the setting).
struct AimReading {
    bool ok = false;
    std::string error;
};

AimReading readAimMode(std::string_view text, AimSettings& aim);
AimReading readAimShape(std::string_view text, AimSettings& aim);
AimReading readDeadZone(std::string_view text, AimSettings& aim);
AimReading readExponent(std::string_view text, AimSettings& aim);

} // namespace qora
