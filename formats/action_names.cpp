#include "formats/action_names.h"

#include "formats/action_codes.h"
#include "formats/profile_record.h"

#include <iterator>

namespace qora {
namespace {

constexpr const char* kXbox360ActionNames[] = {
    "DU",  "DD",  "DL",   "DR",    "LAU",   "LAD", "LAL", "LAR", "RAU", "RAD",
    "RAL", "RAR", "Y",    "X",     "B",     "A",   "LT",  "LB",  "RT",  "RB",
    "LC",  "RC",  "BACK", "START", "GUIDE", "TU",  "TD",  "TL",  "TR"};

constexpr const char* kPs3ActionNames[] = {
    "DU",  "DD",  "DL",     "DR",    "LAU", "LAD", "LAL", "LAR", "RAU", "RAD",
    "RAL", "RAR", "A",      "[]",    "O",   "X",   "L1",  "L2",  "R1",  "R2",
    "L3",  "R3",  "SELECT", "START", "PS",  "TU",  "TD",  "TL",  "TR"};

static_assert(std::size(kXbox360ActionNames) == kActionCount);
static_assert(std::size(kPs3ActionNames) == kActionCount);
static_assert(action::last + 1 == static_cast<ActionCode>(kActionCount));

} // namespace

std::span<const char* const> actionNames(ConsoleMode mode) {
    if (mode == kConsolePs3) {
        return kPs3ActionNames;
    }
    return kXbox360ActionNames;
}

} // namespace qora
