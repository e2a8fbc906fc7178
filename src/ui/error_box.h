// The error box for errors that escape an event handler: caption "Velnor", a
// stop icon, OK, and the error's text with a "." appended by the usual rule.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace velnor {

inline constexpr wchar_t kApplicationTitle[] = L"Velnor";

void ShowErrorBox(HWND owner, const std::wstring& message);

// Runs a handler and shows the error box for anything it throws. Returns
// whether the handler completed.
bool GuardHandler(HWND owner, const std::function<void()>& handler);

// The message box for a theme that is not among the embedded ones, with a
// single Close button.
void ShowMissingThemeBox(const std::wstring& themeName);

}  // namespace velnor
