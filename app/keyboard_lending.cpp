#include "app/keyboard_lending.h"

namespace qora {

std::intptr_t KeyboardLendingMapDialogOpener::openMapDialog(WindowHandle owner,
                                                            std::int32_t templateId,
                                                            std::int32_t profileIndex) {
    CaptureServices services = captureServicesOf(platform_);
    CaptureContext context = captureContextOf(program_);
    lendKeyboardToMapDialog(services, context);
    const std::intptr_t result = opener_.openMapDialog(owner, templateId, profileIndex);
    returnKeyboardFromMapDialog(services, context);
    return result;
}

} // namespace qora
