#include "app/message_loop.h"
#include "fakes/fake_message_loop_api.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace qora::testing {
namespace {

constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kWmKeyUp = 0x0101;
constexpr std::uint32_t kWmTimer = 0x0113;
constexpr std::uintptr_t kStaleWParam = 1234;

class RecordingHandler final : public SignalHandler {
public:
    explicit RecordingHandler(std::vector<std::string>& log) : log_(log) {}
    void onSignalled(std::size_t index) override {
        log_.push_back("Signalled " + std::to_string(index));
    }
    std::uint32_t beforeWait() override {
        log_.push_back("Before wait");
        if (timeouts.empty()) {
            return kInfinite;
        }
        const std::uint32_t next = timeouts.front();
        timeouts.pop_front();
        return next;
    }
    void onTimeout() override { log_.push_back("Timeout"); }
    void beforeDispatch() override { log_.push_back("Before dispatch"); }

    std::deque<std::uint32_t> timeouts; // then kInfinite

private:
    std::vector<std::string>& log_;
};

struct LoopCase {
    const char* name;
    std::vector<NativeHandle> events;
    std::vector<ScriptedGet> gets;
    std::vector<std::uint32_t> waits;
    std::vector<std::optional<Message>> peeks;
    std::vector<std::uint32_t> timeouts;
    int exitCode;
    std::vector<std::string> log;
};

Message message(std::uint32_t id, std::uintptr_t wParam = 0) {
    return FakeMessageLoopApi::message(id, wParam);
}
Message quit(std::uintptr_t exitCode) {
    return FakeMessageLoopApi::quit(exitCode);
}

const std::vector<LoopCase> kCases = {
    {"GetMessageA failing at once ends with the failure status, not a stale wParam",
     {},
     {{-1, message(kWmTimer, kStaleWParam)}},
     {},
     {},
     {},
     kMessageLoopFailed,
     {"Get"}},
    {"GetMessageA failing after a message",
     {},
     {{1, message(kWmKeyDown, kStaleWParam)}, {-1, message(kWmKeyDown, kStaleWParam)}},
     {},
     {},
     {},
     kMessageLoopFailed,
     {"Get", "Accelerator 0x100", "Translate 0x100", "Dispatch 0x100", "Get"}},
    {"the quit message's wParam is the exit status; accelerators are not dispatched",
     {},
     {{1, message(kWmKeyUp)}, {1, message(kWmTimer)}, {0, quit(7)}},
     {},
     {},
     {},
     7,
     {"Get", "Accelerator 0x101", "Get", "Accelerator 0x113", "Translate 0x113", "Dispatch 0x113",
      "Get"}},
    {"a set event is served, then the waiting messages are pumped; the handler hears of "
     "every wait and of every message before the accelerators, but not of the quit message",
     {11, 12},
     {},
     {kWaitObject0 + 1, kWaitObject0 + 2, kWaitObject0},
     {std::nullopt, message(kWmTimer), message(kWmKeyUp), std::nullopt, quit(3)},
     {},
     3,
     {"Before wait", "Wait 11 12", "Signalled 1", "Peek", "Before wait", "Wait 11 12", "Peek",
      "Before dispatch", "Accelerator 0x113", "Translate 0x113", "Dispatch 0x113", "Peek",
      "Before dispatch", "Accelerator 0x101", "Peek", "Before wait", "Wait 11 12", "Signalled 0",
      "Peek"}},
    {"a failed wait carries on with GetMessageA, and the handler hears of it once",
     {11, 12},
     {{1, message(kWmTimer)}, {0, quit(4)}},
     {kWaitFailed},
     {},
     {},
     4,
     {"Before wait", "Wait 11 12", "Before dispatch", "Get", "Accelerator 0x113", "Translate 0x113",
      "Dispatch 0x113", "Get"}},
    {"an unknown wake-up counts as a failed wait",
     {11},
     {{0, quit(5)}},
     {kWaitObject0 + 2},
     {},
     {},
     5,
     {"Before wait", "Wait 11", "Before dispatch", "Get"}},
    {"a wait whose time runs out tells the handler and waits again without pumping",
     {11},
     {},
     {kWaitTimeout, kWaitObject0 + 1},
     {quit(6)},
     {4},
     6,
     {"Before wait", "Wait 11 for 4 ms", "Timeout", "Before wait", "Wait 11", "Peek"}},
};

TEST(MessageLoop, RunsEachScriptToItsExitStatus) {
    for (const LoopCase& test : kCases) {
        SCOPED_TRACE(test.name);
        FakeMessageLoopApi api;
        api.gets.assign(test.gets.begin(), test.gets.end());
        api.waits.assign(test.waits.begin(), test.waits.end());
        api.peeks.assign(test.peeks.begin(), test.peeks.end());
        api.acceleratorMessages = {kWmKeyUp};
        RecordingHandler handler(api.log);
        handler.timeouts.assign(test.timeouts.begin(), test.timeouts.end());
        const MessageLoop loop{api, nullptr, nullptr};

        EXPECT_EQ(runMessageLoop(loop, test.events, handler), test.exitCode);
        EXPECT_EQ(api.log, test.log);
    }
}

} // namespace
} // namespace qora::testing
