#include "profiles/modes_editing.h"

#include "sample_modes.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qora {
namespace {

using namespace testing::sample_modes;

using Steps = std::vector<MacroStep>;
const Steps kDodge{{actionBit(kB), 40}, {0, 20}};

ModesInEdit editOfBase() {
    return {baseModes(), std::nullopt};
}

ModesInEdit editOfLayer(const BindingModes& layer = {}) {
    return {baseModes(), layer};
}

struct Mode {
    bool toggled;
    bool repeated;
};

Mode modeOf(const ModesInEdit& edit, ActionCode code) {
    const BindingModes shown = shownModes(edit);
    return {(shown.toggle & actionBit(code)) != 0, (shown.turbo & actionBit(code)) != 0};
}

// An action is normal, toggled or repeated: making it one takes it out of the other, also
// when the other is the base's in a layer (the layer then owns that part too); turning a
// mode off leaves the other part as it was. The base is never changed from a layer.
TEST(ModesEditing, EachActionIsNormalToggledOrRepeated) {
    struct Case {
        const char* what;
        bool inLayer;
        std::function<void(ModesInEdit&)> edit;
        ActionCode action;
        Mode mode;
        std::uint8_t layerOwns; // mode_change bits after the edit (in a layer)
        ActionSet toggle;       // the edited modes' sets after the edit
        ActionSet turbo;
    };
    const Case cases[] = {
        {"base: A toggled",
         false,
         [](ModesInEdit& e) { setToggled(e, kA, true); },
         kA,
         {true, false},
         0,
         actionBit(kA) | actionBit(kB),
         actionBit(kRt)},
        {"base: RT toggled leaves turbo",
         false,
         [](ModesInEdit& e) { setToggled(e, kRt, true); },
         kRt,
         {true, false},
         0,
         actionBit(kB) | actionBit(kRt),
         0},
        {"base: B repeated leaves toggle",
         false,
         [](ModesInEdit& e) { setRepeated(e, kB, true); },
         kB,
         {false, true},
         0,
         0,
         actionBit(kB) | actionBit(kRt)},
        {"base: B back to normal",
         false,
         [](ModesInEdit& e) { setToggled(e, kB, false); },
         kB,
         {false, false},
         0,
         0,
         actionBit(kRt)},
        {"layer: A toggled takes the toggle part only",
         true,
         [](ModesInEdit& e) { setToggled(e, kA, true); },
         kA,
         {true, false},
         mode_change::toggle,
         actionBit(kA) | actionBit(kB),
         0},
        {"layer: RT toggled takes both parts",
         true,
         [](ModesInEdit& e) { setToggled(e, kRt, true); },
         kRt,
         {true, false},
         mode_change::toggle | mode_change::turbo,
         actionBit(kB) | actionBit(kRt),
         0},
        {"layer: B repeated takes both parts",
         true,
         [](ModesInEdit& e) { setRepeated(e, kB, true); },
         kB,
         {false, true},
         mode_change::toggle | mode_change::turbo,
         0,
         actionBit(kB) | actionBit(kRt)},
        {"layer: RT no longer repeated takes turbo only",
         true,
         [](ModesInEdit& e) { setRepeated(e, kRt, false); },
         kRt,
         {false, false},
         mode_change::turbo,
         0,
         0},
        {"layer: toggling B again changes nothing",
         true,
         [](ModesInEdit& e) { setToggled(e, kB, true); },
         kB,
         {true, false},
         0,
         0,
         0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ModesInEdit edit = test.inLayer ? editOfLayer() : editOfBase();
        test.edit(edit);
        const Mode mode = modeOf(edit, test.action);
        EXPECT_EQ(mode.toggled, test.mode.toggled);
        EXPECT_EQ(mode.repeated, test.mode.repeated);
        const BindingModes& edited = test.inLayer ? *edit.layer : edit.base;
        EXPECT_EQ(edited.toggle, test.toggle);
        EXPECT_EQ(edited.turbo, test.turbo);
        if (test.inLayer) {
            EXPECT_EQ(edit.layer->changes, test.layerOwns);
            EXPECT_EQ(edit.base, baseModes());
        }
    }
}

// A taken part carries every value the layer showed (the turbo times with the set, the
// walk speed with the key), so taking changes nothing that plays; Use base gives it back,
// its values to their defaults, and the base's show again.
TEST(ModesEditing, ALayersPartIsItsOwnOrTheBases) {
    struct Case {
        const char* what;
        std::function<void(ModesInEdit&)> edit;
        std::uint8_t owned;
        BindingModes layer; // the layer after the edit; changes aside
    };
    BindingModes turboTaken;
    turboTaken.turbo = actionBit(kRt);
    turboTaken.turboPressMs = 50;
    turboTaken.turboReleaseMs = 70;
    BindingModes turboTimed = turboTaken;
    turboTimed.turboPressMs = 10;
    turboTimed.turboReleaseMs = 1000;
    BindingModes walkOnCtrl;
    walkOnCtrl.walkKey = kLeftCtrl;
    walkOnCtrl.walkPercent = 40;
    BindingModes walkSlower;
    walkSlower.walkKey = kLeftAlt;
    walkSlower.walkPercent = 15;
    BindingModes noToggles; // owns the toggle part, with nothing toggled
    const Case cases[] = {
        {"turbo taken", [](ModesInEdit& e) { takePart(e, mode_change::turbo); }, mode_change::turbo,
         turboTaken},
        {"turbo times", [](ModesInEdit& e) { setTurboTimes(e, 10, 1000); }, mode_change::turbo,
         turboTimed},
        {"walk key", [](ModesInEdit& e) { setWalkKey(e, kLeftCtrl); }, mode_change::walk,
         walkOnCtrl},
        {"walk speed", [](ModesInEdit& e) { setWalkPercent(e, 15); }, mode_change::walk,
         walkSlower},
        {"no toggles", [](ModesInEdit& e) { setToggled(e, kB, false); }, mode_change::toggle,
         noToggles},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ModesInEdit edit = editOfLayer();
        const BindingModes before = shownModes(edit);
        test.edit(edit);
        BindingModes layer = *edit.layer;
        EXPECT_EQ(layer.changes, test.owned);
        layer.changes = 0;
        EXPECT_EQ(layer, test.layer);
        for (const std::uint8_t part :
             {mode_change::toggle, mode_change::turbo, mode_change::walk}) {
            EXPECT_EQ(partShowsBase(edit, part), part != test.owned) << int(part);
        }
        usePartOfBase(edit, test.owned);
        EXPECT_EQ(*edit.layer, BindingModes{});
        EXPECT_EQ(shownModes(edit), before);
        EXPECT_FALSE(partShowsBase(editOfBase(), test.owned));
    }
}

std::vector<MacroShown> macros(std::vector<MacroShown> lines) {
    return lines;
}

// The macro list in the base and in a layer: a layer's macro of a key shows in the base's
// place and plays instead, "none" turns the base's off, Use base shows it again; at most
// 16 macros play, and neither the base nor a layer holds more.
TEST(ModesEditing, MacrosGoKeyByKey) {
    struct Case {
        const char* what;
        bool inLayer;
        std::function<std::optional<std::string>(ModesInEdit&)> edit;
        std::optional<std::string> refusal;
        std::vector<MacroShown> shown;
        std::vector<Macro> edited; // the macros of what was edited
    };
    const Case cases[] = {
        {"base: a new key",
         false,
         [](ModesInEdit& e) {
             return setMacro(e, {kKeyG, kDodge});
         },
         std::nullopt,
         macros({{kKeyF, kJump, false}, {kKeyG, kDodge, false}}),
         {{kKeyF, kJump}, {kKeyG, kDodge}}},
        {"base: F changed",
         false,
         [](ModesInEdit& e) {
             return setMacro(e, {kKeyF, kDodge});
         },
         std::nullopt,
         macros({{kKeyF, kDodge, false}}),
         {{kKeyF, kDodge}}},
        {"base: F removed",
         false,
         [](ModesInEdit& e) { return removeMacro(e, kKeyF); },
         std::nullopt,
         macros({}),
         {}},
        {"layer: F shown from the base",
         true,
         [](ModesInEdit&) { return std::nullopt; },
         std::nullopt,
         macros({{kKeyF, kJump, true}}),
         {}},
        {"layer: its own F",
         true,
         [](ModesInEdit& e) {
             return setMacro(e, {kKeyF, kDodge});
         },
         std::nullopt,
         macros({{kKeyF, kDodge, false}}),
         {{kKeyF, kDodge}}},
        {"layer: a key of its own",
         true,
         [](ModesInEdit& e) {
             return setMacro(e, {kKeyG, kDodge});
         },
         std::nullopt,
         macros({{kKeyF, kJump, true}, {kKeyG, kDodge, false}}),
         {{kKeyG, kDodge}}},
        {"layer: F turned off",
         true,
         [](ModesInEdit& e) { return removeMacro(e, kKeyF); },
         std::nullopt,
         macros({{kKeyF, {}, false}}),
         {{kKeyF, {}}}},
        {"layer: its own G removed",
         true,
         [](ModesInEdit& e) {
             setMacro(e, {kKeyG, kDodge});
             return removeMacro(e, kKeyG);
         },
         std::nullopt,
         macros({{kKeyF, kJump, true}}),
         {}},
        {"layer: F turned off, then the base's again",
         true,
         [](ModesInEdit& e) {
             removeMacro(e, kKeyF);
             useMacroOfBase(e, kKeyF);
             return std::nullopt;
         },
         std::nullopt,
         macros({{kKeyF, kJump, true}}),
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ModesInEdit edit = test.inLayer ? editOfLayer() : editOfBase();
        EXPECT_EQ(test.edit(edit), test.refusal);
        EXPECT_EQ(macrosShown(edit), test.shown);
        EXPECT_EQ(test.inLayer ? edit.layer->macros : edit.base.macros, test.edited);
        if (test.inLayer) {
            EXPECT_EQ(edit.base, baseModes());
            EXPECT_EQ(edit.layer->changes, 0) << "macros go key by key, apart from the parts";
        }
    }
}

// The 17th macro is refused, wherever it would be: in the base, in a layer's own, or
// among those that play in a layer over a full base; a change of one already there is not.
TEST(ModesEditing, AtMostSixteenMacros) {
    struct Case {
        const char* what;
        std::size_t baseMacros;
        std::optional<std::size_t> layerMacros; // keys after the base's
        Macro set;
        bool refused;
    };
    constexpr std::uint8_t kFirstKey = 0x02;
    constexpr std::uint8_t kOtherKey = 0x40;
    const Case cases[] = {
        {"base full, a new key", kMaxMacros, std::nullopt, {kOtherKey, kJump}, true},
        {"base full, a key it has", kMaxMacros, std::nullopt, {kFirstKey, kDodge}, false},
        {"base 15, a new key", kMaxMacros - 1, std::nullopt, {kOtherKey, kJump}, false},
        {"base full, a layer's new key", kMaxMacros, 0, {kOtherKey, kJump}, true},
        {"base full, a layer's own of the base's key", kMaxMacros, 0, {kFirstKey, kDodge}, false},
        {"layer full, a new key", 0, kMaxMacros, {kFirstKey, kJump}, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ModesInEdit edit;
        for (std::size_t i = 0; i < test.baseMacros; ++i) {
            edit.base.macros.push_back({static_cast<std::uint8_t>(kFirstKey + i), kJump});
        }
        if (test.layerMacros) {
            edit.layer.emplace();
            for (std::size_t i = 0; i < *test.layerMacros; ++i) {
                edit.layer->macros.push_back({static_cast<std::uint8_t>(kOtherKey + 1 + i), kJump});
            }
        }
        const ModesInEdit before = edit;
        const std::optional<std::string> refusal = setMacro(edit, test.set);
        EXPECT_EQ(refusal,
                  test.refused ? std::optional<std::string>(kTooManyMacrosText) : std::nullopt);
        if (test.refused) {
            EXPECT_EQ(edit, before);
        }
    }
    // A layer that holds 16 keys of its own may still not turn a 17th off.
    ModesInEdit full{{}, BindingModes{}};
    full.base.macros = {{kKeyH, kJump}};
    for (std::size_t i = 0; i < kMaxMacros; ++i) {
        full.layer->macros.push_back({static_cast<std::uint8_t>(kOtherKey + i), kJump});
    }
    EXPECT_EQ(removeMacro(full, kKeyH), std::optional<std::string>(kTooManyMacrosText));
}

// An edited base claims every part when it has a mode and none when it has none, so a
// profile whose modes were emptied equals one that never had any.
TEST(ModesEditing, TheBaseChangesEveryPartOrNone) {
    struct Case {
        BindingModes base;
        std::uint8_t changes;
    };
    BindingModes walking;
    walking.walkKey = kLeftAlt;
    BindingModes slowTurbo;
    slowTurbo.turboPressMs = 100;
    BindingModes macro;
    macro.macros = {{kKeyF, kJump}};
    BindingModes emptied;
    emptied.changes = mode_change::all;
    const Case cases[] = {
        {BindingModes{}, 0},
        {walking, mode_change::all},
        {slowTurbo, mode_change::all},
        {macro, mode_change::all},
        {emptied, 0},
    };
    for (const Case& test : cases) {
        BindingModes base = test.base;
        settleBaseChanges(base);
        EXPECT_EQ(base.changes, test.changes);
        if (test.changes == 0) {
            EXPECT_EQ(base, BindingModes{});
        }
    }
}

} // namespace
} // namespace qora
