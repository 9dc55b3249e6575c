#include "profiles/map_dialog_layers.h"

#include "fakes/fake_direct_input.h"
#include "formats/layer_record.h"
#include "input/device_slot.h"
#include "input/keyboard_device.h"
#include "layered_store.h"
#include "map_dialog_fixture.h"
#include "profiles/map_dialog.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::ControlKind;
using testing::namedRecord;

constexpr std::uint8_t kKeyA = 0x1E;
constexpr std::uint8_t kKeyS = 0x1F;
constexpr std::uint8_t kKeyD = 0x20;
constexpr std::uint8_t kKeyE = 0x12;
constexpr std::uint8_t kKeyUp = 0xC8;
constexpr std::uint8_t kCapsLock = 0x3A;
constexpr std::uint8_t kF11 = 0x57;
constexpr std::uint8_t kPageUp = 0xC9;
constexpr std::uint8_t kNamelessKey = 0x54;

constexpr unsigned kDpadLeft = 2;
constexpr unsigned kButtonY = 12;
constexpr unsigned kButtonA = 15;

// The base the tests edit: bindings in every kind of field, precise aim.
ProfileRecord shooterBase() {
    ProfileRecord base = namedRecord("shooter");
    base.bytes[profile::primaryKeys + 0] = kKeyUp;
    base.bytes[profile::primaryKeys + kDpadLeft] = kKeyA;
    base.bytes[profile::primaryKeys + kButtonY] = kKeyE;
    base.bytes[profile::primaryKeys + kButtonA] = kKeyS;
    base.bytes[profile::secondaryKeys + kButtonA] = kKeyD;
    base.bytes[profile::mouseBindings + 0] = 4;
    base.bytes[profile::mouseBindings + 1] = 3;
    base.bytes[profile::direction] = profile::kDirectionRightStick;
    base.bytes[profile::invertFlags] = profile::kInvertY;
    writeZoomScale(base, profile::yZoomScale, 2.5f);
    AimSettings aim;
    aim.mode = AimMode::precise;
    writeAimSettings(base, aim);
    return base;
}

// "ADS" on the right mouse button after 150 ms: S on the D-pad's left, D as Y's second key
// (and no first), the right button on item 7, X inverted (and Y not), X sensitivity 0.5.
LayerRecord adsLayer() {
    LayerRecord layer;
    setLayerName(layer, "ADS");
    layer.trigger = {TriggerSource::mouseButton, 1};
    layer.delayMs = 150;
    ProfileRecord from;
    from.bytes[profile::primaryKeys + kDpadLeft] = kKeyS;
    from.bytes[profile::secondaryKeys + kButtonY] = kKeyD;
    from.bytes[profile::mouseBindings + 1] = 7;
    from.bytes[profile::invertFlags] = profile::kInvertX;
    writeZoomScale(from, profile::xZoomScale, 0.5f);
    for (const unsigned change :
         {layer_change::firstAction + kDpadLeft, layer_change::firstAction + kButtonY,
          layer_change::firstMouseBinding + 1, layer_change::invert, layer_change::zoomX}) {
        takeChange(layer, change, from);
    }
    return layer;
}

// A layer that changes nothing yet, held on CAPS LOCK.
LayerRecord emptyLayer(const char* name) {
    LayerRecord layer;
    setLayerName(layer, name);
    layer.trigger = {TriggerSource::key, kCapsLock};
    return layer;
}

class MapDialogLayerTest : public testing::MapDialogTestBase {
protected:
    void store(const std::vector<LayeredProfile>& profiles) {
        std::vector<ProfileRecord> records;
        for (const LayeredProfile& profile : profiles) {
            records.push_back(profile.base);
        }
        writeConfig(records);
        setIni(kCountKey, std::to_string(records.size()));
        const std::string layers = testing::layersFileOf(profiles);
        std::filesystem::remove(dir.file("layers.bin"));
        if (!layers.empty()) {
            dir.write("layers.bin", layers);
        }
    }

    void open(std::int32_t profileIndex = 0) {
        destroyMapDialog(state, env);
        state = MapDialogState{};
        dialogs.endedDialogs.clear();
        user.messageBoxes.clear();
        dialogs.addMapDialog(dialog, IDD_MAP_360);
        dialogs.onCommand = [this](WindowHandle window, std::int32_t id, std::uint32_t code) {
            ASSERT_EQ(window, dialog);
            onMapCommand(state, env, id, code);
        };
        EXPECT_TRUE(initMapDialog(state, env, dialog, IDD_MAP_360, profileIndex));
    }
    // The base and one layer, which is shown.
    void openOnLayer(const LayerRecord& layer) {
        store({{base, {{layer}, {}}}});
        open();
        choose(0);
        ASSERT_EQ(state.shownLayer, 0);
    }

    // -1 the base, else a layer.
    void choose(std::int32_t part) { dialogs.chooseItem(dialog, IDC_MAP_LAYER_LIST, part + 1); }
    // A key pressed in a key field, as the player binds it.
    void press(std::int32_t field, std::uint8_t code) {
        dialogs.focusOn(dialog, field);
        tickWithKeys({code});
        tickWithKeys({});
    }
    void click(std::int32_t id) { dialogs.clickButton(dialog, id); }
    void confirm() { click(IDC_CONFIRM); }

    // What a control shows, whatever its kind.
    std::string shown(std::int32_t id) {
        const testing::FakeControl& shownControl = control(id);
        switch (shownControl.kind) {
        case ControlKind::comboBox:
            return "item " + std::to_string(shownControl.selection);
        case ControlKind::checkBox:
        case ControlKind::radioButton:
            return shownControl.check == kBstChecked ? "checked" : "unchecked";
        default:
            return shownControl.text;
        }
    }
    std::vector<std::string> choices() { return control(IDC_MAP_LAYER_LIST).items; }
    LayerRecord& shownLayer() { return state.layers.layers.at(0); }
    std::string lastMessage() {
        return user.messageBoxes.empty() ? "" : user.messageBoxes.back().text;
    }

    const ProfileRecord base = shooterBase();
};

// ---- What a layer shows -------------------------------------------------------------------

// Each field shows the layer's own value where it has one and the base's, greyed, where it
// has none; both keys of an action, and both invert boxes, are one field. Base shows the
// base, nothing greyed, and disables what only a layer has.
TEST_F(MapDialogLayerTest, ALayerShowsItsOwnValuesAndTheBasesGreyed) {
    struct Case {
        std::int32_t id;
        const char* inLayer;
        bool greyed;
        const char* inBase;
    };
    const Case cases[] = {
        {IDC_MAP_DPAD_LEFT, "S", false, "A"},
        {IDC_MAP_DPAD_UP, "UP", true, "UP"},
        {IDC_MAP_BUTTON_Y, "", false, "E"},
        {IDC_MAP_BUTTON_Y_2ND, "D", false, ""},
        {IDC_MAP_BUTTON_A_2ND, "D", true, "D"},
        {IDC_MAP_MOUSE_LEFT, "item 4", true, "item 4"},
        {IDC_MAP_MOUSE_RIGHT, "item 7", false, "item 3"},
        {IDC_MAP_MOUSE_DIRECTION, "item 1", true, "item 1"},
        {IDC_MAP_INVERT_X, "checked", false, "unchecked"},
        {IDC_MAP_INVERT_Y, "unchecked", false, "checked"},
        {IDC_MAP_ZOOM_X_VALUE, "0.5", false, "1.0"},
        {IDC_MAP_ZOOM_Y_VALUE, "2.5", true, "2.5"},
        {IDC_MAP_AIM_PRECISE, "checked", true, "checked"},
        {IDC_MAP_LAYER_TRIGGER_SOURCE, "item 2", false, "item -1"},
        {IDC_MAP_LAYER_HELD, "checked", false, "unchecked"},
        {IDC_MAP_LAYER_DELAY, "150", false, ""},
        {IDC_MAP_LAYER_RELEASE_DELAY, "0", false, ""},
    };
    store({{base, {{adsLayer()}, {}}}});
    open();
    EXPECT_EQ(choices(), (std::vector<std::string>{"Base", "ADS"}));
    for (const bool inLayer : {true, false, true}) {
        SCOPED_TRACE(inLayer ? "ADS" : "Base");
        choose(inLayer ? 0 : -1);
        for (const Case& test : cases) {
            SCOPED_TRACE(test.id);
            EXPECT_EQ(shown(test.id), inLayer ? test.inLayer : test.inBase);
            EXPECT_EQ(controlShowsBase(state, test.id), inLayer && test.greyed);
        }
        for (const std::int32_t id : {IDC_MAP_LAYER_DELETE, IDC_MAP_LAYER_TRIGGER_SOURCE,
                                      IDC_MAP_LAYER_TRIGGER_KEY, IDC_MAP_LAYER_DELAY}) {
            EXPECT_EQ(control(id).enabled, inLayer) << id;
        }
    }
    EXPECT_EQ(state.record, base);
    EXPECT_EQ(state.layers.layers, std::vector<LayerRecord>{adsLayer()});
}

// ---- Editing and Use base -----------------------------------------------------------------

// Any edit of an inherited field makes it the layer's own with what the field then shows,
// and leaves the base alone; Use base gives that field back to the base.
TEST_F(MapDialogLayerTest, AnEditMakesAFieldTheLayersOwnAndUseBaseGivesItBack) {
    struct Case {
        const char* what;
        std::int32_t field;
        std::function<void()> edit;
        unsigned change;
        std::function<void(const ProfileRecord&)> check; // on what the layer makes
    };
    const Case cases[] = {
        {"a key pressed", IDC_MAP_DPAD_LEFT, [&] { press(IDC_MAP_DPAD_LEFT, kKeyD); },
         layer_change::firstAction + kDpadLeft,
         [](const ProfileRecord& made) { EXPECT_EQ(primaryKey(made, kDpadLeft), kKeyD); }},
        {"a key field emptied: the layer unbinds that key", IDC_MAP_BUTTON_A_2ND,
         [&] {
             dialogs.moveFocusTo(dialog, IDC_MAP_BUTTON_A_2ND);
             dialogs.type(dialog, IDC_MAP_BUTTON_A_2ND, "");
         },
         layer_change::firstAction + kButtonA,
         [](const ProfileRecord& made) {
             EXPECT_EQ(secondaryKey(made, kButtonA), 0);
             EXPECT_EQ(primaryKey(made, kButtonA), kKeyS);
         }},
        {"a mouse list", IDC_MAP_MOUSE_RIGHT,
         [&] {
             dialogs.moveFocusTo(dialog, IDC_MAP_MOUSE_RIGHT);
             dialogs.chooseItem(dialog, IDC_MAP_MOUSE_RIGHT, 9);
         },
         layer_change::firstMouseBinding + 1,
         [](const ProfileRecord& made) { EXPECT_EQ(mouseBinding(made, 1), 9); }},
        {"the Direction", IDC_MAP_MOUSE_DIRECTION,
         [&] { dialogs.chooseItem(dialog, IDC_MAP_MOUSE_DIRECTION, 0); }, layer_change::direction,
         [](const ProfileRecord& made) {
             EXPECT_EQ(made.bytes[profile::direction], profile::kDirectionLeftStick);
         }},
        {"an invert box", IDC_MAP_INVERT_X,
         [&] { dialogs.clickCheckBox(dialog, IDC_MAP_INVERT_X); }, layer_change::invert,
         [](const ProfileRecord& made) {
             EXPECT_EQ(made.bytes[profile::invertFlags], profile::kInvertX | profile::kInvertY);
         }},
        {"a zoom bar", IDC_MAP_ZOOM_Y, [&] { scroll(IDC_MAP_ZOOM_Y, kSbLineLeft); },
         layer_change::zoomY,
         [](const ProfileRecord& made) {
             EXPECT_EQ(readZoomScale(made, profile::yZoomScale), 2.4f);
         }},
        {"the aim mode", IDC_MAP_AIM_CLASSIC,
         [&] { dialogs.clickRadio(dialog, IDC_MAP_AIM_CLASSIC); }, layer_change::aim,
         [](const ProfileRecord& made) {
             EXPECT_EQ(readAimSettings(made).mode, AimMode::classic);
         }},
        {"the dead zone bar", IDC_MAP_AIM_DEAD_ZONE,
         [&] { scroll(IDC_MAP_AIM_DEAD_ZONE, kSbLineRight); }, layer_change::aim,
         [](const ProfileRecord& made) {
             EXPECT_EQ(readAimSettings(made).deadZoneHundredths, 50);
             EXPECT_EQ(readAimSettings(made).mode, AimMode::precise);
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        openOnLayer(emptyLayer("walk"));
        EXPECT_FALSE(control(IDC_MAP_LAYER_USE_BASE).enabled);
        EXPECT_TRUE(controlShowsBase(state, test.field));

        test.edit();
        EXPECT_EQ(shownLayer().changes, layer_change::bit(test.change));
        ProfileRecord made = base;
        applyLayer(made, shownLayer());
        test.check(made);
        EXPECT_EQ(state.layerView, made);
        EXPECT_EQ(state.record, base);
        EXPECT_FALSE(controlShowsBase(state, test.field));
        EXPECT_TRUE(control(IDC_MAP_LAYER_USE_BASE).enabled);

        click(IDC_MAP_LAYER_USE_BASE);
        EXPECT_EQ(shownLayer(), emptyLayer("walk"));
        EXPECT_EQ(state.layerView, base);
        EXPECT_TRUE(controlShowsBase(state, test.field));
        EXPECT_FALSE(control(IDC_MAP_LAYER_USE_BASE).enabled);
    }
}

// Use base acts on the field the player went to last (its focus, a click, a tick that
// finds the focus there), and only on one the layer owns.
TEST_F(MapDialogLayerTest, UseBaseGivesBackTheFieldVisitedLast) {
    openOnLayer(adsLayer());
    dialogs.moveFocusTo(dialog, IDC_MAP_MOUSE_LEFT); // inherited
    EXPECT_FALSE(control(IDC_MAP_LAYER_USE_BASE).enabled);
    click(IDC_MAP_LAYER_USE_BASE);
    EXPECT_EQ(shownLayer(), adsLayer());

    dialogs.focusOn(dialog, IDC_MAP_BUTTON_Y_2ND); // reached with Tab: no notification
    tickWithKeys({});
    EXPECT_TRUE(control(IDC_MAP_LAYER_USE_BASE).enabled);
    click(IDC_MAP_LAYER_USE_BASE);
    EXPECT_EQ(shownLayer().changes & layer_change::action(kButtonY), 0u);
    EXPECT_EQ(shown(IDC_MAP_BUTTON_Y), "E");
    EXPECT_EQ(shown(IDC_MAP_BUTTON_Y_2ND), "");

    dialogs.moveFocusTo(dialog, IDC_MAP_INVERT_Y);
    click(IDC_MAP_LAYER_USE_BASE);
    EXPECT_EQ(shown(IDC_MAP_INVERT_X), "unchecked");
    EXPECT_EQ(shown(IDC_MAP_INVERT_Y), "checked");
    // The other fields the layer owns keep their values.
    EXPECT_EQ(shownLayer().changes, layer_change::action(kDpadLeft) |
                                        layer_change::mouseBinding(1) |
                                        layer_change::bit(layer_change::zoomX));
    EXPECT_EQ(shown(IDC_MAP_DPAD_LEFT), "S");
    EXPECT_EQ(shown(IDC_MAP_ZOOM_X_VALUE), "0.5");
}

// ---- Trigger, kind and delays -------------------------------------------------------------

// The trigger is a key pressed in its field (never one the run keeps, nor a switch key) or a
// mouse button of the list; "Key" in the list, an emptied field or a nameless key leave none.
TEST_F(MapDialogLayerTest, TheTriggerIsAKeyOrAMouseButtonAndRefusesTheRunsKeys) {
    struct Step {
        const char* what;
        std::function<void()> act;
        LayerTrigger trigger;
        const char* list;
        const char* field;
        const char* message; // nullptr: none
    };
    const LayerTrigger none{};
    const LayerTrigger keyA{TriggerSource::key, kKeyA};
    const Step steps[] = {
        {"A pressed", [&] { press(IDC_MAP_LAYER_TRIGGER_KEY, kKeyA); }, keyA, "item 0", "A",
         nullptr},
        {"F11 pressed", [&] { press(IDC_MAP_LAYER_TRIGGER_KEY, kF11); }, keyA, "item 0", "A",
         "F11 is kept for the capture run and cannot be bound"},
        {"the switch key pressed", [&] { press(IDC_MAP_LAYER_TRIGGER_KEY, kPageUp); }, keyA,
         "item 0", "A", "PAGE UP is kept for the capture run and cannot be bound"},
        {"Forward chosen",
         [&] { dialogs.chooseItem(dialog, IDC_MAP_LAYER_TRIGGER_SOURCE, 5); },
         {TriggerSource::mouseButton, 4},
         "item 5",
         "",
         nullptr},
        {"Key chosen", [&] { dialogs.chooseItem(dialog, IDC_MAP_LAYER_TRIGGER_SOURCE, 0); }, none,
         "item 0", "", nullptr},
        {"CAPS pressed",
         [&] { press(IDC_MAP_LAYER_TRIGGER_KEY, kCapsLock); },
         {TriggerSource::key, kCapsLock},
         "item 0",
         "CAPS",
         nullptr},
        {"the field emptied", [&] { dialogs.type(dialog, IDC_MAP_LAYER_TRIGGER_KEY, ""); }, none,
         "item 0", "", nullptr},
        {"Button 7 chosen",
         [&] { dialogs.chooseItem(dialog, IDC_MAP_LAYER_TRIGGER_SOURCE, 7); },
         {TriggerSource::mouseButton, 6},
         "item 7",
         "",
         nullptr},
        {"a key without a name pressed", [&] { press(IDC_MAP_LAYER_TRIGGER_KEY, kNamelessKey); },
         none, "item 0", "", nullptr},
    };
    ini.writePrivateProfileString("SWITCH", "NEXT", "PAGE UP", paths.settingIni.c_str());
    LayerRecord layer = emptyLayer("car");
    layer.trigger = {};
    openOnLayer(layer);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        user.messageBoxes.clear();
        step.act();
        EXPECT_EQ(shownLayer().trigger, step.trigger);
        EXPECT_EQ(shown(IDC_MAP_LAYER_TRIGGER_SOURCE), step.list);
        EXPECT_EQ(shown(IDC_MAP_LAYER_TRIGGER_KEY), step.field);
        EXPECT_EQ(lastMessage(), step.message ? step.message : "");
        EXPECT_EQ(shownLayer().changes, 0u);
    }
    EXPECT_EQ(state.record, base);
}

TEST_F(MapDialogLayerTest, TheKindFollowsItsRadioButtons) {
    openOnLayer(emptyLayer("wheel"));
    const std::pair<std::int32_t, LayerKind> clicks[] = {
        {IDC_MAP_LAYER_TOGGLED, LayerKind::toggled},
        {IDC_MAP_LAYER_HELD, LayerKind::whileHeld},
        {IDC_MAP_LAYER_TOGGLED, LayerKind::toggled},
    };
    for (const auto& [id, kind] : clicks) {
        dialogs.clickRadio(dialog, id);
        EXPECT_EQ(shownLayer().kind, kind);
    }
    choose(-1);
    choose(0);
    EXPECT_EQ(shown(IDC_MAP_LAYER_TOGGLED), "checked");
    EXPECT_EQ(shown(IDC_MAP_LAYER_HELD), "unchecked");
}

// The delays are taken when the player leaves the layer; one that is not 0 to 2000 ms keeps
// the layer shown, both delays as they were, and names the field.
TEST_F(MapDialogLayerTest, DelaysOutsideZeroToTwoThousandAreRefusedByName) {
    struct Case {
        const char* delay;
        const char* releaseDelay;
        const char* message; // nullptr: taken
    };
    const char* const delayRefused = "Delay must be a whole number of ms from 0 to 2000";
    const char* const releaseRefused = "Release delay must be a whole number of ms from 0 to 2000";
    const Case cases[] = {
        {"150", "0", nullptr},         {"0", "2000", nullptr},    {"2000", "35", nullptr},
        {"2001", "0", delayRefused},   {"", "0", delayRefused},   {"1a", "0", delayRefused},
        {"0", "2500", releaseRefused}, {"0", "", releaseRefused}, {"-1", "-1", delayRefused},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.delay) + " / " + test.releaseDelay);
        LayerRecord layer = emptyLayer("ads");
        layer.delayMs = 300;
        layer.releaseDelayMs = 40;
        openOnLayer(layer);
        dialogs.type(dialog, IDC_MAP_LAYER_DELAY, test.delay);
        dialogs.type(dialog, IDC_MAP_LAYER_RELEASE_DELAY, test.releaseDelay);
        choose(-1);

        EXPECT_EQ(lastMessage(), test.message ? test.message : "");
        if (test.message) {
            EXPECT_EQ(state.shownLayer, 0);
            EXPECT_EQ(control(IDC_MAP_LAYER_LIST).selection, 1);
            EXPECT_EQ(shownLayer().delayMs, 300);
            EXPECT_EQ(shownLayer().releaseDelayMs, 40);
        } else {
            EXPECT_EQ(state.shownLayer, -1);
            EXPECT_EQ(std::to_string(shownLayer().delayMs), test.delay);
            EXPECT_EQ(std::to_string(shownLayer().releaseDelayMs), test.releaseDelay);
        }
    }
}

// What is typed into a text field must reach it: while one has the focus the keyboard is
// unacquired and not read (a key pressed meanwhile binds nothing); it is acquired again
// when the focus leaves.
TEST_F(MapDialogLayerTest, TheKeyboardIsLentToTheTextFieldsForTyping) {
    for (const std::int32_t field :
         {IDC_MAP_LAYER_NAME, IDC_MAP_LAYER_DELAY, IDC_MAP_LAYER_RELEASE_DELAY}) {
        SCOPED_TRACE(field);
        openOnLayer(emptyLayer("wheel"));
        dialogs.moveFocusTo(dialog, IDC_MAP_DPAD_UP);
        diLog.clear();
        dialogs.moveFocusTo(dialog, field);
        const std::string keyboard = directInput.nameOf(devices.keyboard.device);
        EXPECT_EQ(diLog, std::vector<std::string>{"Unacquire " + keyboard});
        tickWithKeys({kKeyD});
        EXPECT_EQ(diLog.size(), 1u);              // no read
        dialogs.focusOn(dialog, IDC_MAP_DPAD_UP); // still lent: the field keeps its key
        tickWithKeys({kKeyD});
        EXPECT_EQ(shown(IDC_MAP_DPAD_UP), "UP");

        dialogs.moveFocusTo(dialog, field);
        diLog.clear();
        dialogs.moveFocusTo(dialog, IDC_MAP_DPAD_UP);
        EXPECT_EQ(diLog, std::vector<std::string>{"Acquire " + keyboard});
        tickWithKeys({kKeyD});
        EXPECT_EQ(shown(IDC_MAP_DPAD_UP), "D");
    }
}

// ---- New layer and Delete layer -----------------------------------------------------------

TEST_F(MapDialogLayerTest, NewLayerRefusesABadNameAndANinthLayer) {
    struct Case {
        std::vector<const char*> layers;
        const char* typed;
        const char* message; // nullptr: a new layer of that name (cut of its blanks)
        const char* name;
    };
    const std::string longest(31, 'x');
    const std::string tooLong(32, 'x');
    const std::vector<const char*> eight = {"1", "2", "3", "4", "5", "6", "7", "8"};
    const Case cases[] = {
        {{}, "ADS", nullptr, "ADS"},
        {{"ADS"}, "  car ", nullptr, "car"},
        {{"ADS"}, longest.c_str(), nullptr, longest.c_str()},
        {{"ADS"}, "", "Type a name for the new layer", nullptr},
        {{"ADS"}, "   ", "Type a name for the new layer", nullptr},
        {{"ADS"}, tooLong.c_str(), "A layer's name has at most 31 characters", nullptr},
        {{"ADS"}, "the \"car\"", "A layer's name cannot hold a double quote", nullptr},
        {{"ADS"}, "ADS", "The profile already has a layer named \"ADS\"", nullptr},
        {{"ADS", "car"}, " car", "The profile already has a layer named \"car\"", nullptr},
        {{"ADS"}, "ads", nullptr, "ads"},
        {{"1", "2", "3", "4", "5", "6", "7"}, "8", nullptr, "8"},
        {eight, "9", "A profile has at most 8 layers", nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.typed);
        ProfileLayers layers;
        std::vector<std::string> before = {"Base"};
        for (const char* name : test.layers) {
            layers.layers.push_back(emptyLayer(name));
            before.push_back(name);
        }
        store({{base, layers}});
        open();
        dialogs.type(dialog, IDC_MAP_LAYER_NAME, test.typed);
        click(IDC_MAP_LAYER_NEW);

        EXPECT_EQ(lastMessage(), test.message ? test.message : "");
        if (test.message) {
            EXPECT_EQ(state.layers, layers);
            EXPECT_EQ(choices(), before);
            EXPECT_EQ(state.shownLayer, -1);
            EXPECT_EQ(shown(IDC_MAP_LAYER_NAME), test.typed);
            continue;
        }
        LayerRecord made;
        setLayerName(made, test.name);
        ASSERT_EQ(state.layers.layers.size(), layers.layers.size() + 1);
        EXPECT_EQ(state.layers.layers.back(), made);
        before.push_back(test.name);
        EXPECT_EQ(choices(), before);
        EXPECT_EQ(state.shownLayer, static_cast<std::int32_t>(layers.layers.size()));
        EXPECT_EQ(control(IDC_MAP_LAYER_LIST).selection,
                  static_cast<std::intptr_t>(before.size()) - 1);
        EXPECT_EQ(shown(IDC_MAP_LAYER_NAME), "");
        EXPECT_TRUE(controlShowsBase(state, IDC_MAP_DPAD_UP));
    }
}

// Enter in the name field makes the layer; it confirms nothing.
TEST_F(MapDialogLayerTest, EnterInTheNameMakesTheLayer) {
    store({{base, {}}});
    open();
    const std::string before = config();
    dialogs.focusOn(dialog, IDC_MAP_LAYER_NAME);
    dialogs.type(dialog, IDC_MAP_LAYER_NAME, "ADS");
    onMapCommand(state, env, IDC_CONFIRM, 0);
    EXPECT_EQ(choices(), (std::vector<std::string>{"Base", "ADS"}));
    EXPECT_TRUE(dialogs.endedDialogs.empty());
    EXPECT_EQ(config(), before);
}

// Delete layer asks first; Yes removes the shown layer and shows the base.
TEST_F(MapDialogLayerTest, DeleteLayerRemovesTheShownLayerOnceThePlayerSaysYes) {
    const ProfileLayers layers = {{emptyLayer("a"), emptyLayer("b"), emptyLayer("c")}, {}};
    for (const std::int32_t answer : {kIdNo, kIdYes}) {
        SCOPED_TRACE(answer);
        store({{base, layers}});
        open();
        choose(1);
        user.messageBoxAnswer = answer;
        click(IDC_MAP_LAYER_DELETE);
        ASSERT_EQ(user.messageBoxes.size(), 1u);
        EXPECT_EQ(lastMessage(), "Delete the layer \"b\"?");
        EXPECT_EQ(user.messageBoxes[0].type, kMbYesNo | kMbIconWarning);
        if (answer == kIdNo) {
            EXPECT_EQ(state.layers, layers);
            EXPECT_EQ(state.shownLayer, 1);
            continue;
        }
        EXPECT_EQ(state.layers.layers,
                  (std::vector<LayerRecord>{emptyLayer("a"), emptyLayer("c")}));
        EXPECT_EQ(choices(), (std::vector<std::string>{"Base", "a", "c"}));
        EXPECT_EQ(state.shownLayer, -1);
        EXPECT_EQ(control(IDC_MAP_LAYER_LIST).selection, 0);
        EXPECT_FALSE(control(IDC_MAP_LAYER_DELETE).enabled);
    }
}

// ---- Confirm and Cancel -------------------------------------------------------------------

// Confirm writes the base and the layers as edited, whatever is shown; the other profiles
// keep theirs. What it refuses keeps the dialog open with the edits and writes nothing.
TEST_F(MapDialogLayerTest, ConfirmWritesTheBaseAndItsLayersAndKeepsTheOthers) {
    const LayeredProfile other{testing::patternedRecord(7), testing::layersNamed({"car"})};
    const LayeredProfile plain{testing::patternedRecord(8), {}};
    struct Case {
        const char* what;
        std::function<void()> edit;
        const char* refusal;                           // nullptr: written
        std::function<LayeredProfile()> expectedSaved; // the edited profile as written
    };
    const auto adsWith = [&](const std::function<void(LayerRecord&)>& change) {
        LayeredProfile profile{base, {{adsLayer()}, {}}};
        change(profile.layers.layers[0]);
        return profile;
    };
    const Case cases[] = {
        {"a layer's field and delay, the layer shown",
         [&] {
             choose(0);
             press(IDC_MAP_DPAD_UP, kKeyD);
             dialogs.type(dialog, IDC_MAP_LAYER_DELAY, "80");
         },
         nullptr,
         [&] {
             return adsWith([&](LayerRecord& layer) {
                 ProfileRecord from;
                 from.bytes[profile::primaryKeys + 0] = kKeyD;
                 takeChange(layer, layer_change::firstAction + 0, from);
                 layer.delayMs = 80;
             });
         }},
        {"the base's list, then a new layer shown",
         [&] {
             dialogs.selectItem(dialog, IDC_MAP_MOUSE_LEFT, 11);
             dialogs.type(dialog, IDC_MAP_LAYER_NAME, "walk");
             click(IDC_MAP_LAYER_NEW);
             press(IDC_MAP_LAYER_TRIGGER_KEY, kCapsLock);
             scroll(IDC_MAP_ZOOM_X, kSbPageLeft);
         },
         nullptr,
         [&] {
             LayeredProfile profile{base, {{adsLayer(), emptyLayer("walk")}, {}}};
             profile.base.bytes[profile::mouseBindings + 0] = 11;
             profile.base.bytes[profile::mouseBindings + 5] = 0; // as every Confirm of the base
             profile.base.bytes[profile::mouseBindings + 6] = 0;
             ProfileRecord from;
             writeZoomScale(from, profile::xZoomScale, 0.5f);
             takeChange(profile.layers.layers[1], layer_change::zoomX, from);
             return profile;
         }},
        {"a layer deleted, the base shown",
         [&] {
             choose(0);
             user.messageBoxAnswer = kIdYes;
             click(IDC_MAP_LAYER_DELETE);
         },
         nullptr,
         [&] {
             return LayeredProfile{base, {}};
         }},
        {"a new layer without a trigger",
         [&] {
             dialogs.type(dialog, IDC_MAP_LAYER_NAME, "walk");
             click(IDC_MAP_LAYER_NEW);
         },
         "The layer \"walk\" has no trigger: choose a key or a mouse button", nullptr},
        {"a delay out of range",
         [&] {
             choose(0);
             dialogs.type(dialog, IDC_MAP_LAYER_RELEASE_DELAY, "3000");
         },
         "Release delay must be a whole number of ms from 0 to 2000", nullptr},
        {"a twin left with other layers",
         [&] {
             store({{base, {{adsLayer()}, {}}}, other, {base, {{adsLayer()}, {}}}});
             open();
             choose(0);
             dialogs.clickRadio(dialog, IDC_MAP_LAYER_TOGGLED);
         },
         "layers.bin cannot be written: two profiles identical byte for byte would need "
         "different layers",
         nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        store({{base, {{adsLayer()}, {}}}, other, plain});
        open();
        test.edit();
        const std::vector<LayeredProfile> before = testing::storedProfiles(paths);
        user.messageBoxes.clear();
        confirm();

        if (test.refusal) {
            EXPECT_EQ(lastMessage(), test.refusal);
            EXPECT_TRUE(dialogs.endedDialogs.empty());
            EXPECT_EQ(testing::storedProfiles(paths), before);
            continue;
        }
        ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
        EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogConfirmed);
        EXPECT_EQ(testing::storedProfiles(paths),
                  (std::vector<LayeredProfile>{test.expectedSaved(), other, plain}));
    }
}

TEST_F(MapDialogLayerTest, CancelWritesNothing) {
    store({{base, {{adsLayer()}, {}}}});
    const std::string config = this->config();
    const std::string layers = dir.read("layers.bin");
    open();
    choose(0);
    press(IDC_MAP_DPAD_UP, kKeyD);
    dialogs.type(dialog, IDC_MAP_LAYER_NAME, "car");
    click(IDC_MAP_LAYER_NEW);
    click(IDC_CANCEL);
    destroyMapDialog(state, env);

    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(dialogs.endedDialogs[0].result, kMapDialogCancelled);
    EXPECT_EQ(this->config(), config);
    EXPECT_EQ(dir.read("layers.bin"), layers);
}

} // namespace
} // namespace qora
