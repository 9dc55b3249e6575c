#pragma once
// The common ground of the capture device tests: a scripted DirectInput and a recording
// UserApi writing into one call log, and the application's device slots.

#include "fakes/fake_direct_input.h"
#include "fakes/fake_user_api.h"
#include "input/device_slot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qora::testing {

class CaptureTest : public ::testing::Test {
protected:
    // The log entries written since position start.
    std::vector<std::string> logSince(std::size_t start) const {
        return {log.begin() + static_cast<std::ptrdiff_t>(start), log.end()};
    }
    std::size_t occurrences(const std::string& entry) const {
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), entry));
    }
    void TearDown() override { EXPECT_EQ(directInput.misuse, std::vector<std::string>{}); }

    FakeUserApi user;
    std::vector<std::string>& log = user.calls;
    FakeDirectInput directInput{user.calls};
    CaptureDevices devices;

    WindowHandle const mainWindow = reinterpret_cast<WindowHandle>(0x1000);
    WindowHandle const mapDialog = reinterpret_cast<WindowHandle>(0x2000);
};

} // namespace qora::testing
