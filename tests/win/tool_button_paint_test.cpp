// The editor's tool buttons in the Sky look at several DPIs: the edge and the
// focus box grow with the DPI as a push button's do.
#include "ui/list_paint.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/screen_pixels.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace velnor {
namespace {

constexpr COLORREF kFace = RGB(0xD6, 0xEB, 0xFA);
constexpr COLORREF kAccent = RGB(0x1E, 0x78, 0xC8);
constexpr int kMargin = 10;
constexpr int kCommand = 7;

// One tool button drawn with the focus cue, pixel by pixel.
class DrawnButton {
public:
    explicit DrawnButton(UINT dpi) : width_(Scale(44, dpi) + 2 * kMargin), height_(Scale(19, dpi) + 2 * kMargin) {
        pixels_ = test::DrawnPixels(width_, height_, [&](HDC dc) {
            const RECT all{0, 0, width_, height_};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            NMTBCUSTOMDRAW draw{};
            draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
            draw.nmcd.hdc = dc;
            draw.nmcd.rc = {kMargin, kMargin, width_ - kMargin, height_ - kMargin};
            draw.nmcd.dwItemSpec = kCommand;
            DrawToolButton(draw, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), kCommand, dpi);
        });
    }
    COLORREF At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

    // Rows of the edge across the middle of the top side.
    int EdgeThickness() const {
        int n = 0;
        for (int y = 0; y < height_ / 2; ++y) n += At(width_ / 2, y) == kAccent;
        return n;
    }
    // How far below the button's top the dotted focus box runs: the first row
    // under the edge where the face is broken (the dots alternate, so two
    // neighbouring columns are looked at).
    int FocusInset() const {
        const int x = width_ / 2;
        bool pastEdge = false;
        for (int y = kMargin; y < height_ / 2; ++y) {
            const bool face = At(x, y) == kFace && At(x + 1, y) == kFace;
            const bool edge = At(x, y) == kAccent || At(x + 1, y) == kAccent;
            if (face) pastEdge = true;
            else if (pastEdge && !edge) return y - kMargin;
        }
        return -1;
    }

private:
    int width_, height_;
    std::vector<COLORREF> pixels_;
};

TEST(ToolButtonPaint, EdgeAndFocusBoxScaleWithTheDpi) {
    SetCurrentTheme(ParseTheme(L"Sky", "panel=#FFFFFF\nbutton=#D6EBFA\naccent=#1E78C8\nborder=#A0A0A0\ntext=#1C2B39\n"));
    const DrawnButton at96(96);
    for (const UINT dpi : {144u, 192u}) {
        SCOPED_TRACE(dpi);
        const DrawnButton scaled(dpi);
        // The focus box sits as far in as a push button's: 3 pixels at 96 DPI.
        EXPECT_EQ(at96.FocusInset(), 3);
        EXPECT_EQ(scaled.FocusInset(), Scale(3, dpi));
        EXPECT_GE(at96.EdgeThickness(), 1);
        EXPECT_GE(scaled.EdgeThickness(), MulDiv(at96.EdgeThickness(), static_cast<int>(dpi), 96));
    }
    SetCurrentTheme(std::nullopt);
}

}  // namespace
}  // namespace velnor
