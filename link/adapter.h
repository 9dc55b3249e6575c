#pragma once
// Finding the adapter among the HID devices by its USB identity and opening its pipe.

#include "link/hid_api.h"
#include "platform/file_api.h"
#include "platform/platform_types.h"

#include <cstdint>
#include <string>

namespace qora {

inline constexpr std::uint16_t kAdapterVendorId = 0x04B4;
inline constexpr std::uint16_t kAdapterProductId = 0x0811;

// The adapter's driver serves its report pipe behind the HID interface path.
inline constexpr const char* kPipeSuffix = "\\PIPE1";

// The first present device with the adapter's identity whose pipe opens, or
// kInvalidHandle. The pipe is a plain file handle: the caller writes and closes it through
// FileApi.
NativeHandle findAdapter(HidApi& hid);

bool isAdapterIdentity(const HidAttributes& attributes);
std::string pipePathFor(const std::string& interfacePath);

} // namespace qora
