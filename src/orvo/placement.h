// Window placement arithmetic: the taskbar-corrected work rectangle, the
// fifteen placements, and the five-point test of whether a window lies on any
// monitor. Portable; the Win32 side (placement_win32.h) feeds it real values.
//
// Stored settings can hold any 32-bit value, so every sum and difference here
// is formed in 64 bits. Results that must go back to the platform are clamped
// into the 32-bit range; test points and the corrected work rectangle keep
// their full 64-bit value.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace velnor {

// A platform rectangle; right and bottom lie one pixel beyond the last column
// and row, as with a window or monitor rectangle.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A window's left, top, width and height.
struct Bounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// A test point. Wide, because a window's far corner can lie beyond the 32-bit
// range; such a point is on no monitor.
struct Point {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// The work rectangle after the taskbar correction, which may grow past the
// 32-bit range when the platform reports extreme values.
struct WorkRect {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
    friend bool operator==(const WorkRect&, const WorkRect&) = default;
};

// Where the taskbar is, in this unit's own numbering.
constexpr int kTaskbarNone = -1;
constexpr int kTaskbarTop = 0;
constexpr int kTaskbarBottom = 1;
constexpr int kTaskbarLeft = 2;
constexpr int kTaskbarRight = 3;

// The one placement the program itself uses.
constexpr int kPlaceCentred = 10;

// Where the platform parks a minimised top-level window.
constexpr std::int32_t kMinimisedPlaceholder = -32000;

// Maps the platform's appbar edge (ABE_LEFT 0, ABE_TOP 1, ABE_RIGHT 2,
// ABE_BOTTOM 3) to this unit's code; anything else is kTaskbarNone.
int TaskbarEdgeCode(std::uint32_t platformEdge);

// Gives back to the work area the strip that it leaves out for a taskbar at
// `edgeCode`, so that with a docked taskbar the result is the primary
// monitor's whole rectangle.
WorkRect CorrectWorkRect(const Rect& workArea, int edgeCode, const Rect& taskbar);

// True for the parking position of a minimised window (left and top both
// -32000): such a rectangle says nothing about where the window belongs.
bool IsMinimisedPlaceholder(const Rect& rect);

// Width and height from a rectangle; clamped into 32 bits should the
// difference not fit.
Bounds BoundsOfRect(const Rect& rect);

// The bounds that placement `mode` gives a window with bounds `current` in
// the corrected work rectangle `work`. An unknown mode keeps `current`.
// Values that do not fit in 32 bits are clamped to the nearest 32-bit value.
Bounds PlacementBounds(int mode, const WorkRect& work, const Bounds& current);

// The five test points in the order they are tried: top-left, bottom-right,
// top-right, bottom-left, centre. The right and bottom ones lie one pixel
// beyond the window; the centre halves toward zero.
std::array<Point, 5> OffScreenTestPoints(const Bounds& bounds);

// True when none of the five test points is on a monitor. `onMonitor` is
// asked in test-point order and not again once it says yes.
bool IsOffScreen(const Bounds& bounds, const std::function<bool(const Point&)>& onMonitor);

// The same over a list of monitor rectangles.
bool IsOffScreen(const Bounds& bounds, std::span<const Rect> monitors);

// Whether `rect` holds `point` (right and bottom excluded).
bool Contains(const Rect& rect, const Point& point);

// Turns a restored rectangle given relative to the work area of its monitor
// (as the window-placement record keeps it for ordinary top-level windows)
// into screen coordinates: it moves by the offset of the work area within the
// monitor. Clamped into 32 bits.
Rect WorkspaceToScreen(const Rect& restored, const Rect& monitor, const Rect& workArea);

// Clamps a wide value into the 32-bit range.
std::int32_t ClampToInt32(std::int64_t value);

}  // namespace velnor
