#include "mapping/mouse_shaping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace qora {
namespace {

TEST(StepGain, EachMagnitudeSelectsItsStepAtZoomOne) {
    EXPECT_EQ(stepGain(0, 1.0f), 0);
    EXPECT_EQ(stepGain(1, 1.0f), 16);
    EXPECT_EQ(stepGain(2, 1.0f), 24);
    EXPECT_EQ(stepGain(3, 1.0f), 32);
    EXPECT_EQ(stepGain(4, 1.0f), 40);
    EXPECT_EQ(stepGain(5, 1.0f), 48);
    EXPECT_EQ(stepGain(6, 1.0f), 64);
    EXPECT_EQ(stepGain(7, 1.0f), 64);
    EXPECT_EQ(stepGain(1000, 1.0f), 64);
}

TEST(StepGain, NegativeValuesMirrorTheSteps) {
    EXPECT_EQ(stepGain(-1, 1.0f), -16);
    EXPECT_EQ(stepGain(-3, 1.0f), -32);
    EXPECT_EQ(stepGain(-5, 1.0f), -48);
    EXPECT_EQ(stepGain(-1000, 1.0f), -64);
    EXPECT_EQ(stepGain(std::numeric_limits<std::int32_t>::min(), 1.0f), -64);
    EXPECT_EQ(stepGain(std::numeric_limits<std::int32_t>::max(), 1.0f), 64);
}

TEST(StepGain, TheZoomProductIsLimitedTo127) {
    EXPECT_EQ(stepGain(6, 2.0f), 127); // 128
    EXPECT_EQ(stepGain(-6, 2.0f), -127);
    EXPECT_EQ(stepGain(5, 2.0f), 96);
    EXPECT_EQ(stepGain(1, 5.0f), 80);
    EXPECT_EQ(stepGain(3, 5.0f), 127); // 160
    EXPECT_EQ(stepGain(2, 0.5f), 12);
}

TEST(StepGain, TheStoredSinglePrecisionZoomIsCutNotRounded) {
    // 0.7f lies just below 0.7 and 1.4f just below 1.4.
    EXPECT_EQ(stepGain(4, 0.7f), 27);
    EXPECT_EQ(stepGain(-4, 0.7f), -27);
    EXPECT_EQ(stepGain(4, 1.4f), 55);
    EXPECT_EQ(stepGain(-4, 1.4f), -55);
    EXPECT_EQ(stepGain(1, 1.4f), 22);
    EXPECT_EQ(stepGain(6, 1.1f), 70); // 70.4000...
}

TEST(StepGain, ZoomZeroKeepsTheAxisStill) {
    EXPECT_EQ(stepGain(6, 0.0f), 0);
    EXPECT_EQ(stepGain(-1, 0.0f), 0);
}

TEST(StepGain, DamagedZoomsStayWithinTheDeflectionRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(stepGain(4, nan), 0);
    EXPECT_EQ(stepGain(4, infinity), 127);
    EXPECT_EQ(stepGain(-4, infinity), -127);
    EXPECT_EQ(stepGain(4, 1e30f), 127);
    EXPECT_EQ(stepGain(4, -1.0f), -40);
    EXPECT_EQ(stepGain(4, -100.0f), -127);
    EXPECT_EQ(stepGain(-4, -100.0f), 127);
}

TEST(DampDiagonal, EqualMagnitudesShrinkBothAxesToFourFifths) {
    EXPECT_EQ(dampDiagonal({5, 5}, {48, 48}), (MotionPair{38, 38}));
    EXPECT_EQ(dampDiagonal({6, -6}, {64, -64}), (MotionPair{51, -51}));
    EXPECT_EQ(dampDiagonal({9, 9}, {127, 127}), (MotionPair{101, 101}));
    EXPECT_EQ(dampDiagonal({-3, 3}, {-32, 32}), (MotionPair{-25, 25}));
}

TEST(DampDiagonal, ComparesTheDrainedValuesNotTheDeflections) {
    // 6 and 9 share the top step but did not move equally.
    EXPECT_EQ(dampDiagonal({6, 9}, {64, 64}), (MotionPair{64, 64}));
    // Different zooms: equal motion is damped even with unequal deflections.
    EXPECT_EQ(dampDiagonal({4, 4}, {27, 55}), (MotionPair{21, 44}));
}

TEST(DampDiagonal, StillMotionStaysZero) {
    EXPECT_EQ(dampDiagonal({0, 0}, {0, 0}), (MotionPair{0, 0}));
}

TEST(SmoothingDepth, ZeroActsAsOneAndAboveFourAsFour) {
    EXPECT_EQ(clampSmoothingDepth(0), 1);
    EXPECT_EQ(clampSmoothingDepth(1), 1);
    EXPECT_EQ(clampSmoothingDepth(3), 3);
    EXPECT_EQ(clampSmoothingDepth(4), 4);
    EXPECT_EQ(clampSmoothingDepth(5), 4);
    EXPECT_EQ(clampSmoothingDepth(9), 4);
    EXPECT_EQ(clampSmoothingDepth(255), 4);
}

TEST(SmoothingDepth, OnlyTheLowByteOfTheSettingIsKept) {
    EXPECT_EQ(smoothingDepthFromSetting(0), 0);
    EXPECT_EQ(smoothingDepthFromSetting(9), 9);
    EXPECT_EQ(smoothingDepthFromSetting(255), 255);
    EXPECT_EQ(smoothingDepthFromSetting(260), 4);
    EXPECT_EQ(smoothingDepthFromSetting(256), 0);
    EXPECT_EQ(smoothingDepthFromSetting(-1), 255);
}

// The per-tick results of one value followed by still ticks.
std::vector<MotionPair> dyingAway(std::uint8_t depth, MotionPair first, int ticks) {
    SmoothingHistory history;
    std::vector<MotionPair> results;
    results.push_back(smoothMotion(history, depth, first));
    for (int i = 1; i < ticks; ++i) {
        results.push_back(smoothMotion(history, depth, {0, 0}));
    }
    return results;
}

TEST(SmoothMotion, DepthFourSpreadsOneDeflectionOverFourTicks) {
    const std::vector<MotionPair> expected{{16, 0}, {16, 0}, {16, 0}, {16, 0}, {0, 0}};
    EXPECT_EQ(dyingAway(4, {64, 0}, 5), expected);
}

TEST(SmoothMotion, DepthThreeCutsTowardZero) {
    const std::vector<MotionPair> expected{{0, -5}, {0, -5}, {0, -5}, {0, 0}};
    EXPECT_EQ(dyingAway(3, {0, -16}, 4), expected);
}

TEST(SmoothMotion, TheStoredDepthIsClampedInPlace) {
    SmoothingHistory history;
    std::uint8_t depth = 0;
    smoothMotion(history, depth, {0, 0});
    EXPECT_EQ(depth, 1);
    depth = 255;
    smoothMotion(history, depth, {0, 0});
    EXPECT_EQ(depth, 4);
    depth = 2;
    smoothMotion(history, depth, {0, 0});
    EXPECT_EQ(depth, 2);
}

TEST(SmoothMotion, AveragesTheLastValuesOldestFirst) {
    SmoothingHistory history;
    std::uint8_t depth = 2;
    EXPECT_EQ(smoothMotion(history, depth, {64, 10}), (MotionPair{32, 5}));
    EXPECT_EQ(smoothMotion(history, depth, {32, -10}), (MotionPair{48, 0}));
    EXPECT_EQ(smoothMotion(history, depth, {-16, -7}), (MotionPair{8, -8}));
    EXPECT_EQ(history.x[0], 32);
    EXPECT_EQ(history.x[1], -16);
    EXPECT_EQ(history.y[0], -10);
    EXPECT_EQ(history.y[1], -7);
}

} // namespace
} // namespace qora
