#include "platform/host/host_file_api.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qora {
namespace {

int openFlagsFor(std::uint32_t access, std::uint32_t disposition) {
    int flags = 0;
    const bool reads = (access & kGenericRead) != 0;
    const bool writes = (access & (kGenericWrite | kFileAppendData)) != 0;
    if (reads && writes) {
        flags = O_RDWR;
    } else if (writes) {
        flags = O_WRONLY;
    } else {
        flags = O_RDONLY;
    }
    if ((access & kFileAppendData) != 0 && (access & kGenericWrite) == 0) {
        flags |= O_APPEND;
    }
    if (disposition == kOpenAlways) {
        flags |= O_CREAT;
    } else if (disposition == kCreateAlways) {
        flags |= O_CREAT | O_TRUNC;
    }
    return flags | O_CLOEXEC;
}

int descriptorOf(NativeHandle file) {
    return static_cast<int>(file);
}

struct ErrnoCode {
    int errnoValue;
    std::uint32_t code;
};

constexpr ErrnoCode kErrnoCodes[] = {
    {0, kErrorSuccess},
    {ENOENT, kErrorFileNotFound},
    {ENOTDIR, kErrorPathNotFound},
    {EACCES, kErrorAccessDenied},
    {EPERM, kErrorAccessDenied},
    {EISDIR, kErrorAccessDenied},
    {ENOMEM, kErrorNotEnoughMemory},
    {EROFS, kErrorWriteProtect},
    {EBUSY, kErrorSharingViolation},
    {ETXTBSY, kErrorSharingViolation},
    {ENOSPC, kErrorDiskFull},
    {EDQUOT, kErrorDiskFull},
    {EFBIG, kErrorFileTooLarge},
    {EINVAL, kErrorInvalidParameter},
    {EIO, kErrorIoDevice},
};

} // namespace

NativeHandle HostFileApi::createFile(const char* path, std::uint32_t access,
                                     std::uint32_t /*share*/, std::uint32_t disposition,
                                     std::uint32_t /*flags*/) {
    const int descriptor = ::open(path, openFlagsFor(access, disposition), 0644);
    return descriptor < 0 ? kInvalidHandle : static_cast<NativeHandle>(descriptor);
}

bool HostFileApi::readFile(NativeHandle file, void* buffer, std::uint32_t length,
                           std::uint32_t* bytesRead) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::uint32_t total = 0;
    while (total < length) {
        const ssize_t got = ::read(descriptorOf(file), bytes + total, length - total);
        if (got < 0) {
            *bytesRead = total;
            return false;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<std::uint32_t>(got);
    }
    *bytesRead = total;
    return true;
}

bool HostFileApi::writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                            std::uint32_t* bytesWritten) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::uint32_t total = 0;
    while (total < length) {
        const ssize_t put = ::write(descriptorOf(file), bytes + total, length - total);
        if (put == 0) {
            errno = ENOSPC; // nothing more fits
        }
        if (put <= 0) {
            *bytesWritten = total;
            return false;
        }
        total += static_cast<std::uint32_t>(put);
    }
    *bytesWritten = total;
    return true;
}

bool HostFileApi::setFilePointer(NativeHandle file, std::int32_t distance,
                                 std::uint32_t moveMethod) {
    const int whence = moveMethod == kFileCurrent ? SEEK_CUR : SEEK_SET;
    return ::lseek(descriptorOf(file), distance, whence) >= 0;
}

bool HostFileApi::setEndOfFile(NativeHandle file) {
    const off_t position = ::lseek(descriptorOf(file), 0, SEEK_CUR);
    return position >= 0 && ::ftruncate(descriptorOf(file), position) == 0;
}

bool HostFileApi::getFileSizeEx(NativeHandle file, std::int64_t* size) {
    struct stat status {};
    if (::fstat(descriptorOf(file), &status) != 0) {
        return false;
    }
    *size = static_cast<std::int64_t>(status.st_size);
    return true;
}

bool HostFileApi::flushFileBuffers(NativeHandle file) {
    return ::fsync(descriptorOf(file)) == 0;
}

bool HostFileApi::closeHandle(NativeHandle file) {
    return ::close(descriptorOf(file)) == 0;
}

bool HostFileApi::moveFileReplacing(const char* source, const char* target) {
    return std::rename(source, target) == 0;
}

bool HostFileApi::deleteFile(const char* path) {
    return ::unlink(path) == 0;
}

// A file nobody may write to is read-only, as the platform's emulation on these systems
// reports it.
std::uint32_t HostFileApi::getFileAttributes(const char* path) {
    struct stat status {};
    if (::stat(path, &status) != 0) {
        return kInvalidFileAttributes;
    }
    std::uint32_t attributes = S_ISDIR(status.st_mode) ? kFileAttributeDirectory : 0;
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attributes |= kFileAttributeReadOnly;
    }
    return attributes == 0 ? kFileAttributeNormal : attributes;
}

std::uint32_t HostFileApi::getLastError() {
    const int current = errno;
    for (const ErrnoCode& entry : kErrnoCodes) {
        if (entry.errnoValue == current) {
            return entry.code;
        }
    }
    return kErrorGenFailure;
}

} // namespace qora
