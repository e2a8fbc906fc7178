#include "orvo/placement.h"

#include <algorithm>
#include <limits>

namespace velnor {

namespace {

using Wide = std::int64_t;

// The platform's appbar edges.
constexpr std::uint32_t kAbeLeft = 0;
constexpr std::uint32_t kAbeTop = 1;
constexpr std::uint32_t kAbeRight = 2;
constexpr std::uint32_t kAbeBottom = 3;

// Halving truncates toward zero, which is what integer division does in C++;
// the helper only keeps that intent visible where the placements use it.
constexpr Wide Half(Wide value) { return value / 2; }

}  // namespace

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<Wide>(value, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

int TaskbarEdgeCode(std::uint32_t platformEdge) {
    switch (platformEdge) {
    case kAbeLeft: return kTaskbarLeft;
    case kAbeTop: return kTaskbarTop;
    case kAbeRight: return kTaskbarRight;
    case kAbeBottom: return kTaskbarBottom;
    default: return kTaskbarNone;
    }
}

WorkRect CorrectWorkRect(const Rect& workArea, int edgeCode, const Rect& taskbar) {
    WorkRect w{workArea.left, workArea.top, workArea.right, workArea.bottom};
    switch (edgeCode) {
    case kTaskbarTop: w.top -= taskbar.bottom; break;
    case kTaskbarBottom: w.bottom += Wide{taskbar.bottom} - taskbar.top; break;
    case kTaskbarLeft: w.left -= taskbar.right; break;
    case kTaskbarRight: w.right += Wide{taskbar.right} - taskbar.left; break;
    default: break;
    }
    return w;
}

bool IsMinimisedPlaceholder(const Rect& rect) {
    return rect.left == kMinimisedPlaceholder && rect.top == kMinimisedPlaceholder;
}

Bounds BoundsOfRect(const Rect& rect) {
    return {rect.left, rect.top, ClampToInt32(Wide{rect.right} - rect.left),
            ClampToInt32(Wide{rect.bottom} - rect.top)};
}

Bounds PlacementBounds(int mode, const WorkRect& work, const Bounds& current) {
    Wide left = current.left;
    Wide top = current.top;
    Wide width = current.width;
    Wide height = current.height;
    const Wide fullHeight = work.bottom - work.top;
    // The centre and the halving lines come from the right and bottom alone,
    // as if the work rectangle began at the screen origin; on the primary
    // monitor, where the corrected rectangle does begin there, this is exact.
    switch (mode) {
    case 0: top = work.top; height = fullHeight; break;
    case 1: left = work.left; width = work.right - work.left; break;
    case 2: top = work.top; break;
    case 3: top = work.bottom - height; break;
    case 4: left = work.left; break;
    case 5: left = work.right - width; break;
    case 6: left = work.left; top = work.top; break;
    case 7: left = work.right - width; top = work.top; break;
    case 8: left = work.left; top = work.bottom - height; break;
    case 9: left = work.right - width; top = work.bottom - height; break;
    case kPlaceCentred:
        left = Half(work.right - width);
        top = Half(work.bottom - height);
        break;
    case 11: left = work.left; top = work.top; width = work.right; height = Half(work.bottom); break;
    case 12:
        left = work.left;
        top = Half(work.bottom);
        width = work.right;
        height = Half(work.bottom);
        break;
    case 13: left = work.left; top = work.top; width = Half(work.right); height = fullHeight; break;
    case 14:
        left = Half(work.right);
        top = work.top;
        width = Half(work.right);
        height = fullHeight;
        break;
    default: break;
    }
    return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(width), ClampToInt32(height)};
}

std::array<Point, 5> OffScreenTestPoints(const Bounds& b) {
    const Wide left = b.left;
    const Wide top = b.top;
    const Wide right = left + b.width;
    const Wide bottom = top + b.height;
    return {{
        {left, top},
        {right, bottom},
        {right, top},
        {left, bottom},
        {left + Half(b.width), top + Half(b.height)},
    }};
}

bool IsOffScreen(const Bounds& bounds, const std::function<bool(const Point&)>& onMonitor) {
    const auto points = OffScreenTestPoints(bounds);
    return std::none_of(points.begin(), points.end(), onMonitor);
}

bool Contains(const Rect& rect, const Point& point) {
    return rect.left <= point.x && point.x < rect.right && rect.top <= point.y && point.y < rect.bottom;
}

bool IsOffScreen(const Bounds& bounds, std::span<const Rect> monitors) {
    return IsOffScreen(bounds, [monitors](const Point& p) {
        return std::any_of(monitors.begin(), monitors.end(), [&p](const Rect& m) { return Contains(m, p); });
    });
}

Rect WorkspaceToScreen(const Rect& restored, const Rect& monitor, const Rect& workArea) {
    const Wide dx = Wide{workArea.left} - monitor.left;
    const Wide dy = Wide{workArea.top} - monitor.top;
    return {ClampToInt32(restored.left + dx), ClampToInt32(restored.top + dy),
            ClampToInt32(restored.right + dx), ClampToInt32(restored.bottom + dy)};
}

}  // namespace velnor
