#include "mapping/precise_aim.h"

#include "mapping/aim_curve.h"
#include "mapping/aim_velocity.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_records.h"

namespace qora {

bool isPreciseAim(const ProfileRecord& profile) {
    return readAimSettings(profile).mode == AimMode::precise;
}

void readPreciseAimRecords(MouseState& mouse, const MouseRecord* records, std::uint32_t count,
                           std::int64_t readTimeUs) {
    applyButtonRecords(mouse, records, count);
    addMotionRecords(mouse.aim, records, count, readTimeUs);
}

void writePreciseAim(MouseState& mouse, ControllerState& state, ConsoleMode mode,
                     const ProfileRecord& profile, std::int64_t nowUs, std::uint32_t leaveOut) {
    mouse.outputVelocity = currentVelocity(mouse.aim, nowUs);
    mouse.output = stickUnitsFor(deflectionFor(mouse.outputVelocity, aimCurveOf(profile)), mode);
    writeMouseDeflection(state, profile, mouse.output);
    applyMouseFlagActions(mouse, state, mode, profile, leaveOut);
}

bool preciseAimAtRest(const MouseState& mouse) {
    return velocityAtRest(mouse.aim) && mouse.output == MotionPair{0, 0} &&
           mouse.flags[mouse_flag::wheelUp] == 0 && mouse.flags[mouse_flag::wheelDown] == 0;
}

} // namespace qora
