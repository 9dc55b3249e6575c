// The keyboard and the mouse each own a DirectInput object: nothing done to one slot may
// reach the other's objects.

#include "input/keyboard_device.h"
#include "input/mouse_device.h"

#include "capture_test_fixture.h"

#include <array>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

using Log = std::vector<std::string>;

class CaptureDevicesTest : public CaptureTest {
protected:
    // The capture run's start: keyboard in the background, then the mouse.
    void startRun() {
        ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));
        openOrCloseMouse(directInput, user, devices, mainWindow);
        ASSERT_TRUE(mouseExists(devices));
    }

    std::array<std::uint8_t, kKeyboardSnapshotSize> snapshot{};
    std::array<MouseRecord, kMouseRecordCapacity> records{};
};

TEST_F(CaptureDevicesTest, EachDeviceIsBuiltOnADirectInputObjectOfItsOwn) {
    startRun();
    EXPECT_TRUE(keyboardExists(devices));
    EXPECT_EQ(occurrences("Release object1"), 0u) << "opening the mouse kept the keyboard";
    EXPECT_EQ(occurrences("DirectInput8Create object1"), 1u);
    EXPECT_EQ(occurrences("DirectInput8Create object3"), 1u);
    EXPECT_EQ(occurrences("CreateDevice GUID_SysMouse on object3 device4"), 1u);
    EXPECT_NE(devices.keyboard.directInput, devices.mouse.directInput);
    EXPECT_EQ(directInput.liveHandles(), 4u);
}

TEST_F(CaptureDevicesTest, StoppingTheRunReleasesTheMouseThenTheKeyboard) {
    startRun();
    const std::size_t start = log.size();

    releaseMouse(directInput, devices);
    EXPECT_EQ(logSince(start), (Log{"Unacquire device4", "Release device4", "Release object3"}));
    EXPECT_TRUE(keyboardExists(devices));
    EXPECT_TRUE(readKeyboardSnapshot(directInput, user, devices, snapshot.data(), 256));

    releaseKeyboard(directInput, devices);
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

TEST_F(CaptureDevicesTest, TheMapDialogTakingTheKeyboardLeavesTheRunsMouse) {
    startRun();
    EXPECT_FALSE(openOrCloseKeyboard(directInput, user, devices, mapDialog, 0));
    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_TRUE(mouseExists(devices));

    directInput.reads.push_back({kDiOk, {{mouse_offset::x, 9, 5, 0, 0}}, {}});
    EXPECT_EQ(readMouseRecords(directInput, devices, records), 1u);
    EXPECT_EQ(directInput.dataReads.back().device, "device4");
}

TEST_F(CaptureDevicesTest, AFailedKeyboardLeavesTheMouseAlone) {
    openOrCloseMouse(directInput, user, devices, mainWindow);
    ASSERT_TRUE(mouseExists(devices));
    directInput.setCooperativeLevelResults.next = {kDierrInvalidParam};

    EXPECT_FALSE(openOrCloseKeyboard(directInput, user, devices, mainWindow, 1));

    EXPECT_TRUE(mouseExists(devices));
    EXPECT_EQ(occurrences("Release object1"), 0u);
    EXPECT_EQ(occurrences("Release device2"), 0u);
    EXPECT_EQ(directInput.liveHandles(), 2u);
}

} // namespace
} // namespace qora::testing
