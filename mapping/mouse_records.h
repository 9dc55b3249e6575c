#pragma once
// The record pass: one tick's buffered mouse records set the button and wheel flags and,
// grouped by time stamp, become motion samples.

#include "input/mouse_record.h"
#include "mapping/mouse_state.h"
#include "platform/user_api.h"

#include <cstdint>

namespace qora {

// The wheel flags last until the next tick: each tick starts by clearing them.
void clearWheelFlags(MouseState& mouse);

// Clears the wheel flags, then walks records[0 .. count - 1] (at most the buffer's 256).
// Each run of adjacent records with one time stamp is a group; a group with motion
// writes a line feed to the debugger output and pushes its average motion per event.
void runRecordPass(MouseState& mouse, const MouseRecord* records, std::uint32_t count,
                   UserApi& debugOutput);

// One bit per button flag (bit 0 the first button): the buttons with a press among
// records[0 .. count - 1], also when their release follows in the same records.
std::uint8_t mouseButtonsPressedIn(const MouseRecord* records, std::uint32_t count);

// The button and wheel records among records[0 .. count - 1] set their flags now, as the
// record pass will when it sees them at the tick; motion is left to the record pass. The
// wheel flags are not cleared first: they last until the next record pass.
void applyButtonRecords(MouseState& mouse, const MouseRecord* records, std::uint32_t count);

} // namespace qora
