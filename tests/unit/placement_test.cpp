// Placement arithmetic: taskbar correction, the fifteen placements, the
// off-screen test and the restored-rectangle conversion.
#include "orvo/placement.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <vector>

namespace velnor {

// Readable failures for the table tests.
void PrintTo(const Bounds& b, std::ostream* os) {
    *os << "{" << b.left << ", " << b.top << ", " << b.width << ", " << b.height << "}";
}
void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
void PrintTo(const WorkRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kWideMax = kMax;

TEST(PlacementTaskbarEdge, MapsThePlatformEdgesToOwnCodes) {
    const struct {
        std::uint32_t platform;
        int code;
    } cases[] = {
        {0, kTaskbarLeft}, {1, kTaskbarTop},  {2, kTaskbarRight},         {3, kTaskbarBottom},
        {4, kTaskbarNone}, {7, kTaskbarNone}, {0xFFFFFFFFu, kTaskbarNone},
    };
    for (const auto& c : cases) EXPECT_EQ(TaskbarEdgeCode(c.platform), c.code) << c.platform;
    EXPECT_EQ(kTaskbarTop, 0);
    EXPECT_EQ(kTaskbarBottom, 1);
    EXPECT_EQ(kTaskbarLeft, 2);
    EXPECT_EQ(kTaskbarRight, 3);
    EXPECT_EQ(kTaskbarNone, -1);
}

// The correction, and where it puts a centred window.
TEST(PlacementWorkRect, GivesBackTheTaskbarStripAndCentresInIt) {
    const Bounds window{3000, 3000, 350, 300};
    const struct {
        const char* name;
        Rect work;
        int edge;
        Rect taskbar;
        WorkRect corrected;
        std::int32_t centredLeft, centredTop;
    } cases[] = {
        {"bottom", {0, 0, 1920, 1040}, kTaskbarBottom, {0, 1040, 1920, 1080}, {0, 0, 1920, 1080}, 785, 390},
        {"top", {0, 40, 1920, 1080}, kTaskbarTop, {0, 0, 1920, 40}, {0, 0, 1920, 1080}, 785, 390},
        {"left", {60, 0, 1920, 1080}, kTaskbarLeft, {0, 0, 60, 1080}, {0, 0, 1920, 1080}, 785, 390},
        {"right", {0, 0, 1860, 1080}, kTaskbarRight, {1860, 0, 1920, 1080}, {0, 0, 1920, 1080}, 785, 390},
        // No taskbar, or an unknown edge: the work area as it is.
        {"none", {0, 0, 1920, 1040}, kTaskbarNone, {0, 1040, 1920, 1080}, {0, 0, 1920, 1040}, 785, 370},
        {"unknown", {0, 0, 1920, 1040}, 9, {0, 1040, 1920, 1080}, {0, 0, 1920, 1040}, 785, 370},
        // An auto-hidden taskbar is not left out of the work area, so the
        // rectangle grows past the monitor; Wine reports a one-pixel strip.
        {"autohide", {0, 0, 1920, 1080}, kTaskbarBottom, {0, 1038, 1920, 1080}, {0, 0, 1920, 1122}, 785, 411},
        {"wine", {0, 0, 1280, 1024}, kTaskbarBottom, {0, 1023, 1280, 1024}, {0, 0, 1280, 1025}, 465, 362},
        // A taskbar that does not start at the screen's edge, or does not
        // reach it: the top and left corrections take the taskbar's far side
        // (its bottom, its right), the bottom and right ones its thickness.
        {"top, off the edge", {0, 50, 1920, 1080}, kTaskbarTop, {0, 10, 1920, 50}, {0, 0, 1920, 1080}, 785, 390},
        {"left, off the edge", {70, 0, 1920, 1080}, kTaskbarLeft, {10, 0, 70, 1080}, {0, 0, 1920, 1080}, 785, 390},
        {"bottom, short of the edge", {0, 0, 1920, 1000}, kTaskbarBottom, {0, 1000, 1920, 1040}, {0, 0, 1920, 1040},
         785, 370},
        {"right, short of the edge", {0, 0, 1800, 1080}, kTaskbarRight, {1800, 0, 1860, 1080}, {0, 0, 1860, 1080},
         755, 390},
        // Auto-hidden at the right: the work area is the whole monitor, the
        // rectangle grows past it, and the centred window moves right.
        {"autohide right", {0, 0, 1920, 1080}, kTaskbarRight, {1880, 0, 1920, 1080}, {0, 0, 1960, 1080}, 805, 390},
        // Past the 32-bit range the rectangle stays exact; the placement is
        // clamped.
        {"huge", {0, 0, kMax, kMax}, kTaskbarBottom, {0, kMin, 1, kMax}, {0, 0, kMax, kWideMax * 3 + 1}, 1073741648,
         kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WorkRect corrected = CorrectWorkRect(c.work, c.edge, c.taskbar);
        EXPECT_EQ(corrected, c.corrected);
        EXPECT_EQ(PlacementBounds(kPlaceCentred, corrected, window),
                  (Bounds{c.centredLeft, c.centredTop, 350, 300}));
    }
}

// Every mode in a rectangle off the origin with odd sizes, so that WL and 0,
// and halving and rounding, give different answers.
TEST(PlacementModes, EveryModeOfTheTable) {
    const WorkRect work{100, 50, 1901, 1051};
    const Bounds current{300, 200, 400, 301};
    const struct {
        int mode;
        Bounds expected;
    } cases[] = {
        {0, {300, 50, 400, 1001}},   {1, {100, 200, 1801, 301}},  {2, {300, 50, 400, 301}},
        {3, {300, 750, 400, 301}},   {4, {100, 200, 400, 301}},   {5, {1501, 200, 400, 301}},
        {6, {100, 50, 400, 301}},    {7, {1501, 50, 400, 301}},   {8, {100, 750, 400, 301}},
        {9, {1501, 750, 400, 301}},  {10, {750, 375, 400, 301}},  {11, {100, 50, 1901, 525}},
        {12, {100, 525, 1901, 525}}, {13, {100, 50, 950, 1001}},  {14, {950, 50, 950, 1001}},
        {15, current},               {-1, current},               {kMin, current},
        {kMax, current},
    };
    for (const auto& c : cases) EXPECT_EQ(PlacementBounds(c.mode, work, current), c.expected) << "mode " << c.mode;
}

TEST(PlacementModes, CentringHalvesTowardZeroAndMayGoNegative) {
    const WorkRect work{0, 0, 1920, 1080};
    const struct {
        Bounds window;
        std::int32_t left, top;
    } cases[] = {
        {{0, 0, 350, 300}, 785, 390},
        {{0, 0, 2000, 300}, -40, 390},    // wider than the work area
        {{0, 0, 1925, 1085}, -2, -2},     // (WR - W) = -5: -2, not -3
        {{0, 0, 1921, 1081}, 0, 0},       // -1 halves to 0
        {{0, 0, 1919, 1079}, 0, 0},
        {{0, 0, -5, -5}, 962, 542},       // negative sizes from a damaged file
    };
    for (const auto& c : cases) {
        const Bounds placed = PlacementBounds(kPlaceCentred, work, c.window);
        EXPECT_EQ(placed, (Bounds{c.left, c.top, c.window.width, c.window.height})) << c.window.width;
    }
}

// Values a settings file can hold: each sum is formed in 64 bits, and only the
// result is clamped.
TEST(PlacementModes, HostileExtremesAreComputedWideAndClamped) {
    const WorkRect screen{0, 0, 1920, 1080};
    const WorkRect all{kMin, kMin, kMax, kMax};
    const struct {
        const char* name;
        int mode;
        WorkRect work;
        Bounds current;
        Bounds expected;
    } cases[] = {
        {"far left kept size", kPlaceCentred, screen, {kMax, kMax, 350, 300}, {785, 390, 350, 300}},
        {"untouched extremes", 99, screen, {kMax, kMin, kMax, kMin}, {kMax, kMin, kMax, kMin}},
        // 1920 - kMin needs 33 bits, half of it fits again.
        {"half fits", kPlaceCentred, screen, {0, 0, kMin, kMin}, {1073742784, 1073742364, kMin, kMin}},
        {"right edge past max", 5, screen, {0, 0, kMin, 300}, {kMax, 0, kMin, 300}},
        {"bottom edge past min", 3, {0, 0, 0, kMin}, {0, 0, 350, kMax}, {0, kMin, 350, kMax}},
        {"corner below min", 9, {0, 0, kMin, kMin}, {0, 0, kMax, kMax}, {kMin, kMin, kMax, kMax}},
        {"full height", 0, all, {1, 2, 3, 4}, {1, kMin, 3, kMax}},
        {"full width", 1, all, {1, 2, 3, 4}, {kMin, 2, kMax, 4}},
        {"whole range centred", kPlaceCentred, all, {0, 0, kMin, kMin}, {kMax, kMax, kMin, kMin}},
        {"wide halves", 14, {0, 0, kWideMax * 4, kWideMax * 4}, {0, 0, 1, 1}, {kMax, 0, kMax, kMax}},
    };
    for (const auto& c : cases) EXPECT_EQ(PlacementBounds(c.mode, c.work, c.current), c.expected) << c.name;
}

TEST(PlacementOffScreen, FiveInOrderWithRightAndBottomOnePixelBeyond) {
    using P = std::array<Point, 5>;
    EXPECT_EQ(OffScreenTestPoints({10, 20, 101, 51}), (P{{{10, 20}, {111, 71}, {111, 20}, {10, 71}, {60, 45}}}));
    EXPECT_EQ(OffScreenTestPoints({0, 0, -5, -3}), (P{{{0, 0}, {-5, -3}, {-5, 0}, {0, -3}, {-2, -1}}}));
    EXPECT_EQ(OffScreenTestPoints({kMax, kMin, kMax, kMin}),
              (P{{{kMax, kMin},
                  {kWideMax * 2, std::int64_t{kMin} * 2},
                  {kWideMax * 2, kMin},
                  {kMax, std::int64_t{kMin} * 2},
                  {kWideMax + kMax / 2, std::int64_t{kMin} + kMin / 2}}}));
}

TEST(PlacementOffScreen, AsksThePointsInOrderAndStopsAtTheFirstOnAMonitor) {
    for (const std::size_t yesAt : {0u, 2u, 4u, 5u}) {
        std::vector<Point> asked;
        const bool off = IsOffScreen(Bounds{10, 20, 100, 50}, [&](const Point& p) {
            asked.push_back(p);
            return asked.size() == yesAt + 1;
        });
        EXPECT_EQ(off, yesAt == 5);
        const auto all = OffScreenTestPoints({10, 20, 100, 50});
        ASSERT_EQ(asked.size(), std::min<std::size_t>(yesAt + 1, 5));
        for (std::size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], all[i]);
    }
}

TEST(PlacementOffScreen, OverMonitorRectangles) {
    const std::vector<Rect> primary{{0, 0, 1920, 1080}};
    const std::vector<Rect> twoSideBySide{{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    const std::vector<Rect> leftOfPrimary{{-1920, 0, 0, 1080}};
    const std::vector<Rect> none;
    const struct {
        const char* name;
        const std::vector<Rect>& monitors;
        Bounds window;
        bool off;
    } cases[] = {
        {"inside", primary, {100, 100, 350, 300}, false},
        {"covers exactly", primary, {0, 0, 1920, 1080}, false},
        {"top-left corner only", primary, {1900, 1060, 400, 300}, false},
        {"bottom-right corner only", primary, {-399, -299, 400, 300}, false},
        {"top-right corner only", primary, {-399, 1060, 400, 300}, false},
        {"bottom-left corner only", primary, {1900, -299, 400, 300}, false},
        {"centre only", primary, {-100, -100, 2120, 1280}, false},
        // The right test points lie one pixel beyond the window.
        {"ends at the left edge", primary, {-350, 0, 350, 300}, false},
        {"one pixel further", primary, {-351, 0, 350, 300}, true},
        {"starts at the right edge", primary, {1920, 0, 350, 300}, true},
        {"starts below", primary, {0, 1080, 350, 300}, true},
        {"far away", primary, {5000, 5000, 350, 300}, true},
        {"minimised placeholder", primary, {kMinimisedPlaceholder, kMinimisedPlaceholder, 160, 24}, true},
        {"on the second monitor", twoSideBySide, {2000, 100, 350, 300}, false},
        {"second monitor gone", primary, {2000, 100, 350, 300}, true},
        {"no monitor at all", none, {0, 0, 350, 300}, true},
        // Formed in 32 bits, the right edge would wrap round to -2, inside.
        {"wrap-around", leftOfPrimary, {kMax, 0, kMax, 300}, true},
        {"reaches in from the far left", leftOfPrimary, {kMin, 0, kMax, 300}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsOffScreen(c.window, c.monitors), c.off) << c.name;
}

TEST(PlacementWindowRect, PlaceholderOnlyWithBothCoordinatesAtMinus32000) {
    EXPECT_TRUE(IsMinimisedPlaceholder({-32000, -32000, -31840, -31976}));
    EXPECT_TRUE(IsMinimisedPlaceholder({-32000, -32000, 0, 0}));
    EXPECT_FALSE(IsMinimisedPlaceholder({-32000, 0, -31840, 24}));
    EXPECT_FALSE(IsMinimisedPlaceholder({0, -32000, 160, -31976}));
    EXPECT_FALSE(IsMinimisedPlaceholder({-32001, -32000, -31840, -31976}));
    EXPECT_FALSE(IsMinimisedPlaceholder({0, 1000, 160, 1024}));
}

TEST(PlacementWindowRect, BoundsClampWidthAndHeightThatDoNotFit) {
    EXPECT_EQ(BoundsOfRect({10, 20, 110, 220}), (Bounds{10, 20, 100, 200}));
    EXPECT_EQ(BoundsOfRect({-4, -4, 1284, 1028}), (Bounds{-4, -4, 1288, 1032}));
    EXPECT_EQ(BoundsOfRect({kMin, kMax, kMax, kMin}), (Bounds{kMin, kMax, kMax, kMin}));
}

TEST(PlacementRestored, MovesByTheWorkAreaOffsetWithinItsMonitor) {
    const Rect restored{40, 100, 440, 400};
    const struct {
        const char* name;
        Rect monitor, work;
        Rect expected;
    } cases[] = {
        {"taskbar left", {0, 0, 1920, 1080}, {60, 0, 1920, 1080}, {100, 100, 500, 400}},
        {"taskbar top", {0, 0, 1920, 1080}, {0, 40, 1920, 1080}, {40, 140, 440, 440}},
        {"taskbar bottom", {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, restored},
        {"taskbar right", {0, 0, 1920, 1080}, {0, 0, 1860, 1080}, restored},
        // Only the taskbar's inset counts, not where the monitor lies.
        {"second monitor, taskbar left", {1920, 0, 3840, 1080}, {1980, 0, 3840, 1080}, {100, 100, 500, 400}},
        {"monitor above, taskbar top", {0, -1080, 1920, 0}, {0, -1050, 1920, 0}, {40, 130, 440, 430}},
    };
    for (const auto& c : cases) EXPECT_EQ(WorkspaceToScreen(restored, c.monitor, c.work), c.expected) << c.name;
    EXPECT_EQ(WorkspaceToScreen({kMax - 10, kMin + 10, kMax, kMin + 20}, {kMin, kMax - 1, kMax, kMax},
                                {kMax - 1, kMin, kMax, kMax}),
              (Rect{kMax, kMin, kMax, kMin}));
}

}  // namespace
}  // namespace velnor
