#pragma once
// The system clock the program reads: GetTickCount64.

#include <cstdint>

namespace qora {

struct ClockApi {
    virtual ~ClockApi() = default;

    // Milliseconds since the system started; never wraps.
    virtual std::uint64_t getTickCount64() = 0;
};

} // namespace qora
