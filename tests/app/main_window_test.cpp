#include "app/main_window.h"

#include "fakes/fake_clock_api.h"
#include "fakes/fake_direct_input.h"
#include "fakes/fake_gdi_api.h"
#include "fakes/fake_hid_api.h"
#include "fakes/fake_time_period_api.h"
#include "fakes/fake_user_api.h"
#include "fakes/fake_window_api.h"
#include "fakes/temp_directory.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1000);

// Real files, except that handles handed out by the HID fake are only noted when closed.
class NotingFileApi : public HostFileApi {
public:
    bool closeHandle(NativeHandle file) override {
        if (file >= 100) {
            closedFakeHandles.push_back(file);
            return true;
        }
        return HostFileApi::closeHandle(file);
    }
    std::vector<NativeHandle> closedFakeHandles;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        gdi.expectedWindow = kWindow;
        windows.windowDc = gdi.addDc("window dc");
        program.paths = makeProgramPaths(dir.path());
        setIni("ADAPTER", "VIRTUAL", "1");
        setIni("SETTING", "OSTYPE", "0");
    }

    void setIni(const char* section, const char* key, const char* value) {
        ini.writePrivateProfileString(section, key, value, program.paths.settingIni.c_str());
    }
    void create() { onMainWindowCreate(program, platform, kWindow); }
    bool command(std::uint32_t id) { return onMainWindowCommand(program, platform, id); }
    std::string selectedBitmap(DcHandle dc) { return gdi.nameOf(gdi.stateOf(dc).bitmap); }
    bool userCalled(const std::string& entry) {
        return std::find(user.calls.begin(), user.calls.end(), entry) != user.calls.end();
    }

    TempDirectory dir;
    HostProfileFile ini;
    NotingFileApi files;
    FakeUserApi user;
    FakeDirectInput directInput{user.calls};
    FakeHidApi hid;
    FakeGdiApi gdi;
    FakeWindowApi windows{gdi};
    FakeClockApi clock;
    FakeTimePeriodApi timePeriod{user.calls};
    Platform platform{files, ini, user, hid, directInput, gdi, windows, clock, timePeriod};
    Program program;
};

TEST_F(MainWindowTest, CreationCentresTheWindowOnTheScreen) {
    windows.screenWidth = 1025;
    windows.screenHeight = 768;
    create();
    EXPECT_EQ(windows.frame.left, 302); // (1025 - 420) / 2, cut toward zero
    EXPECT_EQ(windows.frame.top, 184);
    EXPECT_EQ(windows.frame.right - windows.frame.left, 420);
    EXPECT_EQ(windows.frame.bottom - windows.frame.top, 400);
    EXPECT_NE(std::find(windows.log.begin(), windows.log.end(), "ShowWindow 5"), windows.log.end());
}

TEST_F(MainWindowTest, CreationBuildsTheDrawingResources) {
    gdi.clientRect = {0, 0, 414, 351};
    create();
    const DrawingResources& drawing = program.window.drawing;
    EXPECT_EQ(windows.liveDcs.size(), 4u);
    EXPECT_EQ(selectedBitmap(drawing.background), "bitmap 132");
    EXPECT_EQ(selectedBitmap(drawing.backBuffer), "back buffer bitmap");
    EXPECT_EQ(selectedBitmap(drawing.icon), "bitmap 134");
    EXPECT_EQ(selectedBitmap(drawing.mask), "bitmap 133");
    EXPECT_EQ(windows.backBufferSize.right, 414);
    EXPECT_EQ(windows.backBufferSize.bottom, 351);
    EXPECT_EQ(gdi.nameOf(drawing.redBrush), "red brush");
    EXPECT_EQ(gdi.nameOf(drawing.blackPen), "black pen");
    EXPECT_EQ(windows.penWidth, 1);
    EXPECT_EQ(windows.windowDcsHeld, 0); // the window's context is given back
    EXPECT_EQ(user.calls.back(), "InvalidateRect erase");
}

TEST_F(MainWindowTest, ThePictureFollowsTheConsole) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "bitmap 132"}, {"1", "bitmap 137"}, {"-1", "bitmap 140"}, {"2", "bitmap 140"}};
    for (const auto& [ostype, picture] : cases) {
        setIni("SETTING", "OSTYPE", ostype);
        Program fresh;
        fresh.paths = program.paths;
        onMainWindowCreate(fresh, platform, kWindow);
        EXPECT_EQ(selectedBitmap(fresh.window.drawing.background), picture) << ostype;
    }
}

TEST_F(MainWindowTest, AMissingSettingFileMeansNoConsoleNoSmoothingNoDebug) {
    dir.write("setting.ini", "");
    create();
    EXPECT_EQ(program.window.mode, kConsoleNotSet);
    EXPECT_EQ(program.mouse.smoothingDepth, 0);
    EXPECT_TRUE(windows.appended.empty());
    EXPECT_EQ(selectedBitmap(program.window.drawing.background), "bitmap 140");
}

TEST_F(MainWindowTest, TheAdapterProbeWarnsWhenNoneAnswersNamingTheCause) {
    const std::string unreachable = dir.file("missing-folder/packets.bin");
    const std::pair<const char*, std::string> cases[] = {
        {"0", "Can not find QORA"},
        {"1", "Can not create " + unreachable + " for the virtual adapter: file not found"},
    };
    for (const auto& [isVirtual, text] : cases) {
        setIni("ADAPTER", "VIRTUAL", isVirtual);
        user.messageBoxes.clear();
        Program fresh;
        fresh.paths = program.paths;
        fresh.paths.packetsBin = unreachable;
        onMainWindowCreate(fresh, platform, kWindow);
        ASSERT_EQ(user.messageBoxes.size(), 1u);
        EXPECT_EQ(user.messageBoxes[0].text, text);
        EXPECT_EQ(user.messageBoxes[0].caption, "Warning");
        EXPECT_EQ(user.messageBoxes[0].type, kMbOk);
    }
}

TEST_F(MainWindowTest, TheAdapterProbeNeverKeepsTheAdapterOpen) {
    setIni("ADAPTER", "VIRTUAL", "0");
    hid.devices.push_back({"\\\\?\\hid#adapter", 0x04B4, 0x0811});
    create();
    EXPECT_TRUE(user.messageBoxes.empty());
    ASSERT_EQ(files.closedFakeHandles.size(), 1u); // the pipe, closed at once
    EXPECT_TRUE(userCalled("InvalidateRect erase"));
}

TEST_F(MainWindowTest, TheDebugItemNeedsEnableExactlyOne) {
    setIni("DEBUG", "ENABLE", "1");
    create();
    ASSERT_EQ(windows.appended.size(), 1u);
    EXPECT_EQ(windows.appended[0].menu, FakeWindowApi::kSubMenus[1]);
    EXPECT_EQ(windows.appended[0].id, 32774u);
    EXPECT_EQ(windows.appended[0].text, "&Debug");
    EXPECT_EQ(windows.appended[0].flags, kMfString);

    for (const char* value : {"2", "0", "-1"}) {
        setIni("DEBUG", "ENABLE", value);
        FakeGdiApi otherGdi;
        otherGdi.expectedWindow = kWindow;
        FakeWindowApi other{otherGdi};
        Platform otherPlatform{files,    ini,   user,  hid,       directInput,
                               otherGdi, other, clock, timePeriod};
        Program fresh;
        fresh.paths = program.paths;
        onMainWindowCreate(fresh, otherPlatform, kWindow);
        EXPECT_TRUE(other.appended.empty()) << value;
    }
}

TEST_F(MainWindowTest, TheSmoothingDepthIsTheLowByteOfTheSetting) {
    setIni("SETTING", "PACKETBUFFERLENGTH", "260");
    create();
    EXPECT_EQ(program.mouse.smoothingDepth, 4);
}

TEST_F(MainWindowTest, TheDebugCommandTogglesTheCheckMarkAndTheOverlay) {
    setIni("DEBUG", "ENABLE", "1");
    create();
    user.calls.clear();
    EXPECT_TRUE(command(IDM_DEBUG));
    EXPECT_TRUE(program.window.overlayOn);
    EXPECT_EQ(windows.items[IDM_DEBUG], kMfChecked);
    EXPECT_EQ(user.calls, std::vector<std::string>{"InvalidateRect"});
    command(IDM_DEBUG);
    EXPECT_FALSE(program.window.overlayOn);
    EXPECT_EQ(windows.items[IDM_DEBUG], kMfUnchecked);
}

TEST_F(MainWindowTest, DebugDisabledWhileRunningLeavesTheOverlayAsItIs) {
    setIni("DEBUG", "ENABLE", "1");
    create();
    command(IDM_DEBUG);
    setIni("DEBUG", "ENABLE", "0");
    command(IDM_DEBUG);
    EXPECT_TRUE(program.window.overlayOn);
    EXPECT_EQ(windows.items[IDM_DEBUG], kMfChecked);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].text, "Debug disabled");
    EXPECT_EQ(user.messageBoxes[0].caption, "Warning");
    EXPECT_EQ(user.messageBoxes[0].type, kMbOk);
}

TEST_F(MainWindowTest, F12StartsARunOnReleaseAndOnlyOnce) {
    create();
    onMainWindowKeyUp(program, platform, 0x7A); // F11's release does nothing here
    EXPECT_FALSE(program.run.active);
    onMainWindowKeyUp(program, platform, kVirtualKeyF12);
    EXPECT_TRUE(program.run.active);
    const std::size_t created = directInput.liveHandles();
    onMainWindowKeyUp(program, platform, kVirtualKeyF12);
    command(IDM_START);
    EXPECT_EQ(directInput.liveHandles(), created); // a running run is left alone
}

TEST_F(MainWindowTest, StartWithoutAConsoleDoesNothing) {
    setIni("SETTING", "OSTYPE", "-1");
    create();
    command(IDM_START);
    EXPECT_FALSE(program.run.active);
    EXPECT_EQ(directInput.liveHandles(), 0u);
}

TEST_F(MainWindowTest, TheTimerTicksTheRun) {
    create();
    command(IDM_START);
    onMainWindowTimer(program, platform, 1);
    EXPECT_EQ(dir.read("packets.bin").size(), 0u);
    onMainWindowTimer(program, platform, kCaptureTimerId);
    EXPECT_EQ(dir.read("packets.bin").size(), 50u);
}

TEST_F(MainWindowTest, ActivationReacquiresBothDevices) {
    create();
    command(IDM_START);
    user.calls.clear();
    onMainWindowActivate(program, platform, 0);
    EXPECT_TRUE(user.calls.empty());
    onMainWindowActivate(program, platform, 0x00010000); // deactivated while minimised
    EXPECT_EQ(user.calls, (std::vector<std::string>{"Acquire device2", "Acquire device4"}));
}

TEST_F(MainWindowTest, AboutShowsTheTitleCutTo31Characters) {
    setIni("SETTING", "TITLE", "A title that is much longer than thirty-one characters");
    readWindowTitle(ini, program.paths, program.window);
    create();
    EXPECT_TRUE(command(IDM_ABOUT));
    EXPECT_EQ(windows.log.back(), "About A title that is much longer tha");
    EXPECT_EQ(std::string(program.window.title.data()).size(), 31u);
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndUnknownCommandsAreNotHandled) {
    create();
    EXPECT_TRUE(command(IDM_EXIT));
    EXPECT_EQ(windows.log.back(), "DestroyWindow");
    EXPECT_FALSE(command(40000));
}

TEST_F(MainWindowTest, TheSettingDialogReplacesTheBackgroundPicture) {
    create();
    const GdiObjectHandle before = program.window.backgroundPicture;
    setIni("SETTING", "OSTYPE", "1"); // read only at creation: the picture stays for mode 0
    user.calls.clear();
    EXPECT_TRUE(command(IDM_SETTING));
    EXPECT_EQ(windows.log.back(), "Setting");
    EXPECT_NE(program.window.backgroundPicture, before);
    EXPECT_EQ(selectedBitmap(program.window.drawing.background), "bitmap 132");
    EXPECT_EQ(windows.liveObjects.count(before), 0u); // the old picture is freed
    EXPECT_EQ(user.calls, std::vector<std::string>{"InvalidateRect"});
}

TEST_F(MainWindowTest, APictureThatCannotBeLoadedAfterTheSettingDialogKeepsTheOldOne) {
    create();
    const GdiObjectHandle before = program.window.backgroundPicture;
    windows.loadBitmapFails = true;
    EXPECT_TRUE(command(IDM_SETTING));
    EXPECT_EQ(program.window.backgroundPicture, before);
    EXPECT_EQ(selectedBitmap(program.window.drawing.background), "bitmap 132");
    EXPECT_EQ(windows.badDeletes, 0);

    onMainWindowDestroy(program, platform);
    EXPECT_TRUE(windows.liveObjects.empty()) << windows.liveObjectNames().size();
    EXPECT_EQ(windows.badDeletes, 0);
}

TEST_F(MainWindowTest, DestructionStopsTheRunAndFreesEveryGdiObject) {
    create();
    command(IDM_START);
    command(IDM_SETTING);
    ASSERT_TRUE(program.run.active);
    onMainWindowDestroy(program, platform);
    EXPECT_EQ(windows.log.front().rfind("MoveWindow", 0), 0u);
    EXPECT_NE(std::find(windows.log.begin(), windows.log.end(), "PostQuitMessage 0"),
              windows.log.end());
    EXPECT_FALSE(program.run.active);
    EXPECT_EQ(directInput.liveHandles(), 0u);
    EXPECT_TRUE(windows.liveDcs.empty());
    EXPECT_TRUE(windows.liveObjects.empty()) << windows.liveObjectNames().size();
    EXPECT_EQ(windows.badDeletes, 0);
}

TEST_F(MainWindowTest, PaintingShowsTheRunLineDuringARun) {
    create();
    command(IDM_START);
    for (const bool lost : {false, true}) {
        program.run.adapterLost = lost;
        gdi.clearCalls();
        onMainWindowPaint(program, platform);
        const auto texts = gdi.callsOf(GdiOp::textOut);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, lost ? "Adapter lost, reconnecting" : "Press F11 to return");
        EXPECT_EQ(gdi.callsOf(GdiOp::endPaint).size(), 1u);
    }
}

// The curves are drawn with the window's own pens, only while calibration is on.
TEST_F(MainWindowTest, PaintingShowsTheCalibrationViewWhileCalibrating) {
    create();
    command(IDM_START);
    for (const bool on : {false, true}) {
        program.run.calibration.on = on;
        gdi.clearCalls();
        onMainWindowPaint(program, platform);
        const auto curves = gdi.callsOf(GdiOp::polyline);
        ASSERT_EQ(curves.size(), on ? 1u : 0u);
        if (on) {
            EXPECT_EQ(gdi.nameOf(curves[0].state.pen), "red pen");
        }
    }
}

} // namespace
} // namespace qora::testing
