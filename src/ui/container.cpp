#include "ui/container.h"

#include "ui/window_frame.h"

namespace velnor {
namespace {

constexpr wchar_t kContainerClass[] = L"VelnorContainer";

LRESULT CALLBACK ContainerProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return EraseWithSurface(h, wParam, SurfaceOf(h));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColour(reinterpret_cast<HDC>(wParam), SurfaceOf(h));
        case WM_COMMAND:
        case WM_NOTIFY:
            // The window that owns the controls' logic is the parent.
            return SendMessageW(GetParent(h), msg, wParam, lParam);
        default:
            return DefWindowProcW(h, msg, wParam, lParam);
    }
}

}  // namespace

HWND CreateContainer(HWND parent, int id, Surface surface) {
    const HINSTANCE instance = InstanceOf(parent);
    RegisterWindowClass(instance, kContainerClass, ContainerProc);
    HWND h = CreateWindowExW(WS_EX_CONTROLPARENT, kContainerClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                             0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SetWindowLongPtrW(h, GWLP_USERDATA, static_cast<LONG_PTR>(surface));
    return h;
}

Surface SurfaceOf(HWND container) {
    return static_cast<Surface>(GetWindowLongPtrW(container, GWLP_USERDATA));
}

}  // namespace velnor
