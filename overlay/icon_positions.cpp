#include "overlay/icon_positions.h"

namespace qora {
namespace {

struct IconKeys {
    const char* x;
    const char* y;
};

// Indexed by the slots of namespace icon.
constexpr std::array<IconKeys, kIconPositionCount> kIconKeys = {{
    {"PLCX", "PLCY"},
    {"PRCX", "PRCY"},
    {"PLEFTX", "PLEFTY"},
    {"PRIGHTX", "PRIGHTY"},
    {"PDOWNX", "PDOWNY"},
    {"PUPX", "PUPY"},
    {"PUPLEFTX", "PUPLEFTY"},
    {"PUPRIGHTX", "PUPRIGHTY"},
    {"PDOWNRIGHTX", "PDOWNRIGHTY"},
    {"PDOWNLEFTX", "PDOWNLEFTY"},
    {"PBACKX", "PBACKY"},
    {"PHOMEX", "PHOMEY"},
    {"PSTARTX", "PSTARTY"},
    {"PXX", "PXY"},
    {"PYX", "PYY"},
    {"PAX", "PAY"},
    {"PBX", "PBY"},
    {"PLTX", "PLTY"},
    {"PLBX", "PLBY"},
    {"PRTX", "PRTY"},
    {"PRBX", "PRBY"},
}};

// The section that holds the places for mode, or nullptr when no console is selected.
const char* sectionFor(ConsoleMode mode) {
    if (mode == kConsoleXbox360) {
        return kLocation360Section;
    }
    if (mode == kConsolePs3) {
        return kLocationPs3Section;
    }
    return nullptr;
}

std::uint16_t readCoordinate(ProfileFileApi& ini, const char* section, const char* key,
                             const ProgramPaths& paths) {
    const std::uint32_t value =
        ini.getPrivateProfileInt(section, key, kLocationDefault, paths.settingIni.c_str());
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

} // namespace

void loadIconPositions(IconPositions& table, ProfileFileApi& ini, const ProgramPaths& paths,
                       ConsoleMode mode) {
    const char* section = sectionFor(mode);
    if (section == nullptr) {
        table = IconPositions{};
        return;
    }
    for (std::size_t slot = 0; slot < kIconPositionCount; ++slot) {
        IconPosition& place = table.places[slot];
        place.x = readCoordinate(ini, section, kIconKeys[slot].x, paths);
        place.y = readCoordinate(ini, section, kIconKeys[slot].y, paths);
    }
}

} // namespace qora
