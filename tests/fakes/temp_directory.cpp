#include "fakes/temp_directory.h"

#include <stdexcept>
#include <stdlib.h>

namespace qora::testing {

std::filesystem::path TempDirectory::makeUnique(char* pattern) {
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    return std::filesystem::path(pattern);
}

} // namespace qora::testing
