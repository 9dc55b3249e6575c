#include "mapping/mouse_samples.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace qora {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

TEST(RoundHalfAway, HalvesGoAwayFromZeroAndTheRestToTheNearest) {
    EXPECT_EQ(roundHalfAway(2.5f), 3);
    EXPECT_EQ(roundHalfAway(-2.5f), -3);
    EXPECT_EQ(roundHalfAway(0.49f), 0);
    EXPECT_EQ(roundHalfAway(-0.5f), -1);
    EXPECT_EQ(roundHalfAway(0.5f), 1);
    EXPECT_EQ(roundHalfAway(-0.49f), 0);
    EXPECT_EQ(roundHalfAway(8.5f), 9);
    EXPECT_EQ(roundHalfAway(-1.6f), -2);
    EXPECT_EQ(roundHalfAway(0.0f), 0);
}

TEST(RoundHalfAway, TheLargestFloatBelowOneHalfStaysZero) {
    // In single precision 0.49999997f + 0.5f would round up to 1.
    EXPECT_EQ(roundHalfAway(0.49999997f), 0);
    EXPECT_EQ(roundHalfAway(-0.49999997f), 0);
}

// 2^31 is also the float nearest to the largest int32, so an average of the largest
// motions lands there; saturating both signs alike keeps left the mirror of right.
TEST(RoundHalfAway, OutOfRangeValuesSaturateAtTheSameMagnitudeOnBothSides) {
    EXPECT_EQ(roundHalfAway(2147483648.0f), kInt32Max);
    EXPECT_EQ(roundHalfAway(-2147483648.0f), -kInt32Max);
    EXPECT_EQ(roundHalfAway(-2147483520.0f), -2147483520); // the next float still fits
    for (const float v : {2147483648.0f, 1e20f, std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(roundHalfAway(v), kInt32Max) << v;
        EXPECT_EQ(roundHalfAway(-v), -kInt32Max) << v;
    }
    EXPECT_EQ(roundedAverage(-2 * std::int64_t{kInt32Max}, 2),
              -roundedAverage(2 * std::int64_t{kInt32Max}, 2));
    EXPECT_EQ(roundHalfAway(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(RoundedAverage, GroupSumsAreRoundedHalfAway) {
    EXPECT_EQ(roundedAverage(5, 2), 3);
    EXPECT_EQ(roundedAverage(-5, 2), -3);
    EXPECT_EQ(roundedAverage(30, 2), 15);
    EXPECT_EQ(roundedAverage(4, 2), 2);
    EXPECT_EQ(roundedAverage(5, 3), 2);
    EXPECT_EQ(roundedAverage(-4, 3), -1);
}

MotionSample pushed(std::int32_t x, std::int32_t y) {
    MotionSampleList list;
    pushMotionSample(list, x, y, 77);
    EXPECT_EQ(list.count, 1u);
    return list.slots[0];
}

void expectSnapped(std::int32_t x, std::int32_t y, std::int32_t expectedX, std::int32_t expectedY) {
    const MotionSample sample = pushed(x, y);
    EXPECT_EQ(sample.x, expectedX) << "(" << x << ", " << y << ")";
    EXPECT_EQ(sample.y, expectedY) << "(" << x << ", " << y << ")";
}

TEST(PushMotionSample, MinorYIsDroppedAtSixTimesOrSixteenCountsLess) {
    expectSnapped(15, 2, 15, 0); // 15 / 2 = 7
    expectSnapped(12, 2, 12, 0); // ratio 6
    expectSnapped(11, 2, 11, 2); // ratio 5, difference 9
    expectSnapped(21, 5, 21, 0); // difference 16
    expectSnapped(20, 5, 20, 5); // ratio 4, difference 15
    expectSnapped(-21, 5, -21, 0);
    expectSnapped(21, -5, 21, 0);
    expectSnapped(-12, -2, -12, 0);
    expectSnapped(-11, 2, -11, 2);
}

TEST(PushMotionSample, MinorXIsDroppedTheSameWay) {
    expectSnapped(2, 15, 0, 15);
    expectSnapped(2, 11, 2, 11);
    expectSnapped(5, 21, 0, 21);
    expectSnapped(5, 20, 5, 20);
    expectSnapped(-5, -21, 0, -21);
    expectSnapped(2, -12, 0, -12);
}

TEST(PushMotionSample, ZeroAxesAndEqualAxesStayAsTheyAre) {
    expectSnapped(0, 0, 0, 0);
    expectSnapped(40, 0, 40, 0);
    expectSnapped(0, -40, 0, -40);
    expectSnapped(3, -3, 3, -3);
    expectSnapped(100, 100, 100, 100);
    expectSnapped(1, 1, 1, 1);
}

TEST(PushMotionSample, AtMostOneAxisIsDropped) {
    // After y goes, the x test divides by nothing and keeps x.
    expectSnapped(100, 1, 100, 0);
    expectSnapped(1, 100, 0, 100);
}

TEST(PushMotionSample, ExtremeValuesDoNotTrap) {
    // INT32_MIN / -1 overflows in 32 bits.
    expectSnapped(kInt32Min, -1, kInt32Min, 0);
    expectSnapped(-1, kInt32Min, 0, kInt32Min);
    expectSnapped(kInt32Min, kInt32Min, kInt32Min, kInt32Min);
    expectSnapped(kInt32Max, kInt32Min, kInt32Max, kInt32Min);
}

TEST(PushMotionSample, KeepsTheTimeStampAndAppendsInOrder) {
    MotionSampleList list;
    pushMotionSample(list, 1, 2, 10);
    pushMotionSample(list, 3, 4, 20);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.slots[0].x, 1);
    EXPECT_EQ(list.slots[0].y, 2);
    EXPECT_EQ(list.slots[0].timeStamp, 10u);
    EXPECT_EQ(list.slots[1].x, 3);
    EXPECT_EQ(list.slots[1].y, 4);
    EXPECT_EQ(list.slots[1].timeStamp, 20u);
}

TEST(PushMotionSample, AFullListOverwritesItsLastSlotWithoutCounting) {
    MotionSampleList list;
    for (std::uint32_t i = 0; i < 255; ++i) {
        pushMotionSample(list, 2, 0, i);
    }
    ASSERT_EQ(list.count, 255u);
    pushMotionSample(list, -40, 0, 1000);
    pushMotionSample(list, -50, 0, 1001);
    EXPECT_EQ(list.count, 255u);
    EXPECT_EQ(list.slots[254].x, 2);
    EXPECT_EQ(list.slots[255].x, -50);
    EXPECT_EQ(list.slots[255].timeStamp, 1001u);
    // The lost samples do not take part in the drain.
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{2, 0}));
}

TEST(DrainMotionSamples, AnEmptyListGivesZero) {
    MotionSampleList list;
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{0, 0}));
    EXPECT_EQ(list.count, 0u);
}

TEST(DrainMotionSamples, ALoneSampleWaitsForTheNext) {
    MotionSampleList list;
    pushMotionSample(list, 3, -3, 1);
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{0, 0}));
    EXPECT_EQ(list.count, 1u);
    pushMotionSample(list, 5, -5, 2);
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{4, -4}));
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{0, 0}));
}

TEST(DrainMotionSamples, AveragesAreRoundedHalfAway) {
    MotionSampleList list;
    pushMotionSample(list, 15, 0, 1);
    pushMotionSample(list, 2, 1, 2);
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{9, 1})); // 8.5 and 0.5

    pushMotionSample(list, 1, -1, 3);
    pushMotionSample(list, 2, -2, 4);
    pushMotionSample(list, 2, -2, 5);
    EXPECT_EQ(drainMotionSamples(list), (MotionPair{2, -2})); // 5 / 3 and -5 / 3
}

TEST(DrainMotionSamples, LargeSamplesDoNotOverflowTheSum) {
    MotionSampleList list;
    for (int i = 0; i < 4; ++i) {
        pushMotionSample(list, kInt32Max, kInt32Min, 0);
    }
    const MotionPair drained = drainMotionSamples(list);
    EXPECT_EQ(drained.x, kInt32Max);
    EXPECT_EQ(drained.y, -kInt32Max); // saturated like the positive side
}

} // namespace
} // namespace qora
