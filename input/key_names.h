#pragma once
// KeyNameTable: the display text of every DirectInput scan code, as the Map dialog shows
// it in its key fields. Codes without a name have the empty text.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

inline constexpr std::size_t kKeyNameSlotSize = 16; // at most 15 characters and the NUL
inline constexpr std::size_t kKeyNameCount = 256;   // one per scan code

using KeyNameSlot = std::array<char, kKeyNameSlotSize>;
using KeyNameTable = std::array<KeyNameSlot, kKeyNameCount>;

const KeyNameTable& keyNameTable();

// The NUL-terminated name of scanCode; "" when it has none. Never null.
const char* keyName(std::uint8_t scanCode);

} // namespace qora
