#pragma once
// The adapter as the capture run holds it: the real adapter's pipe or the virtual
// adapter's packets.bin, opened the way setting.ini asks, written one whole packet at a
// time, and what to tell the user when it cannot be opened.

#include "link/hid_api.h"
#include "link/packet.h"
#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <cstdint>
#include <string>

namespace qora {

inline constexpr const char* kAdapterMissingText = "Can not find QORA";

struct AdapterLink {
    NativeHandle handle = kInvalidHandle; // none when the adapter is not open
    // packets.bin stands in for the adapter (also when it could not be opened).
    bool isVirtual = false;
    // The virtual adapter's bytes in packets.bin, always whole packets; kept here so a
    // write never has to ask the file.
    std::int64_t fileLength = 0;
    // Why packets.bin could not be opened (a GetLastError code), when it could not.
    std::uint32_t openError = kErrorSuccess;
};

inline bool isOpen(const AdapterLink& link) {
    return link.handle != kInvalidHandle;
}

// The virtual adapter when ADAPTER/VIRTUAL is 1, the HID search otherwise. Not open when
// neither answers; the caller closes an open link with closeAdapter.
AdapterLink openAdapter(HidApi& hid, FileApi& files, ProfileFileApi& ini,
                        const ProgramPaths& paths);

// One 50-byte write. False when the packet did not go out whole; the virtual adapter then
// keeps only whole packets in its file. May leave the link closed.
bool writeAdapterPacket(FileApi& files, const ProgramPaths& paths, AdapterLink& link,
                        const Packet& packet);

// Harmless on a link that is not open.
void closeAdapter(FileApi& files, AdapterLink& link);

// What the user is told when openAdapter found nothing: no adapter answered, or
// packets.bin, named in full, cannot be created, and why, in the words of the store's
// messages ("access denied", "disk full").
std::string adapterUnavailableText(const AdapterLink& failed, const ProgramPaths& paths);

} // namespace qora
