#include "ui/window_plumbing.h"

#include <algorithm>

#include "ui/dpi.h"

namespace velnor {

HWND CreateFramedWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title, const WindowFrame& frame,
                        HWND owner, void* self) {
    return CreateWindowExW(frame.exStyle, className, title, frame.style, CW_USEDEFAULT, CW_USEDEFAULT, frame.minWidth,
                           frame.minHeight, owner, nullptr, instance, self);
}

void SizeToDesign(HWND window, const WindowFrame& frame, UINT dpi) {
    const SIZE outer = OuterSizeForClient(Scale(frame.clientWidth, dpi), Scale(frame.clientHeight, dpi), frame.style,
                                          frame.exStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, std::max<LONG>(outer.cx, frame.minWidth),
                 std::max<LONG>(outer.cy, frame.minHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HINSTANCE InstanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)); }

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon, HICON smallIcon) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

LRESULT EraseWithSurface(HWND window, WPARAM dc, Surface surface) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(reinterpret_cast<HDC>(dc), &r, SurfaceBrush(surface));
    return 1;
}

void TakeSuggestedRect(HWND window, LPARAM suggested) {
    const auto* r = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SetMinimumSize(LPARAM minMaxInfo, int width, int height) {
    reinterpret_cast<MINMAXINFO*>(minMaxInfo)->ptMinTrackSize = {width, height};
    return 0;
}

}  // namespace velnor
