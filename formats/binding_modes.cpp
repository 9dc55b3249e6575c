#include "formats/binding_modes.h"

#include <algorithm>

namespace qora {
namespace {

bool turboTimeInRange(std::uint16_t ms) {
    return ms >= kMinTurboMs && ms <= kMaxTurboMs;
}

bool stepInRange(const MacroStep& step) {
    return step.ms >= kMinMacroStepMs && step.ms <= kMaxMacroStepMs &&
           (step.actions & ~kAllActions) == 0;
}

bool macroInRange(const Macro& macro) {
    return macro.key != 0 && macro.steps.size() <= kMaxMacroSteps &&
           std::all_of(macro.steps.begin(), macro.steps.end(), stepInRange);
}

} // namespace

bool modesInRange(const BindingModes& modes) {
    return (modes.toggle & ~kAllActions) == 0 && (modes.turbo & ~kAllActions) == 0 &&
           turboTimeInRange(modes.turboPressMs) && turboTimeInRange(modes.turboReleaseMs) &&
           modes.walkPercent >= kMinWalkPercent && modes.walkPercent <= kMaxWalkPercent &&
           (modes.changes & ~mode_change::all) == 0 && modes.macros.size() <= kMaxMacros &&
           std::all_of(modes.macros.begin(), modes.macros.end(), macroInRange);
}

} // namespace qora
