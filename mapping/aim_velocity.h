#pragma once
// The mouse velocity of precise aim, in counts per millisecond, measured over real time:
// each mouse report is placed on the high-resolution clock at the moment it was read
// (aim_velocity_reads.h), and the velocity is the motion over a window of recent reports
// (aim_velocity_points.h) divided by the window's time (aim_velocity_window.h). A deadband
// holds the value steady at a constant hand speed; between reports it holds, after a gap
// clearly longer than the recent report interval it decays, and after about two intervals
// it is exactly 0 (aim_velocity_hold.h). Motion that comes again soon after that goes on
// from the reports before it; after a longer rest it starts afresh. The mouse's report
// period is learned from fast motion (aim_velocity_period.h). Fixed-size state, no
// allocation, arithmetic only.

#include "input/mouse_record.h"
#include "mapping/aim_velocity_hold.h"
#include "mapping/aim_velocity_period.h"
#include "mapping/aim_velocity_points.h"
#include "mapping/aim_velocity_stamps.h"
#include "mapping/aim_velocity_window.h"
#include "platform/precise_time.h"

#include <cstdint>
#include <optional>

namespace qora {

// Where the estimator is between one rest and the next.
enum class AimPhase : std::uint8_t {
    // No motion since the last rest: the velocity is 0 until motion comes.
    atRest,
    // One point since the rest (a first report without a learned period): its interval is
    // unknown, so the velocity is 0 until a second report, or the stop.
    firstReport,
    // A value from a window of reports: held, then decaying towards the stop.
    moving,
    // The stop has come and the velocity is 0; the reports stay for motion that comes
    // again soon, and a longer rest makes the estimator rest.
    stopped,
};

class AimVelocityEstimator;

// Adds the motion records among records[0 .. count - 1] (count above 256 reads 256),
// read from DirectInput at readTimeUs. Adjacent records with one dwTimeStamp are one
// report; the last report happened at readTimeUs and the earlier ones the difference of
// their time stamps earlier, never before the report before them. Button and wheel
// records are left to the mouse flags.
void addMotionRecords(AimVelocityEstimator& estimator, const MouseRecord* records,
                      std::uint32_t count, std::int64_t readTimeUs,
                      const AimWindow& window = kAimWindow);

// The velocity as of nowUs; once the stop time has passed it is 0 and the estimator
// rests.
AimVelocity currentVelocity(AimVelocityEstimator& estimator, std::int64_t nowUs);

// The earliest time after which currentVelocity may give another value without new
// motion (at most nowUs when that time has already come); kNeverUs at rest.
std::int64_t nextVelocityChange(const AimVelocityEstimator& estimator, std::int64_t nowUs);

bool velocityAtRest(const AimVelocityEstimator& estimator);

class AimVelocityEstimator {
public:
    AimPhase phase() const { return phase_; }
    // The value as of the last report, before any decay; 0 before the first value.
    AimVelocity heldVelocity() const { return hold_.velocity; }
    // When the velocity is exactly 0 unless motion comes first.
    std::int64_t stopUs() const { return hold_.stopUs; }
    // The mouse's report period as learned so far; 0 until then.
    std::int64_t reportPeriodUs() const { return period_.periodUs(); }
    // The resolution of its reports' time stamps as seen so far; 0 until then.
    std::int64_t stampResolutionUs() const { return stamps_.resolutionUs(); }

    friend bool operator==(const AimVelocityEstimator&, const AimVelocityEstimator&) = default;

private:
    friend void addMotionRecords(AimVelocityEstimator&, const MouseRecord*, std::uint32_t,
                                 std::int64_t, const AimWindow&);
    friend AimVelocity currentVelocity(AimVelocityEstimator&, std::int64_t);
    friend std::int64_t nextVelocityChange(const AimVelocityEstimator&, std::int64_t);

    void restIfStoppedLongAgo(std::int64_t nowUs);
    void goOnAfterStop();
    void addReport(std::int64_t timeUs, std::int64_t x, std::int64_t y, bool teachesPeriod);
    void evaluate(AimVelocity shown, std::int64_t readTimeUs, const AimWindow& window);
    AimVelocity velocityAt(std::int64_t nowUs) const;

    AimPointRing points_;
    AimReportPeriod period_;
    AimStampClock stamps_;
    std::optional<std::uint32_t> lastPointStamp_; // the stamp of the last report placed
    AimHold hold_;
    AimPhase phase_ = AimPhase::atRest;
};

} // namespace qora
