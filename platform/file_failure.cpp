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
    {kErrorWrongHeader, "its header is not one qora writes"},
    {kErrorChecksumMismatch, "its check sum does not match"},
    {kErrorNewerFormat, "a newer qora wrote it"},
    {kErrorBadLayout, "its contents do not follow its layout"},
    {kErrorValueOutOfRange, "it holds a value out of range"},
    {kErrorIdenticalProfiles, "two profiles identical byte for byte would need different layers"},
};

const char* actionText(FileAction action) {
    switch (action) {
    case FileAction::read:
        return " cannot be read";
    case FileAction::write:
        return " cannot be written";
    case FileAction::check:
        return " is damaged";
    }
    return " cannot be read";
}

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
    text += actionText(failure.action);
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
