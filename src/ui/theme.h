// Visual themes carried inside the executable as resources of type "THEME".
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnor {

struct Theme {
    std::wstring name;
    COLORREF window = RGB(255, 255, 255);
    COLORREF panel = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    COLORREF accent = RGB(0, 120, 215);
    COLORREF button = RGB(225, 225, 225);
    COLORREF buttonHot = RGB(229, 241, 251);
    COLORREF buttonPressed = RGB(204, 228, 247);
    COLORREF border = RGB(173, 173, 173);
};

inline constexpr wchar_t kThemeName[] = L"Sky";

// The names of the themes embedded in the module.
std::vector<std::wstring> EmbeddedThemeNames(HMODULE module);

// The embedded theme whose name matches without regard to case.
std::optional<Theme> LoadEmbeddedTheme(HMODULE module, std::wstring_view name);

// Reads "key=#RRGGBB" lines; unknown keys and malformed lines are ignored.
Theme ParseTheme(std::wstring_view name, std::string_view text);

// The theme in effect for the program, or none for the platform's default look.
const Theme* CurrentTheme();
void SetCurrentTheme(std::optional<Theme> theme);

}  // namespace velnor
