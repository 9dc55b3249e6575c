#pragma once
// A mouse moved by a steady hand, for the precise-aim tests and the measuring tools: a
// sensor that accumulates its fractional position and, at each poll of its report
// period, reports the whole counts it moved since the last poll (nothing when there are
// none), read by the program a random delay later. Seeded, and the same on every
// compiler: the generator's numbers are used raw, not through a distribution.

#include "input/mouse_record.h"
#include "mapping/aim_velocity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace qora::synthetic {

struct HandMotion {
    std::int64_t reportPeriodUs = 1000; // 1000 Hz
    double speedX = 0.0;                // counts per millisecond
    double speedY = 0.0;
    std::int64_t startUs = 0; // the hand moves from here ...
    std::int64_t endUs = 0;   // ... to here
    std::int64_t maxReadDelayUs = 0;
    std::uint32_t seed = 1;
    // From changeUs on (when above startUs) the hand moves at the changed speed.
    std::int64_t changeUs = 0;
    double changedSpeedX = 0.0;
    double changedSpeedY = 0.0;
};

// One report as the program reads it: one or two records with one time stamp.
struct SyntheticRead {
    std::int64_t pollUs = 0;
    std::int64_t readUs = 0;
    std::array<MouseRecord, 2> records{};
    std::uint32_t count = 0;
};

class SyntheticMouse {
public:
    explicit SyntheticMouse(const HandMotion& motion)
        : motion_(motion), random_(motion.seed), startX_(unit()), startY_(unit()),
          pollUs_(motion.startUs + static_cast<std::int64_t>(unit() * motion.reportPeriodUs)) {}

    // The next read, false once the hand has stopped and every count is reported.
    bool next(SyntheticRead& read) {
        while (pollUs_ <= motion_.endUs + motion_.reportPeriodUs) {
            const std::int64_t poll = pollUs_;
            pollUs_ += motion_.reportPeriodUs;
            const std::int64_t x = countsAt(startX_, motion_.speedX, motion_.changedSpeedX, poll);
            const std::int64_t y = countsAt(startY_, motion_.speedY, motion_.changedSpeedY, poll);
            const std::int64_t dx = x - reportedX_;
            const std::int64_t dy = y - reportedY_;
            reportedX_ = x;
            reportedY_ = y;
            if (dx != 0 || dy != 0) {
                fill(read, poll, dx, dy);
                return true;
            }
        }
        return false;
    }

private:
    double unit() { return static_cast<double>(random_()) / 4294967296.0; }

    // Milliseconds the hand moved between from and to, before timeUs.
    double movedMs(std::int64_t fromUs, std::int64_t toUs, std::int64_t timeUs) const {
        const std::int64_t end = std::min(timeUs, toUs);
        return end > fromUs ? static_cast<double>(end - fromUs) / 1000.0 : 0.0;
    }

    std::int64_t countsAt(double start, double speed, double changedSpeed,
                          std::int64_t timeUs) const {
        const bool changes = motion_.changeUs > motion_.startUs;
        const std::int64_t changeUs = changes ? motion_.changeUs : motion_.endUs;
        const double position = start + speed * movedMs(motion_.startUs, changeUs, timeUs) +
                                changedSpeed * movedMs(changeUs, motion_.endUs, timeUs);
        return static_cast<std::int64_t>(std::floor(position));
    }

    void fill(SyntheticRead& read, std::int64_t poll, std::int64_t dx, std::int64_t dy) {
        read.pollUs = poll;
        const auto delay = static_cast<std::int64_t>(unit() * (motion_.maxReadDelayUs + 1));
        read.readUs = std::max(poll + delay, lastReadUs_);
        lastReadUs_ = read.readUs;
        read.count = 0;
        const auto stamp = static_cast<std::uint32_t>(kStampBaseMs + poll / 1000);
        if (dx != 0) {
            read.records[read.count++] = record(mouse_offset::x, dx, stamp);
        }
        if (dy != 0) {
            read.records[read.count++] = record(mouse_offset::y, dy, stamp);
        }
    }

    MouseRecord record(std::uint32_t offset, std::int64_t counts, std::uint32_t stamp) {
        return MouseRecord{offset, static_cast<std::uint32_t>(static_cast<std::int32_t>(counts)),
                           stamp, sequence_++, 0};
    }

    // Time stamps are milliseconds since the system started, so not 0 at the start.
    static constexpr std::uint32_t kStampBaseMs = 5000000;

    HandMotion motion_;
    std::mt19937 random_;
    double startX_;
    double startY_;
    std::int64_t pollUs_;
    std::int64_t reportedX_ = 0;
    std::int64_t reportedY_ = 0;
    std::int64_t lastReadUs_ = 0;
    std::uint32_t sequence_ = 0;
};

// The velocity from timeUs on, until the next sample.
struct AimSample {
    std::int64_t timeUs = 0;
    AimVelocity velocity;
};

struct AimRun {
    std::vector<AimSample> samples;
    std::int64_t firstPollUs = -1; // the first and the last report of the hand
    std::int64_t lastPollUs = -1;
};

// Drives the estimator as the capture run's scheduler does: each read at its read time,
// and an evaluation after it and at every time nextVelocityChange names, until the hand
// has stopped and the estimator rests.
inline AimRun simulateAim(AimVelocityEstimator& estimator, const HandMotion& motion,
                          const AimWindow& window = kAimWindow) {
    SyntheticMouse mouse(motion);
    AimRun run;
    SyntheticRead read;
    bool pending = mouse.next(read);
    std::int64_t nowUs = motion.startUs;
    for (;;) {
        const std::int64_t deadlineUs = nextVelocityChange(estimator, nowUs);
        if (pending && read.readUs <= deadlineUs) {
            nowUs = read.readUs;
            addMotionRecords(estimator, read.records.data(), read.count, nowUs, window);
            run.firstPollUs = run.firstPollUs < 0 ? read.pollUs : run.firstPollUs;
            run.lastPollUs = read.pollUs;
            pending = mouse.next(read);
        } else if (deadlineUs != kNeverUs) {
            nowUs = std::max(nowUs, deadlineUs);
        } else {
            return run;
        }
        run.samples.push_back({nowUs, currentVelocity(estimator, nowUs)});
    }
}

} // namespace qora::synthetic
