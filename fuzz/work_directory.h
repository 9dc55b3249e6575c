#pragma once
// The fuzz targets that need real files share one temporary directory per process,
// removed when the process ends; each run rewrites the files it uses.

#include "fakes/temp_directory.h"
#include "platform/host/host_file_api.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace qora::fuzzing {

inline const testing::TempDirectory& workDirectory() {
    static const testing::TempDirectory directory;
    return directory;
}

inline void removeFile(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// Real host files without the disk sync: the targets check what the files hold, not that
// it survives a power cut, and a sync per write would take most of the fuzzing time.
class UnsyncedFileApi final : public HostFileApi {
public:
    bool flushFileBuffers(NativeHandle) override { return true; }
};

} // namespace qora::fuzzing
