// Start-up: data folder, single-instance guard, toolkit, theme, the two
// windows and the message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace velnor {

inline constexpr wchar_t kMutexName[] = L"Velnor/Orvo Project";

// The running executable's folder, ending in "\".
std::wstring ModuleFolder();

// The system calls of the single-instance guard, one member per call, so that
// tests can show the outcome of a race that this machine only rarely loses.
struct MutexApi {
    std::function<HANDLE(DWORD access, BOOL inherit, const wchar_t* name)> openMutex;
    // CreateMutexW, and GetLastError right after it.
    std::function<HANDLE(const wchar_t* name, DWORD* lastError)> createMutex;
    std::function<BOOL(HANDLE)> closeHandle;
};

// The real calls.
const MutexApi& SystemMutexApi();

// Whether another copy holds the guard. Takes the guard when not, and keeps it
// until the process ends. A create that reports the name as existing also
// means another copy: two copies started at the same instant can both fail
// to open the name, and then only one of them creates it.
bool AnotherCopyRunning(const MutexApi& api = SystemMutexApi());

// The show command the first show must end in, from the state the process was
// started with: maximised and "minimised without activation" are honoured,
// every other state gives a visible, normal window. A silent run always starts
// minimised without activation, so that only its taskbar button shows.
int FirstShowCommand(bool silent);

// Shows the main window for the first time so that it ends in the state of
// `command` (SW_SHOWNORMAL, SW_SHOWMAXIMIZED or SW_SHOWMINNOACTIVE), whatever
// Windows makes of the first ShowWindow of the process. `showWindow` is
// ShowWindow; tests pass one that replaces the first command as Windows does.
void ShowFirstTime(HWND window, int command,
                   const std::function<BOOL(HWND, int)>& showWindow = ::ShowWindow);

// The whole program; returns the process exit code (0 on every orderly path).
int RunVelnor(HINSTANCE instance);

}  // namespace velnor
