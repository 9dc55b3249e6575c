#pragma once
// The virtual adapter: every packet appended to packets.bin beside the executable, so qora
// can be tried without the hardware. The file only ever holds whole packets, and it is
// capped: a packet that would take it past the cap starts a fresh file, and the previous
// one is kept as packets.old.bin.

#include "formats/setting_ini.h"
#include "link/adapter_link.h"

#include <cstdint>

namespace qora {

bool virtualAdapterEnabled(ProfileFileApi& ini, const ProgramPaths& paths);

// packets.bin ready for the next packet after the last whole one: a torn packet at its end
// is cut off, and a file at the cap is moved to packets.old.bin first. Not open when the
// file cannot be created or prepared.
AdapterLink openVirtualAdapter(FileApi& files, const ProgramPaths& paths);

// Appends one packet; false when it did not go out whole, after cutting off what did.
bool writeVirtualPacket(FileApi& files, const ProgramPaths& paths, AdapterLink& link,
                        const Packet& packet);

} // namespace qora
