#include "overlay/overlay.h"

#include "overlay_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace qora::testing {
namespace {

class PaintMainWindow : public OverlayFixture {
protected:
    PaintMainWindow() { gdi.expectedWindow = window; }

    std::int32_t paint(ConsoleMode mode, bool overlayOn, bool captureRunActive,
                       bool adapterLost = false) {
        return paintMainWindow(gdi, window, resources,
                               {.state = state,
                                .mode = mode,
                                .icons = icons,
                                .overlayOn = overlayOn,
                                .captureRunActive = captureRunActive,
                                .adapterLost = adapterLost});
    }

    // The capture run lines drawn since the calls were last cleared.
    std::vector<GdiCall> captureLines() const { return textsAt(130, 300); }

    std::size_t indexOf(const std::string& line) const {
        const auto log = gdi.log();
        return static_cast<std::size_t>(std::find(log.begin(), log.end(), line) - log.begin());
    }

    WindowHandle window = &windowObject;
    int windowObject = 0;
};

TEST_F(PaintMainWindow, CopiesThePictureThroughTheBackBufferToTheWindow) {
    EXPECT_EQ(paint(kConsoleXbox360, false, false), 0);

    EXPECT_EQ(gdi.log(), (std::vector<std::string>{
                             "BeginPaint",
                             "GetClientRect",
                             "BitBlt back 0,0 414x371 <- background 0,0 SRCCOPY",
                             "BitBlt window 0,0 414x371 <- back 0,0 SRCCOPY",
                             "EndPaint",
                         }));
    EXPECT_EQ(gdi.foreignWindowCalls, 0u);
    EXPECT_EQ(gdi.mismatchedEndPaints, 0u);
}

TEST_F(PaintMainWindow, CopiesTheWholeClientAreaWhateverItsSize) {
    gdi.clientRect = GdiRect{0, 0, 404, 342};
    paint(kConsolePs3, true, true);

    const auto blits = gdi.callsOf(GdiOp::bitBlt);
    ASSERT_GE(blits.size(), 2u);
    EXPECT_EQ(gdi.describe(blits.front()), "BitBlt back 0,0 404x342 <- background 0,0 SRCCOPY");
    EXPECT_EQ(gdi.describe(blits.back()), "BitBlt window 0,0 404x342 <- back 0,0 SRCCOPY");
}

TEST_F(PaintMainWindow, DrawsTheOverlayBetweenTheTwoCopiesAndTheRunLineAfterIt) {
    state.bytes[state::buttons2] = buttons2::guide;
    paint(kConsoleXbox360, true, true);

    const auto log = gdi.log();
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(log[0], "BeginPaint");
    EXPECT_EQ(log[1], "GetClientRect");
    EXPECT_EQ(log[2], "BitBlt back 0,0 414x371 <- background 0,0 SRCCOPY");
    EXPECT_EQ(log[3], "SetBkMode back TRANSPARENT");
    // The overlay's last step is the right stick's cross.
    EXPECT_EQ(log[log.size() - 4], "LineTo back 370,43");
    EXPECT_EQ(log[log.size() - 3], "TextOut back 130,300 \"Press F11 to return\"");
    EXPECT_EQ(log[log.size() - 2], "BitBlt window 0,0 414x371 <- back 0,0 SRCCOPY");
    EXPECT_EQ(log[log.size() - 1], "EndPaint");
    EXPECT_LT(indexOf("BitBlt back 210,211 16x16 <- mask 0,0 SRCAND"), log.size());
}

TEST_F(PaintMainWindow, OverlayOffLeavesThePictureAlone) {
    state.bytes[state::buttons1] = 0xFF;
    state.bytes[state::buttons2] = 0xFF;
    paint(kConsolePs3, false, false);

    EXPECT_EQ(gdi.calls.size(), 5u);
    EXPECT_TRUE(gdi.callsOf(GdiOp::textOut).empty());
    EXPECT_TRUE(gdi.callsOf(GdiOp::rectangle).empty());
}

TEST_F(PaintMainWindow, RunLineIsTheWholeTextAndSaysWhenTheAdapterIsLost) {
    const std::tuple<bool, const char*, std::int32_t> cases[] = {
        {false, "Press F11 to return", 19}, {true, "Adapter lost, reconnecting", 26}};
    for (const auto& [lost, text, length] : cases) {
        gdi.clearCalls();
        paint(kConsoleXbox360, false, true, lost);
        const auto lines = captureLines();
        ASSERT_EQ(lines.size(), 1u) << text;
        EXPECT_EQ(lines[0].dc, resources.backBuffer);
        EXPECT_EQ(lines[0].text, text);
        EXPECT_EQ(lines[0].value, length);
    }
}

TEST_F(PaintMainWindow, NoRunLineWithoutARun) {
    paint(kConsolePs3, true, false);
    EXPECT_TRUE(captureLines().empty());
}

// The back buffer is never reset, so the run line inherits whatever the last overlay left.
TEST_F(PaintMainWindow, RunLineTakesTheTextStateTheLastOverlayLeft) {
    struct Step {
        ConsoleMode mode;
        bool overlayOn;
        std::int32_t backgroundMode;
        ColorRef textColor;
    };
    const Step steps[] = {
        {kConsoleXbox360, false, kBkOpaque, kColorBlack}, // defaults: black on white
        {kConsolePs3, false, kBkOpaque, kColorBlack},
        {kConsoleXbox360, true, kBkTransparent, kColorBlack}, // the bar's labels set black
        {kConsolePs3, true, kBkTransparent, kColorRed},
        {kConsolePs3, false, kBkTransparent, kColorRed}, // overlay off: still red
        {kConsoleXbox360, false, kBkTransparent, kColorRed},
        {kConsoleXbox360, true, kBkTransparent, kColorBlack},
        {2, true, kBkTransparent, kColorRed},
        {2, false, kBkTransparent, kColorRed},
    };
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        gdi.clearCalls();
        paint(step.mode, step.overlayOn, true);
        const auto lines = captureLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].state.backgroundMode, step.backgroundMode);
        EXPECT_EQ(lines[0].state.textColor, step.textColor);
    }
}

} // namespace
} // namespace qora::testing
