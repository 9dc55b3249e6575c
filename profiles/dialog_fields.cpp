#include "profiles/dialog_fields.h"

#include "input/keyboard_device.h"
#include "profiles/dialog_api.h"

namespace qora {

std::optional<std::uint16_t> parseWholeNumber(const char* text, std::uint32_t min,
                                              std::uint32_t max) {
    if (*text == '\0') {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(*c - '0');
        if (value > max) {
            return std::nullopt;
        }
    }
    if (value < min) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

void lendKeyboardForTyping(DirectInputApi& directInput, const CaptureDevices& devices,
                           std::uint32_t notification, bool& lent) {
    if (notification == kEnSetFocus) {
        unacquireKeyboard(directInput, devices);
        lent = true;
    } else if (notification == kEnKillFocus) {
        reacquireKeyboard(directInput, devices);
        lent = false;
    }
}

bool pollCapturedKeyboard(DirectInputApi& directInput, UserApi& user, const CaptureDevices& devices,
                          bool lent, std::array<std::uint8_t, kKeyboardSnapshotSize>& snapshot,
                          KeptKeys& kept) {
    if (!keyboardExists(devices) || lent) {
        return false;
    }
    if (!readKeyboardSnapshot(directInput, user, devices, snapshot.data(),
                              static_cast<std::uint32_t>(snapshot.size()))) {
        return false;
    }
    forgetReleasedKeptKey(kept, snapshot.data());
    return true;
}

} // namespace qora
