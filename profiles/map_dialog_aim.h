#pragma once
// The Map dialog's Aim group: the aim mode (classic or precise) and the dead zone, shape
// and exponent of precise aim, kept in the record's aim bytes.
//
// Every action writes the record at once, and only the value it stands for: a control the
// player leaves alone leaves its bytes as stored, so a dead zone written with a finer step
// (23.95 % from a profile text) or a value outside the range survives a Confirm. The bars
// cannot make a value outside the range: the dead zone bar runs from 0 to 90 % in steps of
// 0.5 %, the exponent bar from 0.25 to 4.0 in steps of 0.05. Classic aim disables the
// dead zone, shape and exponent, and keeps their bytes; precise aim names the zoom scales
// as what they then are, the sensitivities.

#include "formats/aim_values.h"
#include "formats/profile_record.h"
#include "profiles/dialog_api.h"
#include "profiles/map_dialog.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qora {

// A bar over one grid: position p stands for the stored value p x grid.step.
struct AimBarScale {
    AimValueGrid grid;
    std::int32_t pagePositions;

    constexpr std::int32_t minPosition() const { return grid.min / grid.step; }
    constexpr std::int32_t maxPosition() const { return grid.max / grid.step; }
};

// 0 ... 90 % in positions of 0.5 %, a page 5 %; 0.25 ... 4.0 in positions of 0.05, a page
// 0.5.
inline constexpr AimBarScale kDeadZoneBar{kDeadZoneGrid, 10};
inline constexpr AimBarScale kExponentBar{kExponentGrid, 10};

// The position nearest to a stored value; the bar keeps it within its range.
std::int32_t aimBarPosition(const AimBarScale& scale, std::int32_t value);

// The value a WM_HSCROLL request makes of a stored value, kept within the bar's range, or
// nothing when the request leaves it alone (SB_ENDSCROLL, a thumb let go where it was).
// A line or page step starts from the stored value's grid point on the side it moves
// away from, so 23.95 % moves to 24.0 % or 23.5 %, never past a grid point.
std::optional<std::int32_t> scrolledAimValue(const AimBarScale& scale, std::int32_t value,
                                             const ScrollInfo& bar, std::uint32_t request);

// WM_INITDIALOG: the group shows the record's aim bytes.
void showAimGroup(MapDialogState& state, MapDialogEnvironment& env);

// WM_HSCROLL from the dead zone or exponent bar. False for any other bar.
bool onAimScroll(MapDialogState& state, MapDialogEnvironment& env, WindowHandle bar,
                 std::uint32_t request);

// WM_COMMAND: BN_CLICKED from a mode or shape radio button. False for any other command.
bool onAimCommand(MapDialogState& state, MapDialogEnvironment& env, std::int32_t controlId,
                  std::uint32_t notification);

} // namespace qora
