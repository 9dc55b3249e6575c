#pragma once
// A recording UserApi: message boxes, timers, invalidations and debugger output become
// entries in one call log, so tests can check texts and the order of calls.

#include "platform/user_api.h"

#include <deque>
#include <string>
#include <vector>

namespace qora::testing {

struct MessageBoxCall {
    WindowHandle owner;
    std::string text;
    std::string caption;
    std::uint32_t type;
};

class FakeUserApi : public UserApi {
public:
    std::int32_t messageBox(WindowHandle owner, const char* text, const char* caption,
                            std::uint32_t type) override {
        messageBoxes.push_back({owner, text, caption, type});
        calls.push_back(std::string("MessageBox ") + caption);
        return messageBoxAnswer;
    }
    bool setTimer(WindowHandle, std::uintptr_t id, std::uint32_t periodMs) override {
        calls.push_back("SetTimer " + std::to_string(id) + " " + std::to_string(periodMs));
        if (setTimerResults.empty()) {
            return true;
        }
        const bool result = setTimerResults.front();
        setTimerResults.pop_front();
        return result;
    }
    bool killTimer(WindowHandle, std::uintptr_t id) override {
        calls.push_back("KillTimer " + std::to_string(id));
        return true;
    }
    bool invalidateRect(WindowHandle, bool erase) override {
        calls.push_back(erase ? "InvalidateRect erase" : "InvalidateRect");
        return true;
    }
    void outputDebugString(const char* text) override { debugOutput.push_back(text); }

    std::int32_t messageBoxAnswer = kIdOk;
    std::deque<bool> setTimerResults; // then true
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<std::string> debugOutput;
    std::vector<std::string> calls;
};

} // namespace qora::testing
