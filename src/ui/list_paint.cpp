#include "ui/list_paint.h"

#include <algorithm>

#include "ui/dpi.h"
#include "ui/gdi.h"
#include "ui/theme_paint.h"

namespace velnor {

namespace {

void DrawSkyTicks(HDC dc, UINT dpi, int size, const Theme& t) {
    const RECT all{0, 0, size * 2, size};
    GdiObject back(CreateSolidBrush(t.panel));
    FillRect(dc, &all, static_cast<HBRUSH>(back.get()));
    for (int image = 0; image < 2; ++image) {
        const int x = image * size;
        GdiObject face(CreateSolidBrush(image ? t.accent : t.panel));
        GdiObject edge(CreatePen(PS_SOLID, std::max(1, Scale(1, dpi)), image ? t.accent : t.border));
        {
            Selected faceIn(dc, face.get());
            Selected edgeIn(dc, edge.get());
            const int round = Scale(4, dpi);
            RoundRect(dc, x + 1, 1, x + size - 1, size - 1, round, round);
        }
        if (image) {
            // The tick mark, in the panel colour on the accent.
            GdiObject mark(CreatePen(PS_SOLID, std::max(2, Scale(2, dpi)), t.panel));
            Selected markIn(dc, mark.get());
            const POINT tick[] = {{x + size * 3 / 13, size * 7 / 13}, {x + size * 5 / 13, size * 9 / 13},
                                  {x + size * 10 / 13, size * 4 / 13}};
            Polyline(dc, tick, 3);
        }
    }
}

// The check boxes the system draws, in the system's colours (under high
// contrast, the contrast scheme's).
void DrawSystemTicks(HDC dc, int size) {
    const RECT all{0, 0, size * 2, size};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    for (int image = 0; image < 2; ++image) {
        RECT box{image * size + 1, 1, image * size + size - 1, size - 1};
        DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (image ? DFCS_CHECKED : 0));
    }
}

// The dotted focus box inside a tool button, as far in as a push button's.
void DrawToolFocus(HDC dc, const RECT& button, UINT dpi) {
    RECT r = button;
    InflateRect(&r, -Scale(3, dpi), -Scale(3, dpi));
    DrawFocusRect(dc, &r);
}

}  // namespace

HIMAGELIST MakeTickImages(UINT dpi, int tickSize) {
    const int size = Scale(tickSize, dpi);
    MemoryDc dc;
    GdiObject bitmap([&] {
        HDC screen = GetDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, size * 2, size);
        ReleaseDC(nullptr, screen);
        return b;
    }());
    {
        Selected intoDc(dc.get(), bitmap.get());
        if (ThemeActive()) DrawSkyTicks(dc.get(), dpi, size, *CurrentTheme());
        else DrawSystemTicks(dc.get(), size);
    }
    // The image list copies the bitmap, which must no longer be selected.
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 2, 0);
    ImageList_Add(list, static_cast<HBITMAP>(bitmap.get()), nullptr);
    return list;
}

void ApplyCheckListColours(HWND list) {
    if (ThemeActive()) {
        const Theme& t = *CurrentTheme();
        ListView_SetBkColor(list, t.panel);
        ListView_SetTextBkColor(list, t.panel);
        ListView_SetTextColor(list, t.text);
        return;
    }
    // The list control takes a colour (or CLR_NONE) here; it documents no
    // default to fall back to.
    ListView_SetBkColor(list, GetSysColor(COLOR_WINDOW));
    ListView_SetTextBkColor(list, GetSysColor(COLOR_WINDOW));
    ListView_SetTextColor(list, GetSysColor(COLOR_WINDOWTEXT));
}

LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw, HFONT font, int cueCommand) {
    return DrawToolButton(draw, font, cueCommand, DpiOf(draw.nmcd.hdr.hwndFrom));
}

LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw, HFONT font, int cueCommand, UINT dpi) {
    HDC dc = draw.nmcd.hdc;
    const bool cue = cueCommand != 0 && static_cast<int>(draw.nmcd.dwItemSpec) == cueCommand;
    if (!ThemeActive()) {
        // The system draws; the focus cue goes on top.
        switch (draw.nmcd.dwDrawStage) {
            case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
            case CDDS_ITEMPREPAINT: return cue ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
            case CDDS_ITEMPOSTPAINT: DrawToolFocus(dc, draw.nmcd.rc, dpi); return CDRF_DODEFAULT;
            default: return CDRF_DODEFAULT;
        }
    }
    const Theme& t = *CurrentTheme();
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            FillRect(dc, &draw.nmcd.rc, SurfaceBrush(Surface::Panel));
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const UINT state = draw.nmcd.uItemState;
            const RECT& r = draw.nmcd.rc;
            {
                GdiObject brush(CreateSolidBrush(ButtonFace(t, state, t.button)));
                // The edge, its corners and the focus box scale as a push
                // button's do.
                const int gap = std::max(1, Scale(1, dpi));
                GdiObject pen(CreatePen(PS_SOLID, cue ? Scale(2, dpi) : gap,
                                        ButtonEdge(t, cue ? state | CDIS_FOCUS : state, t.panel)));
                Selected brushIn(dc, brush.get());
                Selected penIn(dc, pen.get());
                const int round = Scale(4, dpi);
                RoundRect(dc, r.left + gap, r.top, r.right - gap, r.bottom, round, round);
            }
            wchar_t text[32] = {};
            SendMessageW(draw.nmcd.hdr.hwndFrom, TB_GETBUTTONTEXTW, draw.nmcd.dwItemSpec, reinterpret_cast<LPARAM>(text));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ButtonText(t, state, t.panel));
            Selected fontIn(dc, font);
            RECT tr = r;
            DrawTextW(dc, text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            if (cue) DrawToolFocus(dc, r, dpi);
            return CDRF_SKIPDEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

LRESULT DrawListItem(NMLVCUSTOMDRAW& draw) {
    if (!ThemeActive()) return CDRF_DODEFAULT;
    const Theme& t = *CurrentTheme();
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const int item = static_cast<int>(draw.nmcd.dwItemSpec);
            const bool selected = ListView_GetItemState(draw.nmcd.hdr.hwndFrom, item, LVIS_SELECTED) & LVIS_SELECTED;
            // The theme's own selection colours instead of the system's.
            draw.nmcd.uItemState &= ~CDIS_SELECTED;
            draw.clrText = t.text;
            draw.clrTextBk = selected ? t.buttonHot : t.panel;
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

}  // namespace velnor
