#include "mapping/controller_state.h"

namespace qora {

ControllerState idleControllerState() {
    ControllerState state;
    resetToIdle(state);
    return state;
}

void resetToIdle(ControllerState& state) {
    state.bytes.fill(0);
    state.bytes[state::reportLength] = state::kReportLength;
}

void resetToRest(ControllerState& state) {
    resetToIdle(state);
    setMotionValue(state, state::accelX, kAccelLevel);
    setMotionValue(state, state::accelY, kAccelLevel);
    setMotionValue(state, state::accelZ, kAccelZRest);
}

std::int16_t stickValue(const ControllerState& state, std::size_t offset) {
    const auto raw =
        static_cast<std::uint16_t>(state.bytes[offset] | (state.bytes[offset + 1] << 8));
    return static_cast<std::int16_t>(raw);
}

void setStickValue(ControllerState& state, std::size_t offset, std::int16_t value) {
    const auto raw = static_cast<std::uint16_t>(value);
    state.bytes[offset] = static_cast<std::uint8_t>(raw & 0xFF);
    state.bytes[offset + 1] = static_cast<std::uint8_t>(raw >> 8);
}

std::int8_t stickHighByte(const ControllerState& state, std::size_t offset) {
    return static_cast<std::int8_t>(state.bytes[offset + 1]);
}

std::uint16_t motionValue(const ControllerState& state, std::size_t offset) {
    return static_cast<std::uint16_t>((state.bytes[offset] << 8) | state.bytes[offset + 1]);
}

void setMotionValue(ControllerState& state, std::size_t offset, std::uint16_t value) {
    state.bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    state.bytes[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace qora
