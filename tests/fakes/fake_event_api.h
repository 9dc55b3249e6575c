#pragma once
// A recording EventApi: hands out numbered events (or the scripted failures) and notes
// every close.

#include "app/event_api.h"

#include <deque>
#include <string>
#include <vector>

namespace qora::testing {

class FakeEventApi : public EventApi {
public:
    NativeHandle createEvent(bool manualReset, bool initiallySet, const char* name) override {
        calls.push_back(std::string("CreateEvent ") + (manualReset ? "manual" : "auto") +
                        (initiallySet ? " set" : " unset") + (name == nullptr ? "" : " named"));
        if (!results.empty()) {
            const NativeHandle result = results.front();
            results.pop_front();
            return result;
        }
        return ++lastEvent;
    }
    bool closeHandle(NativeHandle handle) override {
        calls.push_back("CloseHandle " + std::to_string(handle));
        return true;
    }

    // What the next calls return; once empty, events 101, 102, ...
    std::deque<NativeHandle> results;
    NativeHandle lastEvent = 100;
    std::vector<std::string> calls;
};

} // namespace qora::testing
