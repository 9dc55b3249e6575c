#pragma once
#include "app/message_loop_api.h"

namespace qora {

class Win32MessageLoopApi final : public MessageLoopApi {
public:
    std::int32_t getMessage(Message* message, WindowHandle window, std::uint32_t filterMin,
                            std::uint32_t filterMax) override;
    bool peekMessage(Message* message, WindowHandle window, std::uint32_t filterMin,
                     std::uint32_t filterMax, std::uint32_t removeFlags) override;
    std::int32_t translateAccelerator(WindowHandle window, AcceleratorHandle accelerators,
                                      const Message* message) override;
    bool translateMessage(const Message* message) override;
    std::intptr_t dispatchMessage(const Message* message) override;
    std::uint32_t msgWaitForMultipleObjectsEx(std::uint32_t count, const NativeHandle* handles,
                                              std::uint32_t milliseconds, std::uint32_t wakeMask,
                                              std::uint32_t flags) override;
};

} // namespace qora
