#include "mapping/actions.h"

#include "mapping/tilt.h"

#include <algorithm>
#include <array>

namespace qora {
namespace {

struct ButtonBit {
    std::size_t offset;
    std::uint8_t mask;
};

void setBit(ControllerState& state, ButtonBit bit) {
    state.bytes[bit.offset] |= bit.mask;
}

// Codes 16 to 19 follow the Map dialog's label: trigger in one mode, bumper in the other.
void applyShoulderAction(ControllerState& state, ConsoleMode mode, ActionCode code) {
    const bool leftSide = code == action::leftFifthRow || code == action::leftSixthRow;
    const bool fifthOrFirstRow = code == action::leftFifthRow || code == action::rightFirstRow;
    const std::size_t trigger = leftSide ? state::leftTrigger : state::rightTrigger;
    const ButtonBit bumper{state::buttons2,
                           leftSide ? buttons2::leftBumper : buttons2::rightBumper};

    bool setsTrigger = false;
    if (mode == kConsoleXbox360) {
        setsTrigger = fifthOrFirstRow; // "LT", "RT"
    } else if (mode == kConsolePs3) {
        setsTrigger = !fifthOrFirstRow; // "L2", "R2"
    } else {
        return;
    }
    if (setsTrigger) {
        state.bytes[trigger] = kTriggerPressed;
    } else {
        setBit(state, bumper);
    }
}

void applyEffect(ControllerState& state, ConsoleMode mode, ActionCode code) {
    switch (code) {
    case action::dpadUp:
        setBit(state, {state::buttons1, buttons1::dpadUp});
        break;
    case action::dpadDown:
        setBit(state, {state::buttons1, buttons1::dpadDown});
        break;
    case action::dpadLeft:
        setBit(state, {state::buttons1, buttons1::dpadLeft});
        break;
    case action::dpadRight:
        setBit(state, {state::buttons1, buttons1::dpadRight});
        break;
    case action::leftStickUp:
        setStickValue(state, state::leftStickY, kStickFullPositive);
        break;
    case action::leftStickDown:
        setStickValue(state, state::leftStickY, kStickFullNegative);
        break;
    case action::leftStickLeft:
        setStickValue(state, state::leftStickX, kStickFullNegative);
        break;
    case action::leftStickRight:
        setStickValue(state, state::leftStickX, kStickFullPositive);
        break;
    case action::rightStickUp:
        setStickValue(state, state::rightStickY, kStickFullPositive);
        break;
    case action::rightStickDown:
        setStickValue(state, state::rightStickY, kStickFullNegative);
        break;
    case action::rightStickLeft:
        setStickValue(state, state::rightStickX, kStickFullNegative);
        break;
    case action::rightStickRight:
        setStickValue(state, state::rightStickX, kStickFullPositive);
        break;
    case action::buttonY:
        setBit(state, {state::buttons2, buttons2::y});
        break;
    case action::buttonX:
        setBit(state, {state::buttons2, buttons2::x});
        break;
    case action::buttonB:
        setBit(state, {state::buttons2, buttons2::b});
        break;
    case action::buttonA:
        setBit(state, {state::buttons2, buttons2::a});
        break;
    case action::leftFifthRow:
    case action::leftSixthRow:
    case action::rightFirstRow:
    case action::rightSecondRow:
        applyShoulderAction(state, mode, code);
        break;
    case action::leftClick:
        setBit(state, {state::buttons1, buttons1::leftClick});
        break;
    case action::rightClick:
        setBit(state, {state::buttons1, buttons1::rightClick});
        break;
    case action::back:
        setBit(state, {state::buttons1, buttons1::back});
        break;
    case action::start:
        setBit(state, {state::buttons1, buttons1::start});
        break;
    case action::guide:
        setBit(state, {state::buttons2, buttons2::guide});
        break;
    case action::tiltUp:
    case action::tiltDown:
    case action::tiltLeft:
    case action::tiltRight:
        applyTiltAction(state, code);
        break;
    default:
        break;
    }
}

// A stick direction's axis and its deflection at a percentage of full (offset 0: not a
// stick direction). Full deflection is +127 or -127 in the high byte; the scaled value
// keeps that sign and is cut toward zero.
struct ScaledStick {
    std::size_t offset = 0;
    std::int16_t value = 0;
};

ScaledStick scaledStickOf(ActionCode code, std::int32_t percent) {
    const std::int32_t clamped = std::clamp(percent, 0, 100);
    const auto scaled = [&](std::int16_t full) {
        return static_cast<std::int16_t>(static_cast<std::int32_t>(full) * clamped / 100);
    };
    switch (code) {
    case action::leftStickUp:
        return {state::leftStickY, scaled(kStickFullPositive)};
    case action::leftStickDown:
        return {state::leftStickY, scaled(kStickFullNegative)};
    case action::leftStickLeft:
        return {state::leftStickX, scaled(kStickFullNegative)};
    case action::leftStickRight:
        return {state::leftStickX, scaled(kStickFullPositive)};
    case action::rightStickUp:
        return {state::rightStickY, scaled(kStickFullPositive)};
    case action::rightStickDown:
        return {state::rightStickY, scaled(kStickFullNegative)};
    case action::rightStickLeft:
        return {state::rightStickX, scaled(kStickFullNegative)};
    case action::rightStickRight:
        return {state::rightStickX, scaled(kStickFullPositive)};
    default:
        return {};
    }
}

// The mouse-action list by position; position 0 is "None".
constexpr std::array<ActionCode, kMouseActionCountPs3> kMouseActions = {
    action::noAction,       action::buttonY,        action::buttonX,         action::buttonB,
    action::buttonA,        action::rightClick,     action::rightSecondRow,  action::rightFirstRow,
    action::leftClick,      action::leftSixthRow,   action::leftFifthRow,    action::leftStickUp,
    action::leftStickDown,  action::leftStickLeft,  action::leftStickRight,  action::rightStickUp,
    action::rightStickDown, action::rightStickLeft, action::rightStickRight, action::dpadUp,
    action::dpadDown,       action::dpadLeft,       action::dpadRight,       action::tiltUp,
    action::tiltDown,       action::tiltLeft,       action::tiltRight,
};

} // namespace

void applyAction(ControllerState& state, ConsoleMode mode, ActionCode code) {
    applyEffect(state, mode, code);
    combineTilt(state);
}

void applyScaledAction(ControllerState& state, ConsoleMode mode, ActionCode code,
                       std::int32_t stickPercent) {
    const ScaledStick stick = scaledStickOf(code, stickPercent);
    if (stickPercent >= 100 || stick.offset == 0) {
        applyAction(state, mode, code);
        return;
    }
    setStickValue(state, stick.offset, stick.value);
    combineTilt(state);
}

void dispatchKey(ControllerState& state, ConsoleMode mode, const ProfileRecord& profile,
                 std::uint8_t scanCode, std::uint32_t leaveOut, std::int32_t stickPercent) {
    for (ActionCode code = action::first; code <= action::last; ++code) {
        const auto k = static_cast<std::size_t>(code);
        if ((leaveOut >> k & 1u) != 0) {
            continue;
        }
        if (primaryKey(profile, k) == scanCode || secondaryKey(profile, k) == scanCode) {
            applyScaledAction(state, mode, code, stickPercent);
        }
    }
}

ActionCode mouseBindingAction(std::uint32_t index) {
    const std::uint32_t position = index & 0xFFu;
    if (position >= kMouseActions.size()) {
        return action::noAction;
    }
    return kMouseActions[position];
}

} // namespace qora
