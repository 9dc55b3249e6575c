#pragma once
// Why a file could not be read or written, in the words the user is shown: the file's
// name, what was being done, and the platform's reason ("config.bin cannot be read:
// access denied").

#include "platform/platform_types.h"
#include "platform/user_api.h"

#include <cstdint>
#include <string>

namespace qora {

enum class FileAction { read, write };

struct FileFailure {
    const char* fileName = "";
    FileAction action = FileAction::read;
    // The GetLastError code; kErrorSuccess when the platform gave no reason.
    std::uint32_t error = 0;
};

// "access denied", "disk full", ...; "error 1234" for a code without a text of its own.
std::string errorReason(std::uint32_t error);

// "<file> cannot be read: <reason>" or "<file> cannot be written: <reason>"; without the
// reason when there is none.
std::string describeFailure(const FileFailure& failure);

inline constexpr const char* kFileFailureCaption = "Warning";

// The message box that tells the user what could not be read or written.
void showFileFailure(UserApi& user, WindowHandle owner, const std::string& text);

} // namespace qora
