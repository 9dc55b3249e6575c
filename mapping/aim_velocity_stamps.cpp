#include "mapping/aim_velocity_stamps.h"

#include "platform/precise_time.h"

#include <algorithm>

namespace qora {
namespace {

// The quickest read's offset loosens by this part of the time since the read before, so a
// drift between the clocks does not hold it for long.
constexpr std::int64_t kOffsetLoosensEveryUs = 1000; // by a microsecond per millisecond
// No read comes this late after its stamp: the stamps' clock has moved against the read
// clock, and the offset starts again from this read.
constexpr std::int64_t kLongestLatenessUs = 100000;

} // namespace

std::int64_t AimStampClock::unwrapped(std::uint32_t stamp) const {
    // A 32-bit millisecond count wraps after 49.7 days: the difference is what counts.
    return baseUs_ + static_cast<std::int64_t>(static_cast<std::int32_t>(stamp - baseStamp_)) *
                         kMicrosecondsPerMillisecond;
}

void AimStampClock::learnRead(std::int64_t readTimeUs, std::uint32_t newestStamp) {
    if (!readsSeen_) {
        baseStamp_ = newestStamp;
        baseUs_ = 0;
        offsetUs_ = readTimeUs - unwrapped(newestStamp);
        lastReadUs_ = readTimeUs;
        readsSeen_ = true;
        return;
    }
    const std::int64_t loosenedUs =
        offsetUs_ + std::max<std::int64_t>(readTimeUs - lastReadUs_, 0) / kOffsetLoosensEveryUs;
    // A read timed before its reports came (its time taken before the read) would move the
    // offset by as much: one step of the stamps a read at most.
    const std::int64_t readOffsetUs = readTimeUs - unwrapped(newestStamp);
    const std::int64_t lowestUs = offsetUs_ - std::max(resolutionUs_, kMicrosecondsPerMillisecond);
    offsetUs_ = readOffsetUs - offsetUs_ > kLongestLatenessUs
                    ? readOffsetUs
                    : std::max(std::min(loosenedUs, readOffsetUs), lowestUs);
    lastReadUs_ = readTimeUs;
    // Far from the base the 32-bit difference would wrap: move the base along.
    baseUs_ = unwrapped(newestStamp);
    baseStamp_ = newestStamp;
}

void AimStampClock::learnStep(std::uint32_t stamp) {
    if (stampSeen_ && stamp != lastStamp_) {
        const auto stepMs = static_cast<std::int32_t>(stamp - lastStamp_);
        if (stepMs > 0) {
            const std::int64_t stepUs = stepMs * kMicrosecondsPerMillisecond;
            resolutionUs_ = resolutionUs_ == 0 ? stepUs : std::min(resolutionUs_, stepUs);
        }
    }
    lastStamp_ = stamp;
    stampSeen_ = true;
}

StampWindow AimStampClock::windowOf(std::uint32_t stamp) const {
    const std::int64_t earliestUs = unwrapped(stamp) + offsetUs_;
    return {earliestUs, earliestUs + resolutionUs_};
}

} // namespace qora
