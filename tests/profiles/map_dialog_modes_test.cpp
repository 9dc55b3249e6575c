#include "profiles/map_dialog_modes.h"

#include "fakes/fake_direct_input.h"
#include "formats/layer_record.h"
#include "input/device_slot.h"
#include "input/keyboard_device.h"
#include "layered_store.h"
#include "map_dialog_fixture.h"
#include "profiles/map_dialog.h"
#include "profiles/map_dialog_layers.h"
#include "profiles/modes_dialog.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::namedRecord;

constexpr ActionCode kA = action::buttonA;
constexpr ActionCode kB = action::buttonB;
constexpr std::uint8_t kKeyG = 0x22;
constexpr std::uint8_t kLeftAlt = 0x38;
constexpr std::uint8_t kPageUp = 0xC9;

BindingModes baseModes() {
    BindingModes modes;
    modes.changes = mode_change::all;
    modes.toggle = actionBit(kB);
    modes.walkKey = kLeftAlt;
    return modes;
}

// The Map dialog with its "Modes..." button opening the real Modes dialog, which a test
// plays through `player` on a window of its own.
class MapDialogModesTest : public testing::MapDialogTestBase {
protected:
    void SetUp() override {
        const ProfileRecord base = namedRecord("shooter");
        writeConfig({base});
        setIni(kCountKey, "1");
        ini.writePrivateProfileString("SWITCH", "NEXT", "PAGE UP", paths.settingIni.c_str());
        const std::string layers = testing::layersFileOf({{base, testing::layersNamed({"ADS"})}});
        dir.write("layers.bin", layers);
        dialogs.addMapDialog(dialog, IDD_MAP_360);
        dialogs.onCommand = [this](WindowHandle window, std::int32_t id, std::uint32_t code) {
            if (window == dialog) {
                onMapCommand(state, env, id, code);
            } else {
                onModesCommand(modes, modesEnv, id, code);
            }
        };
        ASSERT_TRUE(initMapDialog(state, env, dialog, IDD_MAP_360, 0));
        modesDialogs.open = [this](WindowHandle owner, ModesEdit& edit) {
            EXPECT_EQ(owner, dialog);
            dialogs.addModesDialog(modesWindow);
            callsAtOpen = user.calls;
            handlesAtOpen = directInput.liveHandles();
            modes = ModesDialogState{};
            initModesDialog(modes, modesEnv, modesWindow, edit);
            player();
            destroyModesDialog(modes, modesEnv);
            EXPECT_FALSE(dialogs.endedDialogs.empty());
            return dialogs.endedDialogs.empty() ? -1 : dialogs.endedDialogs.back().result;
        };
    }
    void TearDown() override {
        destroyMapDialog(state, env);
        DialogTest::TearDown();
    }

    void choose(std::int32_t part) { dialogs.chooseItem(dialog, IDC_MAP_LAYER_LIST, part + 1); }
    void openModes() { dialogs.clickButton(dialog, IDC_MAP_LAYER_MODES); }
    void clickInModes(std::int32_t id) {
        if (id >= IDC_MODES_TOGGLE_FIRST && id <= IDC_MODES_TURBO_LAST) {
            dialogs.clickCheckBox(modesWindow, id);
        } else {
            dialogs.clickButton(modesWindow, id);
        }
    }

    ModesDialogEnvironment modesEnv{user, dialogs, directInput, devices};
    ModesDialogState modes;
    std::function<void()> player = [] {};
    // What the Map dialog had done as the Modes dialog opened.
    std::vector<std::string> callsAtOpen;
    std::size_t handlesAtOpen = 0;
    WindowHandle const modesWindow = reinterpret_cast<WindowHandle>(0x1411);
};

// "Modes..." edits the modes of what the fields show: the base's, or the shown layer's
// over the base's. OK puts them into the profile the Map dialog holds (ProfileLayers::modes
// for the base, the layer's LayerRecord), Cancel leaves everything as it was; the other
// part is never touched.
TEST_F(MapDialogModesTest, TheModesOfTheShownPartComeBackOnOk) {
    struct Case {
        const char* what;
        std::int32_t part;
        std::vector<std::int32_t> clicks; // the last one ends the Modes dialog
        BindingModes base;                // the profile's modes afterwards
        BindingModes layer;
    };
    BindingModes baseWithA = baseModes();
    baseWithA.toggle |= actionBit(kA);
    BindingModes layerWithA; // the toggle part its own: the base's B and its A
    layerWithA.changes = mode_change::toggle;
    layerWithA.toggle = actionBit(kA) | actionBit(kB);
    const Case cases[] = {
        {"base, OK", -1, {IDC_MODES_TOGGLE_FIRST + kA, IDC_CONFIRM}, baseWithA, {}},
        {"base, Cancel", -1, {IDC_MODES_TOGGLE_FIRST + kA, IDC_CANCEL}, baseModes(), {}},
        {"layer, OK", 0, {IDC_MODES_TOGGLE_FIRST + kA, IDC_CONFIRM}, baseModes(), layerWithA},
        {"layer, Cancel", 0, {IDC_MODES_TOGGLE_FIRST + kA, IDC_CANCEL}, baseModes(), {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        choose(-1);
        state.layers.modes = baseModes();
        state.layers.layers.at(0).modes = {};
        modesDialogs.calls.clear();
        dialogs.endedDialogs.clear();
        choose(test.part);
        player = [&] {
            for (const std::int32_t id : test.clicks) {
                clickInModes(id);
            }
        };
        openModes();
        ASSERT_EQ(modesDialogs.calls.size(), 1u);
        const ModesEdit& handed = modesDialogs.calls[0].edit;
        EXPECT_EQ(handed.modes.base, baseModes());
        EXPECT_EQ(handed.modes.layer.has_value(), test.part >= 0);
        EXPECT_EQ(handed.layerName, test.part >= 0 ? "ADS" : "");
        EXPECT_EQ(handed.switchKeys.next, kPageUp);
        EXPECT_EQ(state.layers.modes, test.base);
        EXPECT_EQ(state.layers.layers.at(0).modes, test.layer);
    }
}

// The Modes dialog reads the keyboard for its own window: meanwhile the Map dialog's timer
// stops and its keyboard goes; both come back for the Map dialog's window afterwards.
TEST_F(MapDialogModesTest, TheKeyboardGoesToTheModesDialogAndBack) {
    ASSERT_TRUE(keyboardExists(devices));
    user.calls.clear();
    directInput.cooperativeLevels.clear();
    player = [&] { clickInModes(IDC_CANCEL); };
    openModes();
    EXPECT_EQ(callsAtOpen, std::vector<std::string>{"KillTimer 0"});
    EXPECT_EQ(handlesAtOpen, 0u);
    ASSERT_EQ(directInput.cooperativeLevels.size(), 2u);
    EXPECT_EQ(directInput.cooperativeLevels[0].window, modesWindow);
    EXPECT_EQ(directInput.cooperativeLevels[1].window, dialog);
    EXPECT_EQ(user.calls.back(), "SetTimer 0 50");
    EXPECT_TRUE(keyboardExists(devices));
    EXPECT_EQ(directInput.liveHandles(), 2u) << "one keyboard: its DirectInput and device";
}

// A profile without modes stays without them when the Modes dialog is only looked at,
// and the Map dialog's Confirm writes exactly what it wrote before; its Cancel forgets
// what the Modes dialog gave.
TEST_F(MapDialogModesTest, ModesOnlyLookedAtChangeNothing) {
    const std::vector<LayeredProfile> stored = testing::storedProfiles(paths);
    player = [&] { clickInModes(IDC_CONFIRM); };
    openModes();
    choose(0);
    openModes();
    EXPECT_EQ(state.layers, stored[0].layers);
    dialogs.clickButton(dialog, IDC_CONFIRM);
    EXPECT_EQ(dialogs.endedDialogs.back().result, kMapDialogConfirmed);
    EXPECT_EQ(testing::storedProfiles(paths), stored);

    const std::string config = this->config();
    const std::string layers = dir.read("layers.bin");
    player = [&] {
        dialogs.moveFocusTo(modesWindow, IDC_MODES_MACRO_KEY);
        directInput.keyState[kKeyG] = kKeyDown;
        onModesTimer(modes, modesEnv);
        directInput.keyState = {};
        dialogs.type(modesWindow, IDC_MODES_MACRO_STEPS, "A 60");
        clickInModes(IDC_MODES_MACRO_SET);
        clickInModes(IDC_CONFIRM);
    };
    openModes();
    EXPECT_EQ(state.layers.layers.at(0).modes.macros,
              (std::vector<Macro>{{kKeyG, {{actionBit(kA), 60}}}}));
    dialogs.clickButton(dialog, IDC_CANCEL);
    EXPECT_EQ(dialogs.endedDialogs.back().result, kMapDialogCancelled);
    EXPECT_EQ(this->config(), config);
    EXPECT_EQ(dir.read("layers.bin"), layers);
}

// The Map dialog's Confirm stores what the Modes dialog gave, the base's and the layer's,
// in layers.bin, where the next run and the next open read them.
TEST_F(MapDialogModesTest, ConfirmStoresTheModesGiven) {
    player = [&] {
        clickInModes(IDC_MODES_TOGGLE_FIRST + kA);
        clickInModes(IDC_CONFIRM);
    };
    openModes();
    choose(0);
    openModes(); // the layer shows the base's A, which the same click turns off

    dialogs.clickButton(dialog, IDC_CONFIRM);
    ASSERT_EQ(dialogs.endedDialogs.back().result, kMapDialogConfirmed);

    const std::vector<LayeredProfile> stored = testing::storedProfiles(paths);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].layers.modes.toggle, actionBit(kA));
    ASSERT_EQ(stored[0].layers.layers.size(), 1u);
    EXPECT_EQ(stored[0].layers.layers[0].modes.changes, mode_change::toggle);
    EXPECT_EQ(stored[0].layers.layers[0].modes.toggle, 0u) << "A toggles no more in the layer";
}

} // namespace
} // namespace qora
