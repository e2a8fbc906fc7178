#include "orvo/placement_win32.h"

namespace velnor {

namespace {

// ABM_GETTASKBARPOS is answered for the 64-bit structure layout; a different
// size would mean the headers disagree with the shell about the fields.
static_assert(sizeof(void*) != 8 || sizeof(APPBARDATA) == 48);

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The primary monitor's work area, given back the taskbar's strip.
std::optional<WorkRect> CorrectedWorkRect(const PlacementApi& api) {
    RECT work{};
    if (!api.getWorkArea(&work)) return std::nullopt;
    Rect taskbar;
    const int edge = GetTaskbarEdge(taskbar, api);
    return CorrectWorkRect(ToRect(work), edge, taskbar);
}

bool MoveToPlacement(HWND window, int mode, const Bounds& current, const WorkRect& work,
                     const PlacementApi& api) {
    const Bounds target = PlacementBounds(mode, work, current);
    return api.moveWindow(window, target.left, target.top, target.width, target.height, TRUE) != FALSE;
}

}  // namespace

const PlacementApi& SystemPlacementApi() {
    static const PlacementApi api{
        ::GetWindowRect,
        ::IsZoomed,
        ::IsIconic,
        [](RECT* work) { return ::SystemParametersInfoW(SPI_GETWORKAREA, 0, work, 0); },
        ::SHAppBarMessage,
        ::MonitorFromPoint,
        ::MonitorFromWindow,
        ::GetMonitorInfoW,
        ::GetWindowPlacement,
        ::GetWindowLongPtrW,
        ::MoveWindow,
    };
    return api;
}

std::optional<Rect> GetValidWindowRect(HWND window, const PlacementApi& api) {
    RECT r{};
    if (!api.getWindowRect(window, &r)) return std::nullopt;
    const Rect rect = ToRect(r);
    if (IsMinimisedPlaceholder(rect)) return std::nullopt;
    return rect;
}

bool GetWindowBounds(HWND window, Bounds& bounds, const PlacementApi& api) {
    const auto rect = GetValidWindowRect(window, api);
    if (!rect) return false;
    bounds = BoundsOfRect(*rect);
    return true;
}

int GetTaskbarEdge(Rect& taskbar, const PlacementApi& api) {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    taskbar = {};
    // Without an answer there is nothing to correct by.
    if (api.appBarMessage(ABM_GETTASKBARPOS, &data) == 0) return kTaskbarNone;
    taskbar = ToRect(data.rc);
    return TaskbarEdgeCode(data.uEdge);
}

bool IsOffScreen(const Bounds& bounds, const PlacementApi& api) {
    return IsOffScreen(bounds, [&api](const Point& p) {
        // A monitor's rectangle is 32-bit, so a point beyond that range is on
        // none of them.
        const LONG x = ClampToInt32(p.x);
        const LONG y = ClampToInt32(p.y);
        if (x != p.x || y != p.y) return false;
        return api.monitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) != nullptr;
    });
}

bool PlaceWindow(HWND window, int mode, const PlacementApi& api) {
    const auto work = CorrectedWorkRect(api);
    if (!work) return false;
    Bounds current;
    if (!GetWindowBounds(window, current, api)) return false;
    return MoveToPlacement(window, mode, current, *work, api);
}

bool EnsureWindowVisible(HWND window, const PlacementApi& api) {
    if (api.isZoomed(window)) return false;
    // A minimised window's rectangle is its parking place, not where it will
    // be restored to. Asking the window itself, rather than recognising the
    // parking position, also rescues a normal window that settings placed at
    // exactly (-32000, -32000).
    if (api.isIconic(window)) return false;
    RECT r{};
    if (!api.getWindowRect(window, &r)) return false;
    const Bounds current = BoundsOfRect(ToRect(r));
    if (!IsOffScreen(current, api)) return false;
    const auto work = CorrectedWorkRect(api);
    if (!work) return false;
    return MoveToPlacement(window, kPlaceCentred, current, *work, api);
}

std::optional<Bounds> GetBoundsToStore(HWND window, const PlacementApi& api) {
    if (api.isIconic(window)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!api.getWindowPlacement(window, &placement)) return std::nullopt;
        Rect restored = ToRect(placement.rcNormalPosition);
        // The record keeps an ordinary top-level window's restored rectangle
        // relative to the work area of its monitor; stored as it is, the
        // window would creep by the taskbar's size at every run. Tool windows
        // are kept in screen coordinates already.
        const bool toolWindow = (api.getWindowLongPtr(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        // For a minimised window this is the monitor it will be restored to.
        const HMONITOR handle = api.monitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
        if (!toolWindow && handle && api.getMonitorInfo(handle, &monitor)) {
            restored = WorkspaceToScreen(restored, ToRect(monitor.rcMonitor), ToRect(monitor.rcWork));
        }
        return BoundsOfRect(restored);
    }
    RECT r{};
    if (!api.getWindowRect(window, &r)) return std::nullopt;
    return BoundsOfRect(ToRect(r));
}

}  // namespace velnor
