#include "trace/aim_replay.h"

#include "mapping/aim_curve.h"
#include "mapping/precise_aim.h"
#include "tools/aim/synthetic_mouse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

namespace qora {
namespace {

using synthetic::HandMotion;
using synthetic::SyntheticMouse;
using synthetic::SyntheticRead;

constexpr AimCurve kCurve{1.0, 1.0, 0.24, 1.0, AimShape::circle};

ProfileRecord preciseProfile() {
    ProfileRecord profile;
    writeZoomScale(profile, profile::xZoomScale, 1.0f);
    writeZoomScale(profile, profile::yZoomScale, 1.0f);
    AimSettings aim;
    aim.mode = AimMode::precise;
    aim.deadZoneHundredths = 2400;
    writeAimSettings(profile, aim);
    profile.bytes[profile::direction] = profile::kDirectionRightStick;
    return profile;
}

void addRead(AimTrace& trace, const SyntheticRead& read) {
    trace.entries.push_back(AimTraceRead{read.readUs, AimTraceStep::event,
                                         static_cast<std::uint32_t>(trace.records.size()),
                                         read.count});
    trace.records.insert(trace.records.end(), read.records.begin(),
                         read.records.begin() + read.count);
}

// The hand's reads as a segment of the trace.
void addHand(AimTrace& trace, const HandMotion& motion) {
    SyntheticMouse mouse(motion);
    SyntheticRead read;
    while (mouse.next(read)) {
        addRead(trace, read);
    }
    trace.segments.push_back({motion.startUs, motion.endUs, motion.endUs, motion.speedX,
                              motion.speedY,
                              static_cast<std::int32_t>(1000000 / motion.reportPeriodUs)});
}

// What the measuring build records of a run: precise aim's own step at every read and at
// every moment the estimator names.
AimTrace recordedByTheProgram(const HandMotion& motion) {
    const ProfileRecord profile = preciseProfile();
    AimTrace trace;
    trace.curve = aimCurveOf(profile);
    MouseState mouse;
    ControllerState state;
    const auto evaluate = [&](std::int64_t nowUs, AimTraceStep step) {
        writePreciseAim(mouse, state, kConsoleXbox360, profile, nowUs);
        trace.entries.push_back(
            AimTraceEvaluation{nowUs, step, currentVelocity(mouse.aim, nowUs), mouse.output});
    };
    SyntheticMouse hand(motion);
    SyntheticRead read;
    bool pending = hand.next(read);
    std::int64_t nowUs = motion.startUs;
    for (;;) {
        const std::int64_t dueUs = nextVelocityChange(mouse.aim, nowUs);
        if (pending && read.readUs <= dueUs) {
            nowUs = read.readUs;
            addRead(trace, read);
            readPreciseAimRecords(mouse, read.records.data(), read.count, nowUs);
            evaluate(nowUs, AimTraceStep::event);
            pending = hand.next(read);
        } else if (dueUs != kNeverUs) {
            nowUs = std::max(nowUs, dueUs);
            evaluate(nowUs, AimTraceStep::refresh);
        } else {
            return trace;
        }
    }
}

// A steady hand and its stop, read late at random: the replay gives every evaluation the
// program recorded, and a recorded stick that is not what the replay gives is found.
TEST(AimReplay, GivesWhatTheProgramsOwnStepGave) {
    const HandMotion hand{1000, 2.7, -1.1, 100000, 600000, 400, 3};
    AimTrace trace = recordedByTheProgram(hand);
    const AimReplay replay = replayAimTrace(trace);
    EXPECT_GT(replay.evaluations, 500u);
    EXPECT_EQ(replay.differing, 0u);

    for (AimTraceEntry& entry : trace.entries) {
        auto* evaluation = std::get_if<AimTraceEvaluation>(&entry);
        if (evaluation != nullptr && evaluation->timeUs > 300000) {
            evaluation->stick.x += 1;
            const AimReplay changed = replayAimTrace(trace);
            EXPECT_EQ(changed.differing, 1u);
            EXPECT_EQ(changed.firstDifferenceUs, evaluation->timeUs);
            break;
        }
    }
}

// A 1000 Hz mouse teaches the estimator its period in a fast segment; a slow one of single
// counts does not. Cut out alone, the slow segment keeps the learned period and replays as
// it did within the whole; without the period its first reports would be read otherwise.
TEST(AimReplay, ACutTraceReplaysItsSegmentsAsTheWholeDid) {
    AimTrace whole;
    whole.curve = kCurve;
    addHand(whole, {1000, 4.0, 0.0, 100000, 800000, 300, 5});
    addHand(whole, {1000, 0.6, 0.0, 1200000, 1900000, 300, 6});
    const AimTrace cut = cutAimTrace(whole, 1, 1, 100000);
    EXPECT_NEAR(static_cast<double>(cut.reportPeriodUs), 1000.0, 50.0); // the reads jitter
    ASSERT_EQ(cut.segments.size(), 1u);
    EXPECT_EQ(cut.segments[0], whole.segments[1]);

    const auto within = [](const AimReplay& replay) {
        std::vector<StickChange> changes;
        for (const StickChange& change : replay.timeline) {
            if (change.timeUs >= 1200000) {
                changes.push_back(change);
            }
        }
        return changes;
    };
    EXPECT_EQ(within(replayAimTrace(cut)), within(replayAimTrace(whole)));
    AimTrace unlearned = cut;
    unlearned.reportPeriodUs = 0;
    EXPECT_NE(within(replayAimTrace(unlearned)), within(replayAimTrace(whole)));
}

constexpr std::int64_t kStartUs = 1000000;
constexpr std::int64_t kLastUs = kStartUs + 700000;

std::int32_t units(double magnitude) {
    return static_cast<std::int32_t>(std::lround(magnitude * 32767.0));
}

// A timeline of magnitudes along X, at milliseconds from the segment's first motion.
std::vector<StickChange> timeline(std::initializer_list<std::pair<double, double>> changes) {
    std::vector<StickChange> result;
    for (const auto& [atMs, magnitude] : changes) {
        result.push_back(
            {kStartUs + static_cast<std::int64_t>(atMs * 1000.0), MotionPair{units(magnitude), 0}});
    }
    return result;
}

// A segment at 4 counts/ms, whose rule is 0.24 + 0.76 * 0.4 = 0.544; the steady part runs
// from 120 ms to the last event at 700 ms, 580 ms long, and mid-motion from 20 ms.
TEST(AimSegmentMeasures, WhatTheBenchMeasuresOfASegment) {
    const AimTraceSegment segment{kStartUs, kLastUs, kLastUs + 1000, 4.0, 0.0, 1000};
    struct Case {
        const char* name;
        std::vector<StickChange> timeline;
        SegmentMeasures expected;
    };
    const Case cases[] = {
        {"at the rule from 2 ms to 6 ms after the last event",
         timeline({{2, 0.544}, {706, 0}}),
         {0.544, 0.544, 0.544, 0.544, 0.0, 0, 0.0, 2.0, 6.0}},
        {"full deflection for 40 ms",
         timeline({{2, 0.544}, {300, 1.0}, {340, 0.544}, {707.5, 0}}),
         {0.544, 0.544, 0.544, 0.544, 40.0, 0, 0.0, 2.0, 7.5}},
        {"two drops to 0, the longer 5 ms",
         timeline({{1, 0.544}, {400, 0}, {405, 0.544}, {500, 0}, {503, 0.544}, {706, 0}}),
         {0.544, 0.544, 0.544, 0.544, 5.0, 2, 5.0, 1.0, 6.0}},
        {"15 % low, 65 % at 0.6, 20 % high, by time; low from the start of mid-motion",
         timeline({{3, 0.4}, {207, 0.6}, {584, 0.7}, {716, 0}}),
         {0.544, 0.6, 0.4, 0.7, 187.0, 0, 0.0, 3.0, 16.0}},
        {"never deflected", {}, {0.544, 0.0, 0.0, 0.0, 680.0, 1, 680.0, -1.0, 0.0}},
        {"never back at the centre",
         timeline({{2, 0.544}}),
         {0.544, 0.544, 0.544, 0.544, 0.0, 0, 0.0, 2.0, -1.0}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const SegmentMeasures got = measureSegment(test.timeline, segment, kCurve, kConsoleXbox360);
        const SegmentMeasures& want = test.expected;
        EXPECT_NEAR(got.rule, want.rule, 1e-9);
        EXPECT_NEAR(got.median, want.median, 1e-4);
        EXPECT_NEAR(got.p10, want.p10, 1e-4);
        EXPECT_NEAR(got.p90, want.p90, 1e-4);
        EXPECT_DOUBLE_EQ(got.longestExcursionMs, want.longestExcursionMs);
        EXPECT_EQ(got.drops, want.drops);
        EXPECT_DOUBLE_EQ(got.longestDropMs, want.longestDropMs);
        EXPECT_DOUBLE_EQ(got.onsetMs, want.onsetMs);
        EXPECT_DOUBLE_EQ(got.stopMs, want.stopMs);
    }
}

} // namespace
} // namespace qora
