// The error box for errors that escape an event handler: caption "Velnor", a
// stop icon, OK, and the error's text with a "." appended by the usual rule.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace velnor {

void ShowErrorBox(HWND owner, const std::wstring& message);

// Runs a handler and shows the error box for anything it throws. Returns
// whether the handler completed.
bool GuardHandler(HWND owner, const std::function<void()>& handler);

// Runs a handler whose errors must not be shown, because nothing may wait for
// a user then. Returns whether the handler completed.
bool RunUnreported(const std::function<void()>& handler);

// From now on GuardHandler shows no box: the program is ending, and a box
// with no window behind it would keep the process, and its single-instance
// guard, alive until someone dismissed it.
void StopShowingErrors();

// The message box for a theme that is not among the embedded ones, with a
// single Close button.
void ShowMissingThemeBox(const std::wstring& themeName);

}  // namespace velnor
