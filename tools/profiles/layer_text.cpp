#include "tools/profiles/layer_text.h"

#include "formats/mouse_binding_choices.h"
#include "input/key_names.h"
#include "tools/profiles/profile_fields.h"

#include <algorithm>
#include <cstddef>

namespace qora {
namespace {

// More digits than this cannot be a delay: the reading stops before it could overflow.
constexpr std::size_t kMaxDelayDigits = 9;

LayerValueReading refused(std::string error) {
    return {false, std::move(error)};
}

// Appended piece by piece: "\"" + std::string(text) trips GCC 12's -Wrestrict at -O2.
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.append(1, '"').append(text).append(1, '"');
    return result;
}

} // namespace

const char* triggerSetting(LayerKind kind) {
    return kind == LayerKind::toggled ? kPressSetting : kWhileSetting;
}

std::string triggerText(const LayerTrigger& trigger) {
    if (trigger.source == TriggerSource::mouseButton && trigger.code < kMouseButtonTriggers) {
        return kMouseInputs[trigger.code].setting;
    }
    if (trigger.source == TriggerSource::key && keyName(trigger.code)[0] != '\0') {
        return keyName(trigger.code);
    }
    return hexText(trigger.code);
}

LayerValueReading readTrigger(std::string_view text, LayerTrigger& trigger) {
    for (const MouseInput& input : kMouseInputs) {
        if (text != input.setting) {
            continue;
        }
        if (input.index >= kMouseButtonTriggers) {
            return refused("the wheel cannot hold a layer; use a key or a mouse button");
        }
        trigger = {TriggerSource::mouseButton, static_cast<std::uint8_t>(input.index)};
        return {true, {}};
    }
    if (const std::uint8_t code = scanCodeNamed(text); code != 0) {
        trigger = {TriggerSource::key, code};
        return {true, {}};
    }
    return refused("unknown key or mouse button " + quoted(text) +
                   "; write a key as the Map dialog shows it (CAPS, L ALT) or a mouse button "
                   "(MOUSE RIGHT, MOUSE BUTTON6)");
}

LayerValueReading readDelay(std::string_view text, std::uint16_t& delayMs) {
    const std::string range = "0 to " + std::to_string(kMaxLayerDelayMs);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return refused(quoted(text) + " is not a delay: write whole milliseconds, " + range);
    }
    const std::string_view significant =
        text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
    if (significant.size() > kMaxDelayDigits ||
        std::stoul(std::string(significant)) > kMaxLayerDelayMs) {
        return refused(std::string(text) + " is outside " + range);
    }
    delayMs = static_cast<std::uint16_t>(std::stoul(std::string(significant)));
    return {true, {}};
}

} // namespace qora
