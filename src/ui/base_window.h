// The window base class: stores `this` at WM_NCCREATE and answers the frame
// that the program's windows share (creation, the DPI, the look, erasing, the
// minimum size, keyboard focus across activations); every other message goes
// to the derived class's HandleMessage. Errors never cross the Win32 frame:
// they end the handler and are shown in the error box.
//
// What the derived class provides to the frame:
//   void FormCreate()      WM_CREATE, the DPI already known
//   void ApplyDpi()        the DPI changed (dpi_); fonts and layout follow
//   void RefreshLook()     the theme or high contrast changed
//   bool LookStale()       whether its look lags behind the theme in effect,
//                          whatever the setting change says
//   HWND DefaultFocus()    the control that takes the focus on activation when
//                          no remembered one is usable; none: the frame keeps it
#pragma once

#include <windows.h>

#include "ui/dpi.h"
#include "ui/error_box.h"
#include "ui/theme_paint.h"
#include "ui/window_frame.h"

namespace velnor {

template <class Derived>
class BaseWindow {
public:
    HWND Handle() const { return hwnd_; }

protected:
    explicit BaseWindow(const WindowFrame& frame) : frame_(frame) {}
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    // Registers the class and creates the window; FormCreate runs inside
    // this call.
    void CreateFrame(HINSTANCE instance, const wchar_t* className, HWND owner, HICON icon = nullptr,
                     HICON smallIcon = nullptr) {
        RegisterWindowClass(instance, className, WindowProc, icon, smallIcon);
        CreateFramedWindow(frame_, instance, className, owner, this);
    }

    // The designed size at the DPI in effect.
    void SizeToDesign() { velnor::SizeToDesign(hwnd_, frame_, dpi_); }

    // The focus is being given back on activation, not moved by the user.
    bool RestoringFocus() const { return restoringFocus_; }

    HWND hwnd_ = nullptr;
    UINT dpi_ = kDesignDpi;
    HWND focus_ = nullptr;  // the control that had the focus at the last deactivation

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        BaseWindow* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            self = static_cast<BaseWindow*>(cs->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->hwnd_ = hwnd;
        } else {
            self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
        if (GuardHandler(hwnd, [&] { result = self->FrameMessage(msg, wParam, lParam); })) return result;
        return 0;
    }

    Derived& Form() { return static_cast<Derived&>(*this); }

    LRESULT FrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (LRESULT result = 0; HandleFrameMessage(hwnd_, frame_, msg, wParam, lParam, result)) return result;
        switch (msg) {
            case WM_CREATE:
                dpi_ = DpiOf(hwnd_);
                Form().FormCreate();
                return 0;
            case WM_DPICHANGED:
                TakeSuggestedRect(hwnd_, lParam);
                dpi_ = HIWORD(wParam);
                Form().ApplyDpi();
                return 0;
            case WM_ACTIVATE:
                if (Activate(LOWORD(wParam), HIWORD(wParam) != 0)) return 0;
                break;
            case WM_SETTINGCHANGE:
            case WM_SYSCOLORCHANGE:
            case WM_THEMECHANGED: {
                // The window's own part first: the colours its controls learn
                // from it are in place before the look is redone.
                const LRESULT result = Form().HandleMessage(msg, wParam, lParam);
                LookChanged(msg, wParam, lParam);
                return result;
            }
            default:
                break;
        }
        return Form().HandleMessage(msg, wParam, lParam);
    }

    // Keyboard focus as a dialog keeps it: remembered when the window is
    // deactivated, given back when it is activated again. Returns false
    // where DefWindowProc is to have the message: a minimised window, or one
    // with nothing to focus yet, keeps the focus itself.
    bool Activate(WORD state, bool minimised) {
        if (state == WA_INACTIVE) {
            const HWND f = GetFocus();
            if (f && IsChild(hwnd_, f)) focus_ = f;
            return true;
        }
        if (minimised) return false;
        const bool usable = focus_ && IsWindow(focus_) && IsChild(hwnd_, focus_) && IsWindowVisible(focus_) &&
                            IsWindowEnabled(focus_);
        const HWND target = usable ? focus_ : Form().DefaultFocus();
        if (!target) return false;
        restoringFocus_ = true;
        SetFocus(target);
        restoringFocus_ = false;
        return true;
    }

    // WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_THEMECHANGED: a setting change
    // about anything but high contrast or the theme leaves the look alone.
    void LookChanged(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_SETTINGCHANGE && !SettingChangeConcernsLook(wParam, lParam) && !Form().LookStale()) return;
        RefreshThemeState();
        Form().RefreshLook();
    }

    const WindowFrame& frame_;
    bool restoringFocus_ = false;
};

}  // namespace velnor
