// Small pieces every window of the program needs in the same way.
#pragma once

#include <windows.h>

#include "ui/theme_paint.h"

namespace velnor {

// Registers a window class once per process; later calls do nothing.
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon = nullptr,
                         HICON smallIcon = nullptr);

// WM_ERASEBKGND: the whole client area in the surface's colour.
LRESULT EraseWithSurface(HWND window, WPARAM dc, Surface surface);

// WM_DPICHANGED: the window takes the rectangle Windows suggests.
void TakeSuggestedRect(HWND window, LPARAM suggested);

// WM_GETMINMAXINFO: the minimum outer size, in physical pixels.
LRESULT SetMinimumSize(LPARAM minMaxInfo, int width, int height);

}  // namespace velnor
