#pragma once
// The calls of the main message loop: GetMessageA, PeekMessageA, TranslateAcceleratorA,
// TranslateMessage, DispatchMessageA and MsgWaitForMultipleObjectsEx.

#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// An accelerator table (HACCEL); nullptr is none.
using AcceleratorHandle = void*;

// MSG, field for field.
struct Message {
    WindowHandle window = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::uint32_t time = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

inline constexpr std::uint32_t kWmQuit = 0x0012;
inline constexpr std::uint32_t kPmRemove = 0x0001;

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 0x00000102u;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;
// QS_ALLINPUT as it was before touch and pointer input: keys, mouse, raw input, posted
// and sent messages, timers, paint and hot keys.
inline constexpr std::uint32_t kQsAllInput = 0x04FF;
// Also wake for input that an earlier peek saw but left in the queue.
inline constexpr std::uint32_t kMwmoInputAvailable = 0x0004;

struct MessageLoopApi {
    virtual ~MessageLoopApi() = default;

    // > 0 a message, 0 the quit message, -1 an error (message is then undefined).
    virtual std::int32_t getMessage(Message* message, WindowHandle window, std::uint32_t filterMin,
                                    std::uint32_t filterMax) = 0;
    virtual bool peekMessage(Message* message, WindowHandle window, std::uint32_t filterMin,
                             std::uint32_t filterMax, std::uint32_t removeFlags) = 0;
    // Non-zero when the message was an accelerator and went to window as a command.
    virtual std::int32_t translateAccelerator(WindowHandle window, AcceleratorHandle accelerators,
                                              const Message* message) = 0;
    virtual bool translateMessage(const Message* message) = 0;
    virtual std::intptr_t dispatchMessage(const Message* message) = 0;
    // WAIT_OBJECT_0 + i for handle i, WAIT_OBJECT_0 + count for waiting messages,
    // WAIT_TIMEOUT when milliseconds passed first, WAIT_FAILED on an error.
    virtual std::uint32_t msgWaitForMultipleObjectsEx(std::uint32_t count,
                                                      const NativeHandle* handles,
                                                      std::uint32_t milliseconds,
                                                      std::uint32_t wakeMask,
                                                      std::uint32_t flags) = 0;
};

} // namespace qora
