#include "ui/window_frame.h"

#include <algorithm>

#include "ui/dpi.h"

namespace velnor {

HINSTANCE InstanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)); }

void CreateFramedWindow(const WindowFrame& frame, HINSTANCE instance, const wchar_t* className, HWND owner,
                        void* self) {
    CreateWindowExW(frame.exStyle, className, kApplicationTitle, frame.style, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.minimumOuter.cx, frame.minimumOuter.cy, owner, nullptr, instance, self);
}

void SizeToDesign(HWND window, const WindowFrame& frame, UINT dpi) {
    const SIZE outer = OuterSizeForClient(Scale(frame.designedClient.cx, dpi), Scale(frame.designedClient.cy, dpi),
                                          frame.style, frame.exStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, std::max(outer.cx, frame.minimumOuter.cx),
                 std::max(outer.cy, frame.minimumOuter.cy), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool HandleFrameMessage(HWND window, const WindowFrame& frame, UINT msg, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) {
    switch (msg) {
        case WM_ERASEBKGND:
            result = EraseWithSurface(window, wParam, frame.background);
            return true;
        case WM_GETMINMAXINFO:
            result = SetMinimumSize(lParam, frame.minimumOuter.cx, frame.minimumOuter.cy);
            return true;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // A control standing directly on the window stands on its background.
            result = ControlColour(reinterpret_cast<HDC>(wParam), frame.background);
            return true;
        default:
            return false;
    }
}

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
