#pragma once
// A broken invariant ends the run with a message on stderr and abort(), which libFuzzer
// reports as a crash and keeps the input that caused it.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qora::fuzzing {

[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) {
        fail(what);
    }
}

} // namespace qora::fuzzing
