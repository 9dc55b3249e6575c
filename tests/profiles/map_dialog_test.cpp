#include "profiles/map_dialog.h"

#include "fakes/fake_direct_input.h"
#include "input/device_slot.h"
#include "input/keyboard_device.h"
#include "layered_store.h"
#include "map_dialog_fixture.h"
#include "profiles/map_dialog_zoom.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace qora {
namespace {

using testing::ControlKind;
using testing::namedRecord;
using testing::patternedRecord;

constexpr std::uint8_t kKeyA = 0x1E;
constexpr std::uint8_t kKeyS = 0x1F;
constexpr std::uint8_t kKeyD = 0x20;
constexpr std::uint8_t kNamelessKey = 0x54;

constexpr std::size_t kLeftStickLeftByte = 70;        // primary key of ActionCode 6
constexpr std::size_t kFirstTiltKeyByte = 89;         // primary keys of ActionCodes 25 ... 28
constexpr std::size_t kFirstSecondaryFieldByte = 105; // secondary key of ActionCode 12

class MapDialogTest : public testing::MapDialogTestBase {
protected:
    // COUNT records in config.bin and in setting.ini.
    void storeProfiles(const std::vector<ProfileRecord>& records) {
        writeConfig(records);
        setIni(kCountKey, std::to_string(records.size()));
    }

    void open(std::int32_t templateId, std::int32_t profileIndex) {
        dialogs.addMapDialog(dialog, templateId);
        dialogs.onCommand = [this](WindowHandle window, std::int32_t id, std::uint32_t code) {
            ASSERT_EQ(window, dialog);
            onMapCommand(state, env, id, code);
        };
        EXPECT_TRUE(initMapDialog(state, env, dialog, templateId, profileIndex));
    }

    void focusOn(std::int32_t id) { dialogs.focusOn(dialog, id); }
    const std::string& text(std::int32_t id) { return dialogs.control(dialog, id).text; }
    std::uint8_t editedByte(std::size_t offset) const { return state.record.bytes[offset]; }

    std::int32_t barPosition(std::int32_t barId) {
        return dialogs.control(dialog, barId).scroll.pos;
    }

    // A click on Confirm: the button takes the focus, then sends command 1.
    void confirm() {
        focusOn(IDC_CONFIRM);
        onMapCommand(state, env, IDC_CONFIRM, 0);
    }
};

// ---- Opening ----------------------------------------------------------------------------

TEST_F(MapDialogTest, OpenShowsTheNameOfEveryBoundKey) {
    mode = kConsolePs3;
    ProfileRecord record = namedRecord("Racing");
    record.bytes[profile::primaryKeys + 0] = 0xC8;  // UP
    record.bytes[profile::primaryKeys + 6] = kKeyA; // left stick left
    record.bytes[profile::primaryKeys + 28] = 0x39; // tilt right: SPACE
    record.bytes[profile::secondaryKeys + 12] = kKeyS;
    record.bytes[profile::secondaryKeys + 23] = 0x1C; // START: L ENTER
    storeProfiles({namedRecord("first"), record});
    open(IDD_MAP_PS3, 1);

    EXPECT_EQ(text(IDC_MAP_DPAD_UP), "UP");
    EXPECT_EQ(text(IDC_MAP_LSTICK_LEFT), "A");
    EXPECT_EQ(text(IDC_MAP_TILT_RIGHT), "SPACE");
    EXPECT_EQ(text(IDC_MAP_BUTTON_Y_2ND), "S");
    EXPECT_EQ(text(IDC_MAP_START_2ND), "L ENTER");
    EXPECT_EQ(text(IDC_MAP_DPAD_DOWN), "");
    EXPECT_EQ(state.record, record);
}

TEST_F(MapDialogTest, OpenTakesTheKeyboardExclusivelyAndStartsTheFiftyMillisecondTimer) {
    storeProfiles({namedRecord("only")});
    open(IDD_MAP_360, 0);

    EXPECT_TRUE(keyboardExists(devices));
    ASSERT_EQ(directInput.cooperativeLevels.size(), 1u);
    EXPECT_EQ(directInput.cooperativeLevels[0].window, dialog);
    EXPECT_EQ(directInput.cooperativeLevels[0].flags, kDisclExclusive | kDisclForeground);
    EXPECT_EQ(user.calls.back(), "SetTimer 0 50");
}

TEST_F(MapDialogTest, DestroyStopsTheTimerReleasesTheKeyboardAndFreesTheStore) {
    storeProfiles({namedRecord("only")});
    open(IDD_MAP_360, 0);
    destroyMapDialog(state, env);

    EXPECT_EQ(user.calls.back(), "KillTimer 0");
    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_EQ(directInput.liveHandles(), 0u);
    EXPECT_TRUE(state.store.empty());
    EXPECT_TRUE(directInput.misuse.empty());
}

TEST_F(MapDialogTest, OpenWithoutAKeyboardStillWorksButCapturesNothing) {
    storeProfiles({namedRecord("only")});
    directInput.createDeviceResults.otherwise = kDierrInvalidParam;
    open(IDD_MAP_360, 0);

    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].caption, "Keyboard");
    focusOn(IDC_MAP_DPAD_UP);
    tickWithKeys({kKeyA});
    EXPECT_EQ(editedByte(profile::primaryKeys), 0);
    EXPECT_TRUE(directInput.stateReads.empty());
}

TEST_F(MapDialogTest, KeysWithoutANameAreClearedAtOpenWhereAFieldShowsThem) {
    ProfileRecord record = namedRecord("written elsewhere");
    record.bytes[profile::primaryKeys + 3] = kNamelessKey;
    record.bytes[profile::primaryKeys + 25] = kNamelessKey;   // tilt: no field in 140
    record.bytes[profile::secondaryKeys + 0] = kNamelessKey;  // no secondary field at all
    record.bytes[profile::secondaryKeys + 15] = kNamelessKey; // field 1283
    storeProfiles({record});
    open(IDD_MAP_360, 0);

    EXPECT_EQ(text(IDC_MAP_DPAD_RIGHT), "");
    EXPECT_EQ(editedByte(profile::primaryKeys + 3), 0);
    EXPECT_EQ(editedByte(profile::secondaryKeys + 15), 0);
    EXPECT_EQ(editedByte(profile::primaryKeys + 25), kNamelessKey);
    EXPECT_EQ(editedByte(profile::secondaryKeys + 0), kNamelessKey);

    confirm();
    const ProfileRecord stored = storedRecord(0);
    EXPECT_EQ(stored.bytes[profile::primaryKeys + 3], 0);
    EXPECT_EQ(stored.bytes[profile::secondaryKeys + 15], 0);
    EXPECT_EQ(stored.bytes[profile::primaryKeys + 25], kNamelessKey);
    EXPECT_EQ(stored.bytes[profile::secondaryKeys + 0], kNamelessKey);
}

TEST_F(MapDialogTest, Xbox360ListsHoldTheTwentyThreeActionsAndTwoDirections) {
    storeProfiles({namedRecord("x")});
    open(IDD_MAP_360, 0);
    const std::vector<std::string> actions = {
        "None", "Y",   "X",   "B",   "A",   "RC",  "RB",  "RT", "LC", "LB", "LT", "LAU",
        "LAD",  "LAL", "LAR", "RAU", "RAD", "RAL", "RAR", "DU", "DD", "DL", "DR"};
    for (const std::int32_t id : {1042, 1043, 1044, 1045, 1046, 1049, 1050}) {
        EXPECT_EQ(dialogs.control(dialog, id).items, actions) << "list " << id;
    }
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_DIRECTION).items,
              (std::vector<std::string>{"Left Stick", "Right Stick"}));
}

TEST_F(MapDialogTest, Ps3ListsHoldTheTwentySevenActionsAndThreeDirections) {
    mode = kConsolePs3;
    storeProfiles({namedRecord("p")});
    open(IDD_MAP_PS3, 0);
    const std::vector<std::string> actions = {
        "None", "A",   "[]",  "O",   "X",   "R3", "R2", "R1", "L3", "L2", "L1", "LAU", "LAD", "LAL",
        "LAR",  "RAU", "RAD", "RAL", "RAR", "DU", "DD", "DL", "DR", "TU", "TD", "TL",  "TR"};
    for (const std::int32_t id : {1042, 1043, 1044, 1045, 1046, 1049, 1050}) {
        EXPECT_EQ(dialogs.control(dialog, id).items, actions) << "list " << id;
    }
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_DIRECTION).items,
              (std::vector<std::string>{"Left Stick", "Right Stick", "TILT"}));
}

TEST_F(MapDialogTest, ListsCheckBoxesAndLabelsShowTheRecord) {
    mode = kConsolePs3;
    ProfileRecord record = namedRecord("mouse");
    const std::uint8_t bindings[10] = {4, 7, 26, 0, 11, 9, 9, 23, 1, 2};
    for (std::size_t i = 0; i < 10; ++i) {
        record.bytes[profile::mouseBindings + i] = bindings[i];
    }
    record.bytes[profile::invertFlags] = profile::kInvertY;
    writeZoomScale(record, profile::xZoomScale, 0.7f);
    writeZoomScale(record, profile::yZoomScale, 2.5f);
    storeProfiles({record});
    open(IDD_MAP_PS3, 0);

    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_LEFT).selection, 4);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_RIGHT).selection, 7);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_MIDDLE).selection, 26);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_BACKWARD).selection, 0);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_FORWARD).selection, 11);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_ROLL_UP).selection, 23);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_ROLL_DOWN).selection, 1);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_DIRECTION).selection, 2);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_INVERT_X).check, kBstUnchecked);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_INVERT_Y).check, kBstChecked);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "0.7");
    EXPECT_EQ(text(IDC_MAP_ZOOM_Y_VALUE), "2.5");
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 7);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_Y), 25);
}

TEST_F(MapDialogTest, EachBarIsSetUpWithOneCallCarryingRangePageAndPosition) {
    storeProfiles({namedRecord("bars")});
    open(IDD_MAP_360, 0);
    for (const std::int32_t id : {IDC_MAP_ZOOM_X, IDC_MAP_ZOOM_Y}) {
        const auto& sets = dialogs.control(dialog, id).scrollSets;
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_EQ(sets[0].mask, kSifRange | kSifPage | kSifPos | kSifTrackPos);
        EXPECT_EQ(sets[0].min, 5);
        EXPECT_EQ(sets[0].max, 50);
        EXPECT_EQ(sets[0].page, 0u);
        EXPECT_EQ(sets[0].pos, 10);
    }
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "1.0");
}

TEST_F(MapDialogTest, AMissingStoreOpensWithEmptyFieldsFirstItemsAndZeroScales) {
    setIni(kCountKey, "2");
    open(IDD_MAP_360, 1);

    EXPECT_EQ(text(IDC_MAP_DPAD_UP), "");
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_LEFT).selection, 0);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_DIRECTION).selection, 0);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_INVERT_X).check, kBstUnchecked);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "0.0");
    EXPECT_EQ(text(IDC_MAP_ZOOM_Y_VALUE), "0.0");
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 5);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_Y), 5);

    confirm();
    EXPECT_EQ(config().size(), 2 * kProfileRecordSize);
}

TEST_F(MapDialogTest, ScalesOutsideTheBarAreShownAsStoredWithTheBarAtTheNearerEnd) {
    ProfileRecord record = namedRecord("odd");
    writeZoomScale(record, profile::xZoomScale, 7.3f);
    writeZoomScale(record, profile::yZoomScale, -2.0f);
    storeProfiles({record});
    open(IDD_MAP_360, 0);

    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "7.3");
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 50);
    EXPECT_EQ(text(IDC_MAP_ZOOM_Y_VALUE), "-2.0");
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_Y), 5);
    // Untouched bars keep the stored scale.
    confirm();
    EXPECT_EQ(readZoomScale(storedRecord(0), profile::xZoomScale), 7.3f);
    EXPECT_EQ(readZoomScale(storedRecord(0), profile::yZoomScale), -2.0f);
}

TEST(ZoomPosition, ScalesBeyondAnyPositionStayOnTheirSideOfTheBar) {
    EXPECT_GT(zoomPositionOf(3.0e38f), kZoomMaxPosition);
    EXPECT_GT(zoomPositionOf(std::numeric_limits<float>::infinity()), kZoomMaxPosition);
    EXPECT_LT(zoomPositionOf(-std::numeric_limits<float>::infinity()), kZoomMinPosition);
    EXPECT_EQ(zoomPositionOf(std::numeric_limits<float>::quiet_NaN()), kZoomMinPosition);
}

TEST(ZoomPosition, TheScaleTimesTenIsRoundedToTheNearestPosition) {
    EXPECT_EQ(zoomPositionOf(0.7f), 7);
    EXPECT_EQ(zoomPositionOf(1.24f), 12);
    EXPECT_EQ(zoomPositionOf(1.26f), 13);
    EXPECT_EQ(zoomPositionOf(4.96f), 50);
}

TEST(ZoomLabel, ShowsOneDecimalWithALeadingDigit) {
    EXPECT_STREQ(formatZoomScale(0.5f).data(), "0.5");
    EXPECT_STREQ(formatZoomScale(5.0f).data(), "5.0");
    EXPECT_STREQ(formatZoomScale(zoomScaleAt(49)).data(), "4.9");
    // The largest float still fits the label buffer, cut rather than overrun.
    EXPECT_EQ(formatZoomScale(std::numeric_limits<float>::max())[0], '3');
}

// ---- Key capture ------------------------------------------------------------------------

TEST_F(MapDialogTest, APressedKeyGoesIntoTheFocusedFieldByteAndText) {
    storeProfiles({namedRecord("keys")});
    open(IDD_MAP_360, 0);
    focusOn(IDC_MAP_LSTICK_LEFT);
    tickWithKeys({kKeyA});
    EXPECT_EQ(editedByte(kLeftStickLeftByte), kKeyA);
    EXPECT_EQ(text(IDC_MAP_LSTICK_LEFT), "A");
}

TEST_F(MapDialogTest, WithSeveralKeysDownTheHighestScanCodeRemains) {
    storeProfiles({namedRecord("keys")});
    open(IDD_MAP_360, 0);
    focusOn(IDC_MAP_LSTICK_LEFT);
    tickWithKeys({kKeyA, kKeyS});
    EXPECT_EQ(editedByte(kLeftStickLeftByte), kKeyS);
    EXPECT_EQ(text(IDC_MAP_LSTICK_LEFT), "S");

    // A nameless key below a named one does not disturb it; above it, it wins and clears.
    tickWithKeys({kKeyD, 0x03});
    EXPECT_EQ(editedByte(kLeftStickLeftByte), kKeyD);
    tickWithKeys({kKeyD, kNamelessKey});
    EXPECT_EQ(editedByte(kLeftStickLeftByte), 0);
    EXPECT_EQ(text(IDC_MAP_LSTICK_LEFT), "");
}

TEST_F(MapDialogTest, SecondaryAndTiltFieldsWriteTheirOwnBytes) {
    mode = kConsolePs3;
    storeProfiles({namedRecord("keys")});
    open(IDD_MAP_PS3, 0);

    focusOn(IDC_MAP_BUTTON_Y_2ND);
    tickWithKeys({kKeyA});
    EXPECT_EQ(editedByte(kFirstSecondaryFieldByte), kKeyA);
    focusOn(IDC_MAP_START_2ND);
    tickWithKeys({kKeyS});
    EXPECT_EQ(editedByte(profile::secondaryKeys + 23), kKeyS);
    focusOn(IDC_MAP_TILT_UP);
    tickWithKeys({kKeyD});
    EXPECT_EQ(editedByte(kFirstTiltKeyByte), kKeyD);
    focusOn(IDC_MAP_TILT_RIGHT);
    tickWithKeys({0x39});
    EXPECT_EQ(editedByte(kFirstTiltKeyByte + 3), 0x39);
    EXPECT_EQ(text(IDC_MAP_TILT_RIGHT), "SPACE");
    // The primary key of the same buttons is left alone.
    EXPECT_EQ(editedByte(profile::primaryKeys + 12), 0);
}

TEST_F(MapDialogTest, AKeyWithoutANameCannotBeBound) {
    ProfileRecord record = namedRecord("keys");
    record.bytes[kLeftStickLeftByte] = kKeyA;
    storeProfiles({record});
    open(IDD_MAP_360, 0);
    focusOn(IDC_MAP_LSTICK_LEFT);
    tickWithKeys({kNamelessKey});
    EXPECT_EQ(editedByte(kLeftStickLeftByte), 0);
    EXPECT_EQ(text(IDC_MAP_LSTICK_LEFT), "");
}

// F11, Scroll Lock and the calibration keys are the run's own: a field keeps what it had,
// and the player is told once per press, whatever else is down.
TEST_F(MapDialogTest, KeysTheRunKeepsAreRefusedOncePerPress) {
    const std::uint8_t kScrollLock = 0x46;
    const std::uint8_t kF4 = 0x3E;
    const std::uint8_t kF10 = 0x44;
    const std::uint8_t kF11 = 0x57;
    const std::uint8_t kF12 = 0x58;      // starts a run on release, never read by one: bindable
    const std::uint8_t kPageUp = 0xC9;   // setting.ini's switch key
    const std::uint8_t kPageDown = 0xD1; // not one here: bindable
    struct Case {
        std::vector<std::uint8_t> down;
        std::uint8_t bound;  // what the field holds after the poll
        const char* message; // nullptr: no message
    };
    const Case cases[] = {
        {{kF11}, kKeyA, "F11 is kept for the capture run and cannot be bound"},
        {{kF11}, kKeyA, nullptr}, // still held: no second message
        {{}, kKeyA, nullptr},
        {{kScrollLock}, kKeyA, "SCROLL is kept for the capture run and cannot be bound"},
        {{kKeyS, kF4}, kKeyS, "F4 is kept for the capture run and cannot be bound"},
        {{kF10}, kKeyS, "F10 is kept for the capture run and cannot be bound"},
        {{kF12}, kF12, nullptr},
        {{kPageUp}, kF12, "PAGE UP is kept for the capture run and cannot be bound"},
        {{kPageDown}, kPageDown, nullptr},
    };
    ProfileRecord record = namedRecord("keys");
    record.bytes[kLeftStickLeftByte] = kKeyA;
    ini.writePrivateProfileString("SWITCH", "NEXT", "PAGE UP", paths.settingIni.c_str());
    storeProfiles({record});
    open(IDD_MAP_360, 0);
    focusOn(IDC_MAP_LSTICK_LEFT);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message ? test.message : "no message");
        user.messageBoxes.clear();
        tickWithKeys(test.down);
        EXPECT_EQ(editedByte(kLeftStickLeftByte), test.bound);
        ASSERT_EQ(user.messageBoxes.size(), test.message ? 1u : 0u);
        if (test.message) {
            EXPECT_EQ(user.messageBoxes[0].text, test.message);
        }
    }
}

TEST_F(MapDialogTest, FocusOnAnythingButAKeyFieldChangesNothing) {
    mode = kConsolePs3;
    storeProfiles({patternedRecord(3)});
    open(IDD_MAP_PS3, 0);
    const ProfileRecord before = state.record;
    for (const std::int32_t id : {IDC_MAP_MOUSE_LEFT, IDC_MAP_INVERT_X, IDC_MAP_ZOOM_Y, IDC_CONFIRM,
                                  IDC_MAP_ZOOM_X_VALUE}) {
        focusOn(id);
        tickWithKeys({kKeyA, kKeyS});
        EXPECT_EQ(state.record, before) << "focus on " << id;
    }
}

TEST_F(MapDialogTest, FocusOutsideTheDialogChangesNothing) {
    storeProfiles({patternedRecord(4)});
    open(IDD_MAP_360, 0);
    const ProfileRecord before = state.record;

    dialogs.focus = nullptr;
    tickWithKeys({kKeyA});
    EXPECT_EQ(state.record, before);

    // A control of another window that happens to carry a key field's id.
    WindowHandle const other = reinterpret_cast<WindowHandle>(0x1360);
    dialogs.add(other, IDC_MAP_LSTICK_LEFT, ControlKind::edit);
    dialogs.focusOn(other, IDC_MAP_LSTICK_LEFT);
    tickWithKeys({kKeyA});
    EXPECT_EQ(state.record, before);
}

TEST_F(MapDialogTest, ATickWithoutASnapshotCapturesNothing) {
    storeProfiles({namedRecord("keys")});
    open(IDD_MAP_360, 0);
    focusOn(IDC_MAP_DPAD_UP);
    directInput.getDeviceStateResults.next.push_back(kDierrNotAcquired);
    tickWithKeys({kKeyA});
    EXPECT_EQ(editedByte(profile::primaryKeys), 0);
    // The next tick reads again and captures.
    tickWithKeys({kKeyA});
    EXPECT_EQ(editedByte(profile::primaryKeys), kKeyA);
}

TEST_F(MapDialogTest, AKeyboardLentToTheCaptureRunIsLostWhileTheDialogIsOpen) {
    storeProfiles({namedRecord("keys")});
    // The capture run holds the one keyboard slot: opening the dialog takes it away.
    ASSERT_TRUE(openOrCloseKeyboard(directInput, user, devices, nullptr, 1));
    open(IDD_MAP_360, 0);
    EXPECT_FALSE(keyboardExists(devices));
    focusOn(IDC_MAP_DPAD_UP);
    tickWithKeys({kKeyA});
    EXPECT_EQ(editedByte(profile::primaryKeys), 0);
}

// ---- The clearing rule ------------------------------------------------------------------

TEST_F(MapDialogTest, TypingIntoAKeyFieldLeavesTheBindingAndEmptyingItClearsIt) {
    ProfileRecord record = namedRecord("typing");
    record.bytes[kFirstSecondaryFieldByte] = kKeyA;
    record.bytes[profile::primaryKeys + 1] = kKeyS;
    storeProfiles({record});
    open(IDD_MAP_360, 0);

    dialogs.type(dialog, IDC_MAP_BUTTON_Y_2ND, "letters");
    EXPECT_EQ(editedByte(kFirstSecondaryFieldByte), kKeyA);
    dialogs.type(dialog, IDC_MAP_BUTTON_Y_2ND, "a much longer text than fifteen");
    EXPECT_EQ(editedByte(kFirstSecondaryFieldByte), kKeyA);
    dialogs.type(dialog, IDC_MAP_BUTTON_Y_2ND, "");
    EXPECT_EQ(editedByte(kFirstSecondaryFieldByte), 0);

    dialogs.type(dialog, IDC_MAP_DPAD_DOWN, "");
    EXPECT_EQ(editedByte(profile::primaryKeys + 1), 0);
}

TEST_F(MapDialogTest, OtherNotificationsAndControlsAreLeftToTheDialogSystem) {
    ProfileRecord record = patternedRecord(9);
    storeProfiles({record});
    open(IDD_MAP_360, 0);
    const ProfileRecord before = state.record;
    EXPECT_FALSE(onMapCommand(state, env, IDC_MAP_MOUSE_LEFT, 1));
    EXPECT_FALSE(onMapCommand(state, env, IDC_MAP_INVERT_X, 0));
    // The tilt ids are no key fields in the Xbox 360 template.
    EXPECT_FALSE(onMapCommand(state, env, IDC_MAP_TILT_UP, kEnChange));
    EXPECT_EQ(state.record, before);
    EXPECT_TRUE(dialogs.endedDialogs.empty());
}

// ---- Zoom scale -------------------------------------------------------------------------

TEST_F(MapDialogTest, PageRightFromFortyFiveStopsAtFifty) {
    ProfileRecord record = namedRecord("zoom");
    writeZoomScale(record, profile::xZoomScale, 4.5f);
    storeProfiles({record});
    open(IDD_MAP_360, 0);
    ASSERT_EQ(barPosition(IDC_MAP_ZOOM_X), 45);

    scroll(IDC_MAP_ZOOM_X, kSbPageRight);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 50);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "5.0");
    EXPECT_EQ(readZoomScale(state.record, profile::xZoomScale), 5.0f);
    EXPECT_EQ(readZoomScale(state.record, profile::yZoomScale), 1.0f);
}

TEST_F(MapDialogTest, LineLeftAtTheMinimumStaysAndStoresHalf) {
    ProfileRecord record = namedRecord("zoom");
    writeZoomScale(record, profile::yZoomScale, 0.0f);
    storeProfiles({record});
    open(IDD_MAP_360, 0);
    EXPECT_EQ(text(IDC_MAP_ZOOM_Y_VALUE), "0.0");

    scroll(IDC_MAP_ZOOM_Y, kSbLineLeft);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_Y), 5);
    EXPECT_EQ(text(IDC_MAP_ZOOM_Y_VALUE), "0.5");
    EXPECT_EQ(readZoomScale(state.record, profile::yZoomScale), 0.5f);
    EXPECT_EQ(readZoomScale(state.record, profile::xZoomScale), 1.0f);
}

TEST_F(MapDialogTest, LineAndPageStepsMoveByOneAndTen) {
    storeProfiles({namedRecord("zoom")});
    open(IDD_MAP_360, 0);
    scroll(IDC_MAP_ZOOM_X, kSbLineRight);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 11);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "1.1");
    scroll(IDC_MAP_ZOOM_X, kSbPageRight);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 21);
    scroll(IDC_MAP_ZOOM_X, kSbPageLeft);
    scroll(IDC_MAP_ZOOM_X, kSbPageLeft);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 5);
    EXPECT_EQ(readZoomScale(state.record, profile::xZoomScale), 0.5f);
    scroll(IDC_MAP_ZOOM_X, kSbEndScroll);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 5);
}

TEST_F(MapDialogTest, DraggingTheThumbStoresTheScaleAtEveryMove) {
    storeProfiles({namedRecord("zoom")});
    open(IDD_MAP_360, 0);

    dialogs.dragThumb(dialog, IDC_MAP_ZOOM_X, 12);
    scroll(IDC_MAP_ZOOM_X, kSbThumbTrack);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "1.2");
    EXPECT_EQ(readZoomScale(state.record, profile::xZoomScale), 1.2f);

    dialogs.dragThumb(dialog, IDC_MAP_ZOOM_X, 33);
    scroll(IDC_MAP_ZOOM_X, kSbThumbTrack);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "3.3");

    dialogs.dragThumb(dialog, IDC_MAP_ZOOM_X, 7);
    scroll(IDC_MAP_ZOOM_X, kSbThumbPosition);
    EXPECT_EQ(barPosition(IDC_MAP_ZOOM_X), 7);
    EXPECT_EQ(text(IDC_MAP_ZOOM_X_VALUE), "0.7");
    EXPECT_EQ(readZoomScale(state.record, profile::xZoomScale), 0.7f);
}

TEST_F(MapDialogTest, ScrollMessagesFromOtherWindowsAreIgnored) {
    storeProfiles({patternedRecord(2)});
    open(IDD_MAP_360, 0);
    const ProfileRecord before = state.record;
    onMapScroll(state, env, nullptr, kSbPageRight);
    EXPECT_EQ(state.record, before);
}

// ---- Confirm and Cancel -----------------------------------------------------------------

TEST_F(MapDialogTest, ConfirmEndsWithOneAndRewritesEveryRecordOfTheStore) {
    const std::vector<ProfileRecord> records = {namedRecord("a"), namedRecord("b"),
                                                namedRecord("c")};
    storeProfiles(records);
    open(IDD_MAP_360, 1);
    focusOn(IDC_MAP_DPAD_LEFT);
    tickWithKeys({kKeyA});
    confirm();

    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogConfirmed);
    EXPECT_EQ(storedRecord(0), records[0]);
    EXPECT_EQ(storedRecord(2), records[2]);
    EXPECT_EQ(storedRecord(1).bytes[profile::primaryKeys + 2], kKeyA);
    EXPECT_EQ(config().size(), 3 * kProfileRecordSize);
}

TEST_F(MapDialogTest, ConfirmZeroesTheUnlistedButtonsAndWrites255ForEmptyLists) {
    ProfileRecord record = namedRecord("untouched");
    record.bytes[profile::mouseBindings + 5] = 9;
    record.bytes[profile::mouseBindings + 6] = 4;
    record.bytes[profile::mouseBindings + 0] = 25; // "TL": no such item for the Xbox 360
    record.bytes[profile::mouseBindings + 8] = 22;
    storeProfiles({record});
    open(IDD_MAP_360, 0);
    confirm();

    const ProfileRecord stored = storedRecord(0);
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 5], 0);
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 6], 0);
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 0], 255);
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 8], 22);
}

TEST_F(MapDialogTest, APs3ProfileInXbox360ModeKeepsTiltKeysAndLosesTiltMouseItems) {
    ProfileRecord record = namedRecord("from the PS3");
    for (std::size_t k = 0; k < 4; ++k) {
        record.bytes[kFirstTiltKeyByte + k] = static_cast<std::uint8_t>(kKeyA + k);
    }
    record.bytes[profile::mouseBindings + 1] = 23;
    record.bytes[profile::mouseBindings + 7] = 26;
    record.bytes[profile::direction] = profile::kDirectionTilt;
    storeProfiles({record});
    open(IDD_MAP_360, 0);

    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_RIGHT).selection, -1);
    EXPECT_EQ(dialogs.control(dialog, IDC_MAP_MOUSE_DIRECTION).selection, -1);
    confirm();
    const ProfileRecord stored = storedRecord(0);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(stored.bytes[kFirstTiltKeyByte + k], kKeyA + k);
    }
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 1], 255);
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 7], 255);
    EXPECT_EQ(stored.bytes[profile::direction], 255);
}

TEST_F(MapDialogTest, ConfirmTakesListsAndInvertBitsAndKeepsTheOtherSixBits) {
    mode = kConsolePs3;
    ProfileRecord record = namedRecord("flags");
    record.bytes[profile::invertFlags] = 0xF6; // Y set, X clear, stray high bits
    storeProfiles({record});
    open(IDD_MAP_PS3, 0);

    dialogs.control(dialog, IDC_MAP_INVERT_X).check = kBstChecked;
    dialogs.control(dialog, IDC_MAP_INVERT_Y).check = kBstUnchecked;
    dialogs.selectItem(dialog, IDC_MAP_MOUSE_FORWARD, 26);
    dialogs.selectItem(dialog, IDC_MAP_MOUSE_DIRECTION, 2);
    confirm();

    const ProfileRecord stored = storedRecord(0);
    EXPECT_EQ(stored.bytes[profile::invertFlags], 0xF5);
    EXPECT_EQ(stored.bytes[profile::mouseBindings + 4], 26);
    EXPECT_EQ(stored.bytes[profile::direction], 2);
}

TEST_F(MapDialogTest, EnterInAKeyFieldIsBoundInsteadOfConfirming) {
    const std::vector<ProfileRecord> records = {namedRecord("enter")};
    storeProfiles(records);
    const std::string before = config();
    open(IDD_MAP_360, 0);
    focusOn(IDC_MAP_BUTTON_A);
    // The dialog system's command 1 for the Enter key, then the tick that sees the key.
    EXPECT_TRUE(onMapCommand(state, env, IDC_CONFIRM, 0));
    EXPECT_TRUE(dialogs.endedDialogs.empty());
    EXPECT_EQ(config(), before);
    tickWithKeys({0x1C});
    EXPECT_EQ(text(IDC_MAP_BUTTON_A), "L ENTER");

    confirm();
    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(storedRecord(0).bytes[profile::primaryKeys + 15], 0x1C);
}

TEST_F(MapDialogTest, CancelLeavesTheStoreByteForByte) {
    const std::vector<ProfileRecord> records = {patternedRecord(1), patternedRecord(2)};
    storeProfiles(records);
    const std::string before = config();
    open(IDD_MAP_360, 1);
    focusOn(IDC_MAP_BUTTON_A);
    tickWithKeys({kKeyA});
    scroll(IDC_MAP_ZOOM_X, kSbPageRight);
    dialogs.type(dialog, IDC_MAP_DPAD_UP, "");
    onMapCommand(state, env, IDC_CANCEL, 0);
    destroyMapDialog(state, env);

    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogCancelled);
    EXPECT_EQ(config(), before);
}

TEST_F(MapDialogTest, ConfirmAfterCountGrewKeepsTheRecordsBeyondTheBuffer) {
    const std::vector<ProfileRecord> records = {patternedRecord(1), patternedRecord(2),
                                                patternedRecord(3)};
    writeConfig(records);
    setIni(kCountKey, "2");
    open(IDD_MAP_360, 0);
    setIni(kCountKey, "3");
    confirm();

    EXPECT_EQ(config().size(), 3 * kProfileRecordSize);
    EXPECT_EQ(storedRecord(1), records[1]);
    EXPECT_EQ(storedRecord(2), records[2]);
}

TEST_F(MapDialogTest, ConfirmAfterCountShrankWritesOnlyCountRecords) {
    const std::vector<ProfileRecord> records = {patternedRecord(1), patternedRecord(2)};
    storeProfiles(records);
    open(IDD_MAP_360, 1);
    setIni(kCountKey, "1");
    confirm();
    EXPECT_EQ(config(), testing::bytesOf(records[0]));
}

TEST_F(MapDialogTest, AProfileIndexOutsideTheStoreIsNeverReadNorWritten) {
    for (const std::int32_t index : {2, 7, -1}) {
        SCOPED_TRACE(index);
        dialogs.endedDialogs.clear();
        const std::vector<ProfileRecord> records = {patternedRecord(1), patternedRecord(2)};
        storeProfiles(records);
        const std::string before = config();
        state = MapDialogState{};
        open(IDD_MAP_360, index);

        EXPECT_EQ(text(IDC_MAP_DPAD_UP), "");
        focusOn(IDC_MAP_DPAD_UP);
        tickWithKeys({kKeyA});
        scroll(IDC_MAP_ZOOM_X, kSbLineRight);
        confirm();
        EXPECT_EQ(config(), before);
        ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
        EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogCancelled);
        destroyMapDialog(state, env);
    }
}

// ---- Files that cannot be read or written -----------------------------------------------

TEST_F(MapDialogTest, AStoreThatCannotBeReadIsNotOpened) {
    storeProfiles({namedRecord("a")});
    const std::string before = config();
    files.openStoreError = EACCES;
    open(IDD_MAP_360, 0);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].text, "config.bin cannot be read: access denied");
    EXPECT_EQ(user.messageBoxes[0].owner, dialog);
    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogCancelled);
    EXPECT_FALSE(keyboardExists(devices));
    EXPECT_EQ(std::count(user.calls.begin(), user.calls.end(), "SetTimer 0 50"), 0);

    // A Confirm that still reaches the ended dialog, once the file reads again, must not
    // write the zeros of the failed read.
    files.clear();
    confirm();
    EXPECT_EQ(config(), before);
}

// The files change under the open dialog. A Confirm that cannot save says why and keeps
// the dialog open with the edits; once the file is back, Confirm saves them. Cancel always
// closes and writes nothing.
TEST_F(MapDialogTest, ConfirmThatCannotSaveSaysWhyAndKeepsTheEditsForARetry) {
    using Restrict =
        std::function<void(testing::RestrictedFileApi&, testing::RestrictedProfileFile&)>;
    const char* const unreadable = "config.bin cannot be read: access denied";
    const char* const unwritable = "config.bin cannot be written: access denied";
    const std::pair<Restrict, const char*> conditions[] = {
        {[](auto& f, auto&) { f.storeReadOnly = true; }, unwritable},
        {[](auto& f, auto&) { f.openStoreError = EACCES; }, unreadable},
        {[](auto& f, auto&) {
             f.openStoreError = EACCES;
             f.replaceStoreError = EACCES;
         },
         unreadable},
        {[](auto& f, auto&) {
             f.openStoreError = EBUSY;
             f.replaceStoreError = EBUSY;
         },
         "config.bin cannot be read: in use by another program"},
        {[](auto& f, auto&) { f.createTemporaryError = EACCES; }, unwritable},
        {[](auto& f, auto&) { f.writeError = ENOSPC; }, "config.bin cannot be written: disk full"},
        {[](auto&, auto& i) { i.readOnly = true; }, ""}, // the Map dialog writes no ini
        // Without layers.bin the profile's layers, if any, could not go with it.
        {[](auto& f, auto&) { f.openLayersError = EACCES; },
         "layers.bin cannot be read: access denied"},
    };
    const std::vector<ProfileRecord> records = {patternedRecord(1), patternedRecord(2)};
    constexpr std::size_t kDpadLeftByte = profile::primaryKeys + 2;
    for (const auto& [restrict, message] : conditions) {
        for (const bool cancel : {false, true}) {
            SCOPED_TRACE(std::string(message) + (cancel ? ", Cancel" : ", Confirm"));
            files.clear();
            ini.readOnly = false;
            storeProfiles(records);
            const std::string before = config();
            state = MapDialogState{};
            dialogs.endedDialogs.clear();
            user.messageBoxes.clear();
            open(IDD_MAP_360, 1);
            focusOn(IDC_MAP_DPAD_LEFT);
            tickWithKeys({kKeyA});
            restrict(files, ini);

            if (cancel) {
                onMapCommand(state, env, IDC_CANCEL, 0);
                EXPECT_TRUE(user.messageBoxes.empty());
                EXPECT_EQ(config(), before);
            } else if (*message != '\0') {
                confirm();
                ASSERT_EQ(user.messageBoxes.size(), 1u);
                EXPECT_EQ(user.messageBoxes[0].text, message);
                EXPECT_EQ(user.messageBoxes[0].caption, "Warning");
                EXPECT_TRUE(dialogs.endedDialogs.empty());
                EXPECT_EQ(config(), before);
                EXPECT_EQ(editedByte(kDpadLeftByte), kKeyA);
                files.clear();
                confirm();
            } else {
                confirm();
                EXPECT_TRUE(user.messageBoxes.empty());
            }
            ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
            EXPECT_EQ(dialogs.endedDialogs[0].result,
                      cancel ? kMapDialogCancelled : kMapDialogConfirmed);
            EXPECT_EQ(storedRecord(1).bytes[kDpadLeftByte],
                      cancel ? records[1].bytes[kDpadLeftByte] : kKeyA);
            EXPECT_EQ(storedRecord(0), records[0]);
            destroyMapDialog(state, env);
        }
    }
}

// ---- Layers -----------------------------------------------------------------------------

class MapDialogLayersTest : public MapDialogTest {
protected:
    void storeLayered(const std::vector<LayeredProfile>& profiles) {
        std::vector<ProfileRecord> records;
        for (const LayeredProfile& profile : profiles) {
            records.push_back(profile.base);
        }
        storeProfiles(records);
        dir.write("layers.bin", testing::layersFileOf(profiles));
    }
    // Binds A to the D-pad's left in the open dialog.
    void bindDpadLeft() {
        focusOn(IDC_MAP_DPAD_LEFT);
        tickWithKeys({kKeyA});
    }
    // The record Confirm stored at index, which must hold the binding; the Confirm also
    // takes the lists' positions into the record.
    ProfileRecord savedRecord(std::size_t index) {
        const ProfileRecord saved = storedRecord(index);
        EXPECT_EQ(saved.bytes[profile::primaryKeys + 2], kKeyA);
        return saved;
    }

    const LayeredProfile a{patternedRecord(1), testing::layersNamed({"ADS"})};
    const LayeredProfile b{patternedRecord(2), {}};
    const LayeredProfile c{patternedRecord(3), testing::layersNamed({"car", "map"})};
};

// The edited profile keeps its layers under its new bytes; every other keeps its own.
TEST_F(MapDialogLayersTest, ConfirmKeepsEveryProfilesLayersWithIt) {
    for (const std::int32_t index : {0, 1}) {
        SCOPED_TRACE(index);
        storeLayered({a, b, c});
        state = MapDialogState{};
        dialogs.endedDialogs.clear();
        open(IDD_MAP_360, index);
        bindDpadLeft();
        confirm();
        std::vector<LayeredProfile> after = {a, b, c};
        after[static_cast<std::size_t>(index)].base = savedRecord(static_cast<std::size_t>(index));

        ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
        EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogConfirmed);
        EXPECT_EQ(testing::storedProfiles(paths), after);
        EXPECT_EQ(dir.read("layers.bin"), testing::layersFileOf(after));
        destroyMapDialog(state, env);
    }
}

// A layers.bin that cannot be used at open: the dialog says so and ends, as for config.bin.
TEST_F(MapDialogLayersTest, AStoreWhoseLayersCannotBeReadIsNotOpened) {
    const std::pair<std::function<void()>, const char*> conditions[] = {
        {[this] { files.openLayersError = EBUSY; },
         "layers.bin cannot be read: in use by another program"},
        {[this] {
             std::string bytes = dir.read("layers.bin");
             bytes.back() ^= 0x01;
             dir.write("layers.bin", bytes);
         },
         "layers.bin is damaged: its check sum does not match"},
    };
    for (const auto& [condition, message] : conditions) {
        SCOPED_TRACE(message);
        files.clear();
        storeLayered({a, b, c});
        condition();
        const std::string before = config();
        state = MapDialogState{};
        dialogs.endedDialogs.clear();
        user.messageBoxes.clear();
        open(IDD_MAP_360, 0);
        ASSERT_EQ(user.messageBoxes.size(), 1u);
        EXPECT_EQ(user.messageBoxes[0].text, message);
        ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
        EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogCancelled);
        files.clear();
        confirm(); // reaches the ended dialog: writes nothing
        EXPECT_EQ(config(), before);
        destroyMapDialog(state, env);
    }
}

} // namespace
} // namespace qora
