#include "profiles/map_dialog_aim.h"

#include "fakes/fake_direct_input.h"
#include "input/device_slot.h"
#include "map_dialog_fixture.h"
#include "profiles/map_dialog.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qora {
namespace {

ProfileRecord recordWithAim(const AimSettings& aim) {
    ProfileRecord record = testing::namedRecord("aim");
    writeAimSettings(record, aim);
    return record;
}

// The settings with the value of one bar replaced.
AimSettings withBarValue(AimSettings aim, std::int32_t barId, std::int32_t value) {
    if (barId == IDC_MAP_AIM_DEAD_ZONE) {
        aim.deadZoneHundredths = static_cast<std::uint16_t>(value);
    } else {
        aim.exponentSteps = static_cast<std::int8_t>(value);
    }
    return aim;
}

class MapDialogAimTest : public testing::MapDialogTestBase {
protected:
    void open(const ProfileRecord& record, std::int32_t templateId = IDD_MAP_360) {
        state = MapDialogState{};
        dialogs.endedDialogs.clear();
        writeConfig({record});
        setIni(kCountKey, "1");
        dialogs.addMapDialog(dialog, templateId);
        dialogs.onCommand = [this](WindowHandle, std::int32_t id, std::uint32_t code) {
            onMapCommand(state, env, id, code);
        };
        EXPECT_TRUE(initMapDialog(state, env, dialog, templateId, 0));
    }
    void click(std::int32_t id) { dialogs.clickRadio(dialog, id); }
    void confirm() {
        dialogs.focusOn(dialog, IDC_CONFIRM);
        onMapCommand(state, env, IDC_CONFIRM, 0);
    }
    AimSettings editedAim() const { return readAimSettings(state.record); }
};

// One bar action on a stored value: the value it stores, its label and the bar position.
struct BarCase {
    std::int32_t barId;
    std::int32_t start;
    std::uint32_t request;
    std::int32_t trackPos; // for the thumb requests
    std::int32_t stored;
    const char* label;
    std::int32_t position;
};

TEST_F(MapDialogAimTest, BarActionsStoreGridValuesWithinTheRangeAndLeaveOthersAsStored) {
    constexpr std::int32_t kDead = IDC_MAP_AIM_DEAD_ZONE;
    constexpr std::int32_t kExp = IDC_MAP_AIM_EXPONENT;
    const BarCase cases[] = {
        // A finer dead zone moves to the next grid point in the direction, and stays as
        // stored for requests that move nothing.
        {kDead, 2395, kSbLineRight, 0, 2400, "24.0 %", 48},
        {kDead, 2395, kSbLineLeft, 0, 2350, "23.5 %", 47},
        {kDead, 2395, kSbPageLeft, 0, 1900, "19.0 %", 38},
        {kDead, 2395, kSbEndScroll, 0, 2395, "23.95 %", 48},
        {kDead, 2395, kSbThumbPosition, 48, 2395, "23.95 %", 48},
        {kDead, 2400, kSbLineRight, 0, 2450, "24.5 %", 49},
        {kDead, 2400, kSbThumbTrack, 37, 1850, "18.5 %", 37},
        {kDead, 0, kSbLineLeft, 0, 0, "0.0 %", 0},
        {kDead, 8800, kSbPageRight, 0, 9000, "90.0 %", 180},
        {kDead, 9500, kSbLineLeft, 0, 9000, "90.0 %", 180},
        {kDead, 1000, kSbLeft, 0, 0, "0.0 %", 0},
        {kDead, 1000, kSbRight, 0, 9000, "90.0 %", 180},
        {kExp, 0, kSbLineRight, 0, 1, "1.05", 1},
        {kExp, 0, kSbPageLeft, 0, -10, "0.50", -10},
        {kExp, -15, kSbLineLeft, 0, -15, "0.25", -15},
        {kExp, 55, kSbPageRight, 0, 60, "4.00", 60},
        {kExp, 100, kSbLineLeft, 0, 60, "4.00", 60},
        {kExp, -128, kSbEndScroll, 0, -128, "-5.40", -15},
        {kExp, 20, kSbThumbTrack, -3, -3, "0.85", -3},
    };
    // The other bar holds a value no step of its own makes, so a write to it would show.
    const AimSettings others{AimMode::precise, AimShape::square, 1234, 7};
    for (const BarCase& c : cases) {
        SCOPED_TRACE("bar " + std::to_string(c.barId) + " from " + std::to_string(c.start) +
                     ", request " + std::to_string(c.request));
        open(recordWithAim(withBarValue(others, c.barId, c.start)));
        dialogs.dragThumb(dialog, c.barId, c.trackPos);
        scroll(c.barId, c.request);

        EXPECT_EQ(editedAim(), withBarValue(others, c.barId, c.stored));
        EXPECT_EQ(
            control(c.barId == kDead ? IDC_MAP_AIM_DEAD_ZONE_VALUE : IDC_MAP_AIM_EXPONENT_VALUE)
                .text,
            c.label);
        EXPECT_EQ(control(c.barId).scroll.pos, c.position);
    }
}

TEST_F(MapDialogAimTest, ModeAndShapeButtonsChangeTheirBitOnlyAndClassicDisablesTheRest) {
    open(recordWithAim({AimMode::classic, AimShape::square, 2395, -7}));
    const auto preciseControlsEnabled = [this](bool enabled) {
        // Every control of the group after the mode buttons.
        for (std::int32_t id = IDC_MAP_AIM_DEAD_ZONE_LABEL; id <= IDC_MAP_AIM_EXPONENT; ++id) {
            EXPECT_EQ(control(id).enabled, enabled) << "control " << id;
        }
        EXPECT_TRUE(control(IDC_MAP_AIM_CLASSIC).enabled && control(IDC_MAP_ZOOM_X).enabled);
        EXPECT_EQ(control(IDC_MAP_ZOOM_TITLE).text, enabled ? "Sensitivity" : "Zoom Scale");
    };
    EXPECT_EQ(control(IDC_MAP_AIM_CLASSIC).check, kBstChecked);
    EXPECT_EQ(control(IDC_MAP_AIM_SQUARE).check, kBstChecked);
    preciseControlsEnabled(false);

    click(IDC_MAP_AIM_PRECISE);
    EXPECT_EQ(editedAim(), (AimSettings{AimMode::precise, AimShape::square, 2395, -7}));
    preciseControlsEnabled(true);
    click(IDC_MAP_AIM_CIRCLE);
    EXPECT_EQ(editedAim(), (AimSettings{AimMode::precise, AimShape::circle, 2395, -7}));
    click(IDC_MAP_AIM_CLASSIC);
    EXPECT_EQ(editedAim(), (AimSettings{AimMode::classic, AimShape::circle, 2395, -7}));
    preciseControlsEnabled(false);
    // Other notifications of the buttons are the dialog system's.
    EXPECT_FALSE(onMapCommand(state, env, IDC_MAP_AIM_SQUARE, kEnChange));
    EXPECT_EQ(editedAim().shape, AimShape::circle);
}

// Whatever the aim bytes hold, a profile opened and confirmed without a touch of the group
// is written back as it was, in both templates.
TEST_F(MapDialogAimTest, AnUntouchedGroupKeepsTheRecordByteForByteInBothTemplates) {
    const ProfileRecord records[] = {
        testing::namedRecord("classic"),
        recordWithAim({AimMode::classic, AimShape::square, 2395, 12}),
        recordWithAim({AimMode::classic, AimShape::circle, 15450, -98}), // 154.50 %, -3.90
        recordWithAim({AimMode::precise, AimShape::circle, 16383, -128}),
    };
    for (const std::int32_t templateId : {IDD_MAP_360, IDD_MAP_PS3}) {
        mode = templateId == IDD_MAP_PS3 ? kConsolePs3 : kConsoleXbox360;
        for (const ProfileRecord& record : records) {
            const AimSettings aim = readAimSettings(record);
            SCOPED_TRACE(std::to_string(templateId) + ", dead zone " +
                         std::to_string(aim.deadZoneHundredths));
            open(record, templateId);
            const bool precise = aim.mode == AimMode::precise;
            EXPECT_EQ(control(IDC_MAP_AIM_PRECISE).check, precise ? kBstChecked : kBstUnchecked);
            EXPECT_EQ(control(IDC_MAP_AIM_CLASSIC).check, precise ? kBstUnchecked : kBstChecked);
            EXPECT_EQ(control(IDC_MAP_AIM_DEAD_ZONE_VALUE).text,
                      deadZoneLabel(aim.deadZoneHundredths).data());
            confirm();
            ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
            EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogConfirmed);
            EXPECT_EQ(config(), testing::bytesOf(record));
            destroyMapDialog(state, env);
        }
    }
}

TEST_F(MapDialogAimTest, ConfirmWritesTheGroupThroughTheStoreAndCancelForgetsIt) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "Cancel" : "Confirm");
        const ProfileRecord record = testing::namedRecord("classic");
        open(record);
        click(IDC_MAP_AIM_PRECISE);
        click(IDC_MAP_AIM_SQUARE);
        scroll(IDC_MAP_AIM_DEAD_ZONE, kSbPageRight);
        scroll(IDC_MAP_AIM_EXPONENT, kSbLineLeft);
        onMapCommand(state, env, cancel ? IDC_CANCEL : IDC_CONFIRM, 0);

        ProfileRecord expected = record;
        if (!cancel) {
            // Aim word 0x8000 | 0x4000 | 500 (5 %), little-endian; exponent -1 (0.95).
            expected.bytes[profile::aimWord] = 0xF4;
            expected.bytes[profile::aimWord + 1] = 0xC1;
            expected.bytes[profile::aimExponent] = 0xFF;
        }
        EXPECT_EQ(config(), testing::bytesOf(expected));
        destroyMapDialog(state, env);
    }
}

} // namespace
} // namespace qora
