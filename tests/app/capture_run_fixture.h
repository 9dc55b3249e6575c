#pragma once
// A capture run wired to fakes: scripted DirectInput and HID, recorded user calls (one log
// shared with DirectInput), a clock that moves when told, recorded adapter pipes, and real
// setting.ini, config.bin and packets.bin in a temporary directory, with the virtual
// adapter on unless a test turns it off.

#include "app/capture_run.h"
#include "app/message_loop_api.h"
#include "app/run_scheduler.h"
#include "fakes/adapter_pipe_file_api.h"
#include "fakes/fake_clock_api.h"
#include "fakes/fake_direct_input.h"
#include "fakes/fake_hid_api.h"
#include "fakes/fake_time_period_api.h"
#include "fakes/fake_user_api.h"
#include "fakes/temp_directory.h"
#include "formats/action_codes.h"
#include "formats/profile_record.h"
#include "link/packet.h"
#include "platform/host/host_file_api.h"
#include "platform/host/host_profile_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qora::testing {

inline WindowHandle const kMainWindow = reinterpret_cast<WindowHandle>(0x1000);

inline bool logged(const std::vector<std::string>& calls, const std::string& entry) {
    return std::find(calls.begin(), calls.end(), entry) != calls.end();
}

class CaptureRunTest : public ::testing::Test {
protected:
    CaptureRunTest() {
        setIni("ADAPTER", "VIRTUAL", "1");
        setIni("CONFIGURATION", "COUNT", "1");
        setIni("CONFIGURATION", "CURRENT", "0");
        setProfiles({profile});
    }

    void setIni(const char* section, const char* key, const char* value) {
        ini.writePrivateProfileString(section, key, value, paths.settingIni.c_str());
    }
    void setProfiles(const std::vector<ProfileRecord>& records) {
        std::string bytes;
        for (const auto& record : records) {
            bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kProfileRecordSize);
        }
        dir.write("config.bin", bytes);
    }
    void bindKey(ActionCode code, std::uint8_t scanCode) {
        profile.bytes[profile::primaryKeys + static_cast<std::size_t>(code)] = scanCode;
        setProfiles({profile});
    }

    void start() { startCaptureRun(services, context); }
    // Timer 0 of the main window.
    void tick() {
        onCaptureTimer(services, context);
        lastTickUs = microsecondsNow(clock);
    }

    // Time passes to untilUs as the run lives it: with the fast path the main loop sleeps
    // as long as the scheduler says and wakes at its timeout; without it, timer 0 ticks on
    // its grid.
    void runUntil(std::int64_t untilUs) {
        while (microsecondsNow(clock) < untilUs) {
            const std::int64_t nowUs = microsecondsNow(clock);
            if (run.fastPath.enabled) {
                const std::uint32_t waitMs = beforeLoopWait(services, context);
                const std::int64_t wakeUs =
                    waitMs == kInfinite
                        ? untilUs
                        : std::min(untilUs, nowUs + std::max<std::int64_t>(waitMs, 1) * 1000);
                clock.advanceMicroseconds(wakeUs - nowUs);
                onWaitTimeout(services, context);
            } else {
                const std::int64_t tickUs = std::min(untilUs, run.schedule.nextTickUs);
                clock.advanceMicroseconds(std::max<std::int64_t>(tickUs - nowUs, 1));
                if (microsecondsNow(clock) >= run.schedule.nextTickUs) {
                    tick();
                }
            }
        }
    }
    void press(std::uint8_t scanCode) { directInput.keyState[scanCode] = 0x80; }
    void release(std::uint8_t scanCode) { directInput.keyState[scanCode] = 0x00; }

    // What the virtual adapter received, packet by packet.
    std::vector<Packet> packets() const {
        const std::string bytes = dir.read("packets.bin");
        std::vector<Packet> result;
        for (std::size_t at = 0; at + kPacketSize <= bytes.size(); at += kPacketSize) {
            Packet packet;
            for (std::size_t i = 0; i < kPacketSize; ++i) {
                packet[i] = static_cast<std::uint8_t>(bytes[at + i]);
            }
            result.push_back(packet);
        }
        return result;
    }
    std::size_t packetBytes() const { return dir.read("packets.bin").size(); }

    static Packet packetFor(ConsoleMode mode, const ControllerState& state) {
        Packet packet;
        encodePacket(mode, state, packet);
        return packet;
    }
    static ControllerState restState() {
        ControllerState state;
        resetToRest(state);
        return state;
    }

    TempDirectory dir;
    ProgramPaths paths = makeProgramPaths(dir.path());
    HostProfileFile ini;
    FakeHidApi hid;
    AdapterPipeFileApi files{hid};
    FakeUserApi user;
    FakeDirectInput directInput{user.calls};
    FakeClockApi clock;
    FakeTimePeriodApi timePeriod{user.calls};
    ProfileRecord profile;
    std::int64_t lastTickUs = 0; // when timer 0 last ticked the run

    CaptureRun run;
    CaptureDevices devices;
    MouseState mouse;
    IconPositions icons;
    CaptureServices services{hid, files, ini, directInput, user, clock, timePeriod};
    CaptureContext context{run, devices, mouse, icons, paths, kConsoleXbox360, kMainWindow};
};

} // namespace qora::testing
