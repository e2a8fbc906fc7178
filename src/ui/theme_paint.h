// Painting with the program's theme through the standard hooks: background
// brushes for WM_CTLCOLOR* and NM_CUSTOMDRAW for push buttons and radio
// buttons. Under high contrast, or without a theme, the system draws.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace velnor {

enum class Surface { Window, Panel };

// True when the theme paints; false under high contrast or without a theme.
bool ThemeActive();

HBRUSH SurfaceBrush(Surface surface);
COLORREF TextColour();

// Asks the high-contrast state again and drops cached brushes. Call it on
// WM_SETTINGCHANGE, WM_SYSCOLORCHANGE and WM_THEMECHANGED; calling it twice
// for one change does no harm.
void RefreshThemeState();

struct Theme;
// The face of anything pressed like a button (push button, radio circle,
// tool button): pressed, hot, or at rest in `rest`; a disabled one is the
// rest colour faded into the panel.
COLORREF ButtonFace(const Theme& theme, bool pressed, bool hot, bool disabled, COLORREF rest);

// Handles NM_CUSTOMDRAW of a BUTTON (push or radio) drawn on `surface`.
LRESULT CustomDrawButton(const NMCUSTOMDRAW& draw, Surface surface);

// Handles WM_CTLCOLORSTATIC and WM_CTLCOLORBTN for a control on `surface`.
LRESULT ControlColour(HDC dc, Surface surface);

}  // namespace velnor
