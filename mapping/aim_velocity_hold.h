#pragma once
// The velocity as of the last report, and what makes it hold, decay and stop. A deadband
// holds the value steady at a constant hand speed; between reports it holds, after a gap
// clearly longer than the recent report interval it decays, and after about two intervals
// it is exactly 0.

#include "mapping/aim_velocity_window.h"

#include <cstdint>

namespace qora {

struct AimHold {
    AimVelocity velocity;
    bool settled = false;          // from a window that had grown to its length
    bool fromMotionStart = false;  // from a window that reached back to the motion's start
    std::int64_t windowSpanUs = 0; // the time of the window behind the velocity
    std::int64_t lastReportUs = 0;
    std::int64_t decayStartUs = 0;
    std::int64_t stopUs = 0;

    friend bool operator==(const AimHold&, const AimHold&) = default;
};

// A new estimate replaces the value shown only when it leaves the deadband around it, on
// either axis; otherwise the shown value is held, so the stick does not flicker with the
// report timing. A value measured from the motion's start is held only until the window
// has moved past it: where the motion began is a guess (one report period before its
// first report, though a slow hand's first count comes more than a period after it
// began), and the first report after a rest is often read late, so such a value can be a
// few per cent off, which the deadband would hold for as long as the hand keeps its speed.
void holdEstimate(AimHold& hold, const WindowFit& fit, AimVelocity shown, const AimWindow& window);

// From the last report and the recent intervals between reports: when the value starts to
// decay and when it stops.
void setDeadlines(AimHold& hold, std::int64_t lastReportUs, const RecentIntervals& intervals);

// The value at nowUs: held, then decaying, and 0 from the stop on.
AimVelocity heldVelocityAt(const AimHold& hold, std::int64_t nowUs);

// The earliest time after which heldVelocityAt may give another value (at most nowUs when
// that time has already come).
std::int64_t nextHeldChange(const AimHold& hold, std::int64_t nowUs);

// At the stop the velocity is 0, but the reports stay: motion that comes again within the
// longest interval (a slow hand's next count, reports held up on their way) goes on from
// them instead of starting over as if from rest. True once that time is over.
bool stoppedLongAgo(const AimHold& hold, std::int64_t nowUs);

} // namespace qora
