// The window base class: stores `this` at WM_NCCREATE and forwards every
// message to the derived class's HandleMessage. Errors never cross the Win32
// frame: they end the handler and are shown in the error box.
#pragma once

#include <windows.h>

#include "ui/error_box.h"

namespace velnor {

template <class Derived>
class BaseWindow {
public:
    HWND Handle() const { return hwnd_; }

protected:
    BaseWindow() = default;
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        Derived* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            self = static_cast<Derived*>(cs->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->hwnd_ = hwnd;
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        LRESULT result = 0;
        // The rest of a failing handler does not run, and the message counts as
        // handled: a failing close request, for one, does not close.
        if (GuardHandler(hwnd, [&] { result = self->HandleMessage(msg, wParam, lParam); })) return result;
        return 0;
    }

    HWND hwnd_ = nullptr;
};

}  // namespace velnor
