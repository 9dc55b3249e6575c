#include "app/message_loop.h"

namespace qora {
namespace {

void dispatchUnlessAccelerator(const MessageLoop& loop, const Message& message) {
    if (loop.api.translateAccelerator(loop.window, loop.accelerators, &message) == 0) {
        loop.api.translateMessage(&message);
        loop.api.dispatchMessage(&message);
    }
}

// On an error GetMessageA leaves the message undefined, so its wParam is no exit status.
int runGetMessageLoop(const MessageLoop& loop) {
    Message message;
    for (;;) {
        const std::int32_t got = loop.api.getMessage(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got < 0) {
            return kMessageLoopFailed;
        }
        dispatchUnlessAccelerator(loop, message);
    }
}

// True when the quit message came, with its wParam in exitCode.
bool pumpWaitingMessages(const MessageLoop& loop, SignalHandler& handler, int& exitCode) {
    Message message;
    while (loop.api.peekMessage(&message, nullptr, 0, 0, kPmRemove)) {
        if (message.message == kWmQuit) {
            exitCode = static_cast<int>(message.wParam);
            return true;
        }
        handler.beforeDispatch();
        dispatchUnlessAccelerator(loop, message);
    }
    return false;
}

int runWaitingLoop(const MessageLoop& loop, std::span<const NativeHandle> events,
                   SignalHandler& handler) {
    const auto count = static_cast<std::uint32_t>(events.size());
    for (;;) {
        const std::uint32_t timeoutMs = handler.beforeWait();
        const std::uint32_t woke = loop.api.msgWaitForMultipleObjectsEx(
            count, events.data(), timeoutMs, kQsAllInput, kMwmoInputAvailable);
        if (woke == kWaitTimeout) {
            handler.onTimeout();
            continue;
        }
        const std::uint32_t index = woke - kWaitObject0;
        if (index < count) {
            handler.onSignalled(index);
        } else if (index != count) {
            handler.beforeDispatch();
            return runGetMessageLoop(loop);
        }
        int exitCode = 0;
        if (pumpWaitingMessages(loop, handler, exitCode)) {
            return exitCode;
        }
    }
}

} // namespace

int runMessageLoop(const MessageLoop& loop, std::span<const NativeHandle> events,
                   SignalHandler& handler) {
    if (events.empty()) {
        return runGetMessageLoop(loop);
    }
    return runWaitingLoop(loop, events, handler);
}

} // namespace qora
