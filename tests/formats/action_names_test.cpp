#include "formats/action_names.h"

#include "formats/mouse_binding_choices.h"
#include "mapping/actions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qora {
namespace {

// A mouse-action item and the action it triggers must carry the same name, and no two
// actions may share one, or a profile text would bind the wrong action.
TEST(ActionNames, AgreeWithTheMouseActionListAndAreUnique) {
    for (const ConsoleMode console : {kConsoleXbox360, kConsolePs3}) {
        const auto names = actionNames(console);
        const auto items = mouseActionItems(console);
        for (std::size_t position = 1; position < items.size(); ++position) {
            const ActionCode action = mouseBindingAction(static_cast<std::uint32_t>(position));
            ASSERT_GE(action, 0) << position;
            EXPECT_STREQ(names[static_cast<std::size_t>(action)], items[position])
                << "console " << console << ", list position " << position;
        }
        const std::set<std::string> distinct(names.begin(), names.end());
        EXPECT_EQ(distinct.size(), names.size()) << "console " << console;
    }
}

} // namespace
} // namespace qora
