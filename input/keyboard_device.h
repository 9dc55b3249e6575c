#pragma once
// The keyboard device: an immediate snapshot of all 256 key states (c_dfDIKeyboard), one
// byte per scan code with bit 0x80 set while the key is down.

#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "platform/platform_types.h"
#include "platform/user_api.h"

#include <cstdint>

namespace qora {

inline constexpr const char* kKeyboardCreateFailedText =
    "CreateDevice() failed. The sample will now exit.";
inline constexpr const char* kKeyboardCaption = "Keyboard";
inline constexpr const char* kUnacquiredText = "Unacquired";

// The Map dialog wants the keys only while it is in front; the capture run reads them
// whatever window has the focus, so F11 ends a run from anywhere.
inline constexpr std::uint32_t kKeyboardForegroundFlags = kDisclExclusive | kDisclForeground;
inline constexpr std::uint32_t kKeyboardBackgroundFlags = kDisclNonExclusive | kDisclBackground;

// Only zero versus non-zero counts.
std::uint32_t keyboardCooperativeFlags(std::uint8_t backgroundMode);

bool keyboardExists(const CaptureDevices& devices);

// Stops timer 0 of owner, releases any earlier keyboard, builds and acquires a new one
// (the Acquire result is ignored). Returns the first failing step's code; a partly built
// keyboard stays in the slot.
HResult createKeyboardDevice(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                             WindowHandle owner, std::uint8_t backgroundMode);

// A held keyboard is released (false); otherwise one is created (true). A failed creation
// shows the "Keyboard" error box on owner and leaves the slot empty (false).
bool openOrCloseKeyboard(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                         WindowHandle owner, std::uint8_t backgroundMode);

// True when snapshot may be used as the current key state. Without a keyboard device this
// is true and snapshot is left as it was. A failed read re-acquires the device for the
// next call and returns false; "Unacquired" goes to the debugger output when another
// application holds the keyboard or it stays unacquired.
bool readKeyboardSnapshot(DirectInputApi& directInput, UserApi& user, const CaptureDevices& devices,
                          std::uint8_t* snapshot, std::uint32_t size);

// Acquire when the device exists; the result is ignored.
void reacquireKeyboard(DirectInputApi& directInput, const CaptureDevices& devices);

// Unacquire when the device exists, so the keys go to the windows again until it is
// acquired; the result is ignored.
void unacquireKeyboard(DirectInputApi& directInput, const CaptureDevices& devices);

void releaseKeyboard(DirectInputApi& directInput, CaptureDevices& devices);

} // namespace qora
