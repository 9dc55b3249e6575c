#pragma once
// The files beside qora.exe and the keys of setting.ini: every section and key qora reads
// or writes, with the value a missing key takes. The program, the dialogs and the tools
// all name them from here.

#include <cstddef>
#include <cstdint>

namespace qora {

// The file names, also the names the user is shown in a failure message.
inline constexpr const char* kSettingIniName = "setting.ini";
inline constexpr const char* kConfigBinName = "config.bin";
// The layers of the profiles of config.bin, paired with them by their bytes
// (formats/layer_file.h). Only a profile with layers stores anything there.
inline constexpr const char* kLayersBinName = "layers.bin";
inline constexpr const char* kPacketsBinName = "packets.bin";
inline constexpr const char* kPacketsOldBinName = "packets.old.bin";
// A whole-file write goes to the file's name with this suffix first, then replaces the
// file in one step.
inline constexpr const char* kTemporaryFileSuffix = ".new";

// setting.ini is read whole; a longer file (a device, an endless one) cannot be read.
// The program's own files are a few kilobytes.
inline constexpr std::size_t kMaxSettingIniBytes = 1024 * 1024;

// packets.bin holds whole 50-byte packets; the packet that would take it past this starts
// a fresh file, and the full one becomes packets.old.bin.
inline constexpr std::int64_t kPacketsFileCap = 64 * 1024 * 1024;

// [SETTING], read at start-up.
inline constexpr const char* kSettingSection = "SETTING";
inline constexpr const char* kTitleKey = "TITLE"; // missing: empty
inline constexpr const char* kConsoleKey = "OSTYPE";
inline constexpr std::int32_t kConsoleDefault = -1; // no console
inline constexpr const char* kSmoothingKey = "PACKETBUFFERLENGTH";
inline constexpr std::int32_t kSmoothingDefault = 0;
inline constexpr const char* kLowLatencyKey = "LOWLATENCY";
inline constexpr std::int32_t kLowLatencyDefault = 0; // exactly 1 turns it on

// [DEBUG]
inline constexpr const char* kDebugSection = "DEBUG";
inline constexpr const char* kDebugEnableKey = "ENABLE";
inline constexpr std::int32_t kDebugEnableDefault = 0; // exactly 1 adds the Debug item

// [ADAPTER]
inline constexpr const char* kAdapterSection = "ADAPTER";
inline constexpr const char* kVirtualAdapterKey = "VIRTUAL";
inline constexpr std::int32_t kVirtualAdapterDefault = 0; // exactly 1 writes packets.bin

// [CONFIGURATION]: the only keys qora writes, as decimal text.
inline constexpr const char* kConfigurationSection = "CONFIGURATION";
inline constexpr const char* kCountKey = "COUNT";
inline constexpr std::int32_t kCountDefault = 0;
// COUNT is clamped to this many records whatever the file holds, so that COUNT x 144 bytes
// can neither overflow nor ask for an absurd buffer; a negative COUNT counts as 0.
inline constexpr std::uint32_t kMaxProfileCount = 65535;
inline constexpr const char* kCurrentKey = "CURRENT";
inline constexpr std::int32_t kCurrentDefault = 0;

// [SWITCH]: the keys that switch a run to the next or previous profile, by the names the
// Map dialog shows ("PAGE UP"); missing, empty or unknown switches nothing.
inline constexpr const char* kSwitchSection = "SWITCH";
inline constexpr const char* kSwitchNextKey = "NEXT";
inline constexpr const char* kSwitchPreviousKey = "PREVIOUS";

// [LOCATION_360] and [LOCATION_PS3]: the overlay's places; a missing key is 0.
inline constexpr const char* kLocation360Section = "LOCATION_360";
inline constexpr const char* kLocationPs3Section = "LOCATION_PS3";
inline constexpr std::int32_t kLocationDefault = 0;

} // namespace qora
