// What the capture run sends through the virtual adapter, read back by qora-packets: the
// encoder and the independently written decoder must agree on every field.

#include "link/adapter_link.h"
#include "link/packet.h"
#include "tools/packets_tool.h"

#include "fakes/fake_hid_api.h"
#include "fakes/temp_directory.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::FakeHidApi;
using testing::TempDirectory;

class PacketsRoundTrip : public ::testing::Test {
protected:
    PacketsRoundTrip() : paths(makeProgramPaths(directory.path())) {
        directory.write("setting.ini", "[ADAPTER]\r\nVIRTUAL=1\r\n");
    }

    // One capture run: open, one 50-byte write per state, close.
    void send(ConsoleMode mode, const std::vector<ControllerState>& states) {
        AdapterLink adapter = openAdapter(hid, files, ini, paths);
        ASSERT_TRUE(isOpen(adapter));
        Packet packet;
        for (const ControllerState& state : states) {
            encodePacket(mode, state, packet);
            ASSERT_TRUE(writeAdapterPacket(files, paths, adapter, packet));
        }
        closeAdapter(files, adapter);
    }

    std::string readBack(const char* console) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runPacketsTool({"--console", console, paths.packetsBin}, out, err), 0)
            << err.str();
        return out.str();
    }

    static ControllerState rest() {
        ControllerState state;
        resetToRest(state);
        return state;
    }

    TempDirectory directory;
    ProgramPaths paths;
    FakeHidApi hid;
    HostFileApi files;
    HostProfileFile ini;
};

TEST_F(PacketsRoundTrip, Ps3PacketsReadAsTheyWereMeant) {
    ControllerState pressed = rest();
    pressed.bytes[state::buttons2] = buttons2::a | buttons2::guide;
    pressed.bytes[state::buttons1] = buttons1::dpadUp | buttons1::back;
    pressed.bytes[state::leftTrigger] = kTriggerPressed;
    setStickValue(pressed, state::leftStickY, kStickFullPositive);
    setStickValue(pressed, state::rightStickX, kStickFullNegative);
    setMotionValue(pressed, state::accelX, 0x0321);

    send(kConsolePs3, {rest(), pressed});
    EXPECT_EQ(readBack("ps3"),
              "#0 ps3 buttons: - | LX 128 LY 127 RX 128 RY 127 | pressure - | "
              "accel X 512 Y 512 Z 400 gyro 5\n"
              "#1 ps3 buttons: select up L2 cross PS | LX 128 LY 0 RX 1 RY 127 | "
              "pressure up 255 L2 255 cross 255 | accel X 801 Y 512 Z 400 gyro 5\n");
}

TEST_F(PacketsRoundTrip, Xbox360PacketsReadAsTheyWereMeant) {
    ControllerState pressed = rest();
    pressed.bytes[state::buttons2] = buttons2::y | buttons2::rightBumper;
    pressed.bytes[state::rightTrigger] = kTriggerPressed;
    setStickValue(pressed, state::leftStickX, kStickFullNegative);
    setStickValue(pressed, state::rightStickY, 1234);

    send(kConsoleXbox360, {pressed});
    send(kConsoleXbox360, {rest()}); // a second run appends
    EXPECT_EQ(readBack("xbox360"),
              "#0 xbox360 buttons: RB Y | LT 0 RT 255 | LX -32512 LY 0 RX 0 RY 1234 | "
              "motion X 512 Y 512 Z 400\n"
              "#1 xbox360 buttons: - | LT 0 RT 0 | LX 0 LY 0 RX 0 RY 0 | "
              "motion X 512 Y 512 Z 400\n");
}

TEST_F(PacketsRoundTrip, NeitherConsoleSendsZerosThatReadAsNoReport) {
    send(ConsoleMode{2}, {rest()});
    EXPECT_NE(readBack("ps3").find("not a PS3 report"), std::string::npos);
}

} // namespace
} // namespace qora
