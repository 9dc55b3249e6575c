#include "tools/packet_stream.h"

#include <algorithm>
#include <ostream>

namespace qora {

PacketStreamDecoder::PacketStreamDecoder(PacketConsole console, std::ostream& out)
    : console_(console), out_(out) {}

void PacketStreamDecoder::feed(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const std::size_t taken = std::min(count, kDecodedPacketSize - pendingBytes_);
        std::copy_n(bytes, taken, pending_.begin() + static_cast<std::ptrdiff_t>(pendingBytes_));
        pendingBytes_ += taken;
        bytes += taken;
        count -= taken;
        if (pendingBytes_ == kDecodedPacketSize) {
            out_ << decodePacket(console_, static_cast<std::size_t>(packets_), pending_) << '\n';
            ++packets_;
            pendingBytes_ = 0;
        }
    }
}

} // namespace qora
