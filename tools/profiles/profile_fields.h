#pragma once
// The words of the profile text: the setting names of its lines, the mouse inputs, the
// console names of the command line, and the rules every value must meet. The check and
// the text use the same words so a problem names the line that shows it.

#include "formats/mouse_binding_choices.h"
#include "formats/profile_record.h"
#include "platform/platform_types.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qora {

inline constexpr const char* kConsoleSetting = "CONSOLE";
inline constexpr const char* kNameSetting = "NAME";
inline constexpr const char* kDirectionSetting = "DIRECTION";
inline constexpr const char* kInvertSetting = "INVERT";
inline constexpr const char* kZoomXSetting = "ZOOMX";
inline constexpr const char* kZoomYSetting = "ZOOMY";

// A key left unbound, and no inversion.
inline constexpr const char* kNoneWord = "none";
inline constexpr const char* kInvertXWord = "X";
inline constexpr const char* kInvertYWord = "Y";

// The longest name the 64-byte field holds with its NUL.
inline constexpr std::size_t kMaxProfileNameLength = profile::nameSize - 1;

// The invert bits the text has words for; the others are left out.
inline constexpr std::uint8_t kKnownInvertBits = profile::kInvertX | profile::kInvertY;

// "xbox360" and "ps3", as given to --console and written on the CONSOLE line.
std::optional<ConsoleMode> consoleNamed(std::string_view name);
const char* consoleWord(ConsoleMode console);
// "Xbox 360" or "PS3", for messages and comments.
const char* consoleTitle(ConsoleMode console);

// "0x54": a byte value the text has no word for.
std::string hexText(std::uint8_t value);

// 0.5 ... 5.0, the span of the Map dialog's zoom bars; NaN is outside.
bool zoomScaleInRange(float scale);

} // namespace qora
