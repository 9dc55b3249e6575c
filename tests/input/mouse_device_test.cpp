#include "input/mouse_device.h"

#include "capture_test_fixture.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

using Log = std::vector<std::string>;

MouseRecord motion(std::uint32_t offset, std::int32_t delta, std::uint32_t time) {
    return {offset, static_cast<std::uint32_t>(delta), time, 0, 0};
}

std::vector<MouseRecord> someRecords(std::size_t n) {
    std::vector<MouseRecord> records;
    for (std::size_t i = 0; i < n; ++i) {
        records.push_back(motion(i % 2 == 0 ? mouse_offset::x : mouse_offset::y,
                                 static_cast<std::int32_t>(i) - 3,
                                 100 + static_cast<std::uint32_t>(i / 2)));
    }
    return records;
}

bool sameRecord(const MouseRecord& a, const MouseRecord& b) {
    return std::memcmp(&a, &b, sizeof(MouseRecord)) == 0;
}

class MouseDevice : public CaptureTest {
protected:
    std::array<MouseRecord, kMouseRecordCapacity> buffer{};

    void open() {
        openOrCloseMouse(directInput, user, devices, mainWindow);
        ASSERT_TRUE(mouseExists(devices));
    }
    std::uint32_t read() { return readMouseRecords(directInput, devices, buffer); }
    void expectDelivered(const std::vector<MouseRecord>& records) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_TRUE(sameRecord(buffer[i], records[i])) << "record " << i;
        }
    }
};

// ---- creation -------------------------------------------------------------------------

TEST_F(MouseDevice, CreationStopsTheTimerThenBuildsWithAnEventBufferAndAcquires) {
    open();

    EXPECT_EQ(log, (Log{"KillTimer 0", "GetModuleHandleA null", "DirectInput8Create object1",
                        "CreateDevice GUID_SysMouse on object1 device2",
                        "SetDataFormat device2 c_dfDIMouse2", "SetCooperativeLevel device2 0x05",
                        "SetProperty device2 DIPROP_BUFFERSIZE", "Acquire device2"}));
    EXPECT_EQ(directInput.createInstances, std::vector<ModuleHandle>{FakeDirectInput::kExecutable});
    EXPECT_EQ(directInput.createVersions, std::vector<std::uint32_t>{0x0800});
    ASSERT_EQ(directInput.cooperativeLevels.size(), 1u);
    EXPECT_EQ(directInput.cooperativeLevels[0].window, mainWindow);

    ASSERT_EQ(directInput.properties.size(), 1u);
    const DiPropDword& property = directInput.properties[0];
    EXPECT_EQ(property.diph.dwSize, 20u);
    EXPECT_EQ(property.diph.dwHeaderSize, 16u);
    EXPECT_EQ(property.diph.dwObj, 0u);
    EXPECT_EQ(property.diph.dwHow, 0u);
    EXPECT_EQ(property.dwData, 256u);
    EXPECT_TRUE(user.messageBoxes.empty());
}

TEST_F(MouseDevice, AFailedAcquireAtCreationIsNotReported) {
    directInput.acquireResults.next = {kDierrOtherAppHasPrio};
    open();
    EXPECT_EQ(occurrences("Acquire device2"), 1u);
    EXPECT_TRUE(user.messageBoxes.empty());
}

TEST_F(MouseDevice, OpeningAHeldMouseReleasesIt) {
    open();
    const std::size_t start = log.size();

    openOrCloseMouse(directInput, user, devices, mainWindow);

    EXPECT_EQ(logSince(start), (Log{"Unacquire device2", "Release device2", "Release object1"}));
    EXPECT_FALSE(mouseExists(devices));
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

// ---- creation failures ----------------------------------------------------------------

struct CreationFailure {
    const char* step;
    void (*script)(FakeDirectInput&);
    Log afterBox;
};

class MouseCreationFailure : public MouseDevice,
                             public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(MouseCreationFailure, ShowsTheBoxThenReleasesWhatWasBuilt) {
    GetParam().script(directInput);

    openOrCloseMouse(directInput, user, devices, mainWindow);

    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].owner, mainWindow);
    EXPECT_EQ(user.messageBoxes[0].text, "CreateDevice() failed. The sample will now exit. ");
    EXPECT_EQ(user.messageBoxes[0].caption, "Mouse");
    EXPECT_EQ(user.messageBoxes[0].type, kMbIconError | kMbOk);

    const auto box = std::find(log.begin(), log.end(), "MessageBox Mouse");
    ASSERT_NE(box, log.end());
    EXPECT_EQ(Log(box + 1, log.end()), GetParam().afterBox);
    EXPECT_EQ(occurrences("Acquire device2"), 0u);

    EXPECT_FALSE(mouseExists(devices));
    EXPECT_EQ(devices.mouse.directInput, nullptr);
    EXPECT_EQ(devices.mouse.device, nullptr);
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

const Log kDeviceAndObjectReleased{"Unacquire device2", "Release device2", "Release object1"};

INSTANTIATE_TEST_SUITE_P(
    EachStep, MouseCreationFailure,
    ::testing::Values(CreationFailure{"DirectInput8Create",
                                      [](FakeDirectInput& f) {
                                          f.createResults.next = {kDierrInvalidParam};
                                      },
                                      {}},
                      CreationFailure{"CreateDevice",
                                      [](FakeDirectInput& f) {
                                          f.createDeviceResults.next = {kDierrInvalidParam};
                                      },
                                      {"Release object1"}},
                      CreationFailure{"SetDataFormat",
                                      [](FakeDirectInput& f) {
                                          f.setDataFormatResults.next = {kDierrInvalidParam};
                                      },
                                      kDeviceAndObjectReleased},
                      CreationFailure{"SetCooperativeLevel",
                                      [](FakeDirectInput& f) {
                                          f.setCooperativeLevelResults.next = {kDierrInvalidParam};
                                      },
                                      kDeviceAndObjectReleased},
                      CreationFailure{"SetProperty",
                                      [](FakeDirectInput& f) {
                                          f.setPropertyResults.next = {kDierrInvalidParam};
                                      },
                                      kDeviceAndObjectReleased}),
    [](const ::testing::TestParamInfo<CreationFailure>& info) { return info.param.step; });

// ---- record reads ---------------------------------------------------------------------

TEST_F(MouseDevice, WithoutADeviceNothingIsReadAndTheBufferIsLeftAlone) {
    buffer[0] = motion(mouse_offset::wheel, 120, 7);
    EXPECT_EQ(read(), 0u);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(sameRecord(buffer[0], motion(mouse_offset::wheel, 120, 7)));
}

TEST_F(MouseDevice, ACleanReadDeliversItsRecordsAndRemovesThem) {
    open();
    const std::vector<MouseRecord> records = {motion(mouse_offset::x, -5, 40),
                                              motion(mouse_offset::y, 3, 40),
                                              {mouse_offset::button0, kMouseButtonDown, 41, 0, 0}};
    directInput.reads.push_back({kDiOk, records, {}});
    const std::size_t start = log.size();

    EXPECT_EQ(read(), 3u);

    expectDelivered(records);
    EXPECT_EQ(logSince(start), Log{"GetDeviceData device2"});
    ASSERT_EQ(directInput.dataReads.size(), 1u);
    EXPECT_EQ(directInput.dataReads[0].recordSize, 20u);
    EXPECT_EQ(directInput.dataReads[0].countIn, 256u);
    EXPECT_EQ(directInput.dataReads[0].flags, 0u);
}

TEST_F(MouseDevice, EveryReadOffersTheWholeBuffer) {
    open();
    directInput.reads.push_back({kDiOk, someRecords(5), {}});
    ASSERT_EQ(read(), 5u);
    EXPECT_EQ(read(), 0u);
    ASSERT_EQ(directInput.dataReads.size(), 2u);
    EXPECT_EQ(directInput.dataReads[1].countIn, 256u);
}

TEST_F(MouseDevice, BufferOverflowStillDeliversTheRecordsOnceReacquired) {
    open();
    const std::vector<MouseRecord> records = someRecords(4);
    directInput.reads.push_back({kDiBufferOverflow, records, {}});
    directInput.acquireResults.next = {kDiNoEffect}; // the device was still acquired
    const std::size_t start = log.size();

    EXPECT_EQ(read(), 4u);

    expectDelivered(records);
    EXPECT_EQ(logSince(start), (Log{"GetDeviceData device2", "Acquire device2"}));
}

TEST_F(MouseDevice, ReacquisitionRetriesWhileTheInputIsLost) {
    open();
    directInput.reads.push_back({kDiBufferOverflow, someRecords(2), {}});
    directInput.acquireResults.next = {kDierrInputLost, kDierrInputLost, kDiOk};
    const std::size_t start = log.size();

    EXPECT_EQ(read(), 2u);
    EXPECT_EQ(logSince(start), (Log{"GetDeviceData device2", "Acquire device2", "Acquire device2",
                                    "Acquire device2"}));
}

struct FailedReacquire {
    const char* name;
    HResult lastAcquire;
};

class MouseReacquireFailure : public MouseDevice,
                              public ::testing::WithParamInterface<FailedReacquire> {};

TEST_P(MouseReacquireFailure, DeliversNothingAndKeepsTheDevice) {
    open();
    directInput.reads.push_back({kDiBufferOverflow, someRecords(6), {}});
    directInput.acquireResults.next = {kDierrInputLost, GetParam().lastAcquire};

    EXPECT_EQ(read(), 0u);
    EXPECT_TRUE(mouseExists(devices));
    EXPECT_TRUE(user.debugOutput.empty()) << "only the keyboard reports \"Unacquired\"";
}

INSTANTIATE_TEST_SUITE_P(
    LastAcquire, MouseReacquireFailure,
    ::testing::Values(FailedReacquire{"OtherAppHasPrio", kDierrOtherAppHasPrio},
                      FailedReacquire{"NotAcquired", kDierrNotAcquired},
                      FailedReacquire{"OtherFailure", kDierrInvalidParam}),
    [](const ::testing::TestParamInfo<FailedReacquire>& info) { return info.param.name; });

// A failed GetDeviceData may leave the count as it was given (256); those slots hold
// nothing from the device and must not reach the mouse processing.
TEST_F(MouseDevice, AFailedReadDeliversNothingEvenWhenReacquisitionSucceeds) {
    open();
    directInput.reads.push_back({kDierrNotAcquired, {}, {}});
    const std::size_t start = log.size();

    EXPECT_EQ(read(), 0u);
    EXPECT_EQ(logSince(start), (Log{"GetDeviceData device2", "Acquire device2"}));

    directInput.reads.push_back({kDierrInputLost, {}, 17});
    EXPECT_EQ(read(), 0u);
}

TEST_F(MouseDevice, ACountBeyondTheBufferIsCutToItsCapacity) {
    open();
    directInput.reads.push_back({kDiOk, someRecords(256), 300});
    EXPECT_EQ(read(), 256u);
}

TEST_F(MouseDevice, AcquireThatKeepsLosingInputEndsTheRead) {
    open();
    directInput.reads.push_back({kDiBufferOverflow, someRecords(1), {}});
    directInput.acquireResults.otherwise = kDierrInputLost;
    EXPECT_EQ(read(), 0u);
    EXPECT_EQ(occurrences("Acquire device2"), 1u + kMaxAcquireAttempts);
}

// ---- re-acquire and release -----------------------------------------------------------

TEST_F(MouseDevice, ReacquireAcquiresOnlyAHeldMouse) {
    reacquireMouse(directInput, devices);
    EXPECT_TRUE(log.empty());

    open();
    directInput.acquireResults.next = {kDierrOtherAppHasPrio};
    const std::size_t start = log.size();
    reacquireMouse(directInput, devices);
    EXPECT_EQ(logSince(start), Log{"Acquire device2"});
    EXPECT_TRUE(mouseExists(devices));
}

TEST_F(MouseDevice, ReleaseEmptiesTheSlotAndIsHarmlessWhenRepeated) {
    releaseMouse(directInput, devices);
    EXPECT_TRUE(log.empty());

    open();
    const std::size_t start = log.size();
    releaseMouse(directInput, devices);
    releaseMouse(directInput, devices);
    EXPECT_EQ(logSince(start), kDeviceAndObjectReleased);
    EXPECT_EQ(devices.mouse.directInput, nullptr);
    EXPECT_EQ(devices.mouse.device, nullptr);
    EXPECT_EQ(read(), 0u);
}

} // namespace
} // namespace qora::testing
