// Small helpers shared by the Windows implementations of the seams.
#pragma once

#include <windows.h>

#include <string>

namespace velnor {

// The OS's own description of an error code, in the user's language, trimmed
// as the error texts embed it.
std::wstring SystemErrorMessage(DWORD code);

// The Windows system folder, without a trailing "\". Every system program
// the product runs (cmd.exe, netsh.exe) is resolved here.
std::wstring SystemFolder();

// Test builds only: a source of another folder for SystemFolder(), so that a
// test build run on a real machine reaches the simulated service instead of
// the machine's own netsh. The shipped program never installs one; an empty
// answer means the real system folder.
using SystemFolderOverride = std::wstring (*)();
void SetSystemFolderOverride(SystemFolderOverride source);

}  // namespace velnor
