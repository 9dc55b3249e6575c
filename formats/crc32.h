#pragma once
// CRC-32 as zip, PNG and Ethernet compute it (reflected polynomial 0xEDB88320, initial
// value and final XOR 0xFFFFFFFF): a file's check sum, so damage to it is detected.

#include <cstddef>
#include <cstdint>

namespace qora {

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t size);

} // namespace qora
