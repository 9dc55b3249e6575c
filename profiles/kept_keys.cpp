#include "profiles/kept_keys.h"

#include "formats/run_keys.h"
#include "input/key_names.h"
#include "input/mouse_record.h"

#include <string>

namespace qora {

bool refuseKeptKey(KeptKeys& kept, UserApi& user, WindowHandle owner, std::uint8_t scanCode) {
    if (!isRunKey(scanCode) && !isSwitchKey(kept.switchKeys, scanCode)) {
        return false;
    }
    if (kept.refusedKey != scanCode) {
        kept.refusedKey = scanCode;
        const std::string text = std::string(keyName(scanCode)) + kRunKeyTextEnd;
        user.messageBox(owner, text.c_str(), kRunKeyCaption, kMbOk | kMbIconWarning);
    }
    return true;
}

void forgetReleasedKeptKey(KeptKeys& kept, const std::uint8_t* snapshot) {
    if ((snapshot[kept.refusedKey] & kKeyDown) == 0) {
        kept.refusedKey = 0;
    }
}

} // namespace qora
