#pragma once
// Real host files with one call made to fail on demand: a full disk, a failed flush, a
// rename refused by the system, a store that cannot be opened. Each failure leaves errno
// as the system would, so getLastError names its cause.

#include "platform/host/host_file_api.h"

#include <cerrno>
#include <string>

namespace qora::testing {

class FailingFileApi : public HostFileApi {
public:
    // openStore: config.bin cannot be opened; openFile: no file but a temporary one can.
    enum class Failure { none, createTemporary, openStore, openFile, write, flush, close, move };

    explicit FailingFileApi(Failure failure) : failure_(failure) {}

    NativeHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition, std::uint32_t flags) override {
        const bool temporary = std::string(path).ends_with(".new");
        const bool store = std::string(path).ends_with("config.bin");
        if ((temporary && failure_ == Failure::createTemporary) ||
            (store && failure_ == Failure::openStore) ||
            (!temporary && failure_ == Failure::openFile)) {
            fail(EACCES);
            return kInvalidHandle;
        }
        return HostFileApi::createFile(path, access, share, disposition, flags);
    }
    bool writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                   std::uint32_t* bytesWritten) override {
        if (failure_ == Failure::write) {
            // A full disk: part of the data went out, then the write failed.
            HostFileApi::writeFile(file, buffer, length / 2, bytesWritten);
            return fail(ENOSPC);
        }
        return HostFileApi::writeFile(file, buffer, length, bytesWritten);
    }
    bool flushFileBuffers(NativeHandle file) override {
        if (failure_ == Failure::flush) {
            return fail(EIO);
        }
        return HostFileApi::flushFileBuffers(file);
    }
    bool closeHandle(NativeHandle file) override {
        const bool closed = HostFileApi::closeHandle(file);
        if (failure_ == Failure::close) {
            return fail(EIO);
        }
        return closed;
    }
    bool moveFileReplacing(const char* source, const char* target) override {
        if (failure_ == Failure::move) {
            return fail(EACCES);
        }
        return HostFileApi::moveFileReplacing(source, target);
    }

private:
    static bool fail(int error) {
        errno = error;
        return false;
    }

    Failure failure_;
};

} // namespace qora::testing
