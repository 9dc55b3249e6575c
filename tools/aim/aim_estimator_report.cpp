// aim-estimator-report: how steady and how quick precise aim's velocity estimate is, for
// the window the program uses and a few alternatives. Synthetic mice at 125, 500 and
// 1000 Hz move at a constant hand speed for 1.2 s, read with a random delay, through the
// estimator as the capture run drives it (tools/aim/synthetic_mouse.h). Each line
// sums up several seeds:
//
//   onset     time from the first report until the estimate first lies within 10 % of
//             the hand speed (the report period already learned), median
//   changes/s how often the estimate changes while the hand keeps its speed (from 0.3 s
//             after the start to the end), mean
//   spread    (largest - smallest estimate) / hand speed over the same stretch, mean
//   error     time-weighted mean estimate / hand speed - 1, mean
//   stop      time from the last report until the estimate is exactly 0, median
//   change    time from a change of the hand's speed by half again (at 0.6 s) until the
//             estimate first lies within 10 % of the new speed, median
//   flick     the same from a slow 0.3 counts/ms to the speed
//
// Usage: aim-estimator-report [max read delay in microseconds, default 400]

#include "mapping/aim_velocity.h"
#include "tools/aim/synthetic_mouse.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qora::tools {
namespace {

using synthetic::AimRun;
using synthetic::AimSample;
using synthetic::HandMotion;

struct Variant {
    const char* name;
    AimWindow window;
};

constexpr std::array<Variant, 5> kVariants{{
    {"chosen", kAimWindow},
    {"no reach further back while steady",
     {.minSpanUs = 8000,
      .minReports = 2,
      .minCounts = 8,
      .maxSpanUs = 32000,
      .fitCounts = -1.0,
      .bandCounts = 2.0,
      .minJitterMs = 0.1}},
    {"shorter (4 ms, 4 counts, cap 16 ms)",
     {.minSpanUs = 4000,
      .minReports = 2,
      .minCounts = 4,
      .maxSpanUs = 16000,
      .fitCounts = 1.0,
      .bandCounts = 2.0,
      .minJitterMs = 0.1}},
    {"longer (16 ms, 16 counts, cap 48 ms)",
     {.minSpanUs = 16000,
      .minReports = 2,
      .minCounts = 16,
      .maxSpanUs = 48000,
      .fitCounts = 1.0,
      .bandCounts = 2.0,
      .minJitterMs = 0.1}},
    {"no deadband",
     {.minSpanUs = 8000,
      .minReports = 2,
      .minCounts = 8,
      .maxSpanUs = 32000,
      .fitCounts = 1.0,
      .bandCounts = 0.0,
      .minJitterMs = 0.0}},
}};

constexpr std::array<std::int64_t, 3> kReportPeriodsUs{8000, 2000, 1000};
// Not round numbers, so the counts of a report vary as a real hand's do.
constexpr std::array<double, 7> kSpeeds{0.55, 1.3, 2.7, 4.1, 7.3, 12.6, 19.4};
constexpr std::uint32_t kSeeds = 9;
constexpr std::int64_t kMotionUs = 1200000;
constexpr std::int64_t kSteadyFromUs = 300000;
constexpr std::int64_t kStartUs = 400000;
constexpr std::int64_t kChangeAfterUs = 600000;
constexpr double kChangedSpeed = 1.5;
constexpr double kSlowSpeed = 0.3;
constexpr double kOnsetTolerance = 0.1;

struct Figures {
    double onsetMs = 0.0;
    double changesPerSecond = 0.0;
    double spread = 0.0;
    double error = 0.0;
    double stopMs = 0.0;
    double changeMs = 0.0;
    double flickMs = 0.0;
};

double millis(std::int64_t us) {
    return static_cast<double>(us) / 1000.0;
}

// A short motion first, so the estimator knows the mouse's report period as it does in
// play; then the measured one.
// With changedSpeed above 0 the hand changes to it after kChangeAfterUs.
AimRun measuredRun(const AimWindow& window, std::int64_t periodUs, double speed,
                   double changedSpeed, std::int64_t maxDelayUs, std::uint32_t seed) {
    AimVelocityEstimator estimator;
    HandMotion warmUp{periodUs, 5.0, 0.0, 0, 200000, maxDelayUs, seed + 1000};
    synthetic::simulateAim(estimator, warmUp, window);
    HandMotion motion{periodUs, speed, 0.0, kStartUs, kStartUs + kMotionUs, maxDelayUs, seed};
    if (changedSpeed > 0.0) {
        motion.changeUs = kStartUs + kChangeAfterUs;
        motion.changedSpeedX = changedSpeed;
    }
    return synthetic::simulateAim(estimator, motion, window);
}

// From fromUs, how long until the estimate first lies within 10 % of speed.
double timeToReach(const AimRun& run, double speed, std::int64_t fromUs) {
    for (const AimSample& sample : run.samples) {
        if (sample.timeUs >= fromUs &&
            std::abs(sample.velocity.x - speed) <= kOnsetTolerance * speed) {
            return millis(sample.timeUs - fromUs);
        }
    }
    return NAN;
}

double stopMs(const AimRun& run) {
    for (const AimSample& sample : run.samples) {
        if (sample.timeUs >= run.lastPollUs && sample.velocity == AimVelocity{}) {
            return millis(sample.timeUs - run.lastPollUs);
        }
    }
    return NAN;
}

// Changes, spread and error over the steady stretch, from the value in force at its
// start to the hand's stop.
void steadyFigures(const AimRun& run, double speed, std::int64_t fromUs, std::int64_t toUs,
                   Figures& figures) {
    double current = 0.0;
    double low = INFINITY;
    double high = -INFINITY;
    double weighted = 0.0;
    int changes = 0;
    std::int64_t atUs = fromUs;
    for (const AimSample& sample : run.samples) {
        if (sample.timeUs > fromUs && sample.timeUs < toUs) {
            weighted += current * static_cast<double>(sample.timeUs - atUs);
            atUs = sample.timeUs;
            changes += sample.velocity.x != current ? 1 : 0;
        }
        if (sample.timeUs >= toUs) {
            break;
        }
        current = sample.velocity.x;
        if (sample.timeUs >= fromUs) {
            low = std::min(low, current);
            high = std::max(high, current);
        }
    }
    weighted += current * static_cast<double>(toUs - atUs);
    figures.changesPerSecond = changes / millis(toUs - fromUs) * 1000.0;
    figures.spread = (high - low) / speed;
    figures.error = weighted / static_cast<double>(toUs - fromUs) / speed - 1.0;
}

Figures measure(const AimWindow& window, std::int64_t periodUs, double speed,
                std::int64_t maxDelayUs, std::uint32_t seed) {
    const AimRun run = measuredRun(window, periodUs, speed, 0.0, maxDelayUs, seed);
    Figures figures;
    figures.onsetMs = timeToReach(run, speed, run.firstPollUs);
    figures.stopMs = stopMs(run);
    steadyFigures(run, speed, kStartUs + kSteadyFromUs, kStartUs + kMotionUs, figures);
    const double faster = speed * kChangedSpeed;
    const AimRun changing = measuredRun(window, periodUs, speed, faster, maxDelayUs, seed);
    figures.changeMs = timeToReach(changing, faster, kStartUs + kChangeAfterUs);
    const AimRun flick = measuredRun(window, periodUs, kSlowSpeed, speed, maxDelayUs, seed);
    figures.flickMs = timeToReach(flick, speed, kStartUs + kChangeAfterUs);
    return figures;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (const double value : values) {
        sum += value;
    }
    return sum / static_cast<double>(values.size());
}

void printLine(const AimWindow& window, std::int64_t periodUs, double speed,
               std::int64_t maxDelayUs) {
    std::vector<double> onset, changes, spread, error, stop, change, flick;
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
        const Figures figures = measure(window, periodUs, speed, maxDelayUs, seed);
        onset.push_back(figures.onsetMs);
        changes.push_back(figures.changesPerSecond);
        spread.push_back(figures.spread);
        error.push_back(figures.error);
        stop.push_back(figures.stopMs);
        change.push_back(figures.changeMs);
        flick.push_back(figures.flickMs);
    }
    std::printf("%5lld Hz %5.2f | %8.1f | %9.1f | %6.1f %% | %+6.1f %% | %7.1f | %9.1f | %8.1f\n",
                static_cast<long long>(1000000 / periodUs), speed, median(onset), mean(changes),
                100.0 * mean(spread), 100.0 * mean(error), median(stop), median(change),
                median(flick));
}

void printVariant(const Variant& variant, std::int64_t maxDelayUs) {
    const AimWindow& w = variant.window;
    std::printf("\n%s: at least %.0f ms, %u intervals and %lld counts, at most %.0f ms, ",
                variant.name, millis(w.minSpanUs), w.minReports,
                static_cast<long long>(w.minCounts), millis(w.maxSpanUs));
    if (w.fitCounts >= 0.0) {
        std::printf("further while within %.1f counts of the line", w.fitCounts);
    } else {
        std::printf("never further");
    }
    std::printf("; deadband %.1f counts\n", w.bandCounts);
    std::printf(" mouse  counts/ms | onset ms | changes/s | spread   | error    | stop ms | change "
                "ms | flick ms\n");
    for (const std::int64_t periodUs : kReportPeriodsUs) {
        for (const double speed : kSpeeds) {
            printLine(w, periodUs, speed, maxDelayUs);
        }
    }
}

} // namespace
} // namespace qora::tools

int main(int argc, char** argv) {
    const std::int64_t maxDelayUs = argc > 1 ? std::atoll(argv[1]) : 400;
    std::printf("aim-estimator-report: constant hand speed along X for %.1f s, reads delayed "
                "0-%lld us at random, %u seeds per line\n",
                qora::tools::millis(qora::tools::kMotionUs) / 1000.0,
                static_cast<long long>(maxDelayUs), qora::tools::kSeeds);
    for (const qora::tools::Variant& variant : qora::tools::kVariants) {
        qora::tools::printVariant(variant, maxDelayUs);
    }
    return 0;
}
