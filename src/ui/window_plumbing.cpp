#include "ui/window_plumbing.h"

namespace velnor {

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
