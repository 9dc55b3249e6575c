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

// What the waiting loop tells its owner.
class SignalHandler {
public:
    // The event at index woke the loop.
    virtual void onSignalled(std::size_t index) = 0;
    // The loop is about to block in its wait: how long it may wait, in milliseconds
    // (kInfinite: until an event or a message comes).
    virtual std::uint32_t beforeWait() = 0;
    // The wait's time ran out with no event and no message.
    virtual void onTimeout() = 0;
    // The loop is about to hand a message to the accelerators and the window, or to go on
    // without the wait for good.
    virtual void beforeDispatch() = 0;

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
// every wake by an event or a message, so a busy device cannot starve them; a wait whose
// time ran out found none waiting. Should the wait fail, the loop carries on
// with GetMessageA alone. The handler hears of every wait and every message only in the
// waiting loop; the GetMessageA loop tells it nothing.
int runMessageLoop(const MessageLoop& loop, std::span<const NativeHandle> events,
                   SignalHandler& handler);

} // namespace qora
