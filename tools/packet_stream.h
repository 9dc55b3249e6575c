#pragma once
// Decodes packets as their bytes arrive, in pieces of any size, so a file of any length is
// read with a fixed amount of memory: one line per packet as soon as it is whole.

#include "tools/packet_decoder.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

namespace qora {

class PacketStreamDecoder {
public:
    PacketStreamDecoder(PacketConsole console, std::ostream& out);

    void feed(const std::uint8_t* bytes, std::size_t count);

    std::uint64_t packetCount() const { return packets_; }
    // Bytes of a packet the input has not finished (yet, or ever: a torn tail).
    std::size_t pendingBytes() const { return pendingBytes_; }

private:
    PacketConsole console_;
    std::ostream& out_;
    PacketBytes pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t packets_ = 0;
};

} // namespace qora
