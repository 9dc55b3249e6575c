#include "input/keyboard_device.h"

#include "capture_test_fixture.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

using Log = std::vector<std::string>;

class KeyboardDevice : public CaptureTest {
protected:
    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};

    bool readSnapshot() {
        return readKeyboardSnapshot(directInput, user, devices, snapshot.data(),
                                    static_cast<std::uint32_t>(snapshot.size()));
    }
};

// ---- creation -------------------------------------------------------------------------

TEST_F(KeyboardDevice, CreationStopsTheTimerThenBuildsAndAcquiresInOrder) {
    EXPECT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));

    EXPECT_EQ(log, (Log{"KillTimer 0", "GetModuleHandleA null", "DirectInput8Create object1",
                        "CreateDevice GUID_SysKeyboard on object1 device2",
                        "SetDataFormat device2 c_dfDIKeyboard", "SetCooperativeLevel device2 0x0A",
                        "Acquire device2"}));
    EXPECT_EQ(directInput.createInstances, std::vector<ModuleHandle>{FakeDirectInput::kExecutable});
    EXPECT_EQ(directInput.createVersions, std::vector<std::uint32_t>{0x0800});
    ASSERT_EQ(directInput.cooperativeLevels.size(), 1u);
    EXPECT_EQ(directInput.cooperativeLevels[0].window, mainWindow);
    EXPECT_TRUE(keyboardExists(devices));
    EXPECT_EQ(directInput.nameOf(devices.keyboard.directInput), "object1");
    EXPECT_EQ(directInput.nameOf(devices.keyboard.device), "device2");
    EXPECT_TRUE(user.messageBoxes.empty());
}

TEST(KeyboardCooperativeFlags, OnlyZeroVersusNonZeroCounts) {
    EXPECT_EQ(keyboardCooperativeFlags(0), 0x05u);
    for (const std::uint8_t mode : {1, 2, 0x80, 0xFF}) {
        EXPECT_EQ(keyboardCooperativeFlags(mode), 0x0Au) << "mode " << int{mode};
    }
}

TEST_F(KeyboardDevice, AFailedAcquireAtCreationIsNotReported) {
    directInput.acquireResults.next = {kDierrOtherAppHasPrio};
    EXPECT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    EXPECT_TRUE(keyboardExists(devices));
    EXPECT_EQ(occurrences("Acquire device2"), 1u);
    EXPECT_TRUE(user.messageBoxes.empty());
    EXPECT_TRUE(user.debugOutput.empty());
}

TEST_F(KeyboardDevice, CreatingAgainReleasesTheEarlierKeyboardAfterStoppingTheTimer) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    const std::size_t start = log.size();

    EXPECT_EQ(createKeyboardDevice(directInput, user, devices, mapDialog, 0), kDiOk);

    const Log expected{"KillTimer 0",     "Unacquire device2",     "Release device2",
                       "Release object1", "GetModuleHandleA null", "DirectInput8Create object3"};
    const Log since = logSince(start);
    ASSERT_GE(since.size(), expected.size());
    EXPECT_EQ(Log(since.begin(), since.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_EQ(directInput.nameOf(devices.keyboard.device), "device4");
    EXPECT_EQ(directInput.liveHandles(), 2u);
}

// ---- creation failures ----------------------------------------------------------------

struct CreationFailure {
    const char* step;
    void (*script)(FakeDirectInput&);
    Log afterBox; // what is released once the box is shown
};

class KeyboardCreationFailure : public KeyboardDevice,
                                public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(KeyboardCreationFailure, ShowsTheBoxThenReleasesWhatWasBuilt) {
    GetParam().script(directInput);

    EXPECT_FALSE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));

    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].owner, mainWindow);
    EXPECT_EQ(user.messageBoxes[0].text, "CreateDevice() failed. The sample will now exit.");
    EXPECT_EQ(user.messageBoxes[0].caption, "Keyboard");
    EXPECT_EQ(user.messageBoxes[0].type, kMbIconError | kMbOk);

    const auto box = std::find(log.begin(), log.end(), "MessageBox Keyboard");
    ASSERT_NE(box, log.end());
    EXPECT_EQ(Log(box + 1, log.end()), GetParam().afterBox);
    EXPECT_EQ(occurrences("Acquire device2"), 0u) << "no step runs after the failing one";

    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_EQ(devices.keyboard.directInput, nullptr);
    EXPECT_EQ(devices.keyboard.device, nullptr);
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

const Log kDeviceAndObjectReleased{"Unacquire device2", "Release device2", "Release object1"};

INSTANTIATE_TEST_SUITE_P(
    EachStep, KeyboardCreationFailure,
    ::testing::Values(
        CreationFailure{"DirectInput8Create",
                        [](FakeDirectInput& f) { f.createResults.next = {kDierrInvalidParam}; },
                        {}},
        CreationFailure{
            "NoDirectInputObject", [](FakeDirectInput& f) { f.nullObjectOnSuccess = true; }, {}},
        CreationFailure{
            "CreateDevice",
            [](FakeDirectInput& f) { f.createDeviceResults.next = {kDierrInvalidParam}; },
            {"Release object1"}},
        CreationFailure{"NoDevice",
                        [](FakeDirectInput& f) { f.nullDeviceOnSuccess = true; },
                        {"Release object1"}},
        CreationFailure{
            "SetDataFormat",
            [](FakeDirectInput& f) { f.setDataFormatResults.next = {kDierrInvalidParam}; },
            kDeviceAndObjectReleased},
        CreationFailure{
            "SetCooperativeLevel",
            [](FakeDirectInput& f) { f.setCooperativeLevelResults.next = {kDierrInvalidParam}; },
            kDeviceAndObjectReleased}),
    [](const ::testing::TestParamInfo<CreationFailure>& info) { return info.param.step; });

// ---- open or close on a held keyboard -------------------------------------------------

// The Map dialog opened during a capture run takes the run's keyboard away and gets none;
// opened once more, it gets a device of its own.
TEST_F(KeyboardDevice, OpeningAHeldKeyboardReleasesItAndReportsZero) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    const std::size_t start = log.size();

    EXPECT_FALSE(openOrCloseKeyboard(directInput, user, devices, mapDialog, 0));
    EXPECT_EQ(logSince(start), kDeviceAndObjectReleased);
    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_EQ(directInput.liveHandles(), 0u);
    EXPECT_TRUE(user.messageBoxes.empty());

    EXPECT_TRUE(openOrCloseKeyboard(directInput, user, devices, mapDialog, 0));
    ASSERT_EQ(directInput.cooperativeLevels.size(), 2u);
    EXPECT_EQ(directInput.cooperativeLevels[1].window, mapDialog);
    EXPECT_EQ(directInput.cooperativeLevels[1].flags, 0x05u);
}

// ---- snapshot reads -------------------------------------------------------------------

TEST_F(KeyboardDevice, WithoutADeviceTheReadSucceedsAndLeavesTheBufferAlone) {
    snapshot.fill(0xA5);
    snapshot[0x57] = 0x80;

    EXPECT_TRUE(readSnapshot());

    std::array<std::uint8_t, kKeyboardSnapshotSize> expected{};
    expected.fill(0xA5);
    expected[0x57] = 0x80;
    EXPECT_EQ(snapshot, expected);
    EXPECT_TRUE(log.empty());
}

TEST_F(KeyboardDevice, AHeldKeyIsInEverySnapshotWhileItIsDown) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    directInput.keyState[0x1E] = 0x80;
    directInput.keyState[0x39] = 0x80;

    for (int tick = 0; tick < 3; ++tick) {
        snapshot.fill(0);
        ASSERT_TRUE(readSnapshot()) << "tick " << tick;
        EXPECT_EQ(snapshot[0x1E], 0x80) << "tick " << tick;
        EXPECT_EQ(snapshot[0x39], 0x80) << "tick " << tick;
        EXPECT_EQ(snapshot[0x1F], 0x00) << "tick " << tick;
    }
    ASSERT_EQ(directInput.stateReads.size(), 3u);
    EXPECT_EQ(directInput.stateReads[0].size, 256u);
    EXPECT_EQ(directInput.stateReads[0].buffer, snapshot.data());
    EXPECT_EQ(directInput.stateReads[0].device, "device2");
    EXPECT_EQ(occurrences("Acquire device2"), 1u) << "only the creation acquires";
}

TEST_F(KeyboardDevice, AnySuccessCodeFromTheReadIsASnapshot) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    directInput.getDeviceStateResults.next = {kDiNoEffect};
    EXPECT_TRUE(readSnapshot());
    EXPECT_EQ(occurrences("Acquire device2"), 1u);
}

struct ReacquireOutcome {
    const char* name;
    HResult lastAcquire;
    bool unacquired; // "Unacquired" goes to the debugger output
};

class KeyboardReadFailure : public KeyboardDevice,
                            public ::testing::WithParamInterface<ReacquireOutcome> {};

TEST_P(KeyboardReadFailure, ReacquiresThroughLostInputAndReportsNoSnapshot) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    directInput.getDeviceStateResults.next = {kDierrInputLost};
    directInput.acquireResults.next = {kDierrInputLost, kDierrInputLost, GetParam().lastAcquire};
    const std::size_t start = log.size();

    EXPECT_FALSE(readSnapshot());

    EXPECT_EQ(logSince(start), (Log{"GetDeviceState device2", "Acquire device2", "Acquire device2",
                                    "Acquire device2"}));
    if (GetParam().unacquired) {
        EXPECT_EQ(user.debugOutput, Log{"Unacquired"});
    } else {
        EXPECT_TRUE(user.debugOutput.empty());
    }
    EXPECT_TRUE(keyboardExists(devices)) << "a failed read keeps the device";
    EXPECT_TRUE(user.messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    LastAcquire, KeyboardReadFailure,
    ::testing::Values(ReacquireOutcome{"OtherAppHasPrio", kDierrOtherAppHasPrio, true},
                      ReacquireOutcome{"NotAcquired", kDierrNotAcquired, true},
                      ReacquireOutcome{"Ok", kDiOk, false},
                      ReacquireOutcome{"NoEffect", kDiNoEffect, false},
                      ReacquireOutcome{"OtherFailure", kDierrInvalidParam, false}),
    [](const ::testing::TestParamInfo<ReacquireOutcome>& info) { return info.param.name; });

TEST_F(KeyboardDevice, AcquireThatKeepsLosingInputEndsWithoutHangingOrReporting) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    directInput.getDeviceStateResults.next = {kDierrInputLost};
    directInput.acquireResults.otherwise = kDierrInputLost;
    const std::size_t start = log.size();

    EXPECT_FALSE(readSnapshot());

    EXPECT_EQ(occurrences("Acquire device2"), 1u + kMaxAcquireAttempts);
    EXPECT_EQ(logSince(start).size(), 1u + kMaxAcquireAttempts);
    EXPECT_TRUE(user.debugOutput.empty());
}

// ---- re-acquire and release -----------------------------------------------------------

TEST_F(KeyboardDevice, ReacquireDoesNothingWithoutADevice) {
    reacquireKeyboard(directInput, devices);
    EXPECT_TRUE(log.empty());
}

TEST_F(KeyboardDevice, ReacquireAcquiresAndIgnoresTheResult) {
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    directInput.acquireResults.next = {kDierrOtherAppHasPrio};
    const std::size_t start = log.size();

    reacquireKeyboard(directInput, devices);

    EXPECT_EQ(logSince(start), Log{"Acquire device2"});
    EXPECT_TRUE(keyboardExists(devices));
    EXPECT_TRUE(user.debugOutput.empty());
}

TEST_F(KeyboardDevice, ReleaseEmptiesTheSlotAndIsHarmlessWhenRepeated) {
    releaseKeyboard(directInput, devices);
    EXPECT_TRUE(log.empty());

    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
    const std::size_t start = log.size();
    releaseKeyboard(directInput, devices);
    releaseKeyboard(directInput, devices);

    EXPECT_EQ(logSince(start), kDeviceAndObjectReleased);
    EXPECT_EQ(devices.keyboard.directInput, nullptr);
    EXPECT_EQ(devices.keyboard.device, nullptr);
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

} // namespace
} // namespace qora::testing
