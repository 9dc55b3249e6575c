#pragma once
// Finding the adapter among the HID devices by its USB identity and opening its pipe,
// or, when setting.ini asks for it, a virtual adapter that appends every packet to
// packets.bin beside the executable.

#include "link/hid_api.h"
#include "platform/file_api.h"
#include "platform/platform_types.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"

#include <cstdint>
#include <string>

namespace qora {

inline constexpr std::uint16_t kAdapterVendorId = 0x04B4;
inline constexpr std::uint16_t kAdapterProductId = 0x0811;

// The adapter's driver serves its report pipe behind the HID interface path.
inline constexpr const char* kPipeSuffix = "\\PIPE1";

inline constexpr const char* kAdapterSection = "ADAPTER";
inline constexpr const char* kVirtualAdapterKey = "VIRTUAL";

// The adapter's pipe (or the virtual adapter's file) open for writing packets, or
// kInvalidHandle when there is none. Either kind is a plain file handle: the caller writes
// and closes it through FileApi.
NativeHandle openAdapter(HidApi& hid, FileApi& files, ProfileFileApi& ini,
                         const ProgramPaths& paths);

// The HID search alone: the first present device with the adapter's identity whose pipe
// opens.
NativeHandle findAdapter(HidApi& hid);

bool virtualAdapterEnabled(ProfileFileApi& ini, const ProgramPaths& paths);
NativeHandle openVirtualAdapter(FileApi& files, const ProgramPaths& paths);

bool isAdapterIdentity(const HidAttributes& attributes);
std::string pipePathFor(const std::string& interfacePath);

} // namespace qora
