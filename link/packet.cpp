#include "link/packet.h"

#include <algorithm>

namespace qora {
namespace {

// A PS3 button bit driven by one bit of the state, with the pressure byte it fills.
struct ButtonRoute {
    std::size_t stateByte;
    std::uint8_t stateBit;
    std::size_t reportByte;
    std::uint8_t reportBit;
    std::size_t pressureByte; // 0: the button has no pressure byte
};

inline constexpr std::size_t kNoPressure = 0;

// buttons2 0x08 has no PS3 counterpart and is dropped.
inline constexpr std::array<ButtonRoute, 15> kButtonRoutes{{
    {state::buttons1, buttons1::back, ps3::buttons1, ps3buttons1::select, kNoPressure},
    {state::buttons1, buttons1::leftClick, ps3::buttons1, ps3buttons1::l3, kNoPressure},
    {state::buttons1, buttons1::rightClick, ps3::buttons1, ps3buttons1::r3, kNoPressure},
    {state::buttons1, buttons1::start, ps3::buttons1, ps3buttons1::start, kNoPressure},
    {state::buttons1, buttons1::dpadUp, ps3::buttons1, ps3buttons1::up, ps3::pressureUp},
    {state::buttons1, buttons1::dpadRight, ps3::buttons1, ps3buttons1::right, ps3::pressureRight},
    {state::buttons1, buttons1::dpadDown, ps3::buttons1, ps3buttons1::down, ps3::pressureDown},
    {state::buttons1, buttons1::dpadLeft, ps3::buttons1, ps3buttons1::left, ps3::pressureLeft},
    {state::buttons2, buttons2::leftBumper, ps3::buttons2, ps3buttons2::l1, ps3::pressureL1},
    {state::buttons2, buttons2::rightBumper, ps3::buttons2, ps3buttons2::r1, ps3::pressureR1},
    {state::buttons2, buttons2::y, ps3::buttons2, ps3buttons2::triangle, ps3::pressureTriangle},
    {state::buttons2, buttons2::b, ps3::buttons2, ps3buttons2::circle, ps3::pressureCircle},
    {state::buttons2, buttons2::a, ps3::buttons2, ps3buttons2::cross, ps3::pressureCross},
    {state::buttons2, buttons2::x, ps3::buttons2, ps3buttons2::square, ps3::pressureSquare},
    {state::buttons2, buttons2::guide, ps3::buttons3, ps3buttons3::ps, kNoPressure},
}};

// The triggers are analogue on the 360 but L2/R2 are buttons with pressure on the PS3:
// any non-zero trigger counts as fully pressed.
struct TriggerRoute {
    std::size_t stateByte;
    std::uint8_t reportBit;
    std::size_t pressureByte;
};

inline constexpr std::array<TriggerRoute, 2> kTriggerRoutes{{
    {state::leftTrigger, ps3buttons2::l2, ps3::pressureL2},
    {state::rightTrigger, ps3buttons2::r2, ps3::pressureR2},
}};

struct StickRoute {
    std::size_t stateOffset;
    std::size_t reportByte;
    std::uint8_t flip;
};

inline constexpr std::array<StickRoute, 4> kStickRoutes{{
    {state::leftStickX, ps3::leftStickX, ps3::kStickXFlip},
    {state::leftStickY, ps3::leftStickY, ps3::kStickYFlip},
    {state::rightStickX, ps3::rightStickX, ps3::kStickXFlip},
    {state::rightStickY, ps3::rightStickY, ps3::kStickYFlip},
}};

using ReportBytes = std::uint8_t*;

void pressButton(ReportBytes report, std::size_t byte, std::uint8_t bit, std::size_t pressure) {
    report[byte] |= bit;
    if (pressure != kNoPressure) {
        report[pressure] = ps3::kPressureFull;
    }
}

void writeButtons(const ControllerState& state, ReportBytes report) {
    for (const ButtonRoute& route : kButtonRoutes) {
        if ((state.bytes[route.stateByte] & route.stateBit) != 0) {
            pressButton(report, route.reportByte, route.reportBit, route.pressureByte);
        }
    }
    for (const TriggerRoute& route : kTriggerRoutes) {
        if (state.bytes[route.stateByte] != 0) {
            pressButton(report, ps3::buttons2, route.reportBit, route.pressureByte);
        }
    }
}

void copyMotion(const ControllerState& state, ReportBytes report) {
    std::copy_n(state.bytes.begin() + state::accelX, ps3::motionLength, report + ps3::motionBegin);
}

void writeSticks(const ControllerState& state, ReportBytes report) {
    for (const StickRoute& route : kStickRoutes) {
        const auto high = static_cast<std::uint8_t>(stickHighByte(state, route.stateOffset));
        report[route.reportByte] = static_cast<std::uint8_t>(high ^ route.flip);
    }
}

void writeConstants(ReportBytes report) {
    for (const ps3::ConstantByte& constant : ps3::kConstantBytes) {
        report[constant.offset] = constant.value;
    }
}

void encodePs3Report(const ControllerState& state, ReportBytes report) {
    writeButtons(state, report);
    copyMotion(state, report);
    writeSticks(state, report);
    writeConstants(report);
}

} // namespace

static_assert(packet::reportBegin + kControllerStateSize <= kPacketSize);
static_assert(packet::reportBegin + kPs3ReportSize == kPacketSize);
static_assert(ps3::motionBegin + ps3::motionLength <= kPs3ReportSize);

void encodePacket(ConsoleMode mode, const ControllerState& state, Packet& packet) {
    packet.fill(0);
    ReportBytes report = packet.data() + packet::reportBegin;
    if (mode == kConsoleXbox360) {
        std::copy(state.bytes.begin(), state.bytes.end(), report);
    } else if (mode == kConsolePs3) {
        encodePs3Report(state, report);
    }
}

} // namespace qora
