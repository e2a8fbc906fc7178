#include "ui/theme_paint.h"

#include <algorithm>
#include <string>

#include "ui/dpi.h"
#include "ui/gdi.h"
#include "ui/theme.h"

namespace velnor {
namespace {

struct Brushes {
    HBRUSH window = nullptr;
    HBRUSH panel = nullptr;
};

Brushes& Cache() {
    static Brushes brushes;
    return brushes;
}

bool AskHighContrast() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// Asked once, then again only when the system announces a change: painting
// runs for every control on every repaint.
bool& HighContrast() {
    static bool on = AskHighContrast();
    return on;
}

std::wstring TextOf(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

bool ShowFocus(HWND h) {
    return !(SendMessageW(h, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void DrawPushButton(const NMCUSTOMDRAW& d, const Theme& t) {
    const HWND h = d.hdr.hwndFrom;
    const UINT dpi = DpiOf(h);
    const bool disabled = d.uItemState & CDIS_DISABLED;
    const bool pressed = d.uItemState & CDIS_SELECTED;
    const bool hot = d.uItemState & CDIS_HOT;
    const bool focused = d.uItemState & CDIS_FOCUS;
    RECT r = d.rc;
    FillRect(d.hdc, &r, SurfaceBrush(Surface::Panel));
    const int inset = Scale(2, dpi);
    InflateRect(&r, -inset, -inset);
    const COLORREF face = ButtonFace(t, pressed, hot, disabled, t.button);
    const COLORREF edge = disabled ? Mix(t.border, t.panel, 60) : (focused || hot) ? t.accent : t.border;
    GdiObject brush(CreateSolidBrush(face));
    GdiObject pen(CreatePen(PS_SOLID, focused ? Scale(2, dpi) : std::max(1, Scale(1, dpi)), edge));
    {
        Selected b(d.hdc, brush.get());
        Selected p(d.hdc, pen.get());
        const int round = Scale(6, dpi);
        RoundRect(d.hdc, r.left, r.top, r.right, r.bottom, round, round);
    }
    SetBkMode(d.hdc, TRANSPARENT);
    SetTextColor(d.hdc, disabled ? Mix(t.text, t.panel, 55) : t.text);
    Selected f(d.hdc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    std::wstring text = TextOf(h);
    RECT tr = r;
    if (pressed) OffsetRect(&tr, 0, std::max(1, Scale(1, dpi)));
    DrawTextW(d.hdc, text.c_str(), static_cast<int>(text.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (focused && ShowFocus(h)) {
        RECT fr = r;
        InflateRect(&fr, -Scale(3, dpi), -Scale(3, dpi));
        SetTextColor(d.hdc, t.text);
        DrawFocusRect(d.hdc, &fr);
    }
}

void DrawRadioButton(const NMCUSTOMDRAW& d, const Theme& t, Surface surface) {
    const HWND h = d.hdr.hwndFrom;
    const UINT dpi = DpiOf(h);
    const bool disabled = d.uItemState & CDIS_DISABLED;
    const bool hot = d.uItemState & CDIS_HOT;
    const bool pressed = d.uItemState & CDIS_SELECTED;
    const bool focused = d.uItemState & CDIS_FOCUS;
    const bool checked = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
    RECT r = d.rc;
    FillRect(d.hdc, &r, SurfaceBrush(surface));
    const int size = Scale(13, dpi);
    const int top = r.top + (r.bottom - r.top - size) / 2;
    RECT circle{r.left + Scale(1, dpi), top, r.left + Scale(1, dpi) + size, top + size};
    const COLORREF ring = disabled ? Mix(t.border, t.window, 60) : (hot || focused || checked) ? t.accent : t.border;
    // A disabled circle keeps the panel's colour; its ring shows the state.
    const COLORREF fill = ButtonFace(t, pressed, hot, false, t.panel);
    {
        GdiObject brush(CreateSolidBrush(fill));
        GdiObject pen(CreatePen(PS_SOLID, std::max(1, Scale(1, dpi)), ring));
        Selected b(d.hdc, brush.get());
        Selected p(d.hdc, pen.get());
        Ellipse(d.hdc, circle.left, circle.top, circle.right, circle.bottom);
    }
    if (checked) {
        const int dot = size * 5 / 13;
        const int cx = (circle.left + circle.right) / 2, cy = (circle.top + circle.bottom) / 2;
        GdiObject brush(CreateSolidBrush(disabled ? Mix(t.accent, t.window, 60) : t.accent));
        Selected b(d.hdc, brush.get());
        Selected p(d.hdc, GetStockObject(NULL_PEN));
        Ellipse(d.hdc, cx - dot / 2, cy - dot / 2, cx - dot / 2 + dot + 1, cy - dot / 2 + dot + 1);
    }
    SetBkMode(d.hdc, TRANSPARENT);
    SetTextColor(d.hdc, disabled ? Mix(t.text, t.window, 55) : t.text);
    Selected f(d.hdc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    // The text doubles every "&" of the name (radio_group.h): drawn with
    // prefix processing, as the system draws it, it shows the name exactly.
    const std::wstring text = TextOf(h);
    RECT tr{circle.right + Scale(5, dpi), r.top, r.right, r.bottom};
    DrawTextW(d.hdc, text.c_str(), static_cast<int>(text.size()), &tr,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX | DT_END_ELLIPSIS);
    if (focused && ShowFocus(h)) {
        // The focus box hugs the line of text, however tall the row: with a
        // single line DT_CALCRECT sets only the right edge, so the height is
        // the font's own.
        RECT measured = tr;
        DrawTextW(d.hdc, text.c_str(), static_cast<int>(text.size()), &measured,
                  DT_LEFT | DT_SINGLELINE | DT_HIDEPREFIX | DT_CALCRECT);
        TEXTMETRICW metrics{};
        GetTextMetricsW(d.hdc, &metrics);
        const int height = metrics.tmHeight;
        RECT fr{tr.left - Scale(2, dpi), (r.top + r.bottom - height) / 2 - 1,
                std::min<LONG>(measured.right, tr.right) + Scale(2, dpi), (r.top + r.bottom + height) / 2 + 1};
        SetTextColor(d.hdc, t.text);
        DrawFocusRect(d.hdc, &fr);
    }
}

}  // namespace

COLORREF ButtonFace(const Theme& theme, bool pressed, bool hot, bool disabled, COLORREF rest) {
    if (disabled) return Mix(rest, theme.panel, 60);
    return pressed ? theme.buttonPressed : hot ? theme.buttonHot : rest;
}

bool ThemeActive() { return CurrentTheme() && !HighContrast(); }

HBRUSH SurfaceBrush(Surface surface) {
    if (!ThemeActive()) return GetSysColorBrush(COLOR_BTNFACE);
    Brushes& c = Cache();
    const Theme& t = *CurrentTheme();
    if (!c.window) c.window = CreateSolidBrush(t.window);
    if (!c.panel) c.panel = CreateSolidBrush(t.panel);
    return surface == Surface::Window ? c.window : c.panel;
}

COLORREF TextColour() { return ThemeActive() ? CurrentTheme()->text : GetSysColor(COLOR_BTNTEXT); }

void RefreshThemeState() {
    HighContrast() = AskHighContrast();
    Brushes& c = Cache();
    if (c.window) DeleteObject(c.window);
    if (c.panel) DeleteObject(c.panel);
    c = {};
}

LRESULT CustomDrawButton(const NMCUSTOMDRAW& draw, Surface surface) {
    if (!ThemeActive() || draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    const LONG_PTR type = GetWindowLongPtrW(draw.hdr.hwndFrom, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        DrawPushButton(draw, *CurrentTheme());
        return CDRF_SKIPDEFAULT;
    }
    if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) {
        DrawRadioButton(draw, *CurrentTheme(), surface);
        return CDRF_SKIPDEFAULT;
    }
    return CDRF_DODEFAULT;
}

LRESULT ControlColour(HDC dc, Surface surface) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColour());
    return reinterpret_cast<LRESULT>(SurfaceBrush(surface));
}

}  // namespace velnor
