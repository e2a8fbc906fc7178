// Start-up: data folder, single-instance guard, toolkit, theme, the two
// windows and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velnor {

inline constexpr wchar_t kMutexName[] = L"Velnor/Orvo Project";

// The running executable's folder, ending in "\".
std::wstring ModuleFolder();

// Whether another copy holds the guard. Takes the guard when not; a create
// that reports the name as existing also means another copy, so two copies
// started at the same instant cannot both run.
bool AnotherCopyRunning();

// The show command for the first show, from the state the process was started
// with: maximised and "minimised without activation" are honoured, every other
// state just makes the window visible.
int FirstShowCommand();

// The whole program; returns the process exit code (0 on every orderly path).
int RunVelnor(HINSTANCE instance);

}  // namespace velnor
