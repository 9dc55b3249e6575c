#pragma once
// KeyNameTable: the display text of every DirectInput scan code, as the Map dialog shows
// it in its key fields. Codes without a name have the empty text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qora {

inline constexpr std::size_t kKeyNameSlotSize = 16; // at most 15 characters and the NUL
inline constexpr std::size_t kKeyNameCount = 256;   // one per scan code

using KeyNameSlot = std::array<char, kKeyNameSlotSize>;
using KeyNameTable = std::array<KeyNameSlot, kKeyNameCount>;

const KeyNameTable& keyNameTable();

// The NUL-terminated name of scanCode; "" when it has none. Never null.
const char* keyName(std::uint8_t scanCode);

// The scan code whose name is exactly name; 0 (no key) for an empty or unknown name.
std::uint8_t scanCodeNamed(std::string_view name);

} // namespace qora
