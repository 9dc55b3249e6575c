#include "app/keyboard_lending.h"

#include "capture_run_fixture.h"
#include "fakes/fake_gdi_api.h"
#include "fakes/fake_window_api.h"
#include "input/keyboard_device.h"

namespace qora::testing {
namespace {

// Plays the Map dialog: opens its own keyboard, notes what it found, releases it.
class DialogStandIn : public MapDialogOpener {
public:
    DialogStandIn(FakeDirectInput& directInput, FakeUserApi& user, CaptureDevices& devices)
        : directInput_(directInput), user_(user), devices_(devices) {}

    std::intptr_t openMapDialog(WindowHandle, std::int32_t templateId,
                                std::int32_t profileIndex) override {
        opened.push_back({templateId, profileIndex});
        const WindowHandle dialog = reinterpret_cast<WindowHandle>(0x3000);
        dialogGotKeyboard = openOrCloseKeyboard(directInput_, user_, devices_, dialog, 0);
        releaseKeyboard(directInput_, devices_);
        return 1;
    }

    std::vector<std::pair<std::int32_t, std::int32_t>> opened;
    bool dialogGotKeyboard = false;

private:
    FakeDirectInput& directInput_;
    FakeUserApi& user_;
    CaptureDevices& devices_;
};

class KeyboardLendingTest : public CaptureRunTest {
protected:
    KeyboardLendingTest() { program.paths = paths; }

    FakeGdiApi gdi;
    FakeWindowApi windows{gdi};
    Platform platform{files, ini, user, hid, directInput, gdi, windows, clock, timePeriod};
    Program program;
    DialogStandIn dialog{directInput, user, program.devices};
    KeyboardLendingMapDialogOpener opener{dialog, program, platform};
};

TEST_F(KeyboardLendingTest, TheDialogGetsAKeyboardDuringARunAndTheRunGetsItBack) {
    program.window.mode = kConsoleXbox360;
    program.window.handle = kMainWindow;
    CaptureServices runServices = captureServicesOf(platform);
    CaptureContext runContext = captureContextOf(program);
    startCaptureRun(runServices, runContext);
    ASSERT_TRUE(program.run.active);

    EXPECT_EQ(opener.openMapDialog(kMainWindow, 140, 3), 1);
    EXPECT_TRUE(dialog.dialogGotKeyboard);
    EXPECT_EQ(dialog.opened, (std::vector<std::pair<std::int32_t, std::int32_t>>{{140, 3}}));
    EXPECT_TRUE(keyboardExists(program.devices));
    EXPECT_FALSE(program.run.keyboardOnLoan);
    EXPECT_EQ(directInput.cooperativeLevels.back().window, kMainWindow);
    EXPECT_EQ(user.calls.back(), "SetTimer 0 33");
}

TEST_F(KeyboardLendingTest, WithoutARunTheDialogSimplyOpens) {
    EXPECT_EQ(opener.openMapDialog(kMainWindow, 139, 0), 1);
    EXPECT_TRUE(dialog.dialogGotKeyboard);
    EXPECT_FALSE(keyboardExists(program.devices));
    EXPECT_FALSE(std::find(user.calls.begin(), user.calls.end(), "SetTimer 0 33") !=
                 user.calls.end());
}

} // namespace
} // namespace qora::testing
