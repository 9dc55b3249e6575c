#include "app/win32/win32_message_loop_api.h"

#include "platform/win32/win32_handles.h"

namespace qora {

static_assert(kWmQuit == WM_QUIT && kPmRemove == PM_REMOVE);
static_assert(kInfinite == INFINITE && kWaitObject0 == WAIT_OBJECT_0 && kWaitFailed == WAIT_FAILED);
static_assert(kQsAllInput == (QS_KEY | QS_MOUSE | QS_RAWINPUT | QS_POSTMESSAGE | QS_TIMER |
                              QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE));
static_assert(kMwmoInputAvailable == MWMO_INPUTAVAILABLE);

namespace {

MSG toNative(const Message& message) {
    MSG native{};
    native.hwnd = toHwnd(message.window);
    native.message = message.message;
    native.wParam = message.wParam;
    native.lParam = message.lParam;
    native.time = message.time;
    native.pt.x = message.x;
    native.pt.y = message.y;
    return native;
}

Message toPortable(const MSG& native) {
    Message message;
    message.window = native.hwnd;
    message.message = native.message;
    message.wParam = native.wParam;
    message.lParam = native.lParam;
    message.time = native.time;
    message.x = native.pt.x;
    message.y = native.pt.y;
    return message;
}

} // namespace

std::int32_t Win32MessageLoopApi::getMessage(Message* message, WindowHandle window,
                                             std::uint32_t filterMin, std::uint32_t filterMax) {
    MSG native{};
    const BOOL got = GetMessageA(&native, toHwnd(window), filterMin, filterMax);
    *message = toPortable(native);
    return got;
}

bool Win32MessageLoopApi::peekMessage(Message* message, WindowHandle window,
                                      std::uint32_t filterMin, std::uint32_t filterMax,
                                      std::uint32_t removeFlags) {
    MSG native{};
    const BOOL got = PeekMessageA(&native, toHwnd(window), filterMin, filterMax, removeFlags);
    *message = toPortable(native);
    return got != FALSE;
}

std::int32_t Win32MessageLoopApi::translateAccelerator(WindowHandle window,
                                                       AcceleratorHandle accelerators,
                                                       const Message* message) {
    MSG native = toNative(*message);
    return TranslateAcceleratorA(toHwnd(window), static_cast<HACCEL>(accelerators), &native);
}

bool Win32MessageLoopApi::translateMessage(const Message* message) {
    const MSG native = toNative(*message);
    return TranslateMessage(&native) != FALSE;
}

std::intptr_t Win32MessageLoopApi::dispatchMessage(const Message* message) {
    const MSG native = toNative(*message);
    return DispatchMessageA(&native);
}

std::uint32_t Win32MessageLoopApi::msgWaitForMultipleObjectsEx(std::uint32_t count,
                                                               const NativeHandle* handles,
                                                               std::uint32_t milliseconds,
                                                               std::uint32_t wakeMask,
                                                               std::uint32_t flags) {
    // NativeHandle has the size of HANDLE, so the array is one of HANDLEs.
    return MsgWaitForMultipleObjectsEx(count, reinterpret_cast<const HANDLE*>(handles),
                                       milliseconds, wakeMask, flags);
}

} // namespace qora
