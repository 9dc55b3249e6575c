#pragma once
// Real host files under the restrictions a user meets on the platform: a config.bin or a
// layers.bin that is read-only (it reads but cannot be replaced), unreadable, another
// account's or held open by another program; a folder where nothing new can be created; a
// full disk; a read-only setting.ini; a process that stops after some of its writes.
// Tests run as any user, root included, so the restrictions are applied here rather than
// by file permissions. Each failure leaves errno as the system would, so getLastError
// names its cause. Without restrictions they are the host files.

#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"

#include <cerrno>
#include <set>
#include <string>

namespace qora::testing {

class RestrictedFileApi : public HostFileApi {
public:
    // The read-only attribute: config.bin opens for reading only and cannot be replaced.
    bool storeReadOnly = false;
    // errno values; 0 lets the call through.
    int openStoreError = 0;    // opening config.bin
    int replaceStoreError = 0; // replacing config.bin by the temporary file
    int createTemporaryError = 0;
    int writeError = 0; // every write: half the data goes out, then this
    // Replaces that succeed before replaceStoreError applies.
    int replacesBeforeError = 0;

    // The same for layers.bin.
    bool layersReadOnly = false;
    int openLayersError = 0;
    int replaceLayersError = 0;
    int layersWriteError = 0; // writes of layers.bin.new only

    // A process that stops: once this many files were replaced or deleted, nothing it
    // does changes a file any more (-1: it never stops). What it left is what a crash
    // right after that write leaves.
    int changesBeforeCrash = -1;

    NativeHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition, std::uint32_t flags) override {
        const bool writes = (access & (kGenericWrite | kFileAppendData)) != 0;
        const int error = writes && crashed()                          ? EIO
                          : isTemporary(path)                          ? createTemporaryError
                          : isStore(path) && openStoreError != 0       ? openStoreError
                          : isStore(path) && storeReadOnly && writes   ? EACCES
                          : isLayers(path) && openLayersError != 0     ? openLayersError
                          : isLayers(path) && layersReadOnly && writes ? EACCES
                                                                       : 0;
        if (error != 0) {
            errno = error;
            return kInvalidHandle;
        }
        const NativeHandle file = HostFileApi::createFile(path, access, share, disposition, flags);
        if (file != kInvalidHandle && isTemporary(path) && isLayers(temporaryTarget(path))) {
            layersTemporaries_.insert(file);
        }
        return file;
    }
    bool writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                   std::uint32_t* bytesWritten) override {
        const int error = crashed() ? EIO
                          : layersWriteError != 0 && layersTemporaries_.contains(file)
                              ? layersWriteError
                              : writeError;
        if (error != 0) {
            HostFileApi::writeFile(file, buffer, length / 2, bytesWritten);
            errno = error;
            return false;
        }
        return HostFileApi::writeFile(file, buffer, length, bytesWritten);
    }
    bool closeHandle(NativeHandle file) override {
        layersTemporaries_.erase(file);
        return HostFileApi::closeHandle(file);
    }
    bool moveFileReplacing(const char* source, const char* target) override {
        if (crashed()) {
            errno = EIO;
            return false;
        }
        if ((isStore(target) && storeReadOnly) || (isLayers(target) && layersReadOnly)) {
            errno = EACCES;
            return false;
        }
        if (isStore(target) && replaceStoreError != 0) {
            if (replacesBeforeError == 0) {
                errno = replaceStoreError;
                return false;
            }
            --replacesBeforeError;
        }
        if (isLayers(target) && replaceLayersError != 0) {
            errno = replaceLayersError;
            return false;
        }
        return changed(HostFileApi::moveFileReplacing(source, target));
    }
    bool deleteFile(const char* path) override {
        if (crashed()) {
            errno = EIO;
            return false;
        }
        const bool deleted = HostFileApi::deleteFile(path);
        return isTemporary(path) ? deleted : changed(deleted);
    }

    std::uint32_t getFileAttributes(const char* path) override {
        if ((isStore(path) && storeReadOnly) || (isLayers(path) && layersReadOnly)) {
            return kFileAttributeReadOnly;
        }
        return HostFileApi::getFileAttributes(path);
    }

    void clear() { *this = RestrictedFileApi{}; }

private:
    static bool isStore(const std::string& path) { return path.ends_with("config.bin"); }
    static bool isLayers(const std::string& path) { return path.ends_with("layers.bin"); }
    static bool isTemporary(const std::string& path) { return path.ends_with(".new"); }
    static std::string temporaryTarget(const std::string& path) {
        return path.substr(0, path.size() - 4);
    }

    bool crashed() const { return changesBeforeCrash >= 0 && changes_ >= changesBeforeCrash; }
    bool changed(bool done) {
        changes_ += done ? 1 : 0;
        return done;
    }

    int changes_ = 0;
    std::set<NativeHandle> layersTemporaries_;
};

// setting.ini through the host stand-in; while readOnly, every write fails as the
// platform's does on a read-only file.
class RestrictedProfileFile : public ProfileFileApi {
public:
    bool readOnly = false;

    std::uint32_t getPrivateProfileInt(const char* section, const char* key,
                                       std::int32_t defaultValue, const char* path) override {
        return file_.getPrivateProfileInt(section, key, defaultValue, path);
    }
    std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                          const char* defaultValue, char* buffer,
                                          std::uint32_t size, const char* path) override {
        return file_.getPrivateProfileString(section, key, defaultValue, buffer, size, path);
    }
    bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* path) override {
        if (readOnly) {
            errno = EACCES;
            return false;
        }
        return file_.writePrivateProfileString(section, key, value, path);
    }

private:
    HostProfileFile file_;
};

} // namespace qora::testing
