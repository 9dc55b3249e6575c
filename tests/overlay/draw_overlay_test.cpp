#include "overlay/draw_helpers.h"
#include "overlay/overlay.h"

#include "overlay_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qora::testing {
namespace {

using Marks = std::vector<std::string>;

class DrawOverlay : public OverlayFixture {};

TEST_F(DrawOverlay, IdleStateInXbox360ModeDrawsTheFrameOnly) {
    draw(kConsoleXbox360);

    const std::vector<std::string> expected = {
        "SetBkMode back TRANSPARENT",
        "SetTextColor back 0x0000FF",
        "Rectangle back 154,19 256,41",
        "SetTextColor back 0x000000",
        "TextOut back 125,20 \"LT\"",
        "TextOut back 265,20 \"RT\"",
        "MoveToEx back 205,20",
        "LineTo back 205,40",
        "Rectangle back 0,0 80,80",
        "SelectObject back black pen",
        "MoveToEx back 37,40",
        "LineTo back 43,40",
        "MoveToEx back 40,37",
        "LineTo back 40,43",
        "TextOut back 20,80 \"       0:       0\"",
        "TextOut back 20,100 \"       0:       0\"",
        "Rectangle back 330,0 410,80",
        "SelectObject back black pen",
        "MoveToEx back 367,40",
        "LineTo back 373,40",
        "MoveToEx back 370,37",
        "LineTo back 370,43",
    };
    EXPECT_EQ(gdi.log(), expected);
}

TEST_F(DrawOverlay, DrawsOnlyIntoTheBackBuffer) {
    state.bytes[state::buttons1] = 0xFF;
    state.bytes[state::buttons2] = 0xFF;
    state.bytes[state::leftTrigger] = 0xFF;
    for (const ConsoleMode mode : {kConsoleXbox360, kConsolePs3, 2}) {
        draw(mode);
    }
    for (const GdiCall& call : gdi.calls) {
        EXPECT_EQ(call.dc, resources.backBuffer) << gdi.describe(call);
    }
}

TEST_F(DrawOverlay, DotIsTheMaskAndThenTheIconOnTheSixteenPixelCell) {
    state.bytes[state::buttons1] = buttons1::start; // slot 12 at (220, 212)
    draw(2);

    std::vector<std::string> blits;
    for (const GdiCall& call : gdi.callsOf(GdiOp::bitBlt)) {
        blits.push_back(gdi.describe(call));
    }
    EXPECT_EQ(blits, (std::vector<std::string>{
                         "BitBlt back 220,212 16x16 <- mask 0,0 SRCAND",
                         "BitBlt back 220,212 16x16 <- icon 0,0 SRCPAINT",
                     }));
}

TEST_F(DrawOverlay, PlacesOutsideTheWindowAreUsedAsTheyStand) {
    // A coordinate of -1 in the file is 65535: the dot goes off the window, not to its edge.
    icons.places[icon::a] = IconPosition{65535, 0};
    state.bytes[state::buttons2] = buttons2::a;
    draw(kConsoleXbox360);

    const auto blits = gdi.callsOf(GdiOp::bitBlt);
    ASSERT_EQ(blits.size(), 2u);
    EXPECT_EQ(blits[0].x, 65535);
    EXPECT_EQ(blits[0].y, 0);
}

struct DpadCase {
    std::uint8_t bits;
    std::optional<std::size_t> slot;
};

void PrintTo(const DpadCase& c, std::ostream* os) {
    *os << "bits 0x" << std::hex << static_cast<int>(c.bits) << std::dec;
}

class DpadRule : public OverlayFixture, public ::testing::WithParamInterface<DpadCase> {};

TEST_P(DpadRule, DrawsAtMostOneDotByTheFirstRuleThatHolds) {
    state.bytes[state::buttons1] = GetParam().bits;
    draw(kConsoleXbox360);

    const Marks expected = GetParam().slot ? Marks{dot(*GetParam().slot)} : Marks{};
    EXPECT_EQ(marks(), expected);
}

constexpr std::uint8_t kU = buttons1::dpadUp;
constexpr std::uint8_t kD = buttons1::dpadDown;
constexpr std::uint8_t kL = buttons1::dpadLeft;
constexpr std::uint8_t kR = buttons1::dpadRight;

INSTANTIATE_TEST_SUITE_P(
    AllSixteenCombinations, DpadRule,
    ::testing::Values(DpadCase{0, std::nullopt}, DpadCase{kU, icon::dpadUp},
                      DpadCase{kD, icon::dpadDown}, DpadCase{kL, icon::dpadLeft},
                      DpadCase{kR, icon::dpadRight}, DpadCase{kU | kL, icon::dpadUpLeft},
                      DpadCase{kU | kR, icon::dpadUpRight}, DpadCase{kD | kR, icon::dpadDownRight},
                      DpadCase{kD | kL, icon::dpadDownLeft}, DpadCase{kU | kD, icon::dpadUp},
                      DpadCase{kL | kR, icon::dpadLeft}, DpadCase{kU | kD | kL, icon::dpadUpLeft},
                      DpadCase{kU | kD | kR, icon::dpadUpRight},
                      DpadCase{kU | kL | kR, icon::dpadUpLeft},
                      DpadCase{kD | kL | kR, icon::dpadDownRight},
                      DpadCase{kU | kD | kL | kR, icon::dpadUpLeft}));

struct ButtonCase {
    std::size_t byte;
    std::uint8_t bit;
    std::size_t slot;
};

void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << "byte " << c.byte << " bit 0x" << std::hex << static_cast<int>(c.bit) << std::dec;
}

class ButtonDot : public OverlayFixture, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonDot, OneBitGivesOneDotInEveryMode) {
    for (const ConsoleMode mode : {kConsoleXbox360, kConsolePs3, 2}) {
        SCOPED_TRACE(mode);
        gdi.clearCalls();
        state.bytes[GetParam().byte] = GetParam().bit;
        draw(mode);
        EXPECT_EQ(marks(), Marks{dot(GetParam().slot)});
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachButton, ButtonDot,
    ::testing::Values(ButtonCase{state::buttons1, buttons1::start, icon::start},
                      ButtonCase{state::buttons1, buttons1::back, icon::back},
                      ButtonCase{state::buttons1, buttons1::leftClick, icon::leftClick},
                      ButtonCase{state::buttons1, buttons1::rightClick, icon::rightClick},
                      ButtonCase{state::buttons2, buttons2::a, icon::a},
                      ButtonCase{state::buttons2, buttons2::b, icon::b},
                      ButtonCase{state::buttons2, buttons2::x, icon::x},
                      ButtonCase{state::buttons2, buttons2::y, icon::y},
                      ButtonCase{state::buttons2, buttons2::guide, icon::guide}));

TEST_F(DrawOverlay, UnusedButtons2BitDrawsNothing) {
    state.bytes[state::buttons2] = 0x08;
    draw(kConsolePs3);
    EXPECT_EQ(marks(), Marks{});
}

TEST_F(DrawOverlay, EverythingPressedOnThePs3ComesInStepOrder) {
    state.bytes[state::buttons1] = 0xFF;
    state.bytes[state::buttons2] = 0xFF;
    state.bytes[state::leftTrigger] = kTriggerPressed;
    state.bytes[state::rightTrigger] = kTriggerPressed;
    draw(kConsolePs3);

    const Marks expected = {
        dot(icon::dpadUpLeft),
        dot(icon::start),
        dot(icon::back),
        dot(icon::leftClick),
        dot(icon::rightClick),
        dot(icon::a),
        dot(icon::b),
        dot(icon::x),
        dot(icon::y),
        label("L1", icon::leftBumper),
        label("R1", icon::rightBumper),
        dot(icon::guide),
        label("L2", icon::leftTrigger),
        label("R2", icon::rightTrigger),
    };
    EXPECT_EQ(marks(), expected);
}

struct ShoulderCase {
    ConsoleMode mode;
    Marks labels;
};

void PrintTo(const ShoulderCase& c, std::ostream* os) {
    *os << "mode " << c.mode;
}

class ShoulderLabels : public OverlayFixture, public ::testing::WithParamInterface<ShoulderCase> {};

TEST_P(ShoulderLabels, NameTheButtonsOfTheConsoleInRedOverThePicture) {
    state.bytes[state::buttons2] = buttons2::leftBumper | buttons2::rightBumper;
    draw(GetParam().mode);

    EXPECT_EQ(marks(), GetParam().labels);
    for (const std::size_t slot : {icon::leftBumper, icon::rightBumper}) {
        const IconPosition place = icons.places[slot];
        for (const GdiCall& text : textsAt(place.x, place.y)) {
            EXPECT_EQ(text.value, 2);
            EXPECT_EQ(text.state.textColor, kColorRed);
            EXPECT_EQ(text.state.backgroundMode, kBkTransparent);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PerConsoleMode, ShoulderLabels,
                         ::testing::Values(ShoulderCase{kConsoleXbox360, {"LB 18", "RB 20"}},
                                           ShoulderCase{kConsolePs3, {"L1 18", "R1 20"}},
                                           ShoulderCase{2, {}}, ShoulderCase{kConsoleNotSet, {}}));

TEST_F(DrawOverlay, OnlyOneShoulderPressedLabelsOnlyThatOne) {
    state.bytes[state::buttons2] = buttons2::rightBumper;
    draw(kConsoleXbox360);
    EXPECT_EQ(marks(), Marks{label("RB", icon::rightBumper)});
}

TEST_F(DrawOverlay, Ps3TriggersAreLabelledOnlyWhenFullyPressed) {
    struct Case {
        std::uint8_t left;
        std::uint8_t right;
        Marks labels;
    };
    const Case cases[] = {
        {0xFF, 0x00, {label("L2", icon::leftTrigger)}},
        {0x00, 0xFF, {label("R2", icon::rightTrigger)}},
        {0xFE, 0xFE, {}},
        {0x80, 0xFF, {label("R2", icon::rightTrigger)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.left) * 1000 + c.right);
        gdi.clearCalls();
        state.bytes[state::leftTrigger] = c.left;
        state.bytes[state::rightTrigger] = c.right;
        draw(kConsolePs3);
        EXPECT_EQ(marks(), c.labels);
        // No trigger bar on the PS3: the only frames are the two stick boxes.
        EXPECT_EQ(gdi.callsOf(GdiOp::rectangle).size(), 2u);
        EXPECT_TRUE(gdi.callsOf(GdiOp::fillRect).empty());
    }
}

TEST_F(DrawOverlay, NoConsoleHasNeitherTriggerBarNorTriggerLabels) {
    state.bytes[state::leftTrigger] = 0xFF;
    state.bytes[state::rightTrigger] = 0x00;
    draw(2);

    EXPECT_EQ(marks(), Marks{});
    EXPECT_EQ(gdi.callsOf(GdiOp::rectangle).size(), 2u);
    EXPECT_TRUE(gdi.callsOf(GdiOp::fillRect).empty());
    EXPECT_TRUE(textsAt(125, 20).empty());
}

TEST_F(DrawOverlay, Xbox360TriggersNeverGetPs3Labels) {
    state.bytes[state::leftTrigger] = 0xFF;
    state.bytes[state::rightTrigger] = 0xFF;
    draw(kConsoleXbox360);
    EXPECT_EQ(marks(), Marks{});
}

struct TriggerBarCase {
    std::uint8_t left;
    std::uint8_t right;
    std::optional<std::int32_t> barRight; // the FillRect's right edge, none when no bar
};

void PrintTo(const TriggerBarCase& c, std::ostream* os) {
    *os << "LT " << static_cast<int>(c.left) << " RT " << static_cast<int>(c.right);
}

class TriggerBar : public OverlayFixture, public ::testing::WithParamInterface<TriggerBarCase> {};

TEST_P(TriggerBar, FillsFromTheCentreTowardTheHarderPressedTrigger) {
    state.bytes[state::leftTrigger] = GetParam().left;
    state.bytes[state::rightTrigger] = GetParam().right;
    draw(kConsoleXbox360);

    const auto fills = gdi.callsOf(GdiOp::fillRect);
    if (!GetParam().barRight) {
        EXPECT_TRUE(fills.empty());
        return;
    }
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].dc, resources.backBuffer);
    EXPECT_EQ(fills[0].object, resources.redBrush);
    EXPECT_EQ(fills[0].rect.left, 205);
    EXPECT_EQ(fills[0].rect.top, 20);
    EXPECT_EQ(fills[0].rect.right, *GetParam().barRight);
    EXPECT_EQ(fills[0].rect.bottom, 40);
}

INSTANTIATE_TEST_SUITE_P(Values, TriggerBar,
                         ::testing::Values(TriggerBarCase{255, 0, 155},   // q = 50, toward "LT"
                                           TriggerBarCase{0, 255, 255},   // q = -50, toward "RT"
                                           TriggerBarCase{128, 0, 180},   // 6400 / 255 = 25.1
                                           TriggerBarCase{0, 128, 230},   // -25.1 cut toward zero
                                           TriggerBarCase{200, 100, 186}, // 19.6 cut to 19
                                           TriggerBarCase{6, 0, 204},     // 1.18
                                           TriggerBarCase{0, 6, 206},     // -1.18 is -1, not -2
                                           TriggerBarCase{1, 0, std::nullopt}, // 0.2 is no bar
                                           TriggerBarCase{0, 0, std::nullopt},
                                           TriggerBarCase{255, 255, std::nullopt},
                                           TriggerBarCase{77, 77, std::nullopt}));

TEST_F(DrawOverlay, TriggerBarFrameBarLabelsAndCentreLineComeInOrder) {
    state.bytes[state::leftTrigger] = 255;
    draw(kConsoleXbox360);

    const auto log = gdi.log();
    ASSERT_GE(log.size(), 10u);
    const std::vector<std::string> bar(log.begin() + 2, log.begin() + 10);
    EXPECT_EQ(bar, (std::vector<std::string>{
                       "Rectangle back 154,19 256,41",
                       "FillRect back 205,20 155,40 red brush",
                       "SetTextColor back 0x000000",
                       "TextOut back 125,20 \"LT\"",
                       "TextOut back 265,20 \"RT\"",
                       "MoveToEx back 205,20",
                       "LineTo back 205,40",
                       "Rectangle back 0,0 80,80",
                   }));
}

TEST_F(DrawOverlay, TriggerBarLabelsAreBlackAndLeaveTheColourBlack) {
    draw(kConsoleXbox360);

    for (const auto& place : {std::pair{125, 20}, std::pair{265, 20}}) {
        const auto texts = textsAt(place.first, place.second);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].value, 2);
        EXPECT_EQ(texts[0].state.textColor, kColorBlack);
        EXPECT_EQ(texts[0].state.backgroundMode, kBkTransparent);
    }
    EXPECT_EQ(gdi.stateOf(resources.backBuffer).textColor, kColorBlack);
}

TEST_F(DrawOverlay, ShoulderLabelsBeforeTheBarStayRedInXbox360Mode) {
    state.bytes[state::buttons2] = buttons2::leftBumper;
    draw(kConsoleXbox360);

    const IconPosition place = icons.places[icon::leftBumper];
    const auto texts = textsAt(place.x, place.y);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].state.textColor, kColorRed);
}

struct CrosshairCase {
    std::int16_t x;
    std::int16_t y;
    std::int32_t centreX; // in the left box, whose centre is (40, 40)
    std::int32_t centreY;
};

void PrintTo(const CrosshairCase& c, std::ostream* os) {
    *os << "x " << c.x << " y " << c.y;
}

class Crosshair : public OverlayFixture, public ::testing::WithParamInterface<CrosshairCase> {
protected:
    // The four line calls after the pen selection that follows the box's Rectangle.
    std::vector<std::string> crossAfter(const std::string& box) const {
        const auto log = gdi.log();
        for (std::size_t i = 0; i + 5 < log.size(); ++i) {
            if (log[i] == box) {
                return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                                log.begin() + static_cast<std::ptrdiff_t>(i) + 6);
            }
        }
        return {};
    }
    static std::vector<std::string> cross(std::int32_t cx, std::int32_t cy) {
        const auto point = [](std::int32_t x, std::int32_t y) {
            return std::to_string(x) + "," + std::to_string(y);
        };
        return {"SelectObject back black pen", "MoveToEx back " + point(cx - 3, cy),
                "LineTo back " + point(cx + 3, cy), "MoveToEx back " + point(cx, cy - 3),
                "LineTo back " + point(cx, cy + 3)};
    }
};

TEST_P(Crosshair, MovesByTheHighBytesOfTheLeftStick) {
    setStickValue(state, state::leftStickX, GetParam().x);
    setStickValue(state, state::leftStickY, GetParam().y);
    draw(kConsolePs3);

    EXPECT_EQ(crossAfter("Rectangle back 0,0 80,80"),
              cross(GetParam().centreX, GetParam().centreY));
    // The right stick is at rest and its cross stays centred.
    EXPECT_EQ(crossAfter("Rectangle back 330,0 410,80"), cross(370, 40));
}

TEST_P(Crosshair, MovesTheSameWayInTheRightBox) {
    setStickValue(state, state::rightStickX, GetParam().x);
    setStickValue(state, state::rightStickY, GetParam().y);
    draw(kConsoleXbox360);

    EXPECT_EQ(crossAfter("Rectangle back 330,0 410,80"),
              cross(330 + GetParam().centreX, GetParam().centreY));
    EXPECT_EQ(crossAfter("Rectangle back 0,0 80,80"), cross(40, 40));
}

INSTANTIATE_TEST_SUITE_P(
    Deflections, Crosshair,
    ::testing::Values(
        CrosshairCase{0, 0, 40, 40},
        CrosshairCase{kStickFullPositive, 0, 77, 40}, // 127: 37, not 38
        CrosshairCase{kStickFullNegative, 0, 3, 40},  // -127: -37
        CrosshairCase{INT16_MIN, 0, 2, 40},           // -128: -38
        CrosshairCase{0, kStickFullPositive, 40, 3},  // positive Y moves up
        CrosshairCase{0, kStickFullNegative, 40, 77}, CrosshairCase{0, INT16_MIN, 40, 78},
        CrosshairCase{0x7F00, 0x7F00, 77, 3}, // the low byte does not count
        CrosshairCase{0x00FF, 0x00FF, 40, 40}, CrosshairCase{0x4000, 0, 59, 40}, // 64: 19.1
        CrosshairCase{static_cast<std::int16_t>(0xC000), 0, 21, 40}, // -64: -19, cut toward 0
        CrosshairCase{-1, -1, 40, 40}));                             // -1: -0.3 is 0

TEST(CrosshairOffset, IsThirtyEightOver127CutTowardZeroExceptAtFullDeflection) {
    for (int v = -128; v <= 127; ++v) {
        SCOPED_TRACE(v);
        const std::int32_t expected = v == 127 ? 37 : v == -127 ? -37 : 38 * v / 127;
        EXPECT_EQ(crosshairOffset(static_cast<std::int8_t>(v)), expected);
    }
}

TEST_F(DrawOverlay, StickValuesShowTheWholeSignedNumbers) {
    setStickValue(state, state::leftStickX, INT16_MIN);
    setStickValue(state, state::leftStickY, INT16_MAX);
    setStickValue(state, state::rightStickX, -1);
    setStickValue(state, state::rightStickY, 0x0100);
    draw(kConsoleXbox360);

    const auto left = textsAt(20, 80);
    const auto right = textsAt(20, 100);
    ASSERT_EQ(left.size(), 1u);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(left[0].text, "  -32768:   32767");
    EXPECT_EQ(left[0].value, 17);
    EXPECT_EQ(right[0].text, "      -1:     256");
    EXPECT_EQ(right[0].value, 17);
}

TEST_F(DrawOverlay, StickValuesAreBlackOnlyInXbox360Mode) {
    const std::pair<ConsoleMode, ColorRef> cases[] = {
        {kConsoleXbox360, kColorBlack},
        {kConsolePs3, kColorRed},
        {2, kColorRed},
        {kConsoleNotSet, kColorRed},
    };
    for (const auto& [mode, colour] : cases) {
        SCOPED_TRACE(mode);
        gdi.clearCalls();
        draw(mode);
        for (const std::int32_t y : {80, 100}) {
            const auto texts = textsAt(20, y);
            ASSERT_EQ(texts.size(), 1u);
            EXPECT_EQ(texts[0].state.textColor, colour);
            EXPECT_EQ(texts[0].state.backgroundMode, kBkTransparent);
        }
    }
}

} // namespace
} // namespace qora::testing
