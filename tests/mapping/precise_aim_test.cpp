#include "mapping/precise_aim.h"

#include "mapping/aim_curve.h"
#include "mapping/aim_velocity.h"
#include "mapping/mouse_motion.h"
#include "tools/aim/synthetic_mouse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace qora {
namespace {

using synthetic::HandMotion;

constexpr std::uint8_t kLeft = profile::kDirectionLeftStick;
constexpr std::uint8_t kRight = profile::kDirectionRightStick;
constexpr std::uint8_t kTilt = profile::kDirectionTilt;
constexpr std::uint8_t kBindA = 4; // mouse-action list position of A: buttons2 0x10

ControllerState restState() {
    ControllerState state;
    resetToRest(state);
    return state;
}

ProfileRecord preciseProfile(float zoomX, float zoomY, AimSettings aim, std::uint8_t direction,
                             std::uint8_t invert = 0) {
    ProfileRecord profile;
    writeZoomScale(profile, profile::xZoomScale, zoomX);
    writeZoomScale(profile, profile::yZoomScale, zoomY);
    aim.mode = AimMode::precise;
    writeAimSettings(profile, aim);
    profile.bytes[profile::direction] = direction;
    profile.bytes[profile::invertFlags] = invert;
    return profile;
}

// The whole rule, from a velocity to what lands in the state: for a stick the 16-bit
// values of its X and Y, for TILT the three motion values.
TEST(PreciseAimRule, VelocityAndSettingsGiveTheStick) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr AimShape circle = AimShape::circle;
    constexpr AimShape square = AimShape::square;
    struct Case {
        const char* name;
        AimVelocity velocity;
        float zoomX, zoomY;
        AimSettings aim; // mode is set to precise
        std::uint8_t direction, invert;
        ConsoleMode mode;
        std::vector<int> expected;
    };
    // clang-format off
    // name, velocity, zoom X and Y, {_, shape, dead zone x 100, exponent steps}, direction,
    // invert, console, expected
    const Case cases[] = {
        {"no motion is the centre, dead zone or not", {0, 0}, 1, 1, {{}, circle, 2000, 0}, kRight, 0, kConsoleXbox360, {0, 0}},
        {"half of 10 counts/ms is half way, Y negated", {5, -2}, 1, 1, {{}, square, 0, 0}, kRight, 0, kConsoleXbox360, {16384, 6553}},
        {"the dead zone lifts the smallest motion", {0, 2.5}, 1, 1, {{}, circle, 2000, 0}, kRight, 0, kConsoleXbox360, {0, -13107}},
        {"the circle keeps the direction and saturates", {30, 40}, 1, 1, {{}, circle, 0, 0}, kRight, 0, kConsoleXbox360, {19660, -26214}},
        {"a diagonal inside the circle", {3, 4}, 1, 1, {{}, circle, 2000, 0}, kRight, 0, kConsoleXbox360, {11796, -15728}},
        {"the square shapes each axis on its own", {3, -4}, 1, 1, {{}, square, 2000, 0}, kRight, 0, kConsoleXbox360, {14417, 17039}},
        {"exponent 2 bends the curve down", {5, 0}, 1, 1, {{}, circle, 0, 20}, kRight, 0, kConsoleXbox360, {8192, 0}},
        {"exponent 0.5 bends it up", {2.5, 0}, 1, 1, {{}, circle, 0, -10}, kRight, 0, kConsoleXbox360, {16384, 0}},
        {"dead zone and exponent above their ranges act as 90 % and 4", {5, 0}, 1, 1, {{}, circle, 9999, 127}, kRight, 0, kConsoleXbox360, {29695, 0}},
        {"an exponent below its range acts as 0.25", {0.1, 0}, 1, 1, {{}, circle, 0, -128}, kRight, 0, kConsoleXbox360, {10362, 0}},
        {"each axis has its own sensitivity", {2, 4}, 2, 0.5f, {{}, square, 0, 0}, kRight, 0, kConsoleXbox360, {13107, -6553}},
        {"NaN and negative zooms act as 0", {5, 5}, kNaN, -1, {{}, circle, 0, 0}, kRight, 0, kConsoleXbox360, {0, 0}},
        {"the PS3 gets the nearest whole high byte", {4, 0}, 1, 1, {{}, circle, 0, 0}, kRight, 0, kConsolePs3, {51 * 256, 0}},
        {"inversion on the left stick", {5, 2.5}, 1, 1, {{}, square, 0, 0}, kLeft, profile::kInvertX | profile::kInvertY, kConsoleXbox360, {-16384, 8192}},
        {"TILT on the PS3", {5, -2.5}, 1, 1, {{}, square, 0, 0}, kTilt, 0, kConsolePs3, {512 - 64, 512 + 32, 400 + 64}},
        {"TILT rounds the 16-bit units to its scale", {3.5, 0}, 1, 1, {{}, square, 0, 0}, kTilt, 0, kConsoleXbox360, {512 - 45, 512, 400 + 45}},
    };
    // clang-format on
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const ProfileRecord profile =
            preciseProfile(test.zoomX, test.zoomY, test.aim, test.direction, test.invert);
        ControllerState state = restState();
        writeMouseDeflection(
            state, profile,
            stickUnitsFor(deflectionFor(test.velocity, aimCurveOf(profile)), test.mode));
        ControllerState expected = restState();
        const auto& v = test.expected;
        if (test.direction == kTilt) {
            setMotionValue(expected, state::accelX, static_cast<std::uint16_t>(v[0]));
            setMotionValue(expected, state::accelY, static_cast<std::uint16_t>(v[1]));
            setMotionValue(expected, state::accelZ, static_cast<std::uint16_t>(v[2]));
        } else {
            const bool right = test.direction == kRight;
            setStickValue(expected, right ? state::rightStickX : state::leftStickX,
                          static_cast<std::int16_t>(v[0]));
            setStickValue(expected, right ? state::rightStickY : state::leftStickY,
                          static_cast<std::int16_t>(v[1]));
        }
        EXPECT_EQ(state, expected);
    }
}

// The velocity in force at timeUs.
AimVelocity velocityAt(const synthetic::AimRun& run, std::int64_t timeUs) {
    AimVelocity velocity;
    for (const synthetic::AimSample& sample : run.samples) {
        if (sample.timeUs > timeUs) {
            break;
        }
        velocity = sample.velocity;
    }
    return velocity;
}

constexpr std::int64_t kStartUs = 100000;
constexpr std::int64_t kEndUs = 1500000;
constexpr std::int64_t kSteadyFromUs = kStartUs + 300000;
constexpr std::int64_t kMaxReadDelayUs = 300;

HandMotion steadyHand(std::int64_t periodUs, double speedX, double speedY, std::uint32_t seed) {
    return {periodUs, speedX, speedY, kStartUs, kEndUs, kMaxReadDelayUs, seed};
}

// Whatever the report rate, the same hand speed gives the same velocity: within a few
// per cent and a tenth of a count per millisecond (a count over the window and the read
// jitter), over the whole steady stretch.
TEST(PreciseAimVelocity, TheSameHandSpeedGivesTheSameVelocityAtEveryReportRate) {
    const AimVelocity speeds[] = {{1.3, 0.0}, {4.1, -2.7}, {12.6, 5.0}};
    const std::int64_t periodsUs[] = {8000, 2000, 1000};
    const auto close = [](double estimate, double speed) {
        return std::abs(estimate - speed) <= 0.03 * std::abs(speed) + 0.1;
    };
    for (const AimVelocity& speed : speeds) {
        for (const std::int64_t periodUs : periodsUs) {
            SCOPED_TRACE(std::to_string(speed.x) + " counts/ms at " +
                         std::to_string(1000000 / periodUs) + " Hz");
            AimVelocityEstimator estimator;
            const synthetic::AimRun run =
                synthetic::simulateAim(estimator, steadyHand(periodUs, speed.x, speed.y, 7));
            for (std::int64_t t = kSteadyFromUs; t < kEndUs; t += 50000) {
                const AimVelocity estimate = velocityAt(run, t);
                EXPECT_TRUE(close(estimate.x, speed.x) && close(estimate.y, speed.y))
                    << "at " << t << " us: " << estimate.x << ", " << estimate.y;
            }
        }
    }
}

// The report timing makes the raw estimate wobble; the stick must not follow it.
TEST(PreciseAimVelocity, AConstantHandSpeedGivesASteadyStick) {
    const ProfileRecord profile = preciseProfile(0.5f, 0.5f, {}, kRight);
    const std::int64_t periodsUs[] = {8000, 2000, 1000};
    for (const double speed : {0.7, 2.7, 7.3, 19.4}) {
        for (const std::int64_t periodUs : periodsUs) {
            for (std::uint32_t seed = 1; seed <= 3; ++seed) {
                SCOPED_TRACE(std::to_string(speed) + " counts/ms at " +
                             std::to_string(1000000 / periodUs) + " Hz, seed " +
                             std::to_string(seed));
                AimVelocityEstimator estimator;
                const synthetic::AimRun run =
                    synthetic::simulateAim(estimator, steadyHand(periodUs, speed, 0.0, seed));
                int changes = 0;
                MotionPair last = stickUnitsFor(
                    deflectionFor(velocityAt(run, kSteadyFromUs), aimCurveOf(profile)),
                    kConsoleXbox360);
                for (const synthetic::AimSample& sample : run.samples) {
                    if (sample.timeUs > kSteadyFromUs && sample.timeUs < kSteadyFromUs + 1000000) {
                        const MotionPair stick = stickUnitsFor(
                            deflectionFor(sample.velocity, aimCurveOf(profile)), kConsoleXbox360);
                        changes += stick != last ? 1 : 0;
                        last = stick;
                    }
                }
                EXPECT_LE(changes, 2) << "changes of the stick in one second";
            }
        }
    }
}

MouseRecord motion(std::uint32_t offset, std::int32_t counts, std::uint32_t stamp) {
    return MouseRecord{offset, static_cast<std::uint32_t>(counts), stamp, 0, 0};
}

void read(AimVelocityEstimator& estimator, std::vector<MouseRecord> records, std::int64_t atUs) {
    addMotionRecords(estimator, records.data(), static_cast<std::uint32_t>(records.size()), atUs);
}

// A mouse whose report period is learned: 40 reports of 3 counts, 1 ms apart, then rest.
AimVelocityEstimator learnedMillisecond() {
    AimVelocityEstimator estimator;
    for (std::uint32_t i = 0; i < 40; ++i) {
        read(estimator, {motion(mouse_offset::x, 3, 100 + i)}, 1000 * i);
    }
    currentVelocity(estimator, 1000000);
    return estimator;
}

TEST(PreciseAimOnset, TheFirstReportAfterRestGivesAVelocityOnceThePeriodIsKnown) {
    AimVelocityEstimator learned = learnedMillisecond();
    ASSERT_TRUE(velocityAtRest(learned));
    read(learned, {motion(mouse_offset::x, 2, 5000), motion(mouse_offset::y, -1, 5000)}, 2000000);
    EXPECT_EQ(currentVelocity(learned, 2000000), (AimVelocity{2.0, -1.0}));

    AimVelocityEstimator fresh;
    read(fresh, {motion(mouse_offset::x, 2, 5000)}, 2000000);
    EXPECT_EQ(currentVelocity(fresh, 2000000), AimVelocity{});
    EXPECT_FALSE(velocityAtRest(fresh));
    read(fresh, {motion(mouse_offset::x, 3, 5002)}, 2002000);
    EXPECT_EQ(currentVelocity(fresh, 2002000), (AimVelocity{1.5, 0.0}));
}

// Streams that outlast the stop rule on a mouse whose period was learned at 1000 Hz: a
// hand so slow that single counts come 5 ms apart, and a mouse switched to 125 Hz. Once a
// few reports have come, the velocity is the stream's, not a spike per report with a
// stop in between.
TEST(PreciseAimOnset, SparseReportsAfterALearnedPeriodGiveTheStreamsVelocity) {
    struct Stream {
        const char* name;
        std::int32_t counts;
        std::int64_t intervalUs;
        double velocity;
    };
    for (const Stream& stream :
         {Stream{"slow hand", 1, 5000, 0.2}, Stream{"125 Hz", 8, 8000, 1.0}}) {
        SCOPED_TRACE(stream.name);
        AimVelocityEstimator estimator = learnedMillisecond();
        const std::int64_t startUs = 2000000;
        for (std::uint32_t i = 0; i < 40; ++i) {
            const std::int64_t atUs = startUs + stream.intervalUs * i;
            read(estimator, {motion(mouse_offset::x, stream.counts, 5000 + 8 * i)}, atUs);
            if (i < 10) {
                continue;
            }
            for (std::int64_t later = 0; later < stream.intervalUs; later += 1000) {
                EXPECT_NEAR(currentVelocity(estimator, atUs + later).x, stream.velocity, 1e-9);
            }
        }
    }
}

// Where the motion began after a rest is a guess (one report period before the first
// report), and the first report after a rest is often read late: a value measured from
// there is not held for good. A 125 Hz mouse at 2 counts/ms whose first report is read
// 0.8 ms late, and a slow hand's single counts 2 ms apart on a 1000 Hz mouse (its motion
// began two periods before its first count), each on an exact grid otherwise: once the
// window has moved past the motion's start, the velocity is the hand's.
TEST(PreciseAimOnset, AValueMeasuredFromTheMotionsStartIsNotKept) {
    struct Start {
        const char* name;
        std::int64_t periodUs;    // the mouse's, learned before
        std::int64_t intervalUs;  // between the hand's reports
        std::int32_t counts;      // each report's, on X
        std::int64_t firstLateUs; // the first report's read is this much later
    };
    const Start starts[] = {
        {"125 Hz, 2 counts/ms, the first report read late", 8000, 8000, 16, 800},
        {"1000 Hz, single counts 2 ms apart", 1000, 2000, 1, 0},
    };
    constexpr std::int64_t kReadDelayUs = 100;
    for (const Start& start : starts) {
        SCOPED_TRACE(start.name);
        AimVelocityEstimator estimator;
        for (std::uint32_t i = 0; i <= 2 * kAimPeriodIntervals; ++i) { // teaches the period
            const std::int64_t pollUs = 1000000 + start.periodUs * i;
            read(estimator, {motion(mouse_offset::x, 4, static_cast<std::uint32_t>(pollUs / 1000))},
                 pollUs + kReadDelayUs);
        }
        currentVelocity(estimator, 1900000);
        ASSERT_EQ(estimator.reportPeriodUs(), start.periodUs);
        const double speed =
            static_cast<double>(start.counts) * 1000.0 / static_cast<double>(start.intervalUs);
        constexpr std::int64_t kStartUs = 2000000;
        for (std::int64_t pollUs = kStartUs; pollUs < kStartUs + 600000;
             pollUs += start.intervalUs) {
            const std::int64_t readUs =
                pollUs + kReadDelayUs + (pollUs == kStartUs ? start.firstLateUs : 0);
            read(estimator,
                 {motion(mouse_offset::x, start.counts, static_cast<std::uint32_t>(pollUs / 1000))},
                 readUs);
            if (pollUs >= kStartUs + 100000) {
                EXPECT_NEAR(currentVelocity(estimator, readUs).x, speed, 0.005 * speed)
                    << "at " << pollUs - kStartUs << " us";
            }
        }
    }
}

// The report period is learned from reports that came alone: a report carries counts at
// its own time only when its read held it alone and it is one report, not several whose
// records Wine stamped with one millisecond. A 1000 Hz mouse whose reports come bunched or
// in lumps keeps its period; one switched to 500 Hz is learned again.
TEST(PreciseAimPeriod, OnlyReportsThatCameAloneTeachTheReportPeriod) {
    struct Stream {
        const char* name;
        std::uint32_t reportsPerRead;   // in one read, with stamps a millisecond apart
        std::uint32_t recordsPerReport; // on X, with one stamp
        std::int32_t countsPerRecord;
        std::int64_t readIntervalUs;
        std::int64_t periodUs; // learned afterwards
    };
    const Stream streams[] = {
        {"three reports bunched into one stamp every 3 ms", 1, 3, 1, 3000, 1000},
        {"lumps of four reports every 4 ms", 4, 1, 2, 4000, 1000},
        {"a 500 Hz mouse, a report alone every 2 ms", 1, 1, 2, 2000, 2000},
    };
    for (const Stream& stream : streams) {
        SCOPED_TRACE(stream.name);
        AimVelocityEstimator estimator = learnedMillisecond();
        ASSERT_EQ(estimator.reportPeriodUs(), 1000);
        std::uint32_t stamp = 5000;
        for (std::int64_t atUs = 2000000; atUs < 2100000; atUs += stream.readIntervalUs) {
            std::vector<MouseRecord> records;
            for (std::uint32_t report = 0; report < stream.reportsPerRead; ++report) {
                for (std::uint32_t r = 0; r < stream.recordsPerReport; ++r) {
                    records.push_back(motion(mouse_offset::x, stream.countsPerRecord, stamp));
                }
                ++stamp;
            }
            stamp +=
                static_cast<std::uint32_t>(stream.readIntervalUs / 1000) - stream.reportsPerRead;
            read(estimator, records, atUs);
        }
        EXPECT_EQ(estimator.reportPeriodUs(), stream.periodUs);
    }
}

// Reports held up on their way (Wine, a busy machine): a read comes several milliseconds
// late with the reports polled meanwhile, all stamped with the millisecond Wine took them
// in. Reads of a steady hand come 5 ms apart a few times a second under load, and 6 to
// 7 ms apart a few times a run even on a quiet machine, the bare recorder's as qora's.
// Neither drops the stick to 0 nor throws it up: the steady hand stays at its speed.
TEST(PreciseAimSteadiness, ReportsHeldUpOnTheirWayKeepTheSpeed) {
    struct Stall {
        const char* name;
        std::int64_t periodUs;
        std::int32_t counts;    // each report's, on X
        std::int64_t readGapUs; // every 50th read comes this long after the one before
    };
    const Stall stalls[] = {
        {"1000 Hz, a read 5 ms apart", 1000, 2, 5000},
        {"1000 Hz, a read 6.5 ms apart", 1000, 1, 6500},
        {"500 Hz, a read 6.6 ms apart", 2000, 4, 6600},
    };
    constexpr std::int64_t kReadDelayUs = 100;
    for (const Stall& stall : stalls) {
        SCOPED_TRACE(stall.name);
        AimVelocityEstimator estimator = learnedMillisecond();
        const double speed =
            static_cast<double>(stall.counts) * 1000.0 / static_cast<double>(stall.periodUs);
        const std::int64_t startUs = 2000000;
        const auto pollOf = [&](std::uint32_t report) { return startUs + stall.periodUs * report; };
        std::uint32_t report = 0;
        std::int64_t lastReadUs = 0;
        for (int read = 0; read < 400; ++read) {
            const bool stalled = read % 50 == 49;
            const std::int64_t readUs =
                stalled ? lastReadUs + stall.readGapUs : pollOf(report) + kReadDelayUs;
            const auto stamp = static_cast<std::uint32_t>((readUs - kReadDelayUs) / 1000);
            std::vector<MouseRecord> records;
            while (pollOf(report) + kReadDelayUs <= readUs) {
                records.push_back(motion(mouse_offset::x, stall.counts, stamp));
                ++report;
            }
            for (std::int64_t t = lastReadUs + 250; stalled && read > 50 && t < readUs; t += 250) {
                EXPECT_GT(currentVelocity(estimator, t).x, speed / 2) << "read " << read;
            }
            addMotionRecords(estimator, records.data(), static_cast<std::uint32_t>(records.size()),
                             readUs);
            if (read > 50) {
                EXPECT_NEAR(currentVelocity(estimator, readUs).x, speed, 0.05 * speed)
                    << "read " << read;
            }
            lastReadUs = readUs;
        }
    }
}

// Reports handed over late keep the times their stamps give them: a steady hand's reports,
// stamped each millisecond, reach the program in uneven reads (Wine under load). Placed at
// their reads' times, a lump read soon after a late read crowds its counts into a moment
// and throws the velocity up; placed by their stamps, the velocity stays the hand's.
TEST(PreciseAimSteadiness, ReportsHandedOverLateKeepTheTimesOfTheirStamps) {
    struct Delivery {
        const char* name;
        std::int64_t periodUs;
        std::int32_t counts;     // each report's
        std::int64_t lateByUs;   // the read of every tenth report is this late ...
        std::uint32_t heldAfter; // ... and the reports after it come with the next read
        std::int64_t nextReadUs; // this long after the late one
    };
    const Delivery deliveries[] = {
        {"a read 4 ms late, then three reports in a read at once", 1000, 4, 4000, 3, 500},
        {"a 500 Hz report held 2 ms, its stamp shared with the next", 2000, 16, 2000, 0, 750},
    };
    for (const Delivery& delivery : deliveries) {
        SCOPED_TRACE(delivery.name);
        AimVelocityEstimator estimator = learnedMillisecond();
        const double speed =
            static_cast<double>(delivery.counts) * 1000.0 / static_cast<double>(delivery.periodUs);
        const std::int64_t startUs = 2000000;
        double fastest = 0.0;
        double slowest = 1e9;
        std::uint32_t report = 0;
        while (report < 300) {
            const bool late = report % 10 == 9;
            const std::int64_t pollUs = startUs + delivery.periodUs * report;
            const auto stamp = static_cast<std::uint32_t>(pollUs / 1000);
            std::int64_t readUs = pollUs + 200 + (late ? delivery.lateByUs : 0);
            read(estimator, {motion(mouse_offset::x, delivery.counts, stamp)}, readUs);
            ++report;
            if (late) {
                // The next reports come with the following read; a report held upstream
                // comes with its successor's stamp.
                std::vector<MouseRecord> held;
                for (std::uint32_t h = 0; h <= delivery.heldAfter; ++h, ++report) {
                    const std::int64_t heldPollUs = startUs + delivery.periodUs * report;
                    const auto heldStamp = static_cast<std::uint32_t>(
                        delivery.heldAfter == 0 ? stamp : heldPollUs / 1000);
                    held.push_back(motion(mouse_offset::x, delivery.counts, heldStamp));
                }
                readUs += delivery.nextReadUs;
                read(estimator, held, readUs);
            }
            if (report > 60) {
                const double velocity = currentVelocity(estimator, readUs).x;
                fastest = std::max(fastest, velocity);
                slowest = std::min(slowest, velocity);
            }
        }
        EXPECT_LT(fastest, speed * 1.1);
        EXPECT_GT(slowest, speed * 0.9);
    }
}

// A 500 Hz report held up on its way comes with the next one, both stamped with the next's
// millisecond, in two reads 0.75 ms apart, each within that millisecond. Two reports of one
// stamp cannot be the mouse's next report when its period is two stamp steps or more: the
// second joins the first, so no window holds a report too many.
TEST(PreciseAimSteadiness, TwoReportsOfOneStampReadApartStayTogether) {
    AimVelocityEstimator estimator = learnedMillisecond();
    for (std::uint32_t i = 0; i < 20; ++i) { // a 500 Hz mouse, learned
        read(estimator, {motion(mouse_offset::x, 16, 3000 + 2 * i)}, 2000000 + 2000 * i + 100);
    }
    currentVelocity(estimator, 3000000);
    ASSERT_EQ(estimator.reportPeriodUs(), 2000);
    const std::int64_t startUs = 4000000;
    double fastest = 0.0;
    for (std::uint32_t report = 0; report < 200; ++report) {
        const std::int64_t pollUs = startUs + 2000 * report;
        const auto stamp = static_cast<std::uint32_t>(pollUs / 1000);
        if (report % 25 == 24) {
            continue; // held: it comes with the next report, under the next's stamp
        }
        const bool withHeld = report % 25 == 0 && report > 0;
        read(estimator, {motion(mouse_offset::x, 16, stamp)}, pollUs + 100);
        std::int64_t lastReadUs = pollUs + 100;
        if (withHeld) {
            lastReadUs += 750;
            read(estimator, {motion(mouse_offset::x, 16, stamp)}, lastReadUs);
        }
        if (report > 40) {
            fastest = std::max(fastest, currentVelocity(estimator, lastReadUs).x);
        }
    }
    EXPECT_LT(fastest, 8.0 * 1.05);
}

TEST(PreciseAimOnset, ReportsOfOneReadArePlacedByTheirTimeStamps) {
    AimVelocityEstimator apart;
    read(apart, {motion(mouse_offset::x, 4, 9)}, 9000);
    read(apart, {motion(mouse_offset::x, 4, 10), motion(mouse_offset::y, 2, 10)}, 10000);
    read(apart, {motion(mouse_offset::x, 4, 12)}, 12000);
    AimVelocityEstimator together;
    read(together,
         {motion(mouse_offset::x, 4, 9), motion(mouse_offset::x, 4, 10),
          motion(mouse_offset::y, 2, 10), motion(12, 0x80, 11), motion(mouse_offset::x, 4, 12)},
         12000);
    EXPECT_EQ(currentVelocity(together, 12000), currentVelocity(apart, 12000));
    EXPECT_EQ(currentVelocity(together, 12000), (AimVelocity{8.0 / 3.0, 2.0 / 3.0}));
}

// After the last report the velocity holds, decays, and is exactly 0 within two report
// periods and a few milliseconds; every change comes at a time nextVelocityChange named,
// at most 4 ms after the one before.
TEST(PreciseAimStop, TheVelocityStopsAtTheTimesItAnnounces) {
    AimVelocityEstimator estimator = learnedMillisecond();
    for (std::uint32_t i = 0; i < 20; ++i) {
        read(estimator, {motion(mouse_offset::x, 5, 200 + i)}, 2000000 + 1000 * i);
    }
    const std::int64_t lastUs = 2019000;
    AimVelocity shown = currentVelocity(estimator, lastUs);
    EXPECT_EQ(shown, (AimVelocity{5.0, 0.0}));
    std::int64_t nowUs = lastUs;
    while (!velocityAtRest(estimator)) {
        const std::int64_t changeUs = nextVelocityChange(estimator, nowUs);
        ASSERT_GT(changeUs, nowUs);
        EXPECT_LE(changeUs - nowUs, 4000) << "while decaying";
        EXPECT_EQ(currentVelocity(estimator, changeUs - 1), shown) << "before " << changeUs;
        const AimVelocity next = currentVelocity(estimator, changeUs);
        EXPECT_LT(next.x, shown.x) << "at " << changeUs;
        EXPECT_GE(next.x, 0.0);
        shown = next;
        nowUs = changeUs;
    }
    EXPECT_EQ(shown, AimVelocity{});
    EXPECT_LE(nowUs - lastUs, 2 * 1000 + 5000);
    EXPECT_EQ(nextVelocityChange(estimator, nowUs), kNeverUs);
}

// A report held up before the hand stops is waited for once: a 1000 Hz mouse's reports
// handed over in a lump under one stamp after a 5.3 ms gap, 5 ms before the stop, and a
// slow hand's single counts 2 ms apart whose last is read 4.3 ms after the one before.
// A second hold-up as long does not drop the stick, and once the hand has stopped the
// velocity is 0 no later than the hold-up and two of the hand's intervals after the last
// report read (counting the longest recent interval twice waited 11 and 9 ms).
TEST(PreciseAimStop, AReportHeldUpIsWaitedForOnce) {
    struct HeldUp {
        const char* name;
        std::int64_t intervalUs;    // between the hand's reports
        std::int32_t counts;        // each report's, on Y
        std::int64_t gapUs;         // a held-up read comes this long after the one before
        std::uint32_t reportsAfter; // between the last hold-up and the stop
    };
    const HeldUp cases[] = {
        {"1000 Hz, 3 counts/ms, a lump under one stamp", 1000, 3, 5300, 5},
        {"a slow hand's last count read late", 2000, 1, 4300, 0},
    };
    constexpr std::int64_t kReadDelayUs = 100;
    for (const HeldUp& held : cases) {
        SCOPED_TRACE(held.name);
        AimVelocityEstimator estimator = learnedMillisecond();
        const std::int64_t startUs = 2000000;
        const auto pollOf = [&](std::uint32_t report) {
            return startUs + held.intervalUs * report;
        };
        std::uint32_t report = 0;
        std::int64_t lastReadUs = 0;
        // Reads every report at its poll, or with a hold-up all those polled meanwhile.
        const auto readNext = [&](bool heldUp) {
            const std::int64_t readUs =
                heldUp ? lastReadUs + held.gapUs : pollOf(report) + kReadDelayUs;
            const auto stamp = static_cast<std::uint32_t>((readUs - kReadDelayUs) / 1000);
            std::vector<MouseRecord> records;
            while (pollOf(report) + kReadDelayUs <= readUs) {
                records.push_back(motion(mouse_offset::y, held.counts, stamp));
                ++report;
            }
            for (std::int64_t t = lastReadUs + 250; heldUp && t < readUs; t += 250) {
                EXPECT_GT(currentVelocity(estimator, t).y, 0.0) << "waiting at " << t;
            }
            addMotionRecords(estimator, records.data(), static_cast<std::uint32_t>(records.size()),
                             readUs);
            lastReadUs = readUs;
        };
        for (std::uint32_t read = 0; read < 60; ++read) {
            readNext(read == 30);
        }
        readNext(true);
        for (std::uint32_t read = 0; read < held.reportsAfter; ++read) {
            readNext(false);
        }
        ASSERT_GT(currentVelocity(estimator, lastReadUs).y, 0.0);
        EXPECT_EQ(currentVelocity(estimator, lastReadUs + held.gapUs + 2 * held.intervalUs).y, 0.0);
    }
}

// Reads of a few hands in a row, as the program gets them: each hand a synthetic mouse,
// with a rest between the hands.
struct ChangeStream {
    const char* name;
    std::int64_t periodUs;
    double speed; // counts per millisecond along X; Y moves a third as fast, backwards
    std::int64_t maxReadDelayUs;
    std::int64_t restUs;     // between the hands: short ones go on from the reports before
    std::uint32_t heldReads; // this many reads in a row are held up and come as one; 0: none
    bool periodLearned;
};

struct TimedRead {
    std::int64_t readUs = 0;
    std::vector<MouseRecord> records;
};

// Three hands of 150 ms; the second changes its speed by half again half way.
std::vector<TimedRead> readsOf(const ChangeStream& stream) {
    std::vector<TimedRead> reads;
    std::int64_t startUs = 2000000;
    for (std::uint32_t hand = 0; hand < 3; ++hand) {
        HandMotion motion{stream.periodUs,  stream.speed,          -stream.speed / 3, startUs,
                          startUs + 150000, stream.maxReadDelayUs, hand + 1};
        if (hand == 1) {
            motion.changeUs = startUs + 75000;
            motion.changedSpeedX = stream.speed * 1.5;
        }
        synthetic::SyntheticMouse mouse(motion);
        synthetic::SyntheticRead read;
        std::uint32_t held = 0;
        while (mouse.next(read)) {
            if (held == 0) {
                reads.push_back({});
            }
            reads.back().readUs = read.readUs;
            reads.back().records.insert(reads.back().records.end(), read.records.begin(),
                                        read.records.begin() + read.count);
            held = stream.heldReads == 0 ? 0 : (held + 1) % stream.heldReads;
        }
        startUs = reads.back().readUs + stream.restUs;
    }
    return reads;
}

// Without new motion, the velocity from atUs on is what it is at atUs until the moment
// nextVelocityChange names (checked for 100 ms when it names none). Once evaluated, the
// estimator names a moment ahead, or none, and then only at rest. A copy is asked.
void expectNoChangeBeforeTheNamedMoment(const AimVelocityEstimator& estimator, std::int64_t atUs) {
    AimVelocityEstimator asked = estimator;
    const std::int64_t namedUs = nextVelocityChange(asked, atUs);
    const AimVelocity atStart = currentVelocity(asked, atUs);
    const std::int64_t evaluatedNamedUs = nextVelocityChange(asked, atUs);
    ASSERT_GT(evaluatedNamedUs, atUs) << "once evaluated, the next change lies ahead";
    EXPECT_EQ(evaluatedNamedUs == kNeverUs, velocityAtRest(asked)) << "none, only at rest";
    const std::int64_t endUs = std::min(std::max(namedUs, evaluatedNamedUs), atUs + 100000);
    for (std::int64_t t = atUs + 1; t < endUs; t = std::min(t + 100, endUs - 1)) {
        ASSERT_EQ(currentVelocity(asked, t), atStart)
            << "at " << t << ", named " << namedUs << " at " << atUs;
        if (t == endUs - 1) {
            break;
        }
    }
}

// The scheduler wakes only at the moments nextVelocityChange names and at the mouse's
// events: between them the velocity must not change. Checked from every read, every named
// moment and a moment half way to the next, over streams of every kind: report rates, slow
// and fast hands, late reads, reads held up and handed over together, short and long rests,
// with the report period learned or not.
TEST(PreciseAimStop, TheVelocityChangesOnlyAtTheMomentsItNames) {
    // clang-format off
    const ChangeStream streams[] = {
        {"1000 Hz", 1000, 4.1, 400, 5000, 0, true},
        {"1000 Hz, the session's first motion", 1000, 4.1, 400, 40000, 0, false},
        {"500 Hz, slow", 2000, 0.3, 400, 12000, 0, true},
        {"125 Hz", 8000, 2.7, 400, 20000, 0, true},
        {"125 Hz, the period unknown", 8000, 1.3, 0, 40000, 0, false},
        {"single counts 20 ms apart", 1000, 0.05, 0, 3000, 0, true},
        {"single counts 40 ms apart, the period unknown", 1000, 0.025, 0, 3000, 0, false},
        {"reads held up, four as one", 1000, 7.3, 3000, 8000, 4, true},
        {"4 kHz, fast, late reads, two as one", 250, 19.4, 1000, 1000, 2, false},
    };
    // clang-format on
    for (const ChangeStream& stream : streams) {
        SCOPED_TRACE(stream.name);
        AimVelocityEstimator estimator =
            stream.periodLearned ? learnedMillisecond() : AimVelocityEstimator{};
        std::vector<TimedRead> reads = readsOf(stream);
        reads.push_back({reads.back().readUs + 200000, {}}); // the rest after the last hand
        std::int64_t nowUs = reads.front().readUs;
        for (const TimedRead& read : reads) {
            for (int wake = 0; wake < 1000; ++wake) {
                const std::int64_t namedUs = nextVelocityChange(estimator, nowUs);
                const std::int64_t nextUs = std::min(namedUs, read.readUs);
                expectNoChangeBeforeTheNamedMoment(estimator, nowUs + (nextUs - nowUs) / 2);
                if (namedUs >= read.readUs) {
                    break;
                }
                nowUs = namedUs;
                expectNoChangeBeforeTheNamedMoment(estimator, nowUs);
                currentVelocity(estimator, nowUs);
            }
            nowUs = read.readUs;
            addMotionRecords(estimator, read.records.data(),
                             static_cast<std::uint32_t>(read.records.size()), nowUs);
            expectNoChangeBeforeTheNamedMoment(estimator, nowUs);
            currentVelocity(estimator, nowUs);
            if (::testing::Test::HasFatalFailure()) {
                return;
            }
        }
        EXPECT_TRUE(velocityAtRest(estimator));
    }
}

TEST(PreciseAimStop, TheStepWritesTheStickAndRestsWithTheMouse) {
    ProfileRecord profile = preciseProfile(1, 1, {}, kRight);
    profile.bytes[profile::mouseBindings + 0] = kBindA;
    EXPECT_TRUE(isPreciseAim(profile));
    EXPECT_FALSE(isPreciseAim(ProfileRecord{}));
    MouseState mouse;
    mouse.aim = learnedMillisecond();
    const std::vector<MouseRecord> records{motion(12, 0x80, 7), motion(mouse_offset::x, 5, 7)};
    readPreciseAimRecords(mouse, records.data(), 2, 3000000);
    ControllerState state = restState();
    writePreciseAim(mouse, state, kConsoleXbox360, profile, 3000000);
    EXPECT_EQ(mouse.output, (MotionPair{16384, 0}));
    EXPECT_EQ(stickValue(state, state::rightStickX), 16384);
    EXPECT_EQ(state.bytes[state::buttons2], buttons2::a);
    EXPECT_FALSE(preciseAimAtRest(mouse));

    const std::int64_t stopUs = mouse.aim.stopUs(); // a few ms after the report
    EXPECT_LE(stopUs, 3000000 + 8000);
    state = restState();
    writePreciseAim(mouse, state, kConsoleXbox360, profile, stopUs);
    EXPECT_EQ(stickValue(state, state::rightStickX), 0);
    EXPECT_EQ(state.bytes[state::buttons2], buttons2::a); // the button is still held
    EXPECT_TRUE(preciseAimAtRest(mouse));
    mouse.flags[mouse_flag::wheelDown] = 1;
    EXPECT_FALSE(preciseAimAtRest(mouse));
}

} // namespace
} // namespace qora
