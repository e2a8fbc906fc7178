// The frame of the program's windows: the application title, the window
// class, creation at the designed size, and the messages both top-level
// windows answer alike.
#pragma once

#include <windows.h>

#include "ui/theme_paint.h"

namespace velnor {

// The caption of every window and message box of the program.
inline constexpr wchar_t kApplicationTitle[] = L"Velnor";

// The frame of one of the program's top-level windows: what both windows do
// alike with it lives here, what differs stays in each window.
struct WindowFrame {
    DWORD style;
    DWORD exStyle;
    SIZE designedClient;  // at 96 DPI
    SIZE minimumOuter;    // physical pixels at every DPI: it also bounds stored sizes
    Surface background;
};

// The module that created a window, for creating its children.
HINSTANCE InstanceOf(HWND window);

// Creates the window captioned with the application title, at the
// platform's default place; `self` reaches WM_NCCREATE.
void CreateFramedWindow(const WindowFrame& frame, HINSTANCE instance, const wchar_t* className, HWND owner,
                        void* self);

// Sizes the window to its designed client size at the DPI, never below the
// minimum outer size.
void SizeToDesign(HWND window, const WindowFrame& frame, UINT dpi);

// The messages both windows answer alike from their frame: WM_ERASEBKGND
// and the colours of the controls standing on it (WM_CTLCOLORSTATIC,
// WM_CTLCOLORBTN) with the background surface, WM_GETMINMAXINFO with the
// minimum size.
// Returns whether `msg` was one of them, with its result.
bool HandleFrameMessage(HWND window, const WindowFrame& frame, UINT msg, WPARAM wParam, LPARAM lParam,
                        LRESULT& result);

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
