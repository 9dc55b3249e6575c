#pragma once
// What the Map dialog and the Modes dialog share of their text fields: a whole number typed
// into one, and the keyboard device that lets a text field's keys through while it has the
// focus (a dialog that captures keys holds the keyboard exclusively, which would keep them).

#include "input/device_slot.h"
#include "input/direct_input_api.h"

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

} // namespace qora
