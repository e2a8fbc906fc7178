// Every themed button of the main window is painted on the surface of the
// container it stands in: the push buttons on the white panel, the radio
// buttons on the sky-blue window. A button painted on the other surface shows
// a seam of the wrong colour around its face (push) or behind its text
// (radio).
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"

namespace velnor::e2e {
namespace {

class ButtonSurfaceTest : public AppTest {};

constexpr COLORREF kSkyWindow = RGB(0xEA, 0xF5, 0xFD);
constexpr COLORREF kSkyPanel = RGB(0xFF, 0xFF, 0xFF);

// A child's rectangle in its top-level window's client coordinates.
RECT RectIn(HWND window, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(ButtonSurfaceTest, EachButtonIsPaintedOnItsContainersSurface) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    const struct {
        const wchar_t* text;
        bool radio;
        COLORREF surface;
    } cases[] = {
        {L"接続", false, kSkyPanel},
        {L"再接続", false, kSkyPanel},
        {L"切断", false, kSkyPanel},
        {L"リスト編集", false, kSkyPanel},
        {L" Home", true, kSkyWindow},
        {L" Work", true, kSkyWindow},
    };
    // Where only the surface shows: a push button's top-left corner lies
    // outside its rounded face; a radio button's text ends long before its
    // right edge.
    auto bare = [&](const RECT& r, bool radio) {
        return radio ? POINT{r.right - 2, (r.top + r.bottom) / 2} : POINT{r.left, r.top};
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const HWND button = ButtonByText(main, c.text);
        ASSERT_NE(button, nullptr);
        const POINT at = bare(RectIn(main, button), c.radio);
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        // The window paints in its own time.
        COLORREF seen = CLR_INVALID;
        WaitFor([&] { return (seen = ScreenPixels(main).At(at.x, at.y)) == c.surface; });
        EXPECT_EQ(seen, c.surface);
    }
    EXPECT_EQ(p->Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e
