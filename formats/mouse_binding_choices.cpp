#include "formats/mouse_binding_choices.h"

#include <cstddef>
#include <iterator>

namespace qora {
namespace {

constexpr const char* kXbox360MouseActions[] = {
    "None", "Y",   "X",   "B",   "A",   "RC",  "RB",  "RT", "LC", "LB", "LT", "LAU",
    "LAD",  "LAL", "LAR", "RAU", "RAD", "RAL", "RAR", "DU", "DD", "DL", "DR"};

constexpr const char* kPs3MouseActions[] = {
    "None", "A",   "[]",  "O",   "X",   "R3", "R2", "R1", "L3", "L2", "L1", "LAU", "LAD", "LAL",
    "LAR",  "RAU", "RAD", "RAL", "RAR", "DU", "DD", "DL", "DR", "TU", "TD", "TL",  "TR"};

constexpr const char* kDirections[] = {"Left Stick", "Right Stick", "TILT"};

static_assert(std::size(kXbox360MouseActions) == 23 && std::size(kPs3MouseActions) == 27);

// Both consoles share the stick and pad items at positions 11 to 22.
constexpr std::size_t kSharedFirst = 11;
constexpr std::size_t kSharedLast = 22;
constexpr bool sharedItemsAgree() {
    for (std::size_t i = kSharedFirst; i <= kSharedLast; ++i) {
        const char* a = kXbox360MouseActions[i];
        const char* b = kPs3MouseActions[i];
        while (*a != '\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*a != *b) {
            return false;
        }
    }
    return true;
}
static_assert(sharedItemsAgree());

constexpr std::size_t kXbox360DirectionCount = 2; // no tilt sensors on the Xbox 360 pad

} // namespace

std::span<const char* const> mouseActionItems(ConsoleMode mode) {
    if (mode == kConsolePs3) {
        return kPs3MouseActions;
    }
    return kXbox360MouseActions;
}

std::span<const char* const> directionItems(ConsoleMode mode) {
    const std::span<const char* const> all = kDirections;
    return mode == kConsolePs3 ? all : all.first(kXbox360DirectionCount);
}

} // namespace qora
