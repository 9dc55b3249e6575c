#pragma once
// A layer's own lines in the profile text: its trigger, written with the names the rest of
// the text uses (a key as the Map dialog shows it, "CAPS", "L ALT"; a mouse button as its
// MOUSE line, "MOUSE RIGHT" ... "MOUSE BUTTON7"; never the wheel), and its delays, whole
// milliseconds from 0 to 2000.

#include "formats/layer_record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qora {

// WHILE for a layer held with its trigger, PRESS for one each press turns on or off.
const char* triggerSetting(LayerKind kind);

// The trigger's name; a value the text has no word for comes out as a number, which
// reading refuses (see layerProblems).
std::string triggerText(const LayerTrigger& trigger);

// The value of a line, or why the line is refused (the message without the setting).
struct LayerValueReading {
    bool ok = false;
    std::string error;
};

LayerValueReading readTrigger(std::string_view text, LayerTrigger& trigger);
LayerValueReading readDelay(std::string_view text, std::uint16_t& delayMs);

} // namespace qora
