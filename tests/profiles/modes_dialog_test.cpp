#include "profiles/modes_dialog.h"

#include "fakes/fake_dialog_api.h"
#include "fakes/fake_direct_input.h"
#include "fakes/fake_user_api.h"
#include "input/device_slot.h"
#include "input/keyboard_device.h"
#include "resources/resource_ids.h"
#include "sample_modes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::ControlKind;
using namespace testing::sample_modes;

constexpr std::uint8_t kF11 = 0x57;
constexpr std::uint8_t kPageUp = 0xC9;
constexpr std::uint8_t kNamelessKey = 0x54;

std::int32_t toggleBox(ActionCode code) {
    return IDC_MODES_TOGGLE_FIRST + code;
}
std::int32_t turboBox(ActionCode code) {
    return IDC_MODES_TURBO_FIRST + code;
}

class ModesDialogTest : public ::testing::Test {
public:
    void TearDown() override {
        destroyModesDialog(state, env);
        EXPECT_EQ(dialogs.misuse, std::vector<std::string>{});
        EXPECT_EQ(directInput.liveHandles(), 0u) << "the keyboard outlives the dialog";
    }

    void open(const ModesEdit& given) {
        edit = given;
        edit.switchKeys.next = kPageUp;
        dialogs.addModesDialog(dialog);
        dialogs.onCommand = [this](WindowHandle window, std::int32_t id, std::uint32_t code) {
            ASSERT_EQ(window, dialog);
            onModesCommand(state, env, id, code);
        };
        EXPECT_TRUE(initModesDialog(state, env, dialog, edit));
    }
    void openOnBase(ConsoleMode console = kConsoleXbox360) {
        open({{baseModes(), std::nullopt}, "", console, {}});
    }
    void openOnLayer(const BindingModes& layer = {}) {
        open({{baseModes(), layer}, "ADS", kConsoleXbox360, {}});
    }

    void tickWithKeys(const std::vector<std::uint8_t>& codes) {
        directInput.keyState = {};
        for (const std::uint8_t code : codes) {
            directInput.keyState[code] = kKeyDown;
        }
        onModesTimer(state, env);
    }
    // A key pressed in a key field, as the player captures it.
    void press(std::int32_t field, std::uint8_t code) {
        dialogs.moveFocusTo(dialog, field);
        tickWithKeys({code});
        tickWithKeys({});
    }
    void type(std::int32_t field, const std::string& text) {
        dialogs.moveFocusTo(dialog, field);
        dialogs.type(dialog, field, text);
    }
    void click(std::int32_t id) { dialogs.clickButton(dialog, id); }
    void clickBox(std::int32_t id) { dialogs.clickCheckBox(dialog, id); }
    void setMacroOf(std::uint8_t key, const std::string& steps) {
        press(IDC_MODES_MACRO_KEY, key);
        type(IDC_MODES_MACRO_STEPS, steps);
        click(IDC_MODES_MACRO_SET);
    }
    void chooseLine(std::intptr_t line) { dialogs.chooseItem(dialog, IDC_MODES_MACRO_LIST, line); }
    // OK clicked; the dialog's result, or nothing while it stays open.
    std::optional<std::intptr_t> ok() {
        click(IDC_CONFIRM);
        return result();
    }
    std::optional<std::intptr_t> result() {
        if (dialogs.endedDialogs.empty()) {
            return std::nullopt;
        }
        return dialogs.endedDialogs.back().result;
    }

    testing::FakeControl& control(std::int32_t id) { return dialogs.control(dialog, id); }
    bool checked(std::int32_t id) { return control(id).check == kBstChecked; }
    std::vector<std::string> lines() { return control(IDC_MODES_MACRO_LIST).items; }
    std::string lastMessage() {
        return user.messageBoxes.empty() ? "" : user.messageBoxes.back().text;
    }

    testing::FakeUserApi user;
    testing::FakeDialogApi dialogs;
    std::vector<std::string> diLog;
    testing::FakeDirectInput directInput{diLog};
    CaptureDevices devices;
    ModesDialogEnvironment env{user, dialogs, directInput, devices};
    ModesDialogState state;
    ModesEdit edit;
    WindowHandle const dialog = reinterpret_cast<WindowHandle>(0x1410);
};

// Each action's two boxes are named as the console names it; the tilt actions, which the
// Xbox 360 pad lacks, are disabled there. Checking an action in Toggle or Turbo clears it
// in the other, and OK gives the edit back.
TEST_F(ModesDialogTest, EachActionIsCheckedInToggleOrTurbo) {
    struct Case {
        const char* what;
        std::vector<std::int32_t> clicks;
        ActionSet toggle;
        ActionSet turbo;
    };
    const Case cases[] = {
        {"nothing", {}, actionBit(kB), actionBit(kRt)},
        {"A toggled", {toggleBox(kA)}, actionBit(kA) | actionBit(kB), actionBit(kRt)},
        {"B repeated instead", {turboBox(kB)}, 0, actionBit(kB) | actionBit(kRt)},
        {"RT toggled instead", {toggleBox(kRt)}, actionBit(kB) | actionBit(kRt), 0},
        {"RT normal", {turboBox(kRt)}, actionBit(kB), 0},
        {"A toggled, then repeated",
         {toggleBox(kA), turboBox(kA)},
         actionBit(kB),
         actionBit(kA) | actionBit(kRt)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        destroyModesDialog(state, env);
        state = ModesDialogState{};
        dialogs.endedDialogs.clear();
        openOnBase();
        for (const std::int32_t id : test.clicks) {
            clickBox(id);
        }
        for (ActionCode code = action::first; code <= action::last; ++code) {
            EXPECT_EQ(checked(toggleBox(code)), (test.toggle & actionBit(code)) != 0) << code;
            EXPECT_EQ(checked(turboBox(code)), (test.turbo & actionBit(code)) != 0) << code;
        }
        EXPECT_EQ(ok(), kModesDialogConfirmed);
        EXPECT_EQ(edit.modes.base.toggle, test.toggle);
        EXPECT_EQ(edit.modes.base.turbo, test.turbo);
    }
    struct Naming {
        ConsoleMode console;
        ActionCode code;
        const char* name;
        bool enabled;
    };
    const Naming namings[] = {
        {kConsoleXbox360, kA, "A", true},
        {kConsolePs3, kA, "X", true},
        {kConsolePs3, action::buttonX, "[]", true},
        {kConsoleXbox360, action::back, "BACK", true},
        {kConsoleXbox360, action::tiltUp, "TU", false},
        {kConsolePs3, action::tiltUp, "TU", true},
    };
    for (const Naming& naming : namings) {
        SCOPED_TRACE(naming.name);
        destroyModesDialog(state, env);
        openOnBase(naming.console);
        for (const std::int32_t id : {toggleBox(naming.code), turboBox(naming.code)}) {
            EXPECT_EQ(control(id).text, naming.name);
            EXPECT_EQ(control(id).enabled, naming.enabled);
        }
    }
}

// The turbo times and the walk speed are taken at OK; a value out of range is refused
// with a message naming the field, the dialog stays open and the edit is not given back.
TEST_F(ModesDialogTest, NumbersOutOfRangeAreRefusedByName) {
    struct Case {
        std::int32_t field;
        const char* typed;
        const char* refusal; // nullptr: taken
    };
    const char* const kPressRefusal = "Turbo press must be a whole number from 10 to 1000 ms";
    const char* const kReleaseRefusal = "Turbo release must be a whole number from 10 to 1000 ms";
    const char* const kSpeedRefusal = "Walk speed must be a whole number from 1 to 100 %";
    const Case cases[] = {
        {IDC_MODES_TURBO_PRESS, "10", nullptr},
        {IDC_MODES_TURBO_PRESS, "1000", nullptr},
        {IDC_MODES_TURBO_PRESS, "9", kPressRefusal},
        {IDC_MODES_TURBO_PRESS, "1001", kPressRefusal},
        {IDC_MODES_TURBO_PRESS, "", kPressRefusal},
        {IDC_MODES_TURBO_RELEASE, "35", nullptr},
        {IDC_MODES_TURBO_RELEASE, "0", kReleaseRefusal},
        {IDC_MODES_TURBO_RELEASE, "3x", kReleaseRefusal},
        {IDC_MODES_WALK_SPEED, "1", nullptr},
        {IDC_MODES_WALK_SPEED, "100", nullptr},
        {IDC_MODES_WALK_SPEED, "0", kSpeedRefusal},
        {IDC_MODES_WALK_SPEED, "101", kSpeedRefusal},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.field) + " \"" + test.typed + "\"");
        destroyModesDialog(state, env);
        state = ModesDialogState{};
        dialogs.endedDialogs.clear();
        user.messageBoxes.clear();
        openOnBase();
        type(test.field, test.typed);
        if (test.refusal != nullptr) {
            EXPECT_EQ(ok(), std::nullopt);
            EXPECT_EQ(lastMessage(), test.refusal);
            EXPECT_EQ(edit.modes.base, baseModes());
            continue;
        }
        EXPECT_EQ(ok(), kModesDialogConfirmed);
        EXPECT_EQ(user.messageBoxes.size(), 0u);
        const BindingModes& base = edit.modes.base;
        const auto value = static_cast<std::uint16_t>(std::stoi(test.typed));
        EXPECT_EQ(base.turboPressMs, test.field == IDC_MODES_TURBO_PRESS ? value : 50);
        EXPECT_EQ(base.turboReleaseMs, test.field == IDC_MODES_TURBO_RELEASE ? value : 70);
        EXPECT_EQ(base.walkPercent, test.field == IDC_MODES_WALK_SPEED ? value : 40);
    }
}

// The walk key is captured as a key field captures: the highest key down, a key the run
// keeps or a switch key refused with a message (the old key stays), a key without a name
// and an emptied field no walk key.
TEST_F(ModesDialogTest, TheWalkKeyIsCapturedAndKeptKeysAreRefused) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> keys;
        bool emptied;
        std::uint8_t walkKey;
        const char* shown;
        const char* message;
    };
    const Case cases[] = {
        {"L CTRL", {kLeftCtrl}, false, kLeftCtrl, "L CTRL", ""},
        {"the highest of two", {kLeftCtrl, kLeftAlt}, false, kLeftAlt, "L ALT", ""},
        {"F11",
         {kF11},
         false,
         kLeftAlt,
         "L ALT",
         "F11 is kept for the capture run and cannot be bound"},
        {"a switch key",
         {kPageUp},
         false,
         kLeftAlt,
         "L ALT",
         "PAGE UP is kept for the capture run and cannot be bound"},
        {"a key without a name", {kNamelessKey}, false, 0, "", ""},
        {"emptied", {}, true, 0, "", ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        destroyModesDialog(state, env);
        state = ModesDialogState{};
        dialogs.endedDialogs.clear();
        user.messageBoxes.clear();
        openOnBase();
        EXPECT_EQ(control(IDC_MODES_WALK_KEY).text, "L ALT");
        dialogs.moveFocusTo(dialog, IDC_MODES_WALK_KEY);
        if (!test.keys.empty()) {
            tickWithKeys(test.keys);
            tickWithKeys(test.keys);
            tickWithKeys({});
        }
        if (test.emptied) {
            dialogs.type(dialog, IDC_MODES_WALK_KEY, "");
        }
        EXPECT_EQ(control(IDC_MODES_WALK_KEY).text, test.shown);
        EXPECT_EQ(lastMessage(), test.message);
        EXPECT_LE(user.messageBoxes.size(), 1u) << "told once per press";
        EXPECT_EQ(ok(), kModesDialogConfirmed);
        EXPECT_EQ(edit.modes.base.walkKey, test.walkKey);
    }
}

// A macro is its key, captured, and its steps as the text writes them: Set macro (or Enter
// in the steps field) adds or changes it, a bad step is refused by a message that names
// it, a line chosen fills the fields, Remove macro takes it away.
TEST_F(ModesDialogTest, MacrosAreSetFromTheirKeyAndSteps) {
    struct Case {
        const char* what;
        std::uint8_t key; // 0: none pressed
        const char* steps;
        const char* message;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a new key", kKeyG, "B+X 60, 40, A 30", "", {"F = A 60", "G = X+B 60, 40, A 30"}},
        {"F changed", kKeyF, "LAU 500", "", {"F = LAU 500"}},
        {"a bad step",
         kKeyG,
         "A 60, 40, B+Q 60",
         "Step 3 \"B+Q 60\": \"Q\" is not an action",
         {"F = A 60"}},
        {"a step too long",
         kKeyG,
         "A 6000",
         "Step 1 \"A 6000\": a step lasts 1 to 5000 ms",
         {"F = A 60"}},
        {"no steps",
         kKeyG,
         "",
         "A macro needs at least one step, as in \"A 60, 40, B+X 60\"",
         {"F = A 60"}},
        {"no key", 0, "A 60", kNoMacroKeyText, {"F = A 60"}},
        {"a kept key", kF11, "A 60", kNoMacroKeyText, {"F = A 60"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        destroyModesDialog(state, env);
        state = ModesDialogState{};
        dialogs.endedDialogs.clear();
        user.messageBoxes.clear();
        openOnBase();
        EXPECT_EQ(lines(), std::vector<std::string>{"F = A 60"});
        if (test.key != 0) {
            press(IDC_MODES_MACRO_KEY, test.key);
        }
        type(IDC_MODES_MACRO_STEPS, test.steps);
        dialogs.onCommand(dialog, IDC_CONFIRM, kBnClicked); // Enter in the steps field
        EXPECT_EQ(result(), std::nullopt);
        EXPECT_EQ(lastMessage(), test.message);
        EXPECT_EQ(lines(), test.lines);
        EXPECT_EQ(ok(), kModesDialogConfirmed);
        EXPECT_EQ(edit.modes.base.macros.size(), test.lines.size());
    }

    destroyModesDialog(state, env);
    state = ModesDialogState{};
    openOnBase();
    setMacroOf(kKeyG, "B 10");
    chooseLine(0);
    EXPECT_EQ(control(IDC_MODES_MACRO_KEY).text, "F");
    EXPECT_EQ(control(IDC_MODES_MACRO_STEPS).text, "A 60");
    click(IDC_MODES_MACRO_REMOVE);
    EXPECT_EQ(lines(), std::vector<std::string>{"G = B 10"});
    EXPECT_FALSE(control(IDC_MODES_MACRO_REMOVE).enabled);
    EXPECT_FALSE(control(IDC_MODES_MACRO_USE_BASE).enabled);
}

// With a layer edited, every part it leaves to the base shows the base's values in grey;
// an edit makes the part the layer's own (the rest stay grey) and enables its Use base,
// which gives it back; macros the same, line by line. OK gives back the layer and leaves
// the base alone.
TEST_F(ModesDialogTest, ALayersPartsAreItsOwnOrTheBasesInGrey) {
    struct Case {
        const char* what;
        void (*edit)(ModesDialogTest&);
        std::int32_t useBase;
        std::vector<std::int32_t> own; // controls no longer grey
    };
    const std::vector<std::int32_t> probes = {toggleBox(kA), turboBox(kA), IDC_MODES_TURBO_PRESS,
                                              IDC_MODES_WALK_KEY, IDC_MODES_WALK_SPEED};
    const Case cases[] = {
        {"a toggle",
         [](ModesDialogTest& t) { t.clickBox(toggleBox(kA)); },
         IDC_MODES_TOGGLE_USE_BASE,
         {toggleBox(kA)}},
        {"a turbo time",
         [](ModesDialogTest& t) { t.type(IDC_MODES_TURBO_PRESS, "20"); },
         IDC_MODES_TURBO_USE_BASE,
         {turboBox(kA), IDC_MODES_TURBO_PRESS}},
        {"the walk key",
         [](ModesDialogTest& t) { t.press(IDC_MODES_WALK_KEY, kLeftCtrl); },
         IDC_MODES_WALK_USE_BASE,
         {IDC_MODES_WALK_KEY, IDC_MODES_WALK_SPEED}},
        {"the walk speed",
         [](ModesDialogTest& t) { t.type(IDC_MODES_WALK_SPEED, "25"); },
         IDC_MODES_WALK_USE_BASE,
         {IDC_MODES_WALK_KEY, IDC_MODES_WALK_SPEED}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        for (const bool givenBack : {false, true}) {
            destroyModesDialog(state, env);
            state = ModesDialogState{};
            dialogs.endedDialogs.clear();
            openOnLayer();
            EXPECT_EQ(control(IDC_MODES_EDITING).text,
                      "The layer \"ADS\": its own parts in black, the base's in grey until you "
                      "change them");
            EXPECT_EQ(control(IDC_MODES_TURBO_PRESS).text, "50");
            EXPECT_TRUE(checked(toggleBox(kB)));
            for (const std::int32_t id : probes) {
                EXPECT_TRUE(modesControlShowsBase(state, id)) << id;
            }
            EXPECT_FALSE(control(test.useBase).enabled);
            test.edit(*this);
            for (const std::int32_t id : probes) {
                const bool own = std::find(test.own.begin(), test.own.end(), id) != test.own.end();
                EXPECT_EQ(modesControlShowsBase(state, id), !own) << id;
            }
            EXPECT_TRUE(control(test.useBase).enabled);
            if (givenBack) {
                click(test.useBase);
                for (const std::int32_t id : probes) {
                    EXPECT_TRUE(modesControlShowsBase(state, id)) << id;
                }
                EXPECT_FALSE(control(test.useBase).enabled);
                EXPECT_EQ(control(IDC_MODES_TURBO_PRESS).text, "50");
                EXPECT_EQ(control(IDC_MODES_WALK_KEY).text, "L ALT");
                EXPECT_EQ(control(IDC_MODES_WALK_SPEED).text, "40");
            }
            EXPECT_EQ(ok(), kModesDialogConfirmed);
            EXPECT_EQ(edit.modes.base, baseModes());
            EXPECT_EQ(edit.modes.layer->changes == 0, givenBack);
            if (givenBack) {
                EXPECT_EQ(*edit.modes.layer, BindingModes{});
            }
        }
    }
}

// The macro list of a layer: the base's lines in grey, the layer's own in black with Use
// base enabled, "none" for a base's macro the layer turns off.
TEST_F(ModesDialogTest, ALayersMacroLinesAreItsOwnOrTheBases) {
    openOnLayer();
    EXPECT_EQ(lines(), std::vector<std::string>{"F = A 60"});
    EXPECT_TRUE(macroLineShowsBase(state, 0));
    chooseLine(0);
    EXPECT_FALSE(control(IDC_MODES_MACRO_USE_BASE).enabled);
    click(IDC_MODES_MACRO_REMOVE);
    EXPECT_EQ(lines(), std::vector<std::string>{"F = none"});
    EXPECT_FALSE(macroLineShowsBase(state, 0));
    EXPECT_TRUE(control(IDC_MODES_MACRO_USE_BASE).enabled);
    setMacroOf(kKeyG, "RT 30");
    EXPECT_EQ(lines(), (std::vector<std::string>{"F = none", "G = RT 30"}));
    chooseLine(0);
    click(IDC_MODES_MACRO_USE_BASE);
    EXPECT_EQ(lines(), (std::vector<std::string>{"F = A 60", "G = RT 30"}));
    EXPECT_TRUE(macroLineShowsBase(state, 0));
    EXPECT_FALSE(macroLineShowsBase(state, 1));
    EXPECT_EQ(ok(), kModesDialogConfirmed);
    EXPECT_EQ(edit.modes.layer->macros, (std::vector<Macro>{{kKeyG, {{actionBit(kRt), 30}}}}));
    EXPECT_EQ(edit.modes.base, baseModes());
}

// Cancel (the button, Esc or the close box) gives nothing back, whatever was edited.
TEST_F(ModesDialogTest, CancelForgetsEveryEdit) {
    openOnLayer();
    clickBox(toggleBox(kA));
    type(IDC_MODES_TURBO_PRESS, "999");
    setMacroOf(kKeyG, "A 1");
    click(IDC_CANCEL);
    EXPECT_EQ(result(), kModesDialogCancelled);
    EXPECT_EQ(edit.modes.base, baseModes());
    EXPECT_EQ(edit.modes.layer, BindingModes{});
}

// The dialog reads a keyboard of its own, for its own window, lends it to the text fields
// while they have the focus (nothing is captured meanwhile) and releases it at its end.
TEST_F(ModesDialogTest, TheKeyboardIsTheDialogsAndLentToTextFields) {
    openOnBase();
    ASSERT_TRUE(keyboardExists(devices));
    ASSERT_FALSE(directInput.cooperativeLevels.empty());
    EXPECT_EQ(directInput.cooperativeLevels.back().window, dialog);
    dialogs.moveFocusTo(dialog, IDC_MODES_MACRO_STEPS);
    EXPECT_TRUE(state.keyboardLent);
    const std::size_t reads = directInput.stateReads.size();
    tickWithKeys({kLeftCtrl});
    EXPECT_EQ(directInput.stateReads.size(), reads);
    press(IDC_MODES_WALK_KEY, kLeftCtrl);
    EXPECT_FALSE(state.keyboardLent);
    EXPECT_EQ(control(IDC_MODES_WALK_KEY).text, "L CTRL");
    destroyModesDialog(state, env);
    EXPECT_FALSE(keyboardExists(devices));
}

} // namespace
} // namespace qora
