#pragma once
// A scripted MessageLoopApi. GetMessageA, PeekMessageA and the waits return what their
// scripts hold; every call goes into one log. An exhausted script ends the loop: the wait
// fails, GetMessageA and PeekMessageA hand out a quit message with kUnscriptedExit, so a
// test that strays shows in the exit code and the log instead of hanging.

#include "app/message_loop_api.h"

#include <cstdio>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qora::testing {

inline constexpr int kUnscriptedExit = 99;

inline std::string messageName(std::uint32_t message) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", message);
    return text;
}

struct ScriptedGet {
    std::int32_t result;
    Message message;
};

class FakeMessageLoopApi : public MessageLoopApi {
public:
    std::int32_t getMessage(Message* message, WindowHandle, std::uint32_t, std::uint32_t) override {
        log.push_back("Get");
        if (gets.empty()) {
            *message = quit(kUnscriptedExit);
            return 0;
        }
        const ScriptedGet next = gets.front();
        gets.pop_front();
        *message = next.message;
        return next.result;
    }
    bool peekMessage(Message* message, WindowHandle, std::uint32_t, std::uint32_t,
                     std::uint32_t removeFlags) override {
        log.push_back(removeFlags == kPmRemove ? "Peek" : "Peek without removing");
        std::optional<Message> next = quit(kUnscriptedExit);
        if (!peeks.empty()) {
            next = peeks.front();
            peeks.pop_front();
        }
        if (!next.has_value()) {
            return false;
        }
        *message = *next;
        return true;
    }
    std::int32_t translateAccelerator(WindowHandle, AcceleratorHandle,
                                      const Message* message) override {
        log.push_back("Accelerator " + messageName(message->message));
        return acceleratorMessages.count(message->message) != 0 ? 1 : 0;
    }
    bool translateMessage(const Message* message) override {
        log.push_back("Translate " + messageName(message->message));
        return true;
    }
    std::intptr_t dispatchMessage(const Message* message) override {
        log.push_back("Dispatch " + messageName(message->message));
        return 0;
    }
    std::uint32_t msgWaitForMultipleObjectsEx(std::uint32_t count, const NativeHandle* handles,
                                              std::uint32_t milliseconds, std::uint32_t wakeMask,
                                              std::uint32_t flags) override {
        std::string entry = "Wait";
        for (std::uint32_t i = 0; i < count; ++i) {
            entry += " " + std::to_string(handles[i]);
        }
        if (milliseconds != kInfinite) {
            entry += " for " + std::to_string(milliseconds) + " ms";
        }
        if (wakeMask != kQsAllInput || flags != kMwmoInputAvailable) {
            entry += " with other flags";
        }
        log.push_back(entry);
        if (waits.empty()) {
            return kWaitFailed;
        }
        const std::uint32_t next = waits.front();
        waits.pop_front();
        return next;
    }

    static Message message(std::uint32_t id, std::uintptr_t wParam = 0) {
        Message made;
        made.message = id;
        made.wParam = wParam;
        return made;
    }
    static Message quit(std::uintptr_t exitCode) { return message(kWmQuit, exitCode); }

    std::deque<ScriptedGet> gets;
    std::deque<std::optional<Message>> peeks; // std::nullopt: the queue is empty this time
    std::deque<std::uint32_t> waits;
    std::set<std::uint32_t> acceleratorMessages; // the ones the table turns into commands
    std::vector<std::string> log;
};

} // namespace qora::testing
