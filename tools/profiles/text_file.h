#pragma once
// The profile texts that import and check read and export writes, through the file seam
// as the store's files go, with the failures in the store's words: "<file> cannot be read:
// <reason>". A profile text is a few kilobytes: reading stops past kMaxProfileTextBytes,
// so a device or an endless file, which tell no length or a wrong one, is refused instead
// of filling memory.

#include "platform/file_api.h"

#include <cstddef>
#include <string>

namespace qora {

inline constexpr std::size_t kMaxProfileTextBytes = 1024 * 1024;

// The whole file in text; false with the message in error.
bool readTextFile(FileApi& files, const std::string& path, std::string& text, std::string& error);

// Creates or replaces the file with text, in the platform's text mode; false with the
// message in error.
bool writeTextFile(FileApi& files, const std::string& path, const std::string& text,
                   std::string& error);

} // namespace qora
