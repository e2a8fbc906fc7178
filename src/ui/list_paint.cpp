#include "ui/list_paint.h"

#include <algorithm>

#include "ui/dpi.h"
#include "ui/gdi.h"
#include "ui/theme_paint.h"

namespace velnor {

HIMAGELIST MakeTickImages(UINT dpi, int tickSize, const Theme& t) {
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
        const RECT all{0, 0, size * 2, size};
        GdiObject back(CreateSolidBrush(t.panel));
        FillRect(dc.get(), &all, static_cast<HBRUSH>(back.get()));
        for (int image = 0; image < 2; ++image) {
            const int x = image * size;
            GdiObject face(CreateSolidBrush(image ? t.accent : t.panel));
            GdiObject edge(CreatePen(PS_SOLID, std::max(1, Scale(1, dpi)), image ? t.accent : t.border));
            {
                Selected faceIn(dc.get(), face.get());
                Selected edgeIn(dc.get(), edge.get());
                const int round = Scale(4, dpi);
                RoundRect(dc.get(), x + 1, 1, x + size - 1, size - 1, round, round);
            }
            if (image) {
                // The tick mark, in the panel colour on the accent.
                GdiObject mark(CreatePen(PS_SOLID, std::max(2, Scale(2, dpi)), t.panel));
                Selected markIn(dc.get(), mark.get());
                const POINT tick[] = {{x + size * 3 / 13, size * 7 / 13}, {x + size * 5 / 13, size * 9 / 13},
                                      {x + size * 10 / 13, size * 4 / 13}};
                Polyline(dc.get(), tick, 3);
            }
        }
    }
    // The image list copies the bitmap, which must no longer be selected.
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 2, 0);
    ImageList_Add(list, static_cast<HBITMAP>(bitmap.get()), nullptr);
    return list;
}

LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw, HFONT font) {
    if (!ThemeActive()) return CDRF_DODEFAULT;
    const Theme& t = *CurrentTheme();
    HDC dc = draw.nmcd.hdc;
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            FillRect(dc, &draw.nmcd.rc, SurfaceBrush(Surface::Panel));
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const UINT state = draw.nmcd.uItemState;
            const bool disabled = state & CDIS_DISABLED;
            const COLORREF face =
                ButtonFace(t, (state & CDIS_SELECTED) != 0, (state & CDIS_HOT) != 0, disabled, t.button);
            const COLORREF edge = disabled ? Mix(t.border, t.panel, 60)
                                           : (state & (CDIS_HOT | CDIS_FOCUS)) ? t.accent : t.border;
            const RECT& r = draw.nmcd.rc;
            {
                GdiObject brush(CreateSolidBrush(face));
                GdiObject pen(CreatePen(PS_SOLID, 1, edge));
                Selected brushIn(dc, brush.get());
                Selected penIn(dc, pen.get());
                RoundRect(dc, r.left + 1, r.top, r.right - 1, r.bottom, 4, 4);
            }
            wchar_t text[32] = {};
            SendMessageW(draw.nmcd.hdr.hwndFrom, TB_GETBUTTONTEXTW, draw.nmcd.dwItemSpec, reinterpret_cast<LPARAM>(text));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, disabled ? Mix(t.text, t.panel, 55) : t.text);
            Selected fontIn(dc, font);
            RECT tr = r;
            DrawTextW(dc, text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
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
