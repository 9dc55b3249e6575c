#pragma once
// Opens the Map dialog with the keyboard slot free: a capture run lends its keyboard for
// the time of the dialog and gets a background keyboard on the main window back afterwards.

#include "app/program.h"
#include "profiles/dialog_api.h"

namespace qora {

class KeyboardLendingMapDialogOpener final : public MapDialogOpener {
public:
    KeyboardLendingMapDialogOpener(MapDialogOpener& opener, Program& program, Platform& platform)
        : opener_(opener), program_(program), platform_(platform) {}

    std::intptr_t openMapDialog(WindowHandle owner, std::int32_t templateId,
                                std::int32_t profileIndex) override;

private:
    MapDialogOpener& opener_;
    Program& program_;
    Platform& platform_;
};

} // namespace qora
