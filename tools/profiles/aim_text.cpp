#include "tools/profiles/aim_text.h"

#include <cstdlib>

namespace qora {
namespace {

constexpr std::int64_t kHundredths = 100;
constexpr std::int64_t kExponentStepHundredths = 5; // profile::kExponentStep
constexpr std::int64_t kMinExponentHundredths =
    kHundredths + kExponentStepHundredths * profile::kMinExponentSteps; // 0.25
constexpr std::int64_t kMaxExponentHundredths =
    kHundredths + kExponentStepHundredths * profile::kMaxExponentSteps; // 4.0
// Integer digits beyond these say "out of range" already and would overflow.
constexpr std::size_t kMaxWholeDigits = 9;

enum class Decimal { notANumber, tooFine, read };

bool allDigits(std::string_view digits) {
    return digits.find_first_not_of("0123456789") == std::string_view::npos;
}

// A decimal number ("-1", "24.5", "1.050") as a whole number of hundredths, exactly:
// non-zero digits past the second decimal make it too fine for hundredths.
Decimal hundredthsOf(std::string_view text, std::int64_t& hundredths) {
    const bool negative = text.starts_with('-');
    const std::string_view number = negative ? text.substr(1) : text;
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : number.substr(point + 1);
    if (whole.empty() || whole.size() > kMaxWholeDigits || !allDigits(whole) ||
        !allDigits(fraction) || (point != std::string_view::npos && fraction.empty())) {
        return Decimal::notANumber;
    }
    if (fraction.size() > 2 &&
        fraction.substr(2).find_first_not_of('0') != std::string_view::npos) {
        return Decimal::tooFine;
    }
    const std::string cents = (std::string(fraction.substr(0, 2)) + "00").substr(0, 2);
    hundredths = std::atoll(std::string(whole).c_str()) * kHundredths + std::atoll(cents.c_str());
    if (negative) {
        hundredths = -hundredths;
    }
    return Decimal::read;
}

AimReading refused(std::string error) {
    return {false, std::move(error)};
}

std::string quoted(std::string_view text) {
    std::string quoted(1, '"');
    return quoted.append(text).append(1, '"');
}

} // namespace

const char* aimModeWord(AimMode mode) {
    return mode == AimMode::precise ? kPreciseAimWord : kClassicAimWord;
}

const char* aimShapeWord(AimShape shape) {
    return shape == AimShape::square ? kSquareShapeWord : kCircleShapeWord;
}

AimReading readAimMode(std::string_view text, AimSettings& aim) {
    if (text == kClassicAimWord || text == kPreciseAimWord) {
        aim.mode = text == kPreciseAimWord ? AimMode::precise : AimMode::classic;
        return {true, {}};
    }
    return refused("unknown aim " + quoted(text) + "; use classic or precise");
}

AimReading readAimShape(std::string_view text, AimSettings& aim) {
    if (text == kCircleShapeWord || text == kSquareShapeWord) {
        aim.shape = text == kSquareShapeWord ? AimShape::square : AimShape::circle;
        return {true, {}};
    }
    return refused("unknown shape " + quoted(text) + "; use circle or square");
}

AimReading readDeadZone(std::string_view text, AimSettings& aim) {
    std::int64_t hundredths = 0;
    switch (hundredthsOf(text, hundredths)) {
    case Decimal::notANumber:
        return refused(quoted(text) + " is not a percentage such as 24 or 24.5");
    case Decimal::tooFine:
        return refused(std::string(text) + " has more decimals than the two a profile holds");
    case Decimal::read:
        break;
    }
    if (hundredths < 0 || hundredths > profile::kMaxDeadZoneHundredths) {
        return refused(std::string(text) + " is outside 0 to 90");
    }
    aim.deadZoneHundredths = static_cast<std::uint16_t>(hundredths);
    return {true, {}};
}

AimReading readExponent(std::string_view text, AimSettings& aim) {
    std::int64_t hundredths = 0;
    const Decimal decimal = hundredthsOf(text, hundredths);
    if (decimal == Decimal::notANumber) {
        return refused(quoted(text) + " is not a decimal number such as 1.0");
    }
    if (decimal == Decimal::tooFine || hundredths % kExponentStepHundredths != 0) {
        return refused(std::string(text) + " is not a multiple of 0.05");
    }
    if (hundredths < kMinExponentHundredths || hundredths > kMaxExponentHundredths) {
        return refused(std::string(text) + " is outside 0.25 to 4.0");
    }
    aim.exponentSteps =
        static_cast<std::int8_t>((hundredths - kHundredths) / kExponentStepHundredths);
    return {true, {}};
}

} // namespace qora
