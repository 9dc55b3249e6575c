#pragma once
// The mouse's report period, learned from fast motion. Kept across rests and runs, and
// learned again when the mouse's rate changes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qora {

// The report period is the mean of this many intervals in a row.
inline constexpr std::size_t kAimPeriodIntervals = 8;

class AimReportPeriod {
public:
    // 0 until learned.
    std::int64_t periodUs() const { return periodUs_; }

    // A report at timeUs that carried counts on its busier axis. The period is the mean
    // interval of kAimPeriodIntervals reports in a row that each carried a few counts, each
    // soon after the one before: motion that fast has a count at every poll, so the interval
    // is the mouse's own period. The run goes on across rests, so a mouse whose rate was
    // switched is learned again within a few reports, even when each of them comes after
    // what looked like a stop.
    void learn(std::int64_t timeUs, std::int64_t counts);

    friend bool operator==(const AimReportPeriod&, const AimReportPeriod&) = default;

private:
    std::int64_t periodUs_ = 0;
    // The times of the latest reports in the run.
    std::array<std::int64_t, kAimPeriodIntervals + 1> reportsUs_{};
    std::uint32_t reports_ = 0;
};

} // namespace qora
