#include "main/window_settings_win32.h"

#include "orvo/placement_win32.h"

namespace velnor {

Bounds NativeWindowGeometry::Current() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void NativeWindowGeometry::Set(std::int32_t Bounds::*field, std::int32_t value) {
    Bounds b = Current();
    b.*field = value;
    MoveWindow(window_, b.left, b.top, b.width, b.height, TRUE);
}

Bounds StoredWindowBounds(HWND window) {
    if (auto bounds = GetBoundsToStore(window)) return *bounds;
    return NativeWindowGeometry(window).Current();
}

}  // namespace velnor
