#pragma once
// The console the adapter speaks to, from SETTING/OSTYPE of setting.ini. Any other value
// acts as neither console.

#include <cstdint>

namespace qora {

using ConsoleMode = std::int32_t;
inline constexpr ConsoleMode kConsoleXbox360 = 0;
inline constexpr ConsoleMode kConsolePs3 = 1;
inline constexpr ConsoleMode kConsoleNotSet = -1;

} // namespace qora
