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

bool AskSystemHighContrast() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

bool (*highContrastSource)() = AskSystemHighContrast;

bool AskHighContrast() { return highContrastSource(); }

// Asked once, then again only when the system announces a change: painting
// runs for every control on every repaint.
bool& HighContrast() {
    static bool on = AskHighContrast();
    return on;
}

COLORREF SurfaceColour(const Theme& t, Surface surface) { return surface == Surface::Window ? t.window : t.panel; }

std::wstring TextOf(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

void DrawPushButton(const NMCUSTOMDRAW& d, const Theme& t, Surface surface) {
    const HWND h = d.hdr.hwndFrom;
    const UINT dpi = DpiOf(h);
    const bool pressed = d.uItemState & CDIS_SELECTED;
    const bool focused = d.uItemState & CDIS_FOCUS;
    const COLORREF under = SurfaceColour(t, surface);
    RECT r = d.rc;
    FillRect(d.hdc, &r, SurfaceBrush(surface));
    const int inset = Scale(2, dpi);
    InflateRect(&r, -inset, -inset);
    GdiObject brush(CreateSolidBrush(ButtonFace(t, d.uItemState, t.button)));
    GdiObject pen(CreatePen(PS_SOLID, focused ? Scale(2, dpi) : std::max(1, Scale(1, dpi)),
                            ButtonEdge(t, d.uItemState, under)));
    {
        Selected b(d.hdc, brush.get());
        Selected p(d.hdc, pen.get());
        const int round = Scale(6, dpi);
        RoundRect(d.hdc, r.left, r.top, r.right, r.bottom, round, round);
    }
    SetBkMode(d.hdc, TRANSPARENT);
    SetTextColor(d.hdc, ButtonText(t, d.uItemState, under));
    Selected f(d.hdc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    std::wstring text = TextOf(h);
    RECT tr = r;
    if (pressed) OffsetRect(&tr, 0, std::max(1, Scale(1, dpi)));
    DrawTextW(d.hdc, text.c_str(), static_cast<int>(text.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (focused && ShowsFocusCues(h)) {
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
    const bool focused = d.uItemState & CDIS_FOCUS;
    const bool checked = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const COLORREF under = SurfaceColour(t, surface);
    RECT r = d.rc;
    FillRect(d.hdc, &r, SurfaceBrush(surface));
    const int size = Scale(kRadioCircleSize, dpi);
    const int top = r.top + (r.bottom - r.top - size) / 2;
    const int left = r.left + Scale(kRadioCircleLeft, dpi);
    RECT circle{left, top, left + size, top + size};
    {
        GdiObject brush(CreateSolidBrush(ButtonFace(t, d.uItemState, t.panel)));
        GdiObject pen(CreatePen(PS_SOLID, std::max(1, Scale(1, dpi)), ButtonEdge(t, d.uItemState, under, checked)));
        Selected b(d.hdc, brush.get());
        Selected p(d.hdc, pen.get());
        Ellipse(d.hdc, circle.left, circle.top, circle.right, circle.bottom);
    }
    if (checked) {
        const int dot = size * 5 / kRadioCircleSize;
        const int cx = (circle.left + circle.right) / 2, cy = (circle.top + circle.bottom) / 2;
        GdiObject brush(CreateSolidBrush(disabled ? Mix(t.accent, under, 60) : t.accent));
        Selected b(d.hdc, brush.get());
        Selected p(d.hdc, GetStockObject(NULL_PEN));
        Ellipse(d.hdc, cx - dot / 2, cy - dot / 2, cx - dot / 2 + dot + 1, cy - dot / 2 + dot + 1);
    }
    SetBkMode(d.hdc, TRANSPARENT);
    SetTextColor(d.hdc, ButtonText(t, d.uItemState, under));
    Selected f(d.hdc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    // The text doubles every "&" of the name (radio_group.h): drawn with
    // prefix processing, as the system draws it, it shows the name exactly.
    const std::wstring text = TextOf(h);
    RECT tr{r.left + RadioTextLeft(dpi), r.top, r.right, r.bottom};
    RECT measured = tr;
    // Measured without vertical centring: with it, the measured height runs
    // from the top of the row, and the focus box would fill the row.
    DrawTextW(d.hdc, text.c_str(), static_cast<int>(text.size()), &measured,
              DT_LEFT | DT_SINGLELINE | DT_HIDEPREFIX | DT_CALCRECT);
    DrawTextW(d.hdc, text.c_str(), static_cast<int>(text.size()), &tr,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX | DT_END_ELLIPSIS);
    if (focused && ShowsFocusCues(h)) {
        const int height = measured.bottom - measured.top;
        RECT fr{tr.left - Scale(2, dpi), (r.top + r.bottom - height) / 2 - 1,
                std::min<LONG>(measured.right, tr.right) + Scale(2, dpi), (r.top + r.bottom + height) / 2 + 1};
        SetTextColor(d.hdc, t.text);
        DrawFocusRect(d.hdc, &fr);
    }
}

}  // namespace

bool ThemeActive() { return CurrentTheme() && !HighContrast(); }

void SetHighContrastSource(bool (*ask)()) { highContrastSource = ask ? ask : AskSystemHighContrast; }

COLORREF ButtonFace(const Theme& t, UINT itemState, COLORREF rest) {
    if (itemState & CDIS_DISABLED) return Mix(rest, t.panel, 60);
    return (itemState & CDIS_SELECTED) ? t.buttonPressed : (itemState & CDIS_HOT) ? t.buttonHot : rest;
}

COLORREF ButtonEdge(const Theme& t, UINT itemState, COLORREF surface, bool marked) {
    if (itemState & CDIS_DISABLED) return Mix(t.border, surface, 60);
    return (marked || (itemState & (CDIS_HOT | CDIS_FOCUS))) ? t.accent : t.border;
}

COLORREF ButtonText(const Theme& t, UINT itemState, COLORREF surface) {
    return (itemState & CDIS_DISABLED) ? Mix(t.text, surface, 55) : t.text;
}

bool ShowsFocusCues(HWND control) { return !(SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS); }

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

bool SettingChangeConcernsLook(WPARAM wParam, LPARAM lParam) {
    if (wParam == SPI_SETHIGHCONTRAST) return true;
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    if (area && lstrcmpiW(area, L"WindowsThemeElement") == 0) return true;
    // A switch that came with some other announcement still counts.
    return AskHighContrast() != HighContrast();
}

LRESULT CustomDrawButton(const NMCUSTOMDRAW& draw, Surface surface) {
    if (!ThemeActive() || draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    const LONG_PTR type = GetWindowLongPtrW(draw.hdr.hwndFrom, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        DrawPushButton(draw, *CurrentTheme(), surface);
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
