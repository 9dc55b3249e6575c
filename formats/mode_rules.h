#pragma once
// The rules a profile's binding modes keep beyond the ranges of their values, judged where
// the modes are in effect: in the base, the base's bindings and modes; in a layer, the
// base's with the layer's changes over them (other layers aside: which of them hold at the
// same time changes during play). A rule broken in a layer belongs to the layer only when
// the layer has a part in it; one it inherits untouched from the base is the base's, and
// told once, there.
//
// - A key that plays a macro has no other binding: a press would both play the macro and
//   press the action.
// - An action toggles or repeats (turbo), not both.

#include "formats/action_codes.h"
#include "formats/binding_modes.h"
#include "formats/layer_record.h"
#include "formats/profile_record.h"

#include <cstdint>
#include <vector>

namespace qora {

struct MacroKeyConflict {
    std::uint8_t key;
    ActionCode action; // bound to key as its first or second key
    bool layerMacro;   // the macro is the layer's own (else the base's)
    bool layerBinding; // the layer changes the action's keys (else they are the base's)

    friend bool operator==(const MacroKeyConflict&, const MacroKeyConflict&) = default;
};

// The keys of the base's macros that the base also binds, by key and then action.
std::vector<MacroKeyConflict> macroKeyConflicts(const ProfileRecord& base,
                                                const BindingModes& baseModes);
// The same within a layer, those it has a part in.
std::vector<MacroKeyConflict> macroKeyConflicts(const ProfileRecord& base,
                                                const BindingModes& baseModes,
                                                const LayerRecord& layer);

// The actions that both toggle and repeat in the base, and in a layer that changes either.
ActionSet toggledAndRepeated(const BindingModes& baseModes);
ActionSet toggledAndRepeated(const BindingModes& baseModes, const LayerRecord& layer);

} // namespace qora
