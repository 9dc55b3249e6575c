#include "tools/profiles/profile_fields.h"

#include "formats/aim_values.h"

#include <cstdio>

namespace qora {

std::optional<ConsoleMode> consoleNamed(std::string_view name) {
    if (name == "xbox360") {
        return kConsoleXbox360;
    }
    if (name == "ps3") {
        return kConsolePs3;
    }
    return std::nullopt;
}

const char* consoleWord(ConsoleMode console) {
    return console == kConsolePs3 ? "ps3" : "xbox360";
}

const char* consoleTitle(ConsoleMode console) {
    return console == kConsolePs3 ? "PS3" : "Xbox 360";
}

std::string hexText(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}

bool zoomScaleInRange(float scale) {
    return scale >= zoomScaleOf(kSensitivityGrid.min) && scale <= zoomScaleOf(kSensitivityGrid.max);
}

} // namespace qora
