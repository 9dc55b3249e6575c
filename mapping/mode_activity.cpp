#include "mapping/mode_activity.h"

#include "input/mouse_record.h"
#include "mapping/actions.h"

#include <algorithm>

namespace qora {
namespace {

constexpr std::size_t kKeys = 256;

bool inSet(ActionSet set, std::size_t action) {
    return (set >> action & 1u) != 0;
}

// A layer's macro for a key replaces the one in effect for it; one without steps takes it
// away.
void putMacro(ModesInEffect& inEffect, const Macro& macro) {
    MacroInEffect* const begin = inEffect.macros.data();
    MacroInEffect* const end = begin + inEffect.macroCount;
    MacroInEffect* found =
        std::find_if(begin, end, [&](const MacroInEffect& m) { return m.key == macro.key; });
    if (macro.steps.empty()) {
        if (found != end) {
            std::move(found + 1, end, found);
            --inEffect.macroCount;
        }
        return;
    }
    if (found == end) {
        if (inEffect.macroCount == inEffect.macros.size()) {
            return;
        }
        found = end;
        ++inEffect.macroCount;
    }
    found->key = macro.key;
    found->stepCount = static_cast<std::uint8_t>(std::min(macro.steps.size(), kMaxMacroSteps));
    std::copy_n(macro.steps.begin(), found->stepCount, found->steps.begin());
}

void takeModes(ModesInEffect& inEffect, const BindingModes& modes, std::uint8_t changes) {
    if ((changes & mode_change::toggle) != 0) {
        inEffect.toggle = modes.toggle & kAllActions;
    }
    if ((changes & mode_change::turbo) != 0) {
        inEffect.turbo = modes.turbo & kAllActions;
        inEffect.turboPressMs = std::clamp(modes.turboPressMs, kMinTurboMs, kMaxTurboMs);
        inEffect.turboReleaseMs = std::clamp(modes.turboReleaseMs, kMinTurboMs, kMaxTurboMs);
    }
    if ((changes & mode_change::walk) != 0) {
        inEffect.walkKey = modes.walkKey;
        inEffect.walkPercent = std::clamp(modes.walkPercent, kMinWalkPercent, kMaxWalkPercent);
    }
    for (const Macro& macro : modes.macros) {
        putMacro(inEffect, macro);
    }
}

// The actions bound to what is held now, and to what went down since the last look.
struct BoundActions {
    ActionSet held = 0;
    ActionSet pressed = 0;
};

ActionSet actionOfButton(const ProfileRecord& profile, std::size_t button) {
    const ActionCode code = mouseBindingAction(mouseBinding(profile, button));
    return code == action::noAction ? 0 : actionBit(code);
}

bool keyDown(const std::uint8_t* snapshot, std::uint8_t key) {
    return key != 0 && (snapshot[key] & kKeyDown) != 0;
}

// Action by action through its two keys, not key by key through every action: half the
// keyboard held would otherwise cost thousands of comparisons at every event.
BoundActions boundActions(ModeActivity& activity, const ProfileRecord& profile,
                          const HeldInputs& inputs) {
    BoundActions bound;
    for (std::size_t k = 0; k < kActionCount; ++k) {
        for (const std::uint8_t key : {primaryKey(profile, k), secondaryKey(profile, k)}) {
            if (keyDown(inputs.snapshot, key)) {
                bound.held |= ActionSet{1} << k;
                bound.pressed |= activity.keysDown[key] ? 0 : ActionSet{1} << k;
            }
        }
    }
    for (std::size_t key = 1; key < kKeys; ++key) {
        activity.keysDown[key] = (inputs.snapshot[key] & kKeyDown) != 0;
    }
    std::uint8_t buttonsDown = 0;
    for (std::size_t button = 0; button <= mouse_flag::lastButton; ++button) {
        const bool down = inputs.mouse.flags[mouse_flag::firstButton + button] != 0;
        const bool pressed = (down && (activity.buttonsDown >> button & 1u) == 0) ||
                             (inputs.buttonsPressed >> button & 1u) != 0;
        buttonsDown |= static_cast<std::uint8_t>(down ? 1u << button : 0u);
        bound.held |= down ? actionOfButton(profile, button) : 0;
        bound.pressed |= pressed ? actionOfButton(profile, button) : 0;
    }
    activity.buttonsDown = buttonsDown;
    return bound;
}

void followTurbo(ModeActivity& activity, const ModesInEffect& modes, ActionSet held,
                 std::int64_t nowUs) {
    for (std::size_t k = 0; k < kActionCount; ++k) {
        const bool repeating = inSet(modes.turbo, k) && inSet(held, k);
        if (!repeating) {
            activity.turboSinceUs[k] = kNeverUs;
        } else if (activity.turboSinceUs[k] == kNeverUs) {
            activity.turboSinceUs[k] = nowUs;
        }
    }
}

const MacroInEffect* macroFor(const ModesInEffect& modes, std::uint8_t key) {
    for (std::size_t m = 0; m < modes.macroCount; ++m) {
        if (modes.macros[m].key == key) {
            return &modes.macros[m];
        }
    }
    return nullptr;
}

bool playing(const ModeActivity& activity, std::uint8_t key) {
    return std::any_of(activity.macros.begin(), activity.macros.end(),
                       [&](const MacroPlay& play) { return play.key == key; });
}

// A macro's key pressed while its macro does not play starts it; a press while it plays is
// ignored, and so is its release.
void startMacros(ModeActivity& activity, const ModesInEffect& modes, const std::uint8_t* snapshot,
                 const std::bitset<256>& keysDownBefore, std::int64_t nowUs) {
    for (std::size_t m = 0; m < modes.macroCount; ++m) {
        const std::uint8_t key = modes.macros[m].key;
        const bool pressed = (snapshot[key] & kKeyDown) != 0 && !keysDownBefore[key];
        if (!pressed || playing(activity, key)) {
            continue;
        }
        const auto free = std::find_if(activity.macros.begin(), activity.macros.end(),
                                       [](const MacroPlay& play) { return play.key == 0; });
        if (free != activity.macros.end()) {
            *free = {key, nowUs};
        }
    }
}

std::int64_t cycleUs(const ModesInEffect& modes) {
    return (static_cast<std::int64_t>(modes.turboPressMs) + modes.turboReleaseMs) *
           kMicrosecondsPerMillisecond;
}

std::int64_t pressUs(const ModesInEffect& modes) {
    return static_cast<std::int64_t>(modes.turboPressMs) * kMicrosecondsPerMillisecond;
}

bool turboPressedAt(const ModeActivity& activity, const ModesInEffect& modes, std::size_t k,
                    std::int64_t nowUs) {
    const std::int64_t since = activity.turboSinceUs[k];
    return since != kNeverUs && nowUs >= since && (nowUs - since) % cycleUs(modes) < pressUs(modes);
}

// The step of a macro under way at nowUs, or nullptr once its last step has passed.
const MacroStep* stepAt(const MacroInEffect& macro, const MacroPlay& play, std::int64_t nowUs,
                        std::int64_t* stepEndUs = nullptr) {
    std::int64_t endUs = play.startUs;
    for (std::size_t s = 0; s < macro.stepCount; ++s) {
        endUs += static_cast<std::int64_t>(macro.steps[s].ms) * kMicrosecondsPerMillisecond;
        if (nowUs < endUs) {
            if (stepEndUs != nullptr) {
                *stepEndUs = endUs;
            }
            return &macro.steps[s];
        }
    }
    return nullptr;
}

void applyActions(ControllerState& state, ConsoleMode mode, ActionSet actions,
                  std::int32_t stickPercent = 100) {
    for (std::size_t k = 0; k < kActionCount; ++k) {
        if (inSet(actions, k)) {
            applyScaledAction(state, mode, static_cast<ActionCode>(k), stickPercent);
        }
    }
}

} // namespace

void makeModesInEffect(ModesInEffect& inEffect, const BindingModes& base,
                       std::span<const BindingModes* const> layerModes) {
    inEffect = ModesInEffect{};
    takeModes(inEffect, base, mode_change::all);
    for (const BindingModes* modes : layerModes) {
        takeModes(inEffect, *modes, modes->changes);
    }
}

void followModes(ModeActivity& activity, const ModesInEffect& modes, const ProfileRecord& profile,
                 const HeldInputs& inputs, std::int64_t nowUs) {
    const std::bitset<256> keysDownBefore = activity.keysDown;
    const BoundActions bound = boundActions(activity, profile, inputs);
    activity.toggledOn = (activity.toggledOn ^ (bound.pressed & modes.toggle)) & modes.toggle;
    followTurbo(activity, modes, bound.held, nowUs);
    startMacros(activity, modes, inputs.snapshot, keysDownBefore, nowUs);
    activity.walking = modes.walkKey != 0 && (inputs.snapshot[modes.walkKey] & kKeyDown) != 0;
}

void takeHeldAsBefore(ModeActivity& activity, const std::uint8_t* snapshot,
                      const MouseState& mouse) {
    for (std::size_t key = 0; key < kKeys; ++key) {
        activity.keysDown[key] = (snapshot[key] & kKeyDown) != 0;
    }
    activity.buttonsDown = 0;
    for (std::size_t button = 0; button <= mouse_flag::lastButton; ++button) {
        if (mouse.flags[mouse_flag::firstButton + button] != 0) {
            activity.buttonsDown |= static_cast<std::uint8_t>(1u << button);
        }
    }
}

bool endFinishedMacros(ModeActivity& activity, const ModesInEffect& modes, std::int64_t nowUs) {
    bool ended = false;
    for (MacroPlay& play : activity.macros) {
        if (play.key == 0) {
            continue;
        }
        const MacroInEffect* macro = macroFor(modes, play.key);
        if (macro == nullptr || stepAt(*macro, play, nowUs) == nullptr) {
            play = MacroPlay{};
            ended = true;
        }
    }
    return ended;
}

ActionSet actionsWithModes(const ModesInEffect& modes) {
    return modes.toggle | modes.turbo;
}

std::int32_t keyStickPercent(const ModeActivity& activity, const ModesInEffect& modes) {
    return activity.walking ? modes.walkPercent : 100;
}

void applyModes(ControllerState& state, ConsoleMode mode, const ModeActivity& activity,
                const ModesInEffect& modes, std::int64_t nowUs) {
    ActionSet actions = activity.toggledOn & modes.toggle;
    for (std::size_t k = 0; k < kActionCount; ++k) {
        if (inSet(modes.turbo, k) && turboPressedAt(activity, modes, k, nowUs)) {
            actions |= ActionSet{1} << k;
        }
    }
    applyActions(state, mode, actions, keyStickPercent(activity, modes));
    for (const MacroPlay& play : activity.macros) {
        const MacroInEffect* macro = play.key == 0 ? nullptr : macroFor(modes, play.key);
        if (macro != nullptr) {
            if (const MacroStep* step = stepAt(*macro, play, nowUs)) {
                applyActions(state, mode, step->actions);
            }
        }
    }
}

std::int64_t nextModeChange(const ModeActivity& activity, const ModesInEffect& modes,
                            std::int64_t nowUs) {
    std::int64_t next = kNeverUs;
    for (std::size_t k = 0; k < kActionCount; ++k) {
        const std::int64_t since = activity.turboSinceUs[k];
        if (since == kNeverUs || !inSet(modes.turbo, k)) {
            continue;
        }
        const std::int64_t into = std::max<std::int64_t>(nowUs - since, 0) % cycleUs(modes);
        const std::int64_t edge = into < pressUs(modes) ? pressUs(modes) : cycleUs(modes);
        next = std::min(next, std::max(nowUs, since) + (edge - into));
    }
    for (const MacroPlay& play : activity.macros) {
        const MacroInEffect* macro = play.key == 0 ? nullptr : macroFor(modes, play.key);
        std::int64_t endUs = kNeverUs;
        if (macro != nullptr && stepAt(*macro, play, nowUs, &endUs) != nullptr) {
            next = std::min(next, endUs);
        }
    }
    return next;
}

} // namespace qora
