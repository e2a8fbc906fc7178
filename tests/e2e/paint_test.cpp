// What the theme paints, read back from the screen: the window's colours,
// a radio button's text as it is drawn, and its focus box.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/fixture.h"
#include "platform/utf.h"
#include "ui/theme_paint.h"

namespace velnor::e2e {
namespace {

using PaintTest = AppTest;

// (High contrast, where the system colours take over, cannot be shown here:
// this Wine keeps no high-contrast setting.)
TEST_F(PaintTest, TheSkyThemePaintsTheWindow) {
    sim->SetState({L"profile=Home"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client;
    GetClientRect(main, &client);
    // Bottom left of the radio group, where no button is: the sky colour;
    // the panel beside it is white. The window paints in its own time.
    const COLORREF sky = RGB(0xEA, 0xF5, 0xFD);
    WaitFor([&] { return ScreenPixels(main).At(3, client.bottom - 3) == sky; }, 5000);
    const ScreenPixels shown(main);
    EXPECT_EQ(shown.At(3, client.bottom - 3), sky);
    const RECT list = [&] {
        RECT r;
        GetWindowRect(ButtonByText(main, L"切断"), &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }();
    EXPECT_EQ(shown.At(list.left + 10, list.bottom + 20), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(p->Close(), 0);
}

// The rightmost column of a window's client area that holds anything but the
// colour of its right edge, from one copy of the screen.
int RightmostInk(HWND window) {
    const ScreenPixels pixels(window);
    const COLORREF back = pixels.At(pixels.Width() - 1, pixels.Height() / 2);
    for (int x = pixels.Width() - 1; x >= 0; --x)
        for (int y = 0; y < pixels.Height(); ++y)
            if (pixels.At(x, y) != back) return x;
    return -1;
}

// A name with four "&" is drawn with four, not eight (its text doubles each)
// nor none: the ink of the button ends where the name ends.
TEST_F(PaintTest, ANameWithAmpersandsIsDrawnAsItIs) {
    const std::wstring name = L"A&&&&B";
    sim->SetState({L"profile=Home", L"profile=" + name});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    HWND radio = Radio(main, 1);  // not the focused one: no focus frame
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ASSERT_TRUE(Answers(main));
    // At the window's DPI (the test kit runs at whatever the machine has).
    const UINT dpi = GetDpiForWindow(main);
    ASSERT_GT(dpi, 0u);
    const int textLeft = RadioTextLeft(dpi);  // after the circle
    const auto textWidth = [&](const std::wstring& text) {
        return WindowFontTextSize(text, static_cast<int>(dpi)).cx;
    };
    const int ink = RightmostInk(radio);
    const int asIs = textLeft + textWidth(L" " + name);
    for (const wchar_t* wrong : {L" A&&&&&&&&B", L" AB", L" A&&B"}) {
        SCOPED_TRACE(WideToUtf8(wrong));
        EXPECT_LT(std::abs(ink - asIs), std::abs(ink - (textLeft + textWidth(wrong))));
    }
    EXPECT_EQ(p->Close(), 0);
}

// The rows of a drawn focus box in what the screen shows of a window: a
// dotted line, every other pixel set for a long run, which text never is.
std::vector<int> DottedRows(const ScreenPixels& pixels) {
    std::vector<int> found;
    for (int y = 0; y < pixels.Height(); ++y) {
        int run = 0, best = 0;
        for (int x = 2; x < pixels.Width(); ++x) {
            const bool alternates = pixels.At(x, y) == pixels.At(x - 2, y) && pixels.At(x, y) != pixels.At(x - 1, y);
            run = alternates ? run + 1 : 0;
            best = std::max(best, run);
        }
        if (best >= 16) found.push_back(y);
    }
    return found;
}

// The dotted focus box of a radio button frames its line of text, centred in
// the row, not the row itself: rows share the group's height, and one row
// fills it, many lines high.
TEST_F(PaintTest, TheRadioFocusBoxHugsTheTextWhateverTheRowHeight) {
    for (int count : {1, 3, 8}) {
        SCOPED_TRACE(std::to_string(count) + " rows");
        std::vector<std::wstring> state;
        for (int i = 0; i < count; ++i) state.push_back(L"profile=Home" + std::to_wstring(i));
        sim->SetState(state);
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        HWND radio = Radio(main, 0);
        ASSERT_NE(radio, nullptr);
        ASSERT_TRUE(WaitFor([&] { return FocusIn(main) == radio; }));
        // Sizes at the window's DPI (the test kit runs at whatever the
        // machine has).
        const int dpi = static_cast<int>(GetDpiForWindow(main));
        ASSERT_GT(dpi, 0);
        const auto scale = [&](int designed) { return MulDiv(designed, dpi, 96); };
        const int line = WindowFontTextSize(L" Home", dpi).cy;
        RECT row;
        GetClientRect(radio, &row);
        if (count == 1) {
            ASSERT_GT(row.bottom, 3 * line) << "a row this tall shows the fault";
        }
        // Focus cues show once the keyboard has been used.
        SendMessageW(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_TRUE(Answers(main));
        std::vector<int> dotted;
        ASSERT_TRUE(WaitFor([&] { return !(dotted = DottedRows(ScreenPixels(radio))).empty(); }, 10000))
            << "no focus box drawn";
        const int top = dotted.front(), bottom = dotted.back();
        const int height = bottom - top + 1;
        EXPECT_GE(height, line - scale(2));
        EXPECT_LE(height, line + scale(4)) << "rows " << top << " to " << bottom << " of " << row.bottom;
        EXPECT_LE(std::abs((top + bottom + 1) / 2 - row.bottom / 2), scale(2));
        ASSERT_EQ(p->Close(), 0);
    }
}

}  // namespace
}  // namespace velnor::e2e
