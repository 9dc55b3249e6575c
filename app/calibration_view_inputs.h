#pragma once
// What the calibration view shows of a run: the values the run aims with, and the mouse's
// speed where the stick stands now, so the live point is at 0 once the stick is centred.

#include "app/calibration.h"
#include "formats/profile_record.h"
#include "mapping/mouse_state.h"
#include "overlay/calibration_view.h"

namespace qora {

CalibrationViewInputs calibrationViewInputs(const Calibration& calibration,
                                            const ProfileRecord& runProfile,
                                            const MouseState& mouse,
                                            const char* pickedLayer = nullptr);

} // namespace qora
