// Painting with the program's theme through the standard hooks: background
// brushes for WM_CTLCOLOR* and NM_CUSTOMDRAW for push buttons and radio
// buttons. Under high contrast, or without a theme, the system draws.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/dpi.h"
#include "ui/theme.h"

namespace velnor {

enum class Surface { Window, Panel };

// A radio button as the theme draws it, in pixels at 96 DPI: its circle
// stands 1 in from the left and is 13 across, and its text begins 5 after it.
inline constexpr int kRadioCircleLeft = 1;
inline constexpr int kRadioCircleSize = 13;
inline constexpr int kRadioTextGap = 5;
// Where a radio button's text begins at a DPI, each part scaled as it is
// drawn.
inline int RadioTextLeft(UINT dpi) {
    return Scale(kRadioCircleLeft, dpi) + Scale(kRadioCircleSize, dpi) + Scale(kRadioTextGap, dpi);
}

// True when the theme paints; false under high contrast or without a theme.
bool ThemeActive();

HBRUSH SurfaceBrush(Surface surface);
COLORREF TextColour();

// Test builds only: another source of the high-contrast state, for a system
// that keeps none (Wine). Set before the first window is painted.
void SetHighContrastSource(bool (*ask)());

// The colour rules every themed button shares (push, tool and radio), from
// its custom-draw state. `rest` is the face at rest; `surface` is what the
// button stands on; `marked` lights the edge as hot or focus do (a checked
// radio button). A disabled button's text fades into its surface.
COLORREF ButtonFace(const Theme& theme, UINT itemState, COLORREF rest);
COLORREF ButtonEdge(const Theme& theme, UINT itemState, COLORREF surface, bool marked = false);
COLORREF ButtonText(const Theme& theme, UINT itemState, COLORREF surface);

// Whether a control shows focus cues: they are hidden until the keyboard is
// used.
bool ShowsFocusCues(HWND control);

// Asks the high-contrast state again and drops cached brushes. Call it on
// WM_SETTINGCHANGE, WM_SYSCOLORCHANGE and WM_THEMECHANGED; calling it twice
// for one change does no harm.
void RefreshThemeState();

// Whether a WM_SETTINGCHANGE concerns the look: high contrast switched, or
// the visual theme. Every other change (regional settings, the work area,
// mouse settings) leaves the painting as it is, so a window neither rebuilds
// nor repaints for it.
bool SettingChangeConcernsLook(WPARAM wParam, LPARAM lParam);

struct Theme;

// Handles NM_CUSTOMDRAW of a BUTTON (push or radio) drawn on `surface`, the
// surface of the container it stands in (SurfaceOf).
LRESULT CustomDrawButton(const NMCUSTOMDRAW& draw, Surface surface);

// Handles WM_CTLCOLORSTATIC and WM_CTLCOLORBTN for a control on `surface`.
LRESULT ControlColour(HDC dc, Surface surface);

}  // namespace velnor
