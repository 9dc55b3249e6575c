// The packet decoder against the encoder: a random ControllerState encoded for a console
// must read back, button by button and value by value, as that console sees the state.
// Then random raw packets: every decoded line has the documented shape, values within
// their field's range, and names the header problem exactly when the header is wrong.
//
// Input: a byte choosing the console mode (0 Xbox 360, 1 PS3, 2 and 3 neither), the 27
// state bytes, then raw 50-byte packets.

#include "decoded_line.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

#include "link/packet.h"
#include "mapping/controller_state.h"
#include "tools/packet_decoder.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace qora::fuzzing {
namespace {

constexpr std::array<ConsoleMode, 4> kModes{kConsoleXbox360, kConsolePs3, kConsoleNotSet, 2};

struct ButtonName {
    std::size_t byte;
    std::uint8_t mask;
    const char* xbox360;
    const char* ps3;
};

// What each state bit is called on either console; buttons2 bit 0x08 is never a button.
constexpr std::array<ButtonName, 15> kButtonNames{{
    {state::buttons1, buttons1::dpadUp, "up", "up"},
    {state::buttons1, buttons1::dpadDown, "down", "down"},
    {state::buttons1, buttons1::dpadLeft, "left", "left"},
    {state::buttons1, buttons1::dpadRight, "right", "right"},
    {state::buttons1, buttons1::start, "start", "start"},
    {state::buttons1, buttons1::back, "back", "select"},
    {state::buttons1, buttons1::leftClick, "LS", "L3"},
    {state::buttons1, buttons1::rightClick, "RS", "R3"},
    {state::buttons2, buttons2::leftBumper, "LB", "L1"},
    {state::buttons2, buttons2::rightBumper, "RB", "R1"},
    {state::buttons2, buttons2::guide, "guide", "PS"},
    {state::buttons2, buttons2::a, "A", "cross"},
    {state::buttons2, buttons2::b, "B", "circle"},
    {state::buttons2, buttons2::x, "X", "square"},
    {state::buttons2, buttons2::y, "Y", "triangle"},
}};

// The PS3 buttons that also report how hard they are pressed.
constexpr std::array<const char*, 12> kPressureButtons{
    "up", "right", "down", "left", "L2", "R2", "L1", "R1", "triangle", "circle", "cross", "square"};

constexpr std::array<const char*, 4> kXbox360Sticks{"LX", "LY", "RX", "RY"};
constexpr std::array<std::size_t, 4> kStickOffsets{state::leftStickX, state::leftStickY,
                                                   state::rightStickX, state::rightStickY};

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

long long valueOf(const DecodedLine& line, const std::string& name) {
    const auto found = line.values.find(name);
    if (found == line.values.end()) {
        fail("the decoded line lacks '" + name + "'");
    }
    return found->second;
}

void checkValue(const DecodedLine& line, const std::string& name, long long expected) {
    const long long value = valueOf(line, name);
    if (value != expected) {
        fail(line.console + " " + name + " reads " + std::to_string(value) + ", the state holds " +
             std::to_string(expected));
    }
}

void checkRange(const DecodedLine& line, const std::string& name, long long low, long long high) {
    const long long value = valueOf(line, name);
    if (value < low || value > high) {
        fail(line.console + " " + name + " = " + std::to_string(value) + " is out of range");
    }
}

std::vector<std::string> pressedNames(const ControllerState& state, bool ps3) {
    std::vector<std::string> names;
    for (const ButtonName& button : kButtonNames) {
        if ((state.bytes[button.byte] & button.mask) != 0) {
            names.emplace_back(ps3 ? button.ps3 : button.xbox360);
        }
    }
    if (ps3 && state.bytes[state::leftTrigger] != 0) {
        names.emplace_back("L2");
    }
    if (ps3 && state.bytes[state::rightTrigger] != 0) {
        names.emplace_back("R2");
    }
    return names;
}

void checkMotion(const DecodedLine& line, const ControllerState& state, const std::string& prefix) {
    checkValue(line, prefix + "X", motionValue(state, state::accelX));
    checkValue(line, prefix + "Y", motionValue(state, state::accelY));
    checkValue(line, prefix + "Z", motionValue(state, state::accelZ));
}

void checkXbox360ReadsTheState(const DecodedLine& line, const ControllerState& state) {
    require(sorted(line.buttons) == sorted(pressedNames(state, false)),
            "the Xbox 360 buttons read back as pressed in the state");
    checkValue(line, "LT", state.bytes[state::leftTrigger]);
    checkValue(line, "RT", state.bytes[state::rightTrigger]);
    for (std::size_t i = 0; i < kStickOffsets.size(); ++i) {
        checkValue(line, kXbox360Sticks[i], stickValue(state, kStickOffsets[i]));
    }
    checkMotion(line, state, "motion ");
    const bool header = state.bytes[state::reportType] == 0 &&
                        state.bytes[state::reportLength] == state::kReportLength;
    require(line.headerProblem == !header, "an Xbox 360 header problem shows exactly when the "
                                           "state's header is not a report's");
}

// The PS3 sticks are offset (X: 128 is the centre) and Y is also inverted (127 is the
// centre, 0 is up), so each reads back to the signed high byte of the state's axis.
void checkPs3ReadsTheState(const DecodedLine& line, const ControllerState& state) {
    const std::vector<std::string> pressed = pressedNames(state, true);
    require(sorted(line.buttons) == sorted(pressed), "the PS3 buttons read back as pressed");
    for (const char* button : kPressureButtons) {
        const std::string name = std::string("pressure ") + button;
        if (contains(pressed, button)) {
            checkValue(line, name, 255);
        } else {
            require(line.values.count(name) == 0, "a button not pressed reports no pressure");
        }
    }
    checkValue(line, "LX", 128 + stickHighByte(state, state::leftStickX));
    checkValue(line, "LY", 127 - stickHighByte(state, state::leftStickY));
    checkValue(line, "RX", 128 + stickHighByte(state, state::rightStickX));
    checkValue(line, "RY", 127 - stickHighByte(state, state::rightStickY));
    checkMotion(line, state, "accel ");
    checkValue(line, "gyro", 5);
    require(!line.headerProblem, "an encoded PS3 report has a sound header");
}

// Shape and ranges of a line for any packet at all.
DecodedLine checkAnyPacket(PacketConsole console, std::size_t index, const PacketBytes& packet) {
    const DecodedLine line = parseDecodedLine(decodePacket(console, index, packet));
    require(line.index == static_cast<long long>(index), "a line carries the packet's index");
    std::vector<std::string> unique = sorted(line.buttons);
    require(std::adjacent_find(unique.begin(), unique.end()) == unique.end(),
            "no button is named twice");
    if (console == PacketConsole::xbox360) {
        require(line.console == "xbox360", "an Xbox 360 line says so");
        checkRange(line, "LT", 0, 255);
        checkRange(line, "RT", 0, 255);
        for (const char* stick : kXbox360Sticks) {
            checkRange(line, stick, -32768, 32767);
        }
        for (const char* axis : {"motion X", "motion Y", "motion Z"}) {
            checkRange(line, axis, 0, 65535);
        }
        require(line.headerProblem == (packet[0] != 0 || packet[1] != 0 || packet[2] != 0x14),
                "the Xbox 360 header problem shows exactly for a wrong lead, type or length");
    } else {
        require(line.console == "ps3", "a PS3 line says so");
        for (const char* stick : {"LX", "LY", "RX", "RY"}) {
            checkRange(line, stick, 0, 255);
        }
        for (const char* button : kPressureButtons) {
            const auto found = line.values.find(std::string("pressure ") + button);
            require(found == line.values.end() || (found->second > 0 && found->second <= 255),
                    "only pressures above 0 are listed, each a byte");
        }
        for (const char* axis : {"accel X", "accel Y", "accel Z", "gyro"}) {
            checkRange(line, axis, 0, 65535);
        }
        require(line.headerProblem == (packet[0] != 0 || packet[1] != 0x01),
                "the PS3 header problem shows exactly for a wrong lead or report ID");
    }
    return line;
}

PacketBytes asDecoderBytes(const Packet& packet) {
    PacketBytes bytes;
    std::copy(packet.begin(), packet.end(), bytes.begin());
    return bytes;
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const ConsoleMode mode = kModes[input.byte() % kModes.size()];
    ControllerState state;
    input.fill(state.bytes.data(), state.bytes.size());

    Packet packet;
    encodePacket(mode, state, packet);
    const PacketBytes sent = asDecoderBytes(packet);
    const DecodedLine asXbox360 = checkAnyPacket(PacketConsole::xbox360, 0, sent);
    const DecodedLine asPs3 = checkAnyPacket(PacketConsole::ps3, 0, sent);
    if (mode == kConsoleXbox360) {
        checkXbox360ReadsTheState(asXbox360, state);
    } else if (mode == kConsolePs3) {
        checkPs3ReadsTheState(asPs3, state);
    } else {
        require(asXbox360.headerProblem && asPs3.headerProblem,
                "without a console nothing reads as a report");
    }

    PacketBytes raw;
    for (std::size_t index = 1; input.remaining() >= raw.size(); ++index) {
        input.fill(raw.data(), raw.size());
        checkAnyPacket(PacketConsole::xbox360, index, raw);
        checkAnyPacket(PacketConsole::ps3, index, raw);
    }
    return 0;
}
