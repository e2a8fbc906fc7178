// The window font at a new DPI: no control is ever left holding a deleted
// font, which it would draw or measure with until the new one arrives.
#include "ui/dpi.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

WNDPROC buttonProc = nullptr;
int deadFontsSeen = 0;

// Before taking a new font, the control still holds its old one: that one
// must still exist.
LRESULT CALLBACK CheckHeldFont(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETFONT) {
        const auto held = reinterpret_cast<HGDIOBJ>(CallWindowProcW(buttonProc, h, WM_GETFONT, 0, 0));
        if (held && GetObjectType(held) != OBJ_FONT) ++deadFontsSeen;
    }
    return CallWindowProcW(buttonProc, h, msg, wParam, lParam);
}

TEST(WindowFont, TheOldFontLivesUntilEveryControlHoldsTheNewOne) {
    HWND window = CreateWindowExW(0, L"STATIC", L"fonts", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    HWND buttons[3];
    for (HWND& b : buttons) {
        b = CreateWindowExW(0, L"BUTTON", L"接続", WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, window, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
        buttonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(b, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CheckHeldFont)));
    }
    deadFontsSeen = 0;
    {
        WindowFont font;
        for (UINT dpi : {96u, 144u, 120u, 96u}) {
            font.Recreate(dpi, [&](HFONT f) { ApplyFont(window, f); });
            for (HWND b : buttons) EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(b, WM_GETFONT, 0, 0)), font.Get());
            EXPECT_EQ(GetObjectType(font.Get()), static_cast<DWORD>(OBJ_FONT));
        }
        EXPECT_EQ(deadFontsSeen, 0);
        // The controls let go of the font before it goes with its holder.
        ApplyFont(window, nullptr);
    }
    DestroyWindow(window);
}

}  // namespace
}  // namespace velnor
