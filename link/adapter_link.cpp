#include "link/adapter_link.h"

#include "link/adapter.h"
#include "link/virtual_adapter.h"
#include "platform/file_failure.h"

namespace qora {
namespace {

bool writePipePacket(FileApi& files, const AdapterLink& link, const Packet& packet) {
    std::uint32_t written = 0;
    return files.writeFile(link.handle, packet.data(), kPacketSize, &written) &&
           written == kPacketSize;
}

} // namespace

AdapterLink openAdapter(HidApi& hid, FileApi& files, ProfileFileApi& ini,
                        const ProgramPaths& paths) {
    if (virtualAdapterEnabled(ini, paths)) {
        return openVirtualAdapter(files, paths);
    }
    AdapterLink link;
    link.handle = findAdapter(hid);
    return link;
}

bool writeAdapterPacket(FileApi& files, const ProgramPaths& paths, AdapterLink& link,
                        const Packet& packet) {
    if (!isOpen(link)) {
        return false;
    }
    if (link.isVirtual) {
        return writeVirtualPacket(files, paths, link, packet);
    }
    return writePipePacket(files, link, packet);
}

void closeAdapter(FileApi& files, AdapterLink& link) {
    if (isOpen(link)) {
        files.closeHandle(link.handle);
    }
    link = AdapterLink{};
}

std::string adapterUnavailableText(const AdapterLink& failed, const ProgramPaths& paths) {
    if (failed.isVirtual) {
        std::string text = "Can not create " + paths.packetsBin + " for the virtual adapter";
        if (failed.openError != kErrorSuccess) {
            text += ": " + errorReason(failed.openError);
        }
        return text;
    }
    return kAdapterMissingText;
}

} // namespace qora
