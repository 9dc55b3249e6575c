#pragma once
// Precise aim, the mouse mode a profile may choose instead of classic aim: the stick
// follows the mouse's velocity measured over real time (mapping/aim_velocity.h) through
// the profile's curve (mapping/aim_curve.h). The caller reads the records at the mouse's
// events and evaluates at the times nextVelocityChange names; the buttons and the wheel
// keep their classic flags.

#include "formats/profile_record.h"
#include "input/mouse_record.h"
#include "mapping/controller_state.h"
#include "mapping/mouse_state.h"
#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

bool isPreciseAim(const ProfileRecord& profile);

// Records read from the mouse at readTimeUs (high-resolution microseconds): the buttons
// and the wheel set their flags, the motion goes to the velocity estimator. The wheel
// flags are not cleared first (clearWheelFlags does that, at the tick).
void readPreciseAimRecords(MouseState& mouse, const MouseRecord* records, std::uint32_t count,
                           std::int64_t readTimeUs);

// The velocity as of nowUs through the profile's curve into mouse.output (stick units for
// the console), written to the profile's Direction, then the actions of the mouse flags.
void writePreciseAim(MouseState& mouse, ControllerState& state, ConsoleMode mode,
                     const ProfileRecord& profile, std::int64_t nowUs, std::uint32_t leaveOut = 0);

// True when writePreciseAim would write what it last wrote until new records come: the
// estimator at rest, a zero output and no wheel flag. Held buttons do not matter.
bool preciseAimAtRest(const MouseState& mouse);

} // namespace qora
