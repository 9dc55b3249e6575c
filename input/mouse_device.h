#pragma once
// The mouse device: buffered event records (c_dfDIMouse2: relative X, Y and wheel, eight
// buttons), held exclusively and only while the owner window is in front.

#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "input/mouse_record.h"
#include "platform/platform_types.h"
#include "platform/user_api.h"

#include <cstdint>
#include <span>

namespace qora {

// The mouse text ends with a blank, the keyboard text does not.
inline constexpr const char* kMouseCreateFailedText =
    "CreateDevice() failed. The sample will now exit. ";
inline constexpr const char* kMouseCaption = "Mouse";

inline constexpr std::uint32_t kMouseCooperativeFlags = kDisclExclusive | kDisclForeground;

// The device keeps as many records between two reads as one read can take.
inline constexpr std::uint32_t kMouseBufferSize = kMouseRecordCapacity;

// DIPROP_BUFFERSIZE for the whole device.
DiPropDword mouseBufferSizeProperty();

bool mouseExists(const CaptureDevices& devices);

// Stops timer 0 of owner, releases any earlier mouse, builds the device with its event
// buffer and acquires it (the Acquire result is ignored). Returns the first failing
// step's code; a partly built mouse stays in the slot.
HResult createMouseDevice(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                          WindowHandle owner);

// A held mouse is released; otherwise one is created. A failed creation shows the
// "Mouse" error box on owner and leaves the slot empty.
void openOrCloseMouse(DirectInputApi& directInput, UserApi& user, CaptureDevices& devices,
                      WindowHandle owner);

// Moves up to 256 buffered records into records and returns how many were delivered.
// Anything but DI_OK re-acquires the device; the records of a DI_BUFFEROVERFLOW read are
// still delivered when the device could be acquired.
std::uint32_t readMouseRecords(DirectInputApi& directInput, const CaptureDevices& devices,
                               std::span<MouseRecord, kMouseRecordCapacity> records);

// readMouseRecords into whatever room is left: the fast path tops up the records it keeps
// for the next tick with it. Asks GetDeviceData for room.size() records, at most 256; no
// room reads nothing, so the records stay in the device's buffer.
std::uint32_t readMouseRecordsInto(DirectInputApi& directInput, const CaptureDevices& devices,
                                   std::span<MouseRecord> room);

// Acquire when the device exists; the result is ignored.
void reacquireMouse(DirectInputApi& directInput, const CaptureDevices& devices);

void releaseMouse(DirectInputApi& directInput, CaptureDevices& devices);

} // namespace qora
