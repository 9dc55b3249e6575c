// The binding modes in a profile's text: what the mode lines of the base and of a layer read
// to, what reading refuses and where it says so, what check finds wrong in stored modes,
// and how import, export and check carry them through the store.

#include "profiles_tool_fixture.h"

#include "profiles/layered_store.h"

#include "formats/action_codes.h"
#include "formats/binding_modes.h"
#include "tools/profiles/profile_text.h"
#include "tools/profiles/record_problems.h"

#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

constexpr std::uint8_t kKeyF = 0x21;
constexpr std::uint8_t kKeyG = 0x22;
constexpr std::uint8_t kEquals = 0x0D;
constexpr std::uint8_t kLeftAlt = 0x38;
constexpr std::uint8_t kF11 = 0x57;
constexpr std::uint8_t kPageUp = 0xC9;

ActionSet actions(std::initializer_list<ActionCode> codes) {
    ActionSet set = 0;
    for (const ActionCode code : codes) {
        set |= actionBit(code);
    }
    return set;
}

// A base without modes but for a macro on F.
BindingModes macroOnF() {
    BindingModes modes;
    modes.macros = {{kKeyF, {{actionBit(action::buttonA), 60}}}};
    return modes;
}

TEST(ProfileModes, ModeLinesReadToTheModesOfTheBaseAndOfEachLayer) {
    struct Case {
        const char* text;
        std::function<BindingModes()> base;
        std::function<BindingModes()> layer; // of the one layer "L", when there is one
    };
    const Case cases[] = {
        {"TOGGLE = LC, B\nTURBO = RT\nTURBO PRESS = 10\nTURBO RELEASE = 1000\nWALK = L ALT\n"
         "WALK SPEED = 1\nMACRO F = A 60, 40, B+X 5000\nMACRO = = DU 1\n",
         [] {
             BindingModes m;
             m.toggle = actions({action::leftClick, action::buttonB});
             m.turbo = actions({action::rightFirstRow});
             m.turboPressMs = 10;
             m.turboReleaseMs = 1000;
             m.walkKey = kLeftAlt;
             m.walkPercent = 1;
             m.macros = {{kKeyF,
                          {{actionBit(action::buttonA), 60},
                           {0, 40},
                           {actions({action::buttonB, action::buttonX}), 5000}}},
                         {kEquals, {{actionBit(action::dpadUp), 1}}}};
             return m;
         },
         nullptr},
        // A layer's turbo and walk lines go together: what it leaves out is the base's.
        {"TURBO = RT\nTURBO RELEASE = 100\nWALK = L ALT\nLAYER = \"L\"\nWHILE = CAPS\n"
         "TURBO PRESS = 50\nWALK SPEED = 20\n",
         [] {
             BindingModes m;
             m.turbo = actionBit(action::rightFirstRow);
             m.turboReleaseMs = 100;
             m.walkKey = kLeftAlt;
             return m;
         },
         [] {
             BindingModes m;
             m.changes = mode_change::turbo | mode_change::walk;
             m.turbo = actionBit(action::rightFirstRow);
             m.turboPressMs = 50;
             m.turboReleaseMs = 100;
             m.walkKey = kLeftAlt;
             m.walkPercent = 20;
             return m;
         }},
        // none takes the base's toggles, walk key and macro away in the layer; the layer
        // may play F once it unbinds A from F.
        {"A = F\nTOGGLE = LC\nWALK = L ALT\nLAYER = \"L\"\nWHILE = CAPS\nTOGGLE = none\n"
         "WALK = none\nA = none\nMACRO F = A 60\nMACRO G = none\n",
         [] {
             BindingModes m;
             m.toggle = actionBit(action::leftClick);
             m.walkKey = kLeftAlt;
             return m;
         },
         [] {
             BindingModes m = macroOnF();
             m.changes = mode_change::toggle | mode_change::walk;
             m.macros.push_back({kKeyG, {}});
             return m;
         }},
        {"CONSOLE = ps3\nTURBO = R1, []\nMACRO G = X+O 10\n",
         [] {
             BindingModes m;
             m.turbo = actions({action::rightFirstRow, action::buttonX});
             m.macros = {{kKeyG, {{actions({action::buttonA, action::buttonB}), 10}}}};
             return m;
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ProfileTextReading reading = readProfileText(c.text, std::nullopt, kConsoleXbox360);
        ASSERT_TRUE(reading.errors.empty()) << reading.errors[0].message;
        EXPECT_EQ(reading.modes, c.base());
        ASSERT_EQ(reading.layers.size(), c.layer ? 1u : 0u);
        if (c.layer) {
            EXPECT_EQ(reading.layers[0].modes, c.layer());
        }
    }
}

TEST(ProfileModes, BadModeLinesAreRefusedAtTheirLineAndStep) {
    struct Case {
        std::string text;
        std::size_t line;
        std::string message;
    };
    std::string seventeen;
    for (char key = 'A'; key <= 'Q'; ++key) {
        seventeen += std::string("MACRO ") + key + " = 5\n";
    }
    std::string steps33 = "MACRO F = 1";
    for (std::size_t i = 1; i <= kMaxMacroSteps; ++i) {
        steps33 += ", 1";
    }
    const std::string layer = "LAYER = \"L\"\nWHILE = CAPS\n";
    const Case cases[] = {
        {"\nMACRO F = A 60, 40, B+Q 60\n", 2, "MACRO F: Step 3 \"B+Q 60\": \"Q\" is not an action"},
        {"MACRO F = A+A 1\n", 1, "MACRO F: Step 1 \"A+A 1\": \"A\" is named twice"},
        {"MACRO F = A 0\n", 1, "MACRO F: Step 1 \"A 0\": a step lasts 1 to 5000 ms"},
        {"MACRO F = 5,\n", 1,
         "MACRO F: Step 2 is empty: steps are separated by single commas, as in \"A 60, 40, B+X "
         "60\""},
        {steps33, 1, "MACRO F: A macro has at most 32 steps, not 33"},
        {"MACRO F = none\n", 1,
         "MACRO F: none belongs to a layer, where it takes the base's macro away; leave the "
         "line out"},
        {"MACRO F = 5\nMACRO  F = 6\n", 2, "MACRO F is given twice (first on line 1)"},
        {seventeen, 17,
         "MACRO Q: the profile and each layer hold at most 16 macros; this is one "
         "more"},
        {"TURBO PRESS = 1001\n", 1, "TURBO PRESS: 1001 is outside 10 to 1000 ms"},
        {"WALK SPEED = 101\n", 1, "WALK SPEED: 101 is outside 1 to 100 %"},
        {"TOGGLE = LC, LC\n", 1, "TOGGLE: LC is given twice"},
        // A refused list keeps none of its actions, so LC breaks no rule with TURBO.
        {"TOGGLE = LC, Q\nTURBO = LC\n", 1,
         "TOGGLE: unknown action \"Q\"; list actions as the text names them, as in RT, A"},
        // The rules, at the line of the block that breaks them.
        {"A = F\nMACRO F = B 5\n", 2,
         "MACRO F: F is also bound to A; a key that plays a macro has no other binding"},
        {"MACRO F = B 5\n" + layer + "A = F\n", 4,
         "A: F plays the base's MACRO F; a key that plays a macro has no other binding"},
        {"A = G, F\n" + layer + "MACRO F = B 5\n", 4,
         "MACRO F: F is also bound to A by the base; a key that plays a macro has no other "
         "binding"},
        {"TOGGLE = LC\n" + layer + "TURBO PRESS = 50\nTURBO = B, LC\n", 4,
         "TURBO: LC also toggles; an action toggles or repeats, not both"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ProfileTextReading reading = readProfileText(c.text, std::nullopt, kConsoleXbox360);
        ASSERT_EQ(reading.errors.size(), 1u)
            << (reading.errors.empty() ? "" : reading.errors[0].message);
        EXPECT_EQ(reading.errors[0].line, c.line);
        EXPECT_EQ(reading.errors[0].message, c.message);
    }
}

// Stored modes as check finds them; each message names the line that would show the value,
// and a rule broken in the base is told once, for the base.
TEST(ProfileModes, CheckFindsEveryBrokenRuleOfStoredModes) {
    struct Case {
        std::function<void(ProfileRecord&, BindingModes&, LayerRecord&)> spoil;
        std::string message;
        ProblemKind kind;
    };
    const Case cases[] = {
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.turboPressMs = 5; },
         "TURBO PRESS: 5 is outside 10 to 1000 ms", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes&, LayerRecord& l) {
             l.modes.changes = mode_change::walk;
             l.modes.walkPercent = 0;
         },
         "layer 0 \"L\": WALK SPEED: 0 is outside 1 to 100 %", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.walkKey = 0x54; },
         "WALK: key code 0x54 has no name", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.toggle = ActionSet{1} << 30; },
         "TOGGLE: bit 30 is no action", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.macros[0].steps[0].ms = 0; },
         "MACRO F: step 1: 0 is outside 1 to 5000 ms", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.macros[0].steps.clear(); },
         "MACRO F: no steps; only a layer's macro may be none", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.macros.push_back(m.macros[0]); },
         "MACRO F: given twice", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) {
             for (std::uint8_t key = 0x10; m.macros.size() <= kMaxMacros; ++key) {
                 m.macros.push_back({key, {{0, 1}}});
             }
         },
         "17 macros; the profile and each layer hold at most 16", ProblemKind::noWord},
        {[](ProfileRecord&, BindingModes& m, LayerRecord&) { m.walkKey = kF11; },
         "WALK: F11 ends the capture run, so the walk key never walks", ProblemKind::runKey},
        {[](ProfileRecord&, BindingModes&, LayerRecord& l) {
             l.modes.macros = {{kPageUp, {{0, 1}}}};
         },
         "layer 0 \"L\": MACRO PAGE UP: PAGE UP switches to the next profile, so the macro never "
         "plays",
         ProblemKind::runKey},
        // The base's own conflict is not the layer's, which changes neither side.
        {[](ProfileRecord& r, BindingModes&, LayerRecord&) {
             r.bytes[profile::primaryKeys + action::buttonB] = kKeyF;
         },
         "MACRO F: F is also bound to B; a key that plays a macro has no other binding",
         ProblemKind::conflict},
        {[](ProfileRecord&, BindingModes&, LayerRecord& l) {
             ProfileRecord values;
             values.bytes[profile::secondaryKeys + action::buttonB] = kKeyF;
             takeChange(l, layer_change::firstAction + action::buttonB, values);
         },
         "layer 0 \"L\": B: F plays the base's MACRO F; a key that plays a macro has no other "
         "binding",
         ProblemKind::conflict},
        {[](ProfileRecord&, BindingModes& m, LayerRecord& l) {
             m.turbo = actionBit(action::buttonY);
             l.modes.changes = mode_change::toggle;
             l.modes.toggle = actionBit(action::buttonY);
         },
         "layer 0 \"L\": TURBO: Y also toggles; an action toggles or repeats, not both",
         ProblemKind::conflict},
    };
    const SwitchKeyCodes switchKeys{kPageUp, 0};
    ProfileRecord soundBase = testing::newProfile("P");
    LayerRecord soundLayer;
    setLayerName(soundLayer, "L");
    soundLayer.trigger = {TriggerSource::key, 0x3A};
    ASSERT_TRUE(
        modeProblems(soundBase, macroOnF(), {&soundLayer, 1}, kConsoleXbox360, switchKeys).empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ProfileRecord base = soundBase;
        BindingModes modes = macroOnF();
        LayerRecord layer = soundLayer;
        c.spoil(base, modes, layer);
        const std::vector<RecordProblem> problems =
            modeProblems(base, modes, {&layer, 1}, kConsoleXbox360, switchKeys);
        std::string all;
        for (const RecordProblem& problem : problems) {
            all += problem.message + "\n";
        }
        ASSERT_EQ(problems.size(), 1u) << all;
        EXPECT_EQ(problems[0].message, c.message);
        EXPECT_EQ(problems[0].kind, c.kind);
        EXPECT_EQ(exportBlockers(base, kConsoleXbox360, {&layer, 1}, modes).empty(),
                  c.kind == ProblemKind::runKey);
    }
}

// A profile with modes and no layer gets its entry in layers.bin at import, list names its
// modes and export writes the same text again; check and export tell a stored conflict, and export
// refuses it.
using ProfilesModesTest = testing::ProfilesToolTest;

TEST_F(ProfilesModesTest, ModesGoWithTheirProfileThroughImportExportAndCheck) {
    writeStore({testing::newProfile("One")});
    const std::string text = "NAME = \"Two\"\nA = SPACE\nTURBO = RT, A\nWALK SPEED = 30\n"
                             "MACRO F = A 60, 40, X+B 60\n";
    dir.write("two.txt", text);
    ASSERT_EQ(run({"import", dir.file("two.txt")}).status, 0);
    const std::vector<LayeredProfile> stored =
        testing::storedProfiles(makeProgramPaths(dir.path()));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_TRUE(stored[0].layers.empty());
    const ProfileTextReading reading = readProfileText(text, std::nullopt, kConsoleXbox360);
    EXPECT_EQ(stored[1].layers, (ProfileLayers{{}, {}, reading.modes}));
    EXPECT_EQ(run({"check"}).out, "2 profiles, no problems\n");
    EXPECT_EQ(run({"list"}).out, "* 0 \"One\": 0 keys, mouse Left Stick, zoom 1.0 x 1.0\n"
                                 "  1 \"Two\": 1 key, mouse Left Stick, zoom 1.0 x 1.0, modes "
                                 "turbo, 1 macro\n");
    const testing::ToolRun exported = run({"export", "1"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_TRUE(
        exported.out.ends_with("TURBO = A, RT\nWALK SPEED = 30\nMACRO F = A 60, 40, X+B 60\n"))
        << exported.out;

    ProfileRecord conflicting = testing::newProfile("Three");
    conflicting.bytes[profile::primaryKeys + action::buttonB] = kKeyF;
    dir.write("layers.bin", testing::layersFileOf({{conflicting, {{}, {}, macroOnF()}}}));
    writeStore({conflicting});
    const testing::ToolRun check = run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out, "profile 0 \"Three\": MACRO F: F is also bound to B; a key that plays "
                         "a macro has no other binding\n1 profile, 1 problem\n");
    const testing::ToolRun refused = run({"export", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("profile 0 \"Three\" breaks rules of the binding modes, so import "
                               "would refuse its text:\n  MACRO F: F is also bound to B"),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(refused.out.empty());
}

} // namespace
} // namespace qora
