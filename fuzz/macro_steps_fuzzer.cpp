// The macro steps as people write them (formats/macro_steps.h), read from any text with
// either console's names: a text is refused with a message naming a step, or read to at
// most 32 steps, each 1 to 5000 ms with known actions only, never both. What is read writes
// back to a text that reads to the same steps, and writes the same text again.
//
// Input: a console byte (bit 0: PS3, else Xbox 360), then the text.

#include "fuzz_check.h"

#include "formats/macro_steps.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qora::fuzzing {
namespace {

constexpr std::uint8_t kPs3Console = 0x01;

void checkSteps(const MacroStepsParse& parse) {
    require(!parse.steps.empty() && parse.steps.size() <= kMaxMacroSteps,
            "a text read gives 1 to 32 steps");
    for (const MacroStep& step : parse.steps) {
        require(step.ms >= kMinMacroStepMs && step.ms <= kMaxMacroStepMs,
                "each step lasts 1 to 5000 ms");
        require((step.actions & ~kAllActions) == 0, "each step holds known actions only");
    }
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    if (size == 0) {
        return 0;
    }
    const ConsoleMode console = (data[0] & kPs3Console) != 0 ? kConsolePs3 : kConsoleXbox360;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const MacroStepsParse parse = parseMacroSteps(text, console);
    if (parse.error) {
        require(parse.steps.empty(), "a refused text gives no steps");
        require(!parse.error->empty(), "a refusal says why");
        return 0;
    }
    checkSteps(parse);
    const std::string written = formatMacroSteps(parse.steps, console);
    const MacroStepsParse again = parseMacroSteps(written, console);
    require(!again.error && again.steps == parse.steps, "the written steps read back the same");
    require(formatMacroSteps(again.steps, console) == written, "the text is written one way");
    return 0;
}
