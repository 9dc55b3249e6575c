#pragma once
// The main message loop. Without events it is the classic GetMessageA loop; with events
// it waits on them and on the message queue at once, so a set event is served the moment
// it is set and nothing runs while nothing happens.

#include "app/message_loop_api.h"
#include "platform/platform_types.h"

#include <cstddef>
#include <span>

namespace qora {

// The exit status when GetMessageA fails: the loop ended without a quit message.
inline constexpr int kMessageLoopFailed = 1;

// Told which event woke the loop.
class SignalHandler {
public:
    virtual void onSignalled(std::size_t index) = 0;

protected:
    ~SignalHandler() = default;
};

struct MessageLoop {
    MessageLoopApi& api;
    WindowHandle window; // gets the accelerators' commands
    AcceleratorHandle accelerators;
};

// Runs until the quit message and returns its wParam, or kMessageLoopFailed. Each message
// goes through the accelerators first; the others are translated and dispatched. A set
// event is served before the messages that wait with it, and the messages are pumped after
// every wake, so a busy device cannot starve them. Should the wait fail, the loop carries on
// with GetMessageA alone.
int runMessageLoop(const MessageLoop& loop, std::span<const NativeHandle> events,
                   SignalHandler& handler);

} // namespace qora
