#include "app/calibration_view_inputs.h"

#include "mapping/aim_curve.h"

#include <algorithm>
#include <cmath>

namespace qora {

CalibrationViewInputs calibrationViewInputs(const Calibration& calibration,
                                            const ProfileRecord& runProfile,
                                            const MouseState& mouse, const char* pickedLayer) {
    const AimCurve curve = aimCurveOf(runProfile);
    // The velocity behind the stick, not the estimator's: the estimator holds its last
    // value for a while after the stick is centred.
    const AimVelocity velocity = mouse.outputVelocity;
    const StickDeflection live = deflectionFor(velocity, curve);
    return CalibrationViewInputs{
        curve,
        readAimSettings(runProfile),
        readZoomScale(runProfile, profile::xZoomScale),
        readZoomScale(runProfile, profile::yZoomScale),
        calibration.picked,
        std::hypot(velocity.x, velocity.y),
        std::min(1.0, std::hypot(live.x, live.y)),
        calibrationNotice(calibration),
        calibrationSaveResult(calibration),
        pickedLayer,
    };
}

} // namespace qora
