#include "list/editor_placement.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

TEST(FirstEditorPlacement, CentresOverTheOwnerAndStaysRightOfAndBelowTheWorkAreaOrigin) {
    const struct {
        Bounds owner;
        std::int32_t width, height, workLeft, workTop;
        Bounds expected;
    } cases[] = {
        {{100, 100, 350, 300}, 471, 278, 0, 0, {100 - 60, 100 + 11, 471, 278}},   // (350-471)/2 = -60 toward zero
        {{0, 0, 350, 300}, 471, 278, 0, 0, {0, 11, 471, 278}},                    // raised to the work area's left
        {{-50, -400, 350, 300}, 300, 300, 0, 0, {0, 0, 300, 300}},
        {{1700, 900, 350, 300}, 471, 278, 0, 0, {1640, 911, 471, 278}},          // no clamp at the right or bottom
        {{2000, 100, 350, 300}, 471, 278, 1920, 40, {1940, 111, 471, 278}},      // a monitor right of the primary
        {{100, 100, 351, 301}, 300, 300, 0, 0, {125, 100, 300, 300}},            // 51/2 = 25, 1/2 = 0
        {{2147483000, 0, 2000, 300}, 300, 300, 0, 0, {2147483647, 0, 300, 300}}, // no overflow
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstEditorPlacement(c.owner, c.width, c.height, c.workLeft, c.workTop), c.expected);
}

}  // namespace
}  // namespace velnor
