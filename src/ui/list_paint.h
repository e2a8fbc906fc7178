// Painting of the list editor in the program's theme: the tick images of the
// check list, its colours and items, and the caption-only tool-bar buttons.
// Each call steps back to the system's look when the theme is not active
// (high contrast), and back again when it is.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/theme.h"

namespace velnor {

// Two tick images, clear and set, `tickSize` pixels at 96 DPI: in the
// theme's colours, or the system's check boxes. The caller owns the list.
HIMAGELIST MakeTickImages(UINT dpi, int tickSize);

// The check list's background and text colours: the theme's or the system's.
void ApplyCheckListColours(HWND list);

// NM_CUSTOMDRAW of a tool bar whose buttons carry captions only. The button
// `cueCommand` (0 for none) shows the keyboard focus, in either look.
LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw, HFONT font, int cueCommand);
// The same at a given DPI rather than the tool bar's.
LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw, HFONT font, int cueCommand, UINT dpi);

// NM_CUSTOMDRAW of a check list: the theme's selection colours.
LRESULT DrawListItem(NMLVCUSTOMDRAW& draw);

}  // namespace velnor
