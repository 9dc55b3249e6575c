#pragma once
// The findings of the check command over a whole store: COUNT against the length of
// config.bin, CURRENT against COUNT, a layers.bin that cannot be used or holds layers of no
// profile, then every profile's problems, its record's and its layers'.

#include "platform/platform_types.h"
#include "tools/profiles/record_problems.h"
#include "tools/profiles/store_contents.h"

#include <string>
#include <vector>

namespace qora {

// One line per problem; empty when the store is sound.
std::vector<std::string> storeProblems(const StoreContents& store, ConsoleMode console,
                                       const SwitchKeyCodes& switchKeys = {});

} // namespace qora
