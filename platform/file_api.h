#pragma once
// The file calls the program makes: CreateFileA, ReadFile, WriteFile, SetFilePointer,
// SetEndOfFile, GetFileSizeEx, FlushFileBuffers, CloseHandle, MoveFileExA, DeleteFileA,
// GetFileAttributesA, and GetLastError to learn why one of them (or a profile-file write)
// failed.

#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// CreateFileA access rights (dwDesiredAccess).
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileAppendData = 0x00000004u;

// CreateFileA share mode (dwShareMode).
inline constexpr std::uint32_t kFileShareRead = 0x00000001u;
inline constexpr std::uint32_t kFileShareWrite = 0x00000002u;

// CreateFileA creation disposition.
inline constexpr std::uint32_t kCreateAlways = 2;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kOpenAlways = 4;

// CreateFileA flags and GetFileAttributesA results.
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x00000001u;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x00000010u;
inline constexpr std::uint32_t kFileAttributeNormal = 0x00000080u;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr std::uint32_t kFileFlagOverlapped = 0x40000000u;

// SetFilePointer move method.
inline constexpr std::uint32_t kFileBegin = 0;
inline constexpr std::uint32_t kFileCurrent = 1;

// GetLastError codes the program tells apart or names in its messages.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorWriteProtect = 19;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorLockViolation = 33;
inline constexpr std::uint32_t kErrorHandleDiskFull = 39;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorFileTooLarge = 223;
inline constexpr std::uint32_t kErrorIoDevice = 1117;

struct FileApi {
    virtual ~FileApi() = default;

    virtual NativeHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                                    std::uint32_t disposition, std::uint32_t flags) = 0;
    virtual bool readFile(NativeHandle file, void* buffer, std::uint32_t length,
                          std::uint32_t* bytesRead) = 0;
    virtual bool writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                           std::uint32_t* bytesWritten) = 0;
    // Returns false on failure (INVALID_SET_FILE_POINTER with an error).
    virtual bool setFilePointer(NativeHandle file, std::int32_t distance,
                                std::uint32_t moveMethod) = 0;
    // Cuts the file (or extends it) at the file pointer.
    virtual bool setEndOfFile(NativeHandle file) = 0;
    virtual bool getFileSizeEx(NativeHandle file, std::int64_t* size) = 0;
    virtual bool flushFileBuffers(NativeHandle file) = 0;
    virtual bool closeHandle(NativeHandle file) = 0;
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: one step that
    // replaces target with source.
    virtual bool moveFileReplacing(const char* source, const char* target) = 0;
    virtual bool deleteFile(const char* path) = 0;
    // kInvalidFileAttributes when the file cannot be found or examined.
    virtual std::uint32_t getFileAttributes(const char* path) = 0;
    // The calling thread's last error code, meaningful right after a call that failed.
    virtual std::uint32_t getLastError() = 0;
};

} // namespace qora
