#pragma once
// What the Map dialog and the Modes dialog share of their text fields: a whole number typed
// into one, and the keyboard device that lets a text field's keys through while it has the
// focus (a dialog that captures keys holds the keyboard exclusively, which would keep them).

#include "input/device_slot.h"
#include "input/direct_input_api.h"
#include "input/mouse_record.h"
#include "platform/user_api.h"
#include "profiles/kept_keys.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qora {

// Digits only, from min to max; nothing for an empty field or anything else.
std::optional<std::uint16_t> parseWholeNumber(const char* text, std::uint32_t min,
                                              std::uint32_t max);

// EN_SETFOCUS of a text field lets the keyboard go, EN_KILLFOCUS takes it back; lent says
// which holds now. Other notifications change nothing.
void lendKeyboardForTyping(DirectInputApi& directInput, const CaptureDevices& devices,
                           std::uint32_t notification, bool& lent);

// A key-capturing dialog's poll: reads the keyboard into snapshot, unless a text field has
// it (lent) or there is none, and forgets the key refused last once it is up. False when
// the poll has nothing to look at.
bool pollCapturedKeyboard(DirectInputApi& directInput, UserApi& user, const CaptureDevices& devices,
                          bool lent, std::array<std::uint8_t, kKeyboardSnapshotSize>& snapshot,
                          KeptKeys& kept);

} // namespace qora
