#include "link/virtual_adapter.h"

#include <cstdint>

namespace qora {
namespace {

constexpr std::int64_t kPacketLength = static_cast<std::int64_t>(kPacketSize);

static_assert(kPacketsFileCap <= INT32_MAX, "file positions go through a 32-bit seek");

// One writer: each packet lands at the file pointer, so nobody else may write meanwhile.
NativeHandle createPacketsFile(FileApi& files, const ProgramPaths& paths,
                               std::uint32_t disposition) {
    return files.createFile(paths.packetsBin.c_str(), kGenericWrite, kFileShareRead, disposition,
                            kFileAttributeNormal);
}

AdapterLink notOpen(std::uint32_t error = kErrorSuccess) {
    AdapterLink link;
    link.isVirtual = true;
    link.openError = error;
    return link;
}

void closeFile(FileApi& files, AdapterLink& link) {
    files.closeHandle(link.handle);
    link.handle = kInvalidHandle;
}

bool seekTo(FileApi& files, NativeHandle file, std::int64_t position) {
    return files.setFilePointer(file, static_cast<std::int32_t>(position), kFileBegin);
}

// packets.bin becomes packets.old.bin (replacing an older one) and a fresh packets.bin
// takes its place. Without the move the file would grow on, so the link closes instead.
bool startFreshFile(FileApi& files, const ProgramPaths& paths, AdapterLink& link) {
    closeFile(files, link);
    if (!files.moveFileReplacing(paths.packetsBin.c_str(), paths.packetsOldBin.c_str())) {
        return false;
    }
    link.handle = createPacketsFile(files, paths, kCreateAlways);
    link.fileLength = 0;
    return isOpen(link);
}

bool passesCap(std::int64_t length) {
    return length + kPacketLength > kPacketsFileCap;
}

// Puts the file pointer after the last whole packet. A disk that filled up in an earlier
// run may have left part of a packet at the end: it is cut off.
bool prepareForNextPacket(FileApi& files, const ProgramPaths& paths, AdapterLink& link) {
    std::int64_t length = 0;
    if (!files.getFileSizeEx(link.handle, &length)) {
        return false;
    }
    if (passesCap(length)) {
        return startFreshFile(files, paths, link);
    }
    const std::int64_t whole = length - length % kPacketLength;
    link.fileLength = whole;
    return seekTo(files, link.handle, whole) &&
           (whole == length || files.setEndOfFile(link.handle));
}

} // namespace

bool virtualAdapterEnabled(ProfileFileApi& ini, const ProgramPaths& paths) {
    return ini.getPrivateProfileInt(kAdapterSection, kVirtualAdapterKey, kVirtualAdapterDefault,
                                    paths.settingIni.c_str()) == 1;
}

AdapterLink openVirtualAdapter(FileApi& files, const ProgramPaths& paths) {
    AdapterLink link = notOpen();
    link.handle = createPacketsFile(files, paths, kOpenAlways);
    if (!isOpen(link) || !prepareForNextPacket(files, paths, link)) {
        const std::uint32_t error = files.getLastError();
        closeAdapter(files, link);
        return notOpen(error);
    }
    return link;
}

bool writeVirtualPacket(FileApi& files, const ProgramPaths& paths, AdapterLink& link,
                        const Packet& packet) {
    if (passesCap(link.fileLength) && !startFreshFile(files, paths, link)) {
        return false;
    }
    std::uint32_t written = 0;
    if (files.writeFile(link.handle, packet.data(), kPacketSize, &written) &&
        written == kPacketSize) {
        link.fileLength += kPacketLength;
        return true;
    }
    // A full disk may have taken part of the packet: cut it off again.
    if (seekTo(files, link.handle, link.fileLength)) {
        files.setEndOfFile(link.handle);
    }
    return false;
}

} // namespace qora
