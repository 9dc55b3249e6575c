#include "platform/win32/win32_file_api.h"

#include "platform/win32/win32_handles.h"

namespace qora {

static_assert(kGenericRead == GENERIC_READ && kGenericWrite == GENERIC_WRITE);
static_assert(kFileAppendData == FILE_APPEND_DATA);
static_assert(kFileShareRead == FILE_SHARE_READ && kFileShareWrite == FILE_SHARE_WRITE);
static_assert(kCreateAlways == CREATE_ALWAYS && kOpenExisting == OPEN_EXISTING &&
              kOpenAlways == OPEN_ALWAYS);
static_assert(kFileAttributeReadOnly == FILE_ATTRIBUTE_READONLY &&
              kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL &&
              kFileFlagOverlapped == FILE_FLAG_OVERLAPPED);
static_assert(kFileBegin == FILE_BEGIN && kFileCurrent == FILE_CURRENT);
static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              kErrorPathNotFound == ERROR_PATH_NOT_FOUND &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              kErrorWriteProtect == ERROR_WRITE_PROTECT && kErrorGenFailure == ERROR_GEN_FAILURE);
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              kErrorLockViolation == ERROR_LOCK_VIOLATION &&
              kErrorHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              kErrorInvalidParameter == ERROR_INVALID_PARAMETER &&
              kErrorDiskFull == ERROR_DISK_FULL && kErrorFileTooLarge == ERROR_FILE_TOO_LARGE &&
              kErrorIoDevice == ERROR_IO_DEVICE);

NativeHandle Win32FileApi::createFile(const char* path, std::uint32_t access, std::uint32_t share,
                                      std::uint32_t disposition, std::uint32_t flags) {
    return fromWin32Handle(CreateFileA(path, access, share, nullptr, disposition, flags, nullptr));
}

bool Win32FileApi::readFile(NativeHandle file, void* buffer, std::uint32_t length,
                            std::uint32_t* bytesRead) {
    DWORD read = 0;
    const BOOL ok = ReadFile(toWin32Handle(file), buffer, length, &read, nullptr);
    *bytesRead = read;
    return ok != FALSE;
}

bool Win32FileApi::writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                             std::uint32_t* bytesWritten) {
    DWORD written = 0;
    const BOOL ok = WriteFile(toWin32Handle(file), buffer, length, &written, nullptr);
    *bytesWritten = written;
    return ok != FALSE;
}

bool Win32FileApi::setFilePointer(NativeHandle file, std::int32_t distance,
                                  std::uint32_t moveMethod) {
    SetLastError(NO_ERROR);
    const DWORD position = SetFilePointer(toWin32Handle(file), distance, nullptr, moveMethod);
    return !(position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool Win32FileApi::setEndOfFile(NativeHandle file) {
    return SetEndOfFile(toWin32Handle(file)) != FALSE;
}

bool Win32FileApi::getFileSizeEx(NativeHandle file, std::int64_t* size) {
    LARGE_INTEGER length{};
    const BOOL ok = GetFileSizeEx(toWin32Handle(file), &length);
    *size = length.QuadPart;
    return ok != FALSE;
}

bool Win32FileApi::flushFileBuffers(NativeHandle file) {
    return FlushFileBuffers(toWin32Handle(file)) != FALSE;
}

bool Win32FileApi::closeHandle(NativeHandle file) {
    return CloseHandle(toWin32Handle(file)) != FALSE;
}

bool Win32FileApi::moveFileReplacing(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileApi::deleteFile(const char* path) {
    return DeleteFileA(path) != FALSE;
}

std::uint32_t Win32FileApi::getFileAttributes(const char* path) {
    return GetFileAttributesA(path);
}

std::uint32_t Win32FileApi::getLastError() {
    return GetLastError();
}

} // namespace qora
