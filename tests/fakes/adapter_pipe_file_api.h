#pragma once
// Host files, except the adapter pipes the HID fake hands out: what is written to a pipe
// is recorded packet by packet, an unplugged adapter refuses every write, and a pipe is
// closed in the HID fake.

#include "fakes/fake_hid_api.h"
#include "link/packet.h"
#include "platform/host/host_file_api.h"

#include <algorithm>
#include <vector>

namespace qora::testing {

class AdapterPipeFileApi : public HostFileApi {
public:
    explicit AdapterPipeFileApi(FakeHidApi& hid) : hid_(hid) {}

    bool writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                   std::uint32_t* bytesWritten) override {
        if (!hid_.isOpenPipe(file)) {
            return HostFileApi::writeFile(file, buffer, length, bytesWritten);
        }
        *bytesWritten = 0;
        if (unplugged || length != kPacketSize) {
            return false;
        }
        Packet packet;
        std::copy_n(static_cast<const std::uint8_t*>(buffer), kPacketSize, packet.begin());
        pipePackets.push_back(packet);
        *bytesWritten = length;
        return true;
    }
    bool closeHandle(NativeHandle file) override {
        if (hid_.isOpenPipe(file)) {
            return hid_.closeHandle(file);
        }
        return HostFileApi::closeHandle(file);
    }

    bool unplugged = false;
    std::vector<Packet> pipePackets;

private:
    FakeHidApi& hid_;
};

} // namespace qora::testing
