#pragma once
// Why a file could not be read or written, in the words the user is shown: the file's
// name, what was being done, and the platform's reason ("config.bin cannot be read:
// access denied"), or qora's own reason when the file was read but what it holds cannot
// be used ("layers.bin is damaged: its check sum does not match").

#include "platform/platform_types.h"
#include "platform/user_api.h"

#include <cstdint>
#include <string>

namespace qora {

// check: the file was read, and what it holds failed the checks of its format.
enum class FileAction { read, write, check };

// qora's own reasons, in the range the platform leaves to applications (bit 29 set), so
// they never meet one of its GetLastError codes.
inline constexpr std::uint32_t kErrorWrongHeader = 0x20000001u;
inline constexpr std::uint32_t kErrorChecksumMismatch = 0x20000002u;
inline constexpr std::uint32_t kErrorNewerFormat = 0x20000003u;
inline constexpr std::uint32_t kErrorBadLayout = 0x20000004u;
inline constexpr std::uint32_t kErrorValueOutOfRange = 0x20000005u;
// Records are paired with what a file beside them holds by their bytes: two records equal
// byte for byte cannot be paired with different things.
inline constexpr std::uint32_t kErrorIdenticalProfiles = 0x20000006u;

struct FileFailure {
    const char* fileName = "";
    FileAction action = FileAction::read;
    // The GetLastError code; kErrorSuccess when the platform gave no reason.
    std::uint32_t error = 0;
};

// "access denied", "disk full", ...; "error 1234" for a code without a text of its own.
std::string errorReason(std::uint32_t error);

// "<file> cannot be read: <reason>", "<file> cannot be written: <reason>" or "<file> is
// damaged: <reason>"; without the reason when there is none.
std::string describeFailure(const FileFailure& failure);

inline constexpr const char* kFileFailureCaption = "Warning";

// The message box that tells the user what could not be read or written.
void showFileFailure(UserApi& user, WindowHandle owner, const std::string& text);

} // namespace qora
