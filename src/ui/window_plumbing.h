// Small pieces every window of the program needs in the same way.
#pragma once

#include <windows.h>

#include "ui/theme_paint.h"

namespace velnor {

// A window's frame as designed: its styles, its client size at 96 DPI, and
// its minimum outer size in physical pixels (which also bounds stored sizes).
struct WindowFrame {
    DWORD style;
    DWORD exStyle;
    int clientWidth;
    int clientHeight;
    int minWidth;
    int minHeight;
};

// Creates the window of a registered class with the frame's styles, at the
// minimum size; its creation handler sizes it with SizeToDesign.
HWND CreateFramedWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title, const WindowFrame& frame,
                        HWND owner, void* self);

// Gives the window the designed client size at `dpi`, never less than the
// frame's minimum outer size.
void SizeToDesign(HWND window, const WindowFrame& frame, UINT dpi);

// The module that created the window, for the controls created in it.
HINSTANCE InstanceOf(HWND window);

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
