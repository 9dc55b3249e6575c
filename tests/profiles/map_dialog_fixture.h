#pragma once
// The Map dialog on the dialog tests' common ground: its environment of fakes, its state and
// window, and what several of its tests do to it.

#include "dialog_test_fixture.h"
#include "fakes/fake_direct_input.h"
#include "input/device_slot.h"
#include "input/mouse_record.h"
#include "profiles/map_dialog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qora::testing {

class MapDialogTestBase : public DialogTest {
protected:
    // One poll of the keyboard with exactly these keys down.
    void tickWithKeys(const std::vector<std::uint8_t>& codes) {
        directInput.keyState = {};
        for (const std::uint8_t code : codes) {
            directInput.keyState[code] = kKeyDown;
        }
        onMapTimer(state, env);
    }
    void scroll(std::int32_t barId, std::uint32_t request) {
        onMapScroll(state, env, dialogs.handleOf(dialog, barId), request);
    }
    FakeControl& control(std::int32_t id) { return dialogs.control(dialog, id); }

    std::vector<std::string> diLog;
    FakeDirectInput directInput{diLog};
    CaptureDevices devices;
    ConsoleMode mode = kConsoleXbox360;
    MapDialogEnvironment env{files,   ini,   user, dialogs,     directInput,
                             devices, paths, mode, modesDialogs};
    MapDialogState state;
    WindowHandle const dialog = reinterpret_cast<WindowHandle>(0x3900);
};

} // namespace qora::testing
