#include "main/profile_list.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

using Names = std::vector<std::wstring>;

TEST(RemoveHidden, RemovesEveryExactCopyAndNothingElse) {
    const struct {
        Names items;
        Names hidden;
        Names left;
    } cases[] = {
        {{L" Home", L" Work", L" Home"}, {L" Home"}, {L" Work"}},            // all copies go
        {{L" Home", L" home", L"Home"}, {L" Home"}, {L" home", L"Home"}},    // case and leading space count
        {{L" A", L"", L" B", L""}, {L""}, {L" A", L" B"}},                   // an empty line hides empty names
        {{L" A", L" B"}, {}, {L" A", L" B"}},
        {{L" A", L" B"}, {L" B", L" A", L" C"}, {}},
        {{}, {L" A"}, {}},
    };
    for (const auto& c : cases) {
        Names items = c.items;
        RemoveHidden(items, c.hidden);
        EXPECT_EQ(items, c.left);
    }
}

TEST(LastIndexOf, FindsTheLastEqualItem) {
    const Names items{L" Home", L" Work", L" Home", L""};
    EXPECT_EQ(LastIndexOf(items, L" Home"), 2);
    EXPECT_EQ(LastIndexOf(items, L" Work"), 1);
    EXPECT_EQ(LastIndexOf(items, L""), 3);
    EXPECT_EQ(LastIndexOf(items, L"Home"), -1);
    EXPECT_EQ(LastIndexOf({}, L""), -1);
}

}  // namespace
}  // namespace velnor
