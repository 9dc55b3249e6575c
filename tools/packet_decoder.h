#pragma once
// Reads the packets qora sent back the way each console reads them, from the public
// Xbox 360 wired controller and DualShock 3 USB report layouts. It shares nothing with
// the encoder on purpose, so a decoded packets.bin is an independent check of what went
// out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qora {

inline constexpr std::size_t kDecodedPacketSize = 50;
using PacketBytes = std::array<std::uint8_t, kDecodedPacketSize>;

enum class PacketConsole { xbox360, ps3 };

// One line, without a line end, for the packet at position index in the file:
//   "#3 xbox360 buttons: A LB | LT 255 RT 0 | LX 0 LY 32767 RX 0 RY 0 | motion X 512 ..."
//   "#3 ps3 buttons: cross L2 | LX 128 LY 0 RX 128 RY 127 | pressure L2 255 ... | accel ..."
std::string decodeXbox360Packet(std::size_t index, const PacketBytes& packet);
std::string decodePs3Packet(std::size_t index, const PacketBytes& packet);
std::string decodePacket(PacketConsole console, std::size_t index, const PacketBytes& packet);

} // namespace qora
