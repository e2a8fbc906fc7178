// DPI scaling: the layout is designed at 96 DPI and scaled with MulDiv. The
// per-monitor functions are looked up at run time, since older systems lack
// them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace velnor {

inline constexpr int kDesignDpi = 96;

UINT DpiOf(HWND window);
inline int Scale(int designed, UINT dpi) { return MulDiv(designed, static_cast<int>(dpi), kDesignDpi); }

// The outer size for a designed client size at the given DPI.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

// The face name of the system's menu font.
std::wstring MenuFontFace(UINT dpi);

// A font with the menu font's face at the designed height -11 (8 points at
// 96 DPI), scaled to the DPI.
class WindowFont {
public:
    WindowFont() = default;
    ~WindowFont() { Reset(); }
    WindowFont(const WindowFont&) = delete;
    WindowFont& operator=(const WindowFont&) = delete;

    // Makes the font for the DPI and hands it to `apply`, which gives it to
    // the controls. The old font is deleted only afterwards: until then the
    // controls still hold it, and may draw or measure with it.
    void Recreate(UINT dpi, const std::function<void(HFONT)>& apply);
    HFONT Get() const { return font_; }

private:
    void Reset();
    HFONT font_ = nullptr;
};

// Gives the font to the window and all its descendants.
void ApplyFont(HWND window, HFONT font);

}  // namespace velnor
