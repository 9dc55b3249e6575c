#pragma once
// The last step of every command of the tools: what they printed must have reached its
// file. A full disk or a closed pipe otherwise passes for success, since the stream keeps
// the failure to itself until someone asks.

#include <cerrno>
#include <ostream>
#include <string>
#include <system_error>

namespace qora {

// Flushes out; empty when everything written to it went out, otherwise the message that
// says so, with the system's reason when it gave one. Called right after the writes, so
// that errno is still the failed write's.
inline std::string outputFailure(std::ostream& out) {
    if (out) {
        errno = 0;
        if (out.flush()) {
            return {};
        }
    }
    const int error = errno;
    std::string message = "standard output cannot be written";
    if (error != 0) {
        message += ": " + std::generic_category().message(error);
    }
    return message;
}

} // namespace qora
