#include "formats/aim_values.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qora {
namespace {

constexpr std::int64_t kHundredths = 100;
constexpr std::int64_t kExponentStepHundredths = 5; // profile::kExponentStep

// Far outside any grid, yet safe to convert to an int.
constexpr double kHundredthsLimit = 1.0e6;

// Division rounding towards minus infinity; divisor > 0.
std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

std::int64_t exponentHundredths(std::int32_t steps) {
    return kHundredths + kExponentStepHundredths * steps;
}

// "24", "24.5", "24.33", "-5.4": the fewest decimals, but at least one if asked.
std::string hundredthsText(std::int64_t hundredths, bool oneDecimalAtLeast) {
    const bool negative = hundredths < 0;
    const std::int64_t magnitude = negative ? -hundredths : hundredths;
    // Appended piece by piece: a literal plus a temporary string makes GCC 12 see a
    // memcpy overlap that is not there.
    std::string text = negative ? "-" : "";
    text.append(std::to_string(magnitude / kHundredths));
    const std::int64_t cents = magnitude % kHundredths;
    if (cents % 10 != 0) {
        text.append(cents < 10 ? ".0" : ".").append(std::to_string(cents));
    } else if (cents != 0 || oneDecimalAtLeast) {
        text.append(".").append(std::to_string(cents / 10));
    }
    return text;
}

} // namespace

std::int32_t stepOnGrid(std::int32_t value, const AimValueGrid& grid, std::int32_t steps) {
    if (steps == 0) {
        return value;
    }
    // The point at or below the value when moving up, at or above it when moving down.
    const std::int64_t start =
        steps > 0 ? floorDivide(value, grid.step) : -floorDivide(-std::int64_t{value}, grid.step);
    const std::int64_t moved = (start + steps) * grid.step;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(moved, grid.min, grid.max));
}

float zoomScaleOf(std::int32_t hundredths) {
    // One correctly rounded division: the float nearest the decimal.
    return static_cast<float>(hundredths) / static_cast<float>(kHundredths);
}

std::int32_t zoomHundredthsOf(float scale) {
    if (std::isnan(scale)) {
        return kSensitivityGrid.min;
    }
    const double hundredths =
        std::clamp(static_cast<double>(scale) * kHundredths, -kHundredthsLimit, kHundredthsLimit);
    return static_cast<std::int32_t>(std::lround(hundredths));
}

AimLabel deadZoneLabel(std::int32_t hundredths) {
    AimLabel label{};
    const std::int32_t whole = hundredths / 100;
    const std::int32_t fraction = hundredths % 100;
    if (fraction % 10 == 0) {
        std::snprintf(label.data(), label.size(), "%d.%d %%", static_cast<int>(whole),
                      static_cast<int>(fraction / 10));
    } else {
        std::snprintf(label.data(), label.size(), "%d.%02d %%", static_cast<int>(whole),
                      static_cast<int>(fraction));
    }
    return label;
}

AimLabel exponentLabel(std::int32_t steps) {
    // Written from whole hundredths so that no float rounds it.
    const std::int64_t hundredths = exponentHundredths(steps);
    const std::int64_t size = std::llabs(hundredths);
    AimLabel label{};
    std::snprintf(label.data(), label.size(), "%s%d.%02d", hundredths < 0 ? "-" : "",
                  static_cast<int>(size / kHundredths), static_cast<int>(size % kHundredths));
    return label;
}

std::string deadZoneText(std::uint16_t hundredths) {
    return hundredthsText(hundredths, false);
}

std::string exponentText(std::int8_t steps) {
    return hundredthsText(exponentHundredths(steps), true);
}

std::string zoomScaleText(float scale) {
    const std::int32_t hundredths = zoomHundredthsOf(scale);
    // Bit for bit, so that -0.0 keeps its sign.
    if (std::bit_cast<std::uint32_t>(zoomScaleOf(hundredths)) ==
        std::bit_cast<std::uint32_t>(scale)) {
        return hundredthsText(hundredths, true);
    }
    char text[32] = {};
    const std::to_chars_result written = std::to_chars(text, text + sizeof text - 1, scale);
    return std::string(text, written.ptr);
}

} // namespace qora
