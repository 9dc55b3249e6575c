#include "capture_run_fixture.h"

#include "app/adapter_recovery.h"
#include "fakes/failing_file_api.h"
#include "fakes/restricted_files.h"
#include "formats/action_codes.h"
#include "input/keyboard_device.h"

#include <algorithm>
#include <cerrno>

namespace qora::testing {
namespace {

constexpr std::uint8_t kKeyW = 0x11;
constexpr std::uint8_t kKeyS = 0x1F;
constexpr std::uint8_t kKeyF11 = 0x57;

TEST_F(CaptureRunTest, FirstTickSendsTheRestState) {
    start();
    ASSERT_TRUE(run.active);
    tick();
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], packetFor(kConsoleXbox360, restState()));
    // The rest state's motion bytes differ from the idle copy: that is why it goes out.
    EXPECT_EQ(sent[0][21], 0x02);
    EXPECT_EQ(sent[0][25], 0x01);
    EXPECT_EQ(sent[0][26], 0x90);
    EXPECT_EQ(run.lastSent, restState());
}

TEST_F(CaptureRunTest, AHeldKeySendsOnePacketAtThePressAndOneAtTheRelease) {
    bindKey(action::buttonA, kKeyW);
    start();
    tick();
    press(kKeyW);
    tick();
    tick();
    tick();
    release(kKeyW);
    tick();
    tick();
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 3u);
    ControllerState pressed = restState();
    pressed.bytes[state::buttons2] = buttons2::a;
    EXPECT_EQ(sent[1], packetFor(kConsoleXbox360, pressed));
    EXPECT_EQ(sent[2], packetFor(kConsoleXbox360, restState()));
}

TEST_F(CaptureRunTest, ASecondRunComparesWithThePreviousRunsLastState) {
    start();
    tick();
    stopCaptureRun(services, context);
    EXPECT_EQ(run.state, idleControllerState());
    EXPECT_EQ(run.lastSent, restState()); // a stop does not clear the copy

    start();
    tick();
    EXPECT_EQ(packets().size(), 1u); // the rest state equals the copy: nothing new
}

TEST_F(CaptureRunTest, F11WithOtherKeysStopsTheRunAndSendsNothing) {
    bindKey(action::buttonA, kKeyW);
    start();
    tick();
    press(kKeyW);
    press(kKeyF11);
    press(0x9C);
    tick();
    EXPECT_FALSE(run.active);
    EXPECT_EQ(packets().size(), 1u);
    EXPECT_FALSE(isOpen(run.adapter));
    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_EQ(directInput.liveHandles(), 0u);
    EXPECT_EQ(run.state, idleControllerState());
    EXPECT_TRUE(logged(user.calls, "KillTimer 0"));

    tick(); // a late timer message after the stop changes nothing
    EXPECT_EQ(packets().size(), 1u);
}

TEST_F(CaptureRunTest, AnUnknownConsoleSendsZeroPackets) {
    context.mode = 2;
    bindKey(action::buttonA, kKeyW);
    start();
    ASSERT_TRUE(run.active);
    tick();
    press(kKeyW);
    tick();
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& packet : sent) {
        EXPECT_TRUE(std::all_of(packet.begin(), packet.end(), [](auto b) { return b == 0; }));
    }
}

TEST_F(CaptureRunTest, Ps3PacketsCarryTheConvertedReport) {
    context.mode = kConsolePs3;
    bindKey(action::leftStickUp, kKeyW);
    start();
    press(kKeyW);
    tick();
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][1], 0x01); // report id
    EXPECT_EQ(sent[0][8], 0x00); // left stick Y fully up
}

TEST_F(CaptureRunTest, NoConsoleMeansStartDoesNothingAtAll) {
    context.mode = kConsoleNotSet;
    start();
    EXPECT_FALSE(run.active);
    EXPECT_TRUE(user.calls.empty());
    EXPECT_TRUE(user.messageBoxes.empty());
    EXPECT_FALSE(dir.exists("packets.bin"));
}

TEST_F(CaptureRunTest, NoAdapterWarnsNamingTheCauseAndStaysIdle) {
    const std::string unreachable = dir.file("missing-folder/packets.bin");
    const std::pair<const char*, std::string> cases[] = {
        {"0", "Can not find QORA"},
        {"1", "Can not create " + unreachable + " for the virtual adapter: file not found"},
    };
    paths.packetsBin = unreachable;
    for (const auto& [isVirtual, text] : cases) {
        setIni("ADAPTER", "VIRTUAL", isVirtual);
        user.messageBoxes.clear();
        start();
        EXPECT_FALSE(run.active);
        ASSERT_EQ(user.messageBoxes.size(), 1u);
        EXPECT_EQ(user.messageBoxes[0].text, text);
        EXPECT_EQ(user.messageBoxes[0].caption, "Warning");
        EXPECT_EQ(user.messageBoxes[0].type, kMbOk);
        EXPECT_EQ(user.messageBoxes[0].owner, kMainWindow);
        EXPECT_EQ(directInput.liveHandles(), 0u);
        EXPECT_FALSE(logged(user.calls, "SetTimer 0 33"));
    }
}

TEST_F(CaptureRunTest, AStoreThatCannotBeReadRefusesTheStartAndSaysWhy) {
    RestrictedFileApi restricted;
    restricted.openStoreError = EACCES;
    CaptureServices restrictedServices{hid, restricted, ini, directInput, user, clock, timePeriod};
    startCaptureRun(restrictedServices, context);
    EXPECT_FALSE(run.active);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].text, "config.bin cannot be read: access denied");
    EXPECT_EQ(user.messageBoxes[0].owner, kMainWindow);
    EXPECT_FALSE(isOpen(run.adapter));
    EXPECT_EQ(directInput.liveHandles(), 0u);
    EXPECT_FALSE(logged(user.calls, "SetTimer 0 33"));
}

// A full disk takes half a packet: the file keeps whole packets only, the adapter is lost,
// and the state is not written again until the adapter comes back.
TEST_F(CaptureRunTest, AFullDiskLosesTheVirtualAdapterUntilThereIsRoomAgain) {
    FailingFileApi fullDisk(FailingFileApi::Failure::write);
    CaptureServices fullDiskServices{hid, fullDisk, ini, directInput, user, clock, timePeriod};
    startCaptureRun(fullDiskServices, context);
    onCaptureTimer(fullDiskServices, context);
    EXPECT_TRUE(run.adapterLost);
    EXPECT_EQ(run.lastSent, restState());
    EXPECT_EQ(packetBytes(), 0u);

    clock.now += kAdapterSearchIntervalMs;
    tick(); // room again
    EXPECT_FALSE(run.adapterLost);
    EXPECT_EQ(packets(), std::vector<Packet>{packetFor(kConsoleXbox360, restState())});
    tick();
    EXPECT_EQ(packetBytes(), kPacketSize);
    stopCaptureRun(services, context);
}

class AdapterLossTest : public CaptureRunTest {
protected:
    AdapterLossTest() {
        setIni("ADAPTER", "VIRTUAL", "0");
        hid.devices = {adapter()};
    }
    static FakeHidDevice adapter() {
        FakeHidDevice device;
        device.interfacePath = "\\\\?\\hid#vid_04b4&pid_0811#1";
        device.vendorId = 0x04B4;
        device.productId = 0x0811;
        return device;
    }
    void unplug() {
        files.unplugged = true;
        hid.devices.clear();
    }
    void plugIn() {
        files.unplugged = false;
        hid.devices = {adapter()};
    }
    std::size_t searches() const {
        return static_cast<std::size_t>(
            std::count(hid.calls.begin(), hid.calls.end(), "GetClassDevs"));
    }
};

TEST_F(AdapterLossTest, ALostAdapterIsSearchedOnceASecondAndGetsTheCurrentStateWhenFound) {
    bindKey(action::buttonA, kKeyW);
    bindKey(action::buttonB, kKeyS);
    start();
    tick();
    ASSERT_EQ(files.pipePackets.size(), 1u);

    unplug();
    press(kKeyW);
    tick();
    EXPECT_TRUE(run.adapterLost);
    EXPECT_TRUE(hid.openPaths().empty()) << "the dead pipe is closed";

    // Ticks go on every 33 ms; the adapter is back in time for the third search.
    const std::uint64_t lostAt = clock.now;
    std::vector<std::uint64_t> searchedAt;
    while (searchedAt.size() < 3 && clock.now - lostAt < 10 * kAdapterSearchIntervalMs) {
        clock.now += kCaptureTimerPeriodMs;
        if (searchedAt.size() == 1) {
            release(kKeyW);
            press(kKeyS);
        }
        if (searchedAt.size() == 2) {
            plugIn();
        }
        const std::size_t before = searches();
        tick();
        if (searches() > before) {
            searchedAt.push_back(clock.now);
        }
        EXPECT_EQ(run.adapterLost, searchedAt.size() < 3);
    }
    ASSERT_EQ(searchedAt.size(), 3u);
    std::uint64_t previous = lostAt;
    for (const std::uint64_t at : searchedAt) {
        EXPECT_GE(at - previous, kAdapterSearchIntervalMs);
        EXPECT_LT(at - previous, kAdapterSearchIntervalMs + kCaptureTimerPeriodMs);
        previous = at;
    }

    // The state of the moment goes out at once, though it was already found changed.
    ControllerState holdingB = restState();
    holdingB.bytes[state::buttons2] = buttons2::b;
    ASSERT_EQ(files.pipePackets.size(), 2u);
    EXPECT_EQ(files.pipePackets[1], packetFor(kConsoleXbox360, holdingB));
    tick();
    EXPECT_EQ(files.pipePackets.size(), 2u);
    release(kKeyS);
    tick();
    EXPECT_EQ(files.pipePackets.size(), 3u);
    EXPECT_TRUE(hid.violations.empty());
}

TEST_F(AdapterLossTest, F11StopsARunWhoseAdapterIsLost) {
    bindKey(action::buttonA, kKeyW);
    start();
    tick();
    unplug();
    press(kKeyW);
    tick();
    ASSERT_TRUE(run.adapterLost);

    press(kKeyF11);
    clock.now += 5 * kAdapterSearchIntervalMs;
    const std::size_t before = searches();
    tick();
    EXPECT_FALSE(run.active);
    EXPECT_FALSE(run.adapterLost);
    EXPECT_EQ(searches(), before);
}

TEST_F(CaptureRunTest, StartAndStopCallInTheirOrder) {
    start();
    const std::vector<std::string> started = user.calls;
    const std::vector<std::string> expectedStart = {
        "InvalidateRect erase",
        "KillTimer 0",
        "GetModuleHandleA null",
        "DirectInput8Create object1",
        "CreateDevice GUID_SysKeyboard on object1 device2",
        "SetDataFormat device2 c_dfDIKeyboard",
        "SetCooperativeLevel device2 0x0A",
        "Acquire device2",
        "KillTimer 0",
        "GetModuleHandleA null",
        "DirectInput8Create object3",
        "CreateDevice GUID_SysMouse on object3 device4",
        "SetDataFormat device4 c_dfDIMouse2",
        "SetCooperativeLevel device4 0x05",
        "SetProperty device4 DIPROP_BUFFERSIZE",
        "Acquire device4",
        "SetTimer 0 33",
        "InvalidateRect",
    };
    EXPECT_EQ(started, expectedStart);

    user.calls.clear();
    stopCaptureRun(services, context);
    const std::vector<std::string> expectedStop = {
        "KillTimer 0",       "Unacquire device4", "Release device4", "Release object3",
        "Unacquire device2", "Release device2",   "Release object1", "InvalidateRect",
    };
    EXPECT_EQ(user.calls, expectedStop);
    EXPECT_FALSE(run.active);
}

TEST_F(CaptureRunTest, AKeyboardThatCannotBeCreatedUndoesTheStart) {
    directInput.createResults.next = {kDierrInvalidParam};
    start();
    EXPECT_FALSE(run.active);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].caption, "Keyboard");
    EXPECT_FALSE(isOpen(run.adapter));
    EXPECT_EQ(run.state, idleControllerState());
    EXPECT_EQ(directInput.liveHandles(), 0u);
    EXPECT_FALSE(logged(user.calls, "SetTimer 0 33"));

    start(); // Start works again
    EXPECT_TRUE(run.active);
    EXPECT_TRUE(keyboardExists(devices));
}

TEST_F(CaptureRunTest, AMissingMouseLeavesTheKeyboardWorking) {
    directInput.createResults.next = {kDiOk, kDierrInvalidParam};
    bindKey(action::buttonA, kKeyW);
    start();
    ASSERT_TRUE(run.active);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].caption, "Mouse");
    press(kKeyW);
    tick();
    ASSERT_EQ(packets().size(), 1u);
    EXPECT_EQ(packets()[0][4], buttons2::a);
}

TEST_F(CaptureRunTest, MouseButtonsReachTheState) {
    profile.bytes[profile::mouseBindings + 0] = 4; // left button: "A"
    setProfiles({profile});
    start();
    directInput.reads.push_back({kDiOk, {{12, 0x80, 5, 0, 0}}, std::nullopt});
    tick();
    ASSERT_EQ(packets().size(), 1u);
    EXPECT_EQ(packets()[0][4], buttons2::a);
}

TEST_F(CaptureRunTest, TheRunLoadsTheIconPositionsOfItsConsole) {
    setIni("LOCATION_360", "PAX", "123");
    setIni("LOCATION_360", "PAY", "-1");
    start();
    EXPECT_EQ(icons.places[icon::a].x, 123);
    EXPECT_EQ(icons.places[icon::a].y, 65535);
}

class CurrentProfileTest : public CaptureRunTest {
protected:
    void SetUp() override {
        first.bytes[profile::primaryKeys + action::buttonA] = kKeyW;
        second.bytes[profile::primaryKeys + action::buttonB] = kKeyW;
        setProfiles({first, second});
    }
    ProfileRecord loadWith(const char* count, const char* current) {
        setIni("CONFIGURATION", "COUNT", count);
        setIni("CONFIGURATION", "CURRENT", current);
        return profileInEffect(loadRunProfiles(files, ini, paths).profiles);
    }

    ProfileRecord first;
    ProfileRecord second;
    const ProfileRecord empty{};
};

TEST_F(CurrentProfileTest, CurrentPicksTheRecord) {
    EXPECT_EQ(loadWith("2", "0"), first);
    EXPECT_EQ(loadWith("2", "1"), second);
}

TEST_F(CurrentProfileTest, CurrentOutsideTheStoreGivesAnEmptyProfile) {
    EXPECT_EQ(loadWith("2", "2"), empty);
    EXPECT_EQ(loadWith("2", "-1"), empty);
    EXPECT_EQ(loadWith("1", "1"), empty); // the file holds it, COUNT does not
    EXPECT_EQ(loadWith("0", "0"), empty);
    EXPECT_EQ(loadWith("-5", "0"), empty);
}

TEST_F(CurrentProfileTest, AHugeCountReadsOnlyWhatTheFileHolds) {
    EXPECT_EQ(loadWith("2147483647", "1"), second);
    EXPECT_EQ(loadWith("99999", "70000"), empty);
    EXPECT_EQ(loadWith("99999", "3"), empty); // beyond the file: zero-filled
}

TEST_F(CurrentProfileTest, TheRunUsesTheSelectedProfile) {
    setIni("CONFIGURATION", "COUNT", "2");
    setIni("CONFIGURATION", "CURRENT", "1");
    start();
    press(kKeyW);
    tick();
    ASSERT_EQ(packets().size(), 1u);
    EXPECT_EQ(packets()[0][4], buttons2::b);
}

TEST_F(CaptureRunTest, TheMapDialogBorrowsTheKeyboardAndGivesItBack) {
    bindKey(action::buttonA, kKeyW);
    start();
    tick();
    lendKeyboardToMapDialog(services, context);
    EXPECT_FALSE(keyboardExists(devices));

    // The dialog opens its own keyboard in the slot; the run must not read it.
    WindowHandle dialog = reinterpret_cast<WindowHandle>(0x2000);
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, dialog, 0));
    press(kKeyW);
    tick();
    EXPECT_EQ(packets().size(), 1u);
    press(kKeyF11);
    tick();
    EXPECT_TRUE(run.active);
    release(kKeyF11);

    // The dialog ends: its keyboard goes, the run gets a background one and its timer back.
    releaseKeyboard(directInput, devices);
    user.calls.clear();
    returnKeyboardFromMapDialog(services, context);
    EXPECT_TRUE(keyboardExists(devices));
    ASSERT_FALSE(directInput.cooperativeLevels.empty());
    EXPECT_EQ(directInput.cooperativeLevels.back().window, kMainWindow);
    EXPECT_EQ(directInput.cooperativeLevels.back().flags, 0x0Au);
    EXPECT_EQ(user.calls.back(), "SetTimer 0 33");
    tick();
    EXPECT_EQ(packets().size(), 2u); // W now reaches the controller
    press(kKeyF11);
    tick();
    EXPECT_FALSE(run.active);
}

TEST_F(CaptureRunTest, ARunWhoseKeyboardCannotComeBackEnds) {
    start();
    lendKeyboardToMapDialog(services, context);
    directInput.createResults.next = {kDierrInvalidParam};
    returnKeyboardFromMapDialog(services, context);
    EXPECT_FALSE(run.active);
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

TEST_F(CaptureRunTest, LendingWithoutARunChangesNothing) {
    lendKeyboardToMapDialog(services, context);
    returnKeyboardFromMapDialog(services, context);
    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_TRUE(user.calls.empty());
}

} // namespace
} // namespace qora::testing
