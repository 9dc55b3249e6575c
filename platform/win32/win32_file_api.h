#pragma once
#include "platform/file_api.h"

namespace qora {

class Win32FileApi final : public FileApi {
public:
    NativeHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition, std::uint32_t flags) override;
    bool readFile(NativeHandle file, void* buffer, std::uint32_t length,
                  std::uint32_t* bytesRead) override;
    bool writeFile(NativeHandle file, const void* buffer, std::uint32_t length,
                   std::uint32_t* bytesWritten) override;
    bool setFilePointer(NativeHandle file, std::int32_t distance,
                        std::uint32_t moveMethod) override;
    bool setEndOfFile(NativeHandle file) override;
    bool getFileSizeEx(NativeHandle file, std::int64_t* size) override;
    bool flushFileBuffers(NativeHandle file) override;
    bool closeHandle(NativeHandle file) override;
    bool moveFileReplacing(const char* source, const char* target) override;
    bool deleteFile(const char* path) override;
    std::uint32_t getFileAttributes(const char* path) override;
    std::uint32_t getLastError() override;
};

} // namespace qora
