#pragma once
// What the mouse's time stamps tell about when its reports came. DirectInput stamps each
// report with the millisecond its system took it in; a read may come much later and hand
// over several reports at once (Wine holds them up under load). The stamps run on a clock
// of their own, coarse (a millisecond under Wine, the system tick elsewhere), so they are
// put on the read clock by the quickest read seen: a report stamped S came no sooner than S
// plus that offset, and no later than one step of the stamps after it.

#include <cstdint>

namespace qora {

// The read-clock times a report may have come within.
struct StampWindow {
    std::int64_t earliestUs = 0;
    std::int64_t latestUs = 0;
};

class AimStampClock {
public:
    // A read at readTimeUs whose newest report carries newestStamp.
    void learnRead(std::int64_t readTimeUs, std::uint32_t newestStamp);
    // Consecutive reports' stamps: the smallest step between them is the stamps' resolution.
    void learnStep(std::uint32_t stamp);

    // False until a read and a step between two stamps have been seen.
    bool known() const { return resolutionUs_ != 0 && readsSeen_; }
    // Meaningful once known.
    StampWindow windowOf(std::uint32_t stamp) const;
    // The smallest step seen between two reports' stamps; 0 until then.
    std::int64_t resolutionUs() const { return resolutionUs_; }

    friend bool operator==(const AimStampClock&, const AimStampClock&) = default;

private:
    std::int64_t unwrapped(std::uint32_t stamp) const;

    bool readsSeen_ = false;
    std::int64_t offsetUs_ = 0; // read time minus stamp time of the quickest read
    std::int64_t lastReadUs_ = 0;
    std::uint32_t baseStamp_ = 0; // stamps count from here, so they never wrap for us
    std::int64_t baseUs_ = 0;
    std::uint32_t lastStamp_ = 0;
    bool stampSeen_ = false;
    std::int64_t resolutionUs_ = 0;
};

} // namespace qora
