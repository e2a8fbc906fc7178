#include "list/tick_list.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

using Names = std::vector<std::wstring>;
using Ticks = std::vector<bool>;

TEST(TicksFor, TicksEveryExactCopyOfAHiddenName) {
    const struct {
        Names items;
        Names hidden;
        Ticks ticks;
    } cases[] = {
        {{L" Home", L" Work", L" Home"}, {L" Home"}, {true, false, true}},
        {{L" Home", L" home", L"Home"}, {L" Home"}, {true, false, false}},
        {{L" A", L" B"}, {L" gone", L" B"}, {false, true}},
        {{L" A", L""}, {L""}, {false, true}},  // an empty line ticks only an empty name
        {{L" A"}, {}, {false}},
        {{}, {L" A"}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TicksFor(c.items, c.hidden), c.ticks);
}

TEST(TickedNames, KeepsItemOrderAndRepeats) {
    EXPECT_EQ(TickedNames({L" B", L" A", L" B", L" C"}, {true, true, true, false}), (Names{L" B", L" A", L" B"}));
    EXPECT_EQ(TickedNames({L" A", L" A"}, {false, true}), Names{L" A"});
    EXPECT_EQ(TickedNames({L" A"}, {false}), Names{});
}

}  // namespace
}  // namespace velnor
