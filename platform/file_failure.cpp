#include "platform/file_failure.h"

#include "platform/file_api.h"

namespace qora {
namespace {

struct ErrorText {
    std::uint32_t error;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {kErrorFileNotFound, "file not found"},
    {kErrorPathNotFound, "folder not found"},
    {kErrorAccessDenied, "access denied"},
    {kErrorNotEnoughMemory, "not enough memory"},
    {kErrorWriteProtect, "the disk is write-protected"},
    {kErrorGenFailure, "device failure"},
    {kErrorSharingViolation, "in use by another program"},
    {kErrorLockViolation, "locked by another program"},
    {kErrorHandleDiskFull, "disk full"},
    {kErrorInvalidParameter, "invalid request"},
    {kErrorDiskFull, "disk full"},
    {kErrorFileTooLarge, "file too large"},
    {kErrorIoDevice, "device failure"},
};

} // namespace

std::string errorReason(std::uint32_t error) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.error == error) {
            return entry.text;
        }
    }
    return "error " + std::to_string(error);
}

std::string describeFailure(const FileFailure& failure) {
    std::string text = failure.fileName;
    text += failure.action == FileAction::read ? " cannot be read" : " cannot be written";
    if (failure.error != kErrorSuccess) {
        text += ": ";
        text += errorReason(failure.error);
    }
    return text;
}

void showFileFailure(UserApi& user, WindowHandle owner, const std::string& text) {
    user.messageBox(owner, text.c_str(), kFileFailureCaption, kMbOk | kMbIconWarning);
}

} // namespace qora
