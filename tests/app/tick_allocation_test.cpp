// Counts every allocation the test binary makes, so a test can prove that a stretch of
// code makes none.

#include "fakes/busy_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
// The nothrow form too (std::stable_sort's buffer comes from it): left to the runtime, its
// memory would reach the free() above from another allocator.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace qora::testing {
namespace {

class TickAllocation : public ::testing::TestWithParam<ConsoleMode> {};

TEST_P(TickAllocation, ABusyRunAllocatesNothingAndTouchesNoFileWhileTicking) {
    BusyRun busy(GetParam(), false);
    ASSERT_TRUE(busy.run.active);
    busy.files.otherCalls = 0;
    const long before = allocations.load();
    for (int i = 0; i < 2000; ++i) {
        busy.tick();
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_EQ(busy.files.otherCalls, 0);
    EXPECT_EQ(busy.files.packetWrites, 2000); // the input changes at every tick
    EXPECT_GT(busy.user.debugLines, 0);       // motion groups were processed
}

struct FastPathCase {
    ConsoleMode mode;
    AimMode aim;
    bool calibrating = false; // F5 to F10 and the wheel change the values as they go
    bool layers = false;      // eight layers, turned on and off by the alternating keys
};

class FastPathAllocation : public ::testing::TestWithParam<FastPathCase> {};

// The main loop of the fast path, round after round: events between the ticks (mouse
// records kept for the tick or, with precise aim, read into the velocity estimator, the
// state rebuilt and sent at each), ticks and precise aim's moments at the wait's timeout,
// then a quiet stretch until the tick pauses, and a message that resumes it.
TEST_P(FastPathAllocation, TheFastPathAllocatesNothingAndTouchesNoFileEither) {
    constexpr int kRounds = 300;
    BusyRun busy(GetParam().mode, true);
    writeAimSettings(busy.run.profile, AimSettings{GetParam().aim, AimShape::circle, 2000, 0});
    if (GetParam().layers) {
        busy.addEightLayers(false);
    }
    if (GetParam().calibrating) {
        busy.startCalibrating();
        ASSERT_TRUE(busy.run.calibration.on);
    }
    const ProfileRecord valuesBefore = busy.run.profile;
    ASSERT_TRUE(busy.run.active && busy.run.fastPath.keyboardArmed && busy.run.fastPath.mouseArmed);
    busy.files.otherCalls = 0;
    busy.user.timersKilled = 0;
    const long before = allocations.load();
    int pauses = 0;
    for (int round = 0; round < kRounds; ++round) {
        busy.fillMouseRecords();
        for (int i = 0; i < 3; ++i) {
            busy.waitAndServeEvent();
        }
        busy.directInput.recordCount = 0;
        for (int i = 0; i < 40 && busy.waitForTimeout(); ++i) {
        }
        pauses += busy.run.schedule.tickPaused ? 1 : 0;
        beforeLoopMessage(busy.services, busy.context);
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_EQ(busy.files.otherCalls, 0);
    EXPECT_EQ(busy.run.profile != valuesBefore, GetParam().calibrating || GetParam().layers)
        << "the wheel stepped, or layers are in effect";
    EXPECT_GE(busy.files.packetWrites, 3 * kRounds);
    EXPECT_EQ(pauses, kRounds);
    EXPECT_EQ(busy.user.timersKilled, kRounds);
}

INSTANTIATE_TEST_SUITE_P(BothConsoles, TickAllocation,
                         ::testing::Values(kConsoleXbox360, kConsolePs3));

INSTANTIATE_TEST_SUITE_P(BothConsolesBothAims, FastPathAllocation,
                         ::testing::Values(FastPathCase{kConsoleXbox360, AimMode::classic},
                                           FastPathCase{kConsolePs3, AimMode::classic},
                                           FastPathCase{kConsoleXbox360, AimMode::precise},
                                           FastPathCase{kConsolePs3, AimMode::precise},
                                           FastPathCase{kConsoleXbox360, AimMode::classic, true},
                                           FastPathCase{kConsolePs3, AimMode::precise, true},
                                           FastPathCase{kConsoleXbox360, AimMode::precise, true,
                                                        true}));

TEST(AllocationCounter, SeesAnAllocation) {
    const long before = allocations.load();
    auto* probe = new int(7);
    EXPECT_EQ(allocations.load() - before, 1);
    delete probe;
}

} // namespace
} // namespace qora::testing
