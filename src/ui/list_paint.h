// Painting of the list editor in the program's theme: the tick images of the
// check list, its items, and the caption-only tool-bar buttons. Each call
// steps back to the system's drawing when the theme is not active.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/theme.h"

namespace velnor {

// Two tick images in the theme's colours, clear and set, `tickSize` pixels at
// 96 DPI. The caller owns the image list.
HIMAGELIST MakeTickImages(UINT dpi, int tickSize, const Theme& theme);

// NM_CUSTOMDRAW of a tool bar whose buttons carry captions only.
LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw, HFONT font);

// NM_CUSTOMDRAW of a check list: the theme's selection colours.
LRESULT DrawListItem(NMLVCUSTOMDRAW& draw);

}  // namespace velnor
